#pragma once

#include <filesystem>
#include <string>

#include "core/generator_state.h"
#include "core/settings.h"
#include "core/status_log.h"

namespace tarvenna {

struct OutputResult {
    bool failed = false;
    std::string error; // the first failure: file name and the system's reason
};

// Writes the item list file, then the cheat sheet, into `directory`. Each
// status line ends with "done!\n", or "failed: <reason>\n" when that file
// could not be written; a failed file leaves any previous file untouched.
OutputResult WriteOutputFiles(const Settings& settings, const GeneratorState& state, StatusLog& statusLog,
                              const std::filesystem::path& directory);

} // namespace tarvenna
