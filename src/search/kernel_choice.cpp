#include "search/kernel_choice.h"

#include <cstdlib>
#include <vector>

#include "search/deal_lanes.h"

namespace tarvenna::lanes {

std::span<const KernelSet> KernelSets()
{
    static const std::vector<KernelSet> sets = [] {
#if defined(__x86_64__) && defined(__GNUC__)
        // The sets need what their compiler targets allow it to emit.
        const bool avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi") &&
                            __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("avx512bitalg") &&
                            __builtin_cpu_supports("bmi2");
        const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                          __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("fma");
        const bool sse4 =
            __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("sse4.1") && __builtin_cpu_supports("sse4.2");
        return std::vector<KernelSet>{
            {"avx512", "AVX-512 with VBMI, VBMI2 and BITALG, and BMI2", avx512 ? Avx512Kernels() : nullptr},
            {"avx2", "AVX2, FMA, BMI1 and BMI2 (x86-64-v3)", avx2 ? Avx2Kernels() : nullptr},
            {"sse4", "SSSE3, SSE4.1 and SSE4.2 (x86-64-v2)", sse4 ? Sse4Kernels() : nullptr},
            {"baseline", "SSE2", &BaselineKernels()},
        };
#elif defined(__EMSCRIPTEN__)
        return std::vector<KernelSet>{{"simd128", "WebAssembly SIMD128", &BaselineKernels()}};
#else
        return std::vector<KernelSet>{{"baseline", "the processor the build is for", &BaselineKernels()}};
#endif
    }();
    return sets;
}

KernelChoice ChooseKernels(std::span<const KernelSet> sets, std::string_view forced)
{
    std::string runs;
    std::string has;
    for (const KernelSet& set : sets) {
        has += (has.empty() ? "" : ", ") + std::string(set.name);
        if (set.kernels) runs += (runs.empty() ? "" : ", ") + std::string(set.name);
    }
    for (const KernelSet& set : sets) {
        if (forced.empty() && set.kernels) return {&set, {}};
        if (set.name != forced) continue;
        if (set.kernels) return {&set, {}};
        return {nullptr, "TARVENNA_KERNELS=" + std::string(forced) + ": this processor lacks " +
                             std::string(set.needs) + " (it runs " + runs + ")"};
    }
    return {nullptr, "TARVENNA_KERNELS=" + std::string(forced) + ": no such kernel set (this build has " + has + ")"};
}

const KernelChoice& ProcessKernels()
{
    static const KernelChoice choice = [] {
        const char* forced = std::getenv("TARVENNA_KERNELS");
        return ChooseKernels(KernelSets(), forced ? forced : "");
    }();
    return choice;
}

const Kernels& ChosenKernels()
{
    if (const KernelSet* set = ProcessKernels().set) return *set->kernels;
    return *ChooseKernels(KernelSets(), "").set->kernels;
}

} // namespace tarvenna::lanes
