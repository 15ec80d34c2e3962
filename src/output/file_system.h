#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

#include "core/generator_state.h"

namespace tarvenna {

// What stands at a name, seen without following a link.
enum class EntryKind { Absent, File, Link, Folder, Other };

// Why the writer leaves something in the folder alone: names it finds there
// are untrusted, and these are its own words for them on every platform.
enum class ForeignEntry {
    Link = 1, // a symbolic link (or other reparse point) where a file was expected
    Folder,   // a folder where a file was expected
    Special,  // a named pipe, a device or a socket
    TooLarge, // larger than anything the writer makes
    Busy,     // another run holds it
};
const std::error_category& ForeignEntryCategory();
std::error_code make_error_code(ForeignEntry entry);
// The refusal for finding `kind` where a regular file was expected.
std::error_code NotAFile(EntryKind kind);

// How a run waits for a folder that another run holds.
struct LockWait {
    const StopFlag* stop = nullptr;  // ends the wait: the lock call then fails with operation_canceled
    std::function<void()> onWaiting; // once the wait has lasted a second
};

// The file operations that writing the output needs, behind one seam: each
// platform's own calls stay in one place, and tests can fail any of them.
// Nothing here opens a file through a link or opens a special file.
class FileSystem {
public:
    using Handle = std::intptr_t;

    virtual ~FileSystem() = default;

    // Creates a file that must not exist yet, for writing, and holds it
    // until it is closed: meanwhile no other process takes it for abandoned.
    virtual std::error_code CreateNew(const std::filesystem::path& path, Handle& handle) = 0;
    // Writes some of `data`; `written` says how much.
    virtual std::error_code Write(Handle handle, std::string_view data, std::size_t& written) = 0;
    // Returns once the file's bytes are on the disk.
    virtual std::error_code Sync(Handle handle) = 0;
    virtual std::error_code Close(Handle handle) = 0;
    // Renames `from` to `to`, replacing `to` if it exists, in one step.
    virtual std::error_code Replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Removes a name; a link goes, never what it points at.
    virtual std::error_code Remove(const std::filesystem::path& path) = 0;
    // Returns once the folder's entries (names made, renamed, removed) are on the disk.
    virtual std::error_code SyncFolder(const std::filesystem::path& folder) = 0;
    // Gives the entry at `existing` (a link itself, not what it points at) a
    // second name; operation_not_supported where the file system has none.
    virtual std::error_code Link(const std::filesystem::path& existing, const std::filesystem::path& link) = 0;
    virtual std::error_code Inspect(const std::filesystem::path& path, EntryKind& kind) = 0;
    // The whole of a regular file of at most `limit` bytes.
    virtual std::error_code ReadSmall(const std::filesystem::path& path, std::size_t limit, std::string& content) = 0;
    // Removes a regular file that no running process holds; false when one
    // does, it is anything else, or it cannot be removed.
    virtual bool RemoveIfAbandoned(const std::filesystem::path& path) = 0;
    // Waits for the folder's lock and takes it. It leaves nothing behind in
    // the folder where the platform can lock the folder itself.
    virtual std::error_code LockFolder(const std::filesystem::path& folder, const LockWait& wait, Handle& lock) = 0;
    virtual void UnlockFolder(Handle lock) = 0;

    // A regular file that only grows, made if missing, with one writer at a
    // time (Busy for the next): `size` is its length when opened.
    virtual std::error_code OpenAppending(const std::filesystem::path& path, Handle& handle, std::uint64_t& size) = 0;
    // Some of the bytes from `offset` on, at most `count`.
    virtual std::error_code ReadAt(Handle handle, std::uint64_t offset, std::size_t count, std::string& content) = 0;
    // Writes some of `data` at the file's end.
    virtual std::error_code Append(Handle handle, std::string_view data, std::size_t& written) = 0;
    virtual std::error_code Truncate(Handle handle, std::uint64_t size) = 0;
};

// The machine's own file system.
FileSystem& RealFileSystem();

// The lock file, where a folder cannot be locked itself (Windows, and file
// systems that refuse to lock a folder).
inline constexpr const char* kFolderLockName = ".tarvenna.lock";

} // namespace tarvenna

template <>
struct std::is_error_code_enum<tarvenna::ForeignEntry> : std::true_type {
};
