#pragma once

// How the search picks its lane kernels for the processor: once per process,
// through a table of function pointers (no ifunc, so that Windows and the
// browser choose the same way), the widest set the processor runs unless
// TARVENNA_KERNELS names another.

#include <span>
#include <string>
#include <string_view>

namespace tarvenna::lanes {

struct Kernels;

struct KernelSet {
    std::string_view name;  // as TARVENNA_KERNELS names it
    std::string_view needs; // what the processor must have, in words for people
    const Kernels* kernels; // null where this processor lacks it
};

// Every set of this build, widest first: avx512, avx2, sse4 and baseline on
// x86-64, simd128 in the browser.
std::span<const KernelSet> KernelSets();

struct KernelChoice {
    const KernelSet* set = nullptr; // null: refused
    std::string refusal;            // why, in one line
};
// The set of `sets` that `forced` names, or the widest the processor runs
// when `forced` is empty.
KernelChoice ChooseKernels(std::span<const KernelSet> sets, std::string_view forced);

// This process's choice, from TARVENNA_KERNELS; the front ends refuse to run
// when it is refused.
const KernelChoice& ProcessKernels();
// The kernels of that choice, or the widest the processor runs if it was refused.
const Kernels& ChosenKernels();

} // namespace tarvenna::lanes
