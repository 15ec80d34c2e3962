#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "output/file_system.h"

namespace tarvenna {

struct OutputFile {
    std::string name; // in the folder
    std::string content;
};

struct FileSetResult {
    bool failed = false;
    bool stopped = false;     // the wait for the folder was called off: nothing changed
    std::string subject;      // what failed: a name in the folder, or empty for the folder itself
    std::string reason;       // the system's words, or the writer's own for what it leaves alone
    std::size_t openFile = 0; // the file whose writing was under way (the last one during the commit)
    bool inCommit = false;    // every file was written; putting them in place failed
};

struct FileSetOptions {
    // Names whose files go in the same commit: no file in the folder may
    // describe another game than the set's.
    std::vector<std::string> removed;
    // Every set of names this writer commits (the files and the removed
    // together): a commit record may name one of them and nothing else, and
    // only their leftovers are cleaned up.
    std::vector<std::vector<std::string>> knownSets;
    LockWait wait;
    // Reports each file written but not yet in place.
    std::function<void(std::size_t)> onStaged;
};

// Writes `files` into `folder` so that they change together or not at all.
// Each is written to a temporary file beside its target and synced; only
// when all are on the disk are they renamed over their targets, under the
// folder's lock, so that runs into one folder take turns. The previous
// files keep a second name until the commit is through, and a commit record
// names the set, so that a failed commit, or the next run after a crash,
// puts them back. Nothing in the folder is trusted: a record the writer did
// not make, or a folder or special file at a target's name, is left as it
// is and the set is not written. Temporary files of runs that died are
// removed.
FileSetResult WriteFileSet(const std::filesystem::path& folder, const std::vector<OutputFile>& files, FileSystem& disk,
                           const FileSetOptions& options);

// What a run does first, before its long work: takes the folder's lock,
// undoes a commit that a crash cut short, removes leftovers, and checks that
// the set's names can be written.
FileSetResult PrepareFolder(const std::filesystem::path& folder, const std::vector<std::string>& names,
                            FileSystem& disk, const FileSetOptions& options);

// Names that only this writer makes: temporary files and the previous
// files' second names end in these, and the commit record is this file.
inline constexpr const char* kTemporarySuffix = ".tarvenna-tmp";
inline constexpr const char* kPreviousSuffix = ".tarvenna-old";
inline constexpr const char* kCommitRecordName = ".tarvenna-commit";

} // namespace tarvenna
