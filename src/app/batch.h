#pragma once

#include <cstdint>
#include <filesystem>

#include "core/generator_state.h"
#include "core/settings.h"

namespace tarvenna {

struct BatchOptions {
    Settings settings;
    std::uint32_t firstSeed = 0;
    std::uint32_t count = 0;
    std::filesystem::path folder;  // each seed into folder/<seed>/, and folder/summary.csv
    unsigned threads = 1;
    bool spoiler = false;
    const StopFlag* stop = nullptr;
};

// Generates the seeds in order with a progress line on standard error. A
// row is added to the summary after every seed, so that an interrupted batch
// keeps the seeds it finished and lists them, and a later batch into the
// same folder adds to it. Returns the command's exit status.
int RunBatch(const BatchOptions& options);

} // namespace tarvenna
