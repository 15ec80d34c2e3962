// The lane kernels for AVX2, SSE4 and WebAssembly SIMD128 (and whatever
// else the build targets by itself): Highway compiles the blocks of
// deal_lanes_blocks_inl.h once per target, and search/kernel_choice.cpp
// picks one set at run time. AVX-512 has kernels of its own, and the x86-64
// baseline is SSE2 (search/deal_lanes_sse2.cpp).

#include "search/deal_lanes.h"

#include <array>
#include <bit>
#include <cstring>
#include <type_traits>
#include <utility>

#include "core/rng.h"
#include "search/lane_divisors.h"

#ifndef HWY_DISABLED_TARGETS
#define HWY_DISABLED_TARGETS (HWY_AVX3 | HWY_AVX3_DL | HWY_SSSE3)
#endif
// Highway's own checks call into its library, which the search does not link.
#define HWY_IS_DEBUG_BUILD 0

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "search/deal_lanes_highway.cpp"
#include <hwy/foreach_target.h> // before highway.h
#include <hwy/highway.h>

// Highway's fallback for any processor works lane by lane in plain C++.
#define TARVENNA_LANES_TARGET (HWY_TARGET != HWY_EMU128 && HWY_TARGET != HWY_SCALAR)

HWY_BEFORE_NAMESPACE();
namespace tarvenna::lanes::HWY_NAMESPACE {
#if TARVENNA_LANES_TARGET
namespace hn = hwy::HWY_NAMESPACE;
#include "search/deal_lanes_blocks_inl.h"
#endif
} // namespace tarvenna::lanes::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tarvenna::lanes {

#if HWY_TARGETS & HWY_AVX2
const Kernels* Avx2Kernels() { return &N_AVX2::TargetKernels(); }
#else
const Kernels* Avx2Kernels() { return nullptr; }
#endif
#if HWY_TARGETS & HWY_SSE4
const Kernels* Sse4Kernels() { return &N_SSE4::TargetKernels(); }
#else
const Kernels* Sse4Kernels() { return nullptr; }
#endif
#if !defined(__x86_64__)
// What the build targets anyway: WebAssembly's SIMD128 in the browser.
const Kernels& BaselineKernels() { return HWY_STATIC_DISPATCH(TargetKernels)(); }
#endif

} // namespace tarvenna::lanes
#endif
