#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace tarvenna {

// The file operations that writing the output needs, behind one seam: each
// platform's own calls stay in one place, and tests can fail any of them.
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
    virtual std::error_code Remove(const std::filesystem::path& path) = 0;
    // Returns once the folder's entries (names made, renamed, removed) are on the disk.
    virtual std::error_code SyncFolder(const std::filesystem::path& folder) = 0;
    // Removes a file that no running process holds; false when one does or it cannot be removed.
    virtual bool RemoveIfAbandoned(const std::filesystem::path& path) = 0;
    // Waits for the folder's lock (an advisory lock on a lock file in it) and takes it.
    virtual std::error_code LockFolder(const std::filesystem::path& folder, Handle& lock) = 0;
    virtual void UnlockFolder(Handle lock) = 0;
};

// The machine's own file system.
FileSystem& RealFileSystem();

// The name of the lock file that runs into one folder share.
inline constexpr const char* kFolderLockName = ".tarvenna.lock";

} // namespace tarvenna
