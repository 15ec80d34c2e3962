#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/generator_state.h"
#include "core/settings.h"
#include "core/status_log.h"
#include "output/file_set.h"
#include "output/file_system.h"

namespace tarvenna {

struct OutputResult {
    bool failed = false;
    std::string error;              // the first failure: file name and the system's reason
    std::vector<std::string> names; // of the files written, in order; none after a failure
};

// Writes the item list file and the cheat sheet (and `extraFiles` after
// them) into `directory` as one set: all change, or none does. Each status
// line ends with "done!\n"; the log ends in "failed: <reason>\n" when the
// set could not be written.
OutputResult WriteOutputFiles(const Settings& settings, const GeneratorState& state, StatusLog& statusLog,
                              const std::filesystem::path& directory, FileSystem& disk = RealFileSystem(),
                              const std::vector<OutputFile>& extraFiles = {});

} // namespace tarvenna
