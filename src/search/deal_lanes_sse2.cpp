// The lane kernels for the baseline x86-64 processor (SSE2): the blocks of
// deal_lanes_blocks_inl.h over the few operations they use, each one or a
// few SSE2 instructions under Highway's name. The Highway we build with has
// no SSE2 target, and its plain C++ fallback is left scalar by clang.

#include "search/deal_lanes.h"

#if defined(__x86_64__)

#include <emmintrin.h>

#include <array>
#include <bit>
#include <cstring>
#include <type_traits>
#include <utility>

#include "core/rng.h"
#include "search/lane_divisors.h"

namespace tarvenna::lanes::sse2 {
namespace hn {

#define TARVENNA_SSE2_INLINE inline __attribute__((always_inline))

template <typename T>
struct Simd {
    using Lane = T;
};
template <typename T>
using ScalableTag = Simd<T>;
template <typename T>
struct Vec128 {
    __m128i raw;
};
// Masks are vectors with every bit of a true lane set.
template <typename T>
using Mask128 = Vec128<T>;
template <class D>
using Vec = Vec128<typename D::Lane>;
template <class D>
using Mask = Mask128<typename D::Lane>;

template <typename T>
constexpr std::size_t MaxLanes(Simd<T>)
{
    return 16 / sizeof(T);
}

TARVENNA_SSE2_INLINE Vec128<std::uint8_t> Set(Simd<std::uint8_t>, std::uint8_t x)
{
    return {_mm_set1_epi8(static_cast<char>(x))};
}
TARVENNA_SSE2_INLINE Vec128<std::uint16_t> Set(Simd<std::uint16_t>, std::uint16_t x)
{
    return {_mm_set1_epi16(static_cast<short>(x))};
}
TARVENNA_SSE2_INLINE Vec128<std::uint32_t> Set(Simd<std::uint32_t>, std::uint32_t x)
{
    return {_mm_set1_epi32(static_cast<int>(x))};
}
template <typename T>
TARVENNA_SSE2_INLINE Vec128<T> Zero(Simd<T>)
{
    return {_mm_setzero_si128()};
}
template <typename T>
TARVENNA_SSE2_INLINE Vec128<T> LoadU(Simd<T>, const T* p)
{
    return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))};
}
template <typename T>
TARVENNA_SSE2_INLINE Vec128<T> Load(Simd<T>, const T* p)
{
    return {_mm_load_si128(reinterpret_cast<const __m128i*>(p))};
}
template <typename T>
TARVENNA_SSE2_INLINE void StoreU(Vec128<T> v, Simd<T>, T* p)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v.raw);
}
template <typename T>
TARVENNA_SSE2_INLINE void Store(Vec128<T> v, Simd<T>, T* p)
{
    _mm_store_si128(reinterpret_cast<__m128i*>(p), v.raw);
}
template <typename T, typename U>
TARVENNA_SSE2_INLINE Vec128<T> BitCast(Simd<T>, Vec128<U> v)
{
    return {v.raw};
}

// Operations of one instruction on two vectors of T, giving R.
#define TARVENNA_SSE2_BINARY(R, name, T, instruction)                                                                  \
    TARVENNA_SSE2_INLINE R name(Vec128<T> a, Vec128<T> b) { return {instruction(a.raw, b.raw)}; }
TARVENNA_SSE2_BINARY(Vec128<std::uint8_t>, Add, std::uint8_t, _mm_add_epi8)
TARVENNA_SSE2_BINARY(Vec128<std::uint16_t>, Add, std::uint16_t, _mm_add_epi16)
TARVENNA_SSE2_BINARY(Vec128<std::uint32_t>, Add, std::uint32_t, _mm_add_epi32)
TARVENNA_SSE2_BINARY(Vec128<std::uint8_t>, Sub, std::uint8_t, _mm_sub_epi8)
TARVENNA_SSE2_BINARY(Vec128<std::uint16_t>, Sub, std::uint16_t, _mm_sub_epi16)
TARVENNA_SSE2_BINARY(Vec128<std::uint16_t>, Mul, std::uint16_t, _mm_mullo_epi16)
TARVENNA_SSE2_BINARY(Vec128<std::uint16_t>, MulHigh, std::uint16_t, _mm_mulhi_epu16)
TARVENNA_SSE2_BINARY(Vec128<std::uint8_t>, Min, std::uint8_t, _mm_min_epu8)
TARVENNA_SSE2_BINARY(Vec128<std::uint8_t>, SaturatedAdd, std::uint8_t, _mm_adds_epu8)
TARVENNA_SSE2_BINARY(Vec128<std::uint8_t>, SaturatedSub, std::uint8_t, _mm_subs_epu8)
TARVENNA_SSE2_BINARY(Mask128<std::uint8_t>, Eq, std::uint8_t, _mm_cmpeq_epi8)
#undef TARVENNA_SSE2_BINARY
template <typename T>
TARVENNA_SSE2_INLINE Vec128<T> And(Vec128<T> a, Vec128<T> b)
{
    return {_mm_and_si128(a.raw, b.raw)};
}
template <typename T>
TARVENNA_SSE2_INLINE Vec128<T> Or(Vec128<T> a, Vec128<T> b)
{
    return {_mm_or_si128(a.raw, b.raw)};
}
// The low halves of the products: SSE2 multiplies only the even lanes whole.
TARVENNA_SSE2_INLINE Vec128<std::uint32_t> Mul(Vec128<std::uint32_t> a, Vec128<std::uint32_t> b)
{
    const __m128i even = _mm_mul_epu32(a.raw, b.raw);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a.raw, 32), _mm_srli_epi64(b.raw, 32));
    return {_mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                               _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)))};
}
TARVENNA_SSE2_INLINE Vec128<std::uint16_t> ShiftRightSame(Vec128<std::uint16_t> v, int bits)
{
    return {_mm_srl_epi16(v.raw, _mm_cvtsi32_si128(bits))};
}

TARVENNA_SSE2_INLINE Mask128<std::uint8_t> TestBit(Vec128<std::uint8_t> v, Vec128<std::uint8_t> bit)
{
    return {_mm_cmpeq_epi8(_mm_and_si128(v.raw, bit.raw), bit.raw)};
}
// Highway's order: not a, and b.
template <typename T>
TARVENNA_SSE2_INLINE Mask128<T> AndNot(Mask128<T> notA, Mask128<T> b)
{
    return {_mm_andnot_si128(notA.raw, b.raw)};
}
template <typename T>
TARVENNA_SSE2_INLINE Vec128<T> IfThenElse(Mask128<T> mask, Vec128<T> yes, Vec128<T> no)
{
    return {_mm_or_si128(_mm_and_si128(mask.raw, yes.raw), _mm_andnot_si128(mask.raw, no.raw))};
}
template <typename T>
TARVENNA_SSE2_INLINE Vec128<T> VecFromMask(Simd<T>, Mask128<T> mask)
{
    return {mask.raw};
}
// Of vectors whose lanes are all ones or all zeros, as the kernels make them.
template <typename T>
TARVENNA_SSE2_INLINE Mask128<T> MaskFromVec(Vec128<T> v)
{
    return {v.raw};
}
TARVENNA_SSE2_INLINE std::size_t StoreMaskBits(Simd<std::uint8_t>, Mask128<std::uint8_t> mask, std::uint8_t* bits)
{
    const auto word = static_cast<std::uint16_t>(_mm_movemask_epi8(mask.raw));
    std::memcpy(bits, &word, sizeof word);
    return sizeof word;
}

// The odd 16-bit lanes of lo, then of hi.
TARVENNA_SSE2_INLINE Vec128<std::uint16_t> ConcatOdd(Simd<std::uint16_t>, Vec128<std::uint16_t> hi,
                                                     Vec128<std::uint16_t> lo)
{
    // A signed shift keeps 0x8000 from saturating in the signed pack.
    return {_mm_packs_epi32(_mm_srai_epi32(lo.raw, 16), _mm_srai_epi32(hi.raw, 16))};
}
// The even bytes of lo, then of hi.
TARVENNA_SSE2_INLINE Vec128<std::uint8_t> ConcatEven(Simd<std::uint8_t>, Vec128<std::uint8_t> hi,
                                                     Vec128<std::uint8_t> lo)
{
    const __m128i low = _mm_set1_epi16(0x00FF);
    return {_mm_packus_epi16(_mm_and_si128(lo.raw, low), _mm_and_si128(hi.raw, low))};
}

#undef TARVENNA_SSE2_INLINE

} // namespace hn

#define TARVENNA_LANES_WITHOUT_BYTE_SHUFFLES
#include "search/deal_lanes_blocks_inl.h"

} // namespace tarvenna::lanes::sse2

namespace tarvenna::lanes {
const Kernels& BaselineKernels() { return sse2::TargetKernels(); }
} // namespace tarvenna::lanes

#endif
