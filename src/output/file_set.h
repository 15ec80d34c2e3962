#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "output/file_system.h"

namespace tarvenna {

struct OutputFile {
    std::string name;    // in the folder
    std::string content;
};

struct FileSetResult {
    bool failed = false;
    std::size_t failedFile = 0; // the file being written or committed when it failed
    std::string reason;         // the system's words
    bool inCommit = false;      // every file was written; putting them in place failed
};

// Writes `files` into `folder` so that they change together or not at all.
// Each is written to a temporary file beside its target and synced; only
// when all are on the disk are they renamed over their targets, under the
// folder's lock, so that runs into one folder take turns. A commit record
// holding the previous contents lets a failed commit, or the next run after
// a crash, put the previous files back. Temporary files of runs that died
// are removed. `onStaged(i)` reports each file written but not yet in place.
FileSetResult WriteFileSet(const std::filesystem::path& folder, const std::vector<OutputFile>& files,
                           FileSystem& disk, const std::function<void(std::size_t)>& onStaged = {});

// Takes the folder's lock and does what a run does first: undoes a commit
// that a crash cut short and removes abandoned temporary files.
std::error_code RecoverFolder(const std::filesystem::path& folder, FileSystem& disk);

// Names that only this writer makes: temporary files end in this, and the
// commit record is this file.
inline constexpr const char* kTemporarySuffix = ".tarvenna-tmp";
inline constexpr const char* kCommitRecordName = ".tarvenna-commit";

} // namespace tarvenna
