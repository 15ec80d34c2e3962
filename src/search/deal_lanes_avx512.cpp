#include "search/deal_lanes.h"

#if defined(__x86_64__) && defined(__GNUC__)

#include <immintrin.h>

// The byte permutes leave their unused operand undefined on purpose.
#pragma GCC diagnostic ignored "-Wuninitialized"
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <algorithm>
#include <bit>
#include <type_traits>
#include <utility>

#include "core/rng.h"
#include "search/lane_divisors.h"

#define TARVENNA_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,avx512vbmi2,avx512bitalg,bmi,bmi2,popcnt")))
#define TARVENNA_AVX512_INLINE TARVENNA_AVX512 __attribute__((always_inline)) inline

namespace tarvenna::lanes {
namespace {

constexpr std::size_t kQuarters = kLanes / 16;

// Word and byte gathers that keep the lane order: lanes 0..31 from the first
// source, 32..63 from the second.
alignas(64) constexpr std::array<std::uint16_t, 32> kHighWords = [] {
    std::array<std::uint16_t, 32> index{};
    for (std::uint16_t j = 0; j < 32; ++j) index[j] = static_cast<std::uint16_t>(2 * j + 1);
    return index;
}();
alignas(64) constexpr std::array<std::uint8_t, 64> kLowBytes = [] {
    std::array<std::uint8_t, 64> index{};
    for (std::uint8_t j = 0; j < 64; ++j) index[j] = static_cast<std::uint8_t>(2 * j);
    return index;
}();

// Four vectors of sixteen 32-bit generator states, lanes 0..63 in order.
struct States {
    __m512i q[kQuarters];
};

TARVENNA_AVX512_INLINE States LoadStates(const std::uint32_t* states)
{
    States s;
    for (std::size_t i = 0; i < kQuarters; ++i) s.q[i] = _mm512_loadu_si512(states + 16 * i);
    return s;
}

// The divisors' constants with each 16-bit value twice in a 32-bit word: a
// draw then broadcasts them with plain 32-bit loads, not a register
// transfer and a shuffle each (about 2 % of a proof on AMD's AVX-512).
struct PairedDivisors {
    std::array<std::uint32_t, kMaxDealDivisor + 1> multiplier{}, divisor{}, shift{};
    constexpr PairedDivisors()
    {
        for (std::uint32_t n = 0; n <= kMaxDealDivisor; ++n) {
            multiplier[n] = kDealDivisors16.multiplier[n] * 0x10001u;
            divisor[n] = n * 0x10001u;
            shift[n] = kDealDivisors16.shift[n];
        }
    }
};
constexpr PairedDivisors kPaired{};

// rand() % n in 16-bit lanes.
TARVENNA_AVX512_INLINE __m512i Remainders(__m512i x, std::uint32_t n)
{
    const __m512i multiplier = _mm512_set1_epi32(static_cast<int>(kPaired.multiplier[n]));
    const __m128i shift = _mm_loadu_si32(&kPaired.shift[n]);
    const __m512i quotient = _mm512_srl_epi16(_mm512_mulhi_epu16(x, multiplier), shift);
    return _mm512_sub_epi16(x, _mm512_mullo_epi16(quotient, _mm512_set1_epi32(static_cast<int>(kPaired.divisor[n]))));
}

// The pool indices rand() % n of rand() values in 16-bit lanes: lanes 0..31
// in `x01`, 32..63 in `x23`.
TARVENNA_AVX512_INLINE __m512i IndicesOf(__m512i x01, __m512i x23, std::uint32_t n)
{
    return _mm512_permutex2var_epi8(Remainders(x01, n), _mm512_load_si512(kLowBytes.data()), Remainders(x23, n));
}

// The pool index every lane draws: rand() % (180 - draw).
TARVENNA_AVX512_INLINE __m512i NextIndices(States& s, std::uint32_t draw)
{
    const __m512i multiplier = _mm512_set1_epi32(static_cast<int>(Rng::kMultiplier));
    const __m512i increment = _mm512_set1_epi32(static_cast<int>(Rng::kIncrement));
    for (__m512i& q : s.q) q = _mm512_add_epi32(_mm512_mullo_epi32(q, multiplier), increment);
    const std::uint32_t n = kDraws - draw;
    if (n == 1) return _mm512_setzero_si512();
    const __m512i highWords = _mm512_load_si512(kHighWords.data());
    const __m512i low15 = _mm512_set1_epi16(0x7FFF);
    const __m512i x01 = _mm512_and_si512(_mm512_permutex2var_epi16(s.q[0], highWords, s.q[1]), low15);
    const __m512i x23 = _mm512_and_si512(_mm512_permutex2var_epi16(s.q[2], highWords, s.q[3]), low15);
    return IndicesOf(x01, x23, n);
}

// Generator states whose low 16 bits are the same in every lane: a draw is
// one 16-bit multiply and add a lane (Rng::Jump::StepLowHalf).
struct SharedLow {
    __m512i high[2]; // lanes 0..31, 32..63
    std::uint32_t low;
};

TARVENNA_AVX512_INLINE SharedLow LoadSharedLow(const std::uint32_t* states)
{
    const States s = LoadStates(states);
    const __m512i highWords = _mm512_load_si512(kHighWords.data());
    return {{_mm512_permutex2var_epi16(s.q[0], highWords, s.q[1]), _mm512_permutex2var_epi16(s.q[2], highWords, s.q[3])},
            states[0] & 0xFFFFu};
}

TARVENNA_AVX512_INLINE void Load(const std::uint32_t* states, SharedLow& s) { s = LoadSharedLow(states); }
TARVENNA_AVX512_INLINE void Load(const std::uint32_t* states, States& s) { s = LoadStates(states); }

TARVENNA_AVX512_INLINE States Words(const SharedLow& s)
{
    States words;
    const __m512i low = _mm512_set1_epi32(static_cast<int>(s.low));
    for (std::size_t i = 0; i < kQuarters; ++i) {
        const __m256i half = i % 2 == 0 ? _mm512_castsi512_si256(s.high[i / 2]) : _mm512_extracti64x4_epi64(s.high[i / 2], 1);
        words.q[i] = _mm512_or_si512(_mm512_slli_epi32(_mm512_cvtepu16_epi32(half), 16), low);
    }
    return words;
}
TARVENNA_AVX512_INLINE const States& Words(const States& s) { return s; }

TARVENNA_AVX512_INLINE __m512i NextIndices(SharedLow& s, std::uint32_t draw)
{
    constexpr Rng::Jump kDraw = Rng::JumpOf(1);
    const __m512i carry = _mm512_set1_epi16(static_cast<short>(kDraw.StepLowHalf(s.low)));
    const __m512i multiplier = _mm512_set1_epi16(static_cast<short>(kDraw.HighMultiplier()));
    for (__m512i& h : s.high) h = _mm512_add_epi16(_mm512_mullo_epi16(h, multiplier), carry);
    const std::uint32_t n = kDraws - draw;
    if (n == 1) return _mm512_setzero_si512();
    const __m512i low15 = _mm512_set1_epi16(0x7FFF);
    return IndicesOf(_mm512_and_si512(s.high[0], low15), _mm512_and_si512(s.high[1], low15), n);
}

TARVENNA_AVX512_INLINE void Follow(__m512i& position, __m512i drawn)
{
    const __mmask64 landed = _mm512_cmpeq_epi8_mask(drawn, position);
    const __mmask64 below = _mm512_cmplt_epu8_mask(drawn, position);
    position = _mm512_mask_sub_epi8(position, below, position, _mm512_set1_epi8(1));
    position = _mm512_mask_mov_epi8(position, landed, _mm512_set1_epi8(-1));
}

// Appends the lanes of `alive` to `out`, in lane order.
TARVENNA_AVX512_INLINE void AppendWords(std::uint32_t* out, __mmask64 alive, const States& words)
{
    for (std::size_t i = 0; i < kQuarters; ++i) {
        const auto mask = static_cast<__mmask16>(alive >> (16 * i));
        _mm512_storeu_si512(out, _mm512_maskz_compress_epi32(mask, words.q[i]));
        out += std::popcount(static_cast<unsigned>(mask));
    }
}

// The counting tracker: t -= min(t - 2r saturated at 0, 2).
TARVENNA_AVX512_INLINE void Count(__m512i& tracker, __m512i doubledDraw)
{
    tracker = _mm512_sub_epi8(tracker, _mm512_min_epu8(_mm512_subs_epu8(tracker, doubledDraw), _mm512_set1_epi8(2)));
}

template <bool Shared, std::size_t Width, std::size_t FromBelow>
TARVENNA_AVX512 void RunSegment(const StagedPass&, const Segment& segment, const LaneQueue& in,
                                std::size_t from, std::uint64_t live, LaneQueue& out,
                                const std::array<std::uint8_t, kGroup>* restart)
{
    std::conditional_t<Shared, SharedLow, States> state;
    Load(in.state.data() + from, state);
    __m512i tracker[Width];
    std::uint64_t inPoolBefore[Width];
#pragma GCC unroll 8
    for (std::size_t g = 0; g < Width; ++g) {
        tracker[g] = _mm512_loadu_si512(in.tracker[g].data() + from);
        inPoolBefore[g] = _mm512_test_epi8_mask(tracker[g], _mm512_set1_epi8(1));
    }
    // The draws run a few ahead of the counting: the generator's chain of
    // multiplies then overlaps the counting of earlier draws.
    constexpr std::uint32_t kAhead = 4;
    __m512i drawn[kLanes];
    const std::uint32_t length = segment.end - segment.first;
    for (std::uint32_t i = 0; i < std::min(kAhead, length); ++i) drawn[i] = NextIndices(state, segment.first + i);
    // What landing in the current run means, kept from the run where an
    // item leaves the pool.
    __m512i meaning[Width];
#pragma GCC unroll 8
    for (std::size_t g = 0; g < Width; ++g) meaning[g] = _mm512_set1_epi8(static_cast<char>(segment.needs[0][g]));
    for (std::uint32_t i = 0, run = 0; i < length; ++i) {
        if (i + kAhead < length) drawn[i + kAhead] = NextIndices(state, segment.first + i + kAhead);
        const __m512i below = _mm512_adds_epu8(drawn[i], drawn[i]);
        __m512i above = below;
        if constexpr (FromBelow < Width) {
            const __m512i mirrored =
                _mm512_sub_epi8(_mm512_set1_epi8(static_cast<char>(kDraws - 1 - segment.first - i)), drawn[i]);
            above = _mm512_adds_epu8(mirrored, mirrored);
        }
#pragma GCC unroll 8
        for (std::size_t g = 0; g < Width; ++g) Count(tracker[g], g < FromBelow ? below : above);
        if (((segment.runEnds >> i) & 1u) == 0 || i + 1 == length) continue;
        ++run;
#pragma GCC unroll 8
        for (std::size_t g = 0; g < Width; ++g) {
            const __mmask64 inPool = _mm512_test_epi8_mask(tracker[g], _mm512_set1_epi8(1));
            meaning[g] = _mm512_mask_mov_epi8(meaning[g], inPool, _mm512_set1_epi8(static_cast<char>(segment.needs[run][g])));
        }
    }
    __m512i needs[Width];
#pragma GCC unroll 8
    for (std::size_t g = 0; g < Width; ++g) {
        const __mmask64 landed = inPoolBefore[g] & ~_mm512_test_epi8_mask(tracker[g], _mm512_set1_epi8(1));
        const __m512i before = _mm512_loadu_si512(in.needs[g].data() + from);
        needs[g] = _mm512_mask_mov_epi8(before, landed, _mm512_or_si512(before, meaning[g]));
    }

    __mmask64 dead = 0;
#pragma GCC unroll 8
    for (std::size_t g = 0; g < Width; ++g)
        dead |= _mm512_test_epi8_mask(needs[g], _mm512_set1_epi8(static_cast<char>(1u << g)));
    for (const auto& [g, h] : segment.pairs) {
        dead |= _mm512_test_epi8_mask(needs[g], _mm512_set1_epi8(static_cast<char>(1u << h))) &
                _mm512_test_epi8_mask(needs[h], _mm512_set1_epi8(static_cast<char>(1u << g)));
    }
    const __mmask64 alive = live & ~dead;

    const std::size_t at = out.count;
    // A restart sets every tracker the next pass may have; otherwise the
    // next segment is of this pass.
    if (restart) {
#pragma GCC unroll 8
        for (std::size_t g = 0; g < kGroup; ++g) {
            _mm512_storeu_si512(out.tracker[g].data() + at, _mm512_set1_epi8(static_cast<char>((*restart)[g])));
            _mm512_storeu_si512(out.needs[g].data() + at, _mm512_setzero_si512());
        }
    } else {
#pragma GCC unroll 8
        for (std::size_t g = 0; g < Width; ++g) {
            _mm512_storeu_si512(out.tracker[g].data() + at, _mm512_maskz_compress_epi8(alive, tracker[g]));
            _mm512_storeu_si512(out.needs[g].data() + at, _mm512_maskz_compress_epi8(alive, needs[g]));
        }
    }
    const States dealStart = LoadStates(in.dealStart.data() + from);
    AppendWords(out.state.data() + at, alive, restart ? dealStart : Words(state));
    AppendWords(out.dealStart.data() + at, alive, dealStart);
    AppendWords(out.deal.data() + at, alive, LoadStates(in.deal.data() + from));
    out.count = at + static_cast<std::size_t>(std::popcount(alive));
}

using SegmentRun = void (*)(const StagedPass&, const Segment&, const LaneQueue&, std::size_t, std::uint64_t,
                            LaneQueue&, const std::array<std::uint8_t, kGroup>*);

template <bool Shared, std::size_t Width, std::size_t... FromBelow>
constexpr std::array<SegmentRun, Width + 1> SegmentRuns(std::index_sequence<FromBelow...>)
{
    return {&RunSegment<Shared, Width, FromBelow>...};
}

template <bool Shared>
TARVENNA_AVX512 void RunAnySegment(const StagedPass& pass, const Segment& segment, const LaneQueue& in,
                                   std::size_t from, std::uint64_t live, LaneQueue& out,
                                   const std::array<std::uint8_t, kGroup>* restart)
{
    static constexpr auto kNarrow = SegmentRuns<Shared, kNarrowGroup>(std::make_index_sequence<kNarrowGroup + 1>{});
    static constexpr auto kWide = SegmentRuns<Shared, kGroup>(std::make_index_sequence<kGroup + 1>{});
    const SegmentRun run = pass.width == kNarrowGroup ? kNarrow[pass.fromBelow] : kWide[pass.fromBelow];
    run(pass, segment, in, from, live, out, restart);
}

// table[slot] for slots below 192.
TARVENNA_AVX512_INLINE __m512i LookUp(const std::uint8_t* table, __m512i slot)
{
    const __m512i low = _mm512_permutex2var_epi8(_mm512_loadu_si512(table), slot, _mm512_loadu_si512(table + 64));
    const __m512i high = _mm512_permutexvar_epi8(slot, _mm512_loadu_si512(table + 128));
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(slot), low, high);
}

TARVENNA_AVX512_INLINE void DrawAll(const std::uint32_t* dealStart, __m512i* drawn)
{
    States state = LoadStates(dealStart);
    for (std::uint32_t draw = 0; draw < kDraws; ++draw) drawn[draw] = NextIndices(state, draw);
}

// Slots of the followed items [first, end) at the end of the deals.
TARVENNA_AVX512_INLINE void FollowGroups(const FullPass& pass, const __m512i* drawn, std::size_t first, std::size_t end,
                                         Landings& landings)
{
    for (; first < end; first += kGroup) {
        __m512i position[kGroup];
#pragma GCC unroll 8
        for (std::size_t g = 0; g < kGroup; ++g) position[g] = _mm512_set1_epi8(static_cast<char>(pass.item[first + g]));
        for (std::uint32_t draw = 0; draw < kDraws; ++draw) {
#pragma GCC unroll 8
            for (std::size_t g = 0; g < kGroup; ++g) Follow(position[g], drawn[draw]);
        }
        // Parked at 255 after slot s, an item reads 255 - (179 - s) = s + 76 at the end.
#pragma GCC unroll 8
        for (std::size_t g = 0; g < kGroup; ++g)
            _mm512_storeu_si512(landings[first + g].data(), _mm512_sub_epi8(position[g], _mm512_set1_epi8(76)));
    }
}

// Lanes where one of the first `count` items lands where it rejects, or a
// pair among the first `waiters` waiters waits for each other.
TARVENNA_AVX512_INLINE __mmask64 Rejected(const FullPass& pass, const Landings& landings, std::size_t count,
                                          std::size_t waiters, const std::vector<std::array<std::uint8_t, 2>>& pairs,
                                          WaitBytes& waits)
{
    __mmask64 dead = 0;
    for (std::size_t t = 0; t < count; ++t) {
        const __m512i verdict = LookUp(pass.rejects[t].data(), _mm512_loadu_si512(landings[t].data()));
        dead |= _mm512_test_epi8_mask(verdict, verdict);
    }
    const std::size_t groups = std::min(pass.waitTables.size(), (waiters + kGroup - 1) / kGroup);
    for (std::size_t w = 0; w < waiters; ++w) {
        const __m512i slot = _mm512_loadu_si512(landings[pass.waiters[w]].data());
        for (std::size_t group = 0; group < groups; ++group)
            _mm512_storeu_si512(waits[w][group].data(), LookUp(pass.waitTables[group].data(), slot));
    }
    for (const auto& [w, v] : pairs) {
        const __m512i waitsForV = _mm512_loadu_si512(waits[w][v / kGroup].data());
        const __m512i waitsForW = _mm512_loadu_si512(waits[v][w / kGroup].data());
        dead |= _mm512_test_epi8_mask(waitsForV, _mm512_set1_epi8(static_cast<char>(1u << (v % kGroup)))) &
                _mm512_test_epi8_mask(waitsForW, _mm512_set1_epi8(static_cast<char>(1u << (w % kGroup))));
    }
    return dead;
}

TARVENNA_AVX512 void LandLead(const FullPass& pass, const LaneQueue& in, std::size_t from, std::uint64_t live,
                              LaneQueue& out)
{
    __m512i drawn[kDraws];
    DrawAll(in.dealStart.data() + from, drawn);
    Landings landings;
    FollowGroups(pass, drawn, 0, pass.lead, landings);
    WaitBytes waits;
    const __mmask64 alive = live & ~Rejected(pass, landings, pass.lead, pass.leadWaiters, pass.leadPairs, waits);
    const std::size_t at = out.count;
#pragma GCC unroll 8
    for (std::size_t g = 0; g < kGroup; ++g) {
        _mm512_storeu_si512(out.tracker[g].data() + at,
                            _mm512_maskz_compress_epi8(alive, _mm512_loadu_si512(landings[g].data())));
        _mm512_storeu_si512(out.needs[g].data() + at,
                            _mm512_maskz_compress_epi8(alive, _mm512_loadu_si512(landings[kGroup + g].data())));
    }
    const States dealStart = LoadStates(in.dealStart.data() + from);
    AppendWords(out.state.data() + at, alive, dealStart);
    AppendWords(out.dealStart.data() + at, alive, dealStart);
    AppendWords(out.deal.data() + at, alive, LoadStates(in.deal.data() + from));
    out.count = at + static_cast<std::size_t>(std::popcount(alive));
}

TARVENNA_AVX512 std::uint64_t LandAll(const FullPass& pass, const LaneQueue& in, std::size_t from, Landings& landings,
                                      WaitBytes& waits)
{
    __m512i drawn[kDraws];
    DrawAll(in.dealStart.data() + from, drawn);
    if (pass.lead > 0) {
#pragma GCC unroll 8
        for (std::size_t g = 0; g < kGroup; ++g) {
            _mm512_storeu_si512(landings[g].data(), _mm512_loadu_si512(in.tracker[g].data() + from));
            _mm512_storeu_si512(landings[kGroup + g].data(), _mm512_loadu_si512(in.needs[g].data() + from));
        }
    }
    FollowGroups(pass, drawn, pass.lead, pass.count, landings);
    for (const auto& [pinned, own] : pass.pins) {
        const __m512i slot = _mm512_set1_epi8(static_cast<char>(pinned));
        const __m512i ownLanding = _mm512_loadu_si512(landings[own].data());
        for (std::size_t t = 0; t < pass.count; ++t) {
            const __mmask64 there = _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(landings[t].data()), slot);
            _mm512_mask_storeu_epi8(landings[t].data(), there, ownLanding);
        }
        _mm512_storeu_si512(landings[own].data(), slot);
    }
    return Rejected(pass, landings, pass.count, pass.waiters.size(), pass.waitPairs, waits);
}

// The pool as a set of item bits: the draw takes the k-th item left, which
// a bit deposit finds without moving the others.
TARVENNA_AVX512 void DealWhole(std::uint32_t dealStart, std::array<std::uint8_t, kDraws>& itemOfSlot)
{
    std::array<std::uint64_t, 3> left{~std::uint64_t{0}, ~std::uint64_t{0}, (std::uint64_t{1} << (kDraws - 128)) - 1};
    std::uint32_t inFirst = 64;  // items left in word 0
    std::uint32_t inSecond = 64; // and in word 1
    Rng rng(dealStart);
    for (std::uint32_t slot = 0; slot < kDraws; ++slot) {
        std::uint32_t k = kDealDivisors.Remainder(static_cast<std::uint32_t>(rng.Next()), kDraws - slot);
        // Masks, not branches: the word is as random as the draw.
        const std::uint32_t pastFirst = 0u - static_cast<std::uint32_t>(k >= inFirst);
        k -= inFirst & pastFirst;
        const std::uint32_t pastSecond = pastFirst & (0u - static_cast<std::uint32_t>(k >= inSecond));
        k -= inSecond & pastSecond;
        const std::uint32_t word = (pastFirst & 1u) + (pastSecond & 1u);
        const std::uint64_t bit = _pdep_u64(std::uint64_t{1} << k, left[word]);
        left[word] ^= bit;
        inFirst -= ~pastFirst & 1u;
        inSecond -= pastFirst & ~pastSecond & 1u;
        itemOfSlot[slot] = static_cast<std::uint8_t>(64 * word + static_cast<std::uint32_t>(std::countr_zero(bit)));
    }
}

TARVENNA_AVX512 Openable OpenAllByBitShuffles(const std::vector<ClauseBlock>& blocks, const RuleOfItem& ruleOf,
                                              std::uint64_t items)
{
    const __m512i rules = _mm512_loadu_si512(ruleOf.data());
    Openable result{1, 0};
    for (;;) {
        // Bit j: bit ruleOf[j] of the open rules.
        result.reached = _mm512_bitshuffle_epi64_mask(_mm512_set1_epi64(static_cast<long long>(result.rules)), rules) & items;
        const __m512i missing = _mm512_set1_epi64(static_cast<long long>(~result.reached));
        __m512i opened = _mm512_setzero_si512();
        for (const ClauseBlock& block : blocks) {
            const __mmask8 holds = _mm512_testn_epi64_mask(_mm512_load_si512(block.items.data()), missing);
            opened = _mm512_mask_or_epi64(opened, holds, opened, _mm512_load_si512(block.rules.data()));
        }
        const std::uint64_t more = static_cast<std::uint64_t>(_mm512_reduce_or_epi64(opened)) & ~result.rules;
        if (more == 0) return result;
        result.rules |= more;
    }
}

} // namespace

const Kernels* Avx512Kernels()
{
    static const Kernels kernels{&RunAnySegment<false>, &RunAnySegment<true>, &LandLead, &LandAll, &DealWhole, &OpenAllByBitShuffles};
    return &kernels;
}

} // namespace tarvenna::lanes

#else

namespace tarvenna::lanes {
const Kernels* Avx512Kernels() { return nullptr; }
} // namespace tarvenna::lanes

#endif
