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

// "SpoilerJillNormal.json" and its siblings: written on request, and
// otherwise removed with the pair, so that no file describes another game.
std::string SpoilerFileName(const Settings& settings);

// The names a run with these settings commits together: the item list, the
// cheat sheet and the spoiler.
std::vector<std::string> OutputFileNames(const Settings& settings);

struct OutputResult {
    bool failed = false;
    bool stopped = false;           // the wait for the folder was called off; nothing was written
    std::string error;              // the first failure: path and the reason
    std::vector<std::string> names; // of the files written, in order; none after a failure
};

// Writes the item list file and the cheat sheet (and `extraFiles` after
// them) into `directory` as one set: all change, or none does. A spoiler
// that is not among them is removed in the same commit. Each status line
// ends with "done!\n"; the log ends in "failed: <reason>\n" when the set
// could not be written.
OutputResult WriteOutputFiles(const Settings& settings, const GeneratorState& state, StatusLog& statusLog,
                              const std::filesystem::path& directory, FileSystem& disk = RealFileSystem(),
                              const std::vector<OutputFile>& extraFiles = {}, const LockWait& wait = {});

// Whether the files of these settings can be written into `directory`,
// checked before a run's long work (see PrepareFolder). On failure the
// status log gets "failed: <reason>\n".
OutputResult CheckOutputFolder(const Settings& settings, StatusLog& statusLog, const std::filesystem::path& directory,
                               FileSystem& disk = RealFileSystem(), const LockWait& wait = {});

// The spoiler of a game read from a file (see --verify), written by itself.
OutputResult WriteSpoilerAlone(const Settings& settings, const std::string& content,
                               const std::filesystem::path& directory, FileSystem& disk = RealFileSystem());

} // namespace tarvenna
