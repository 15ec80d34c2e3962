#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace tarvenna {

// The few file operations that writing the output needs, behind one seam so
// that each platform's own calls stay in one place.
class FileSystem {
public:
    using Handle = std::intptr_t;

    virtual ~FileSystem() = default;

    // Creates a file that must not exist yet, for writing.
    virtual std::error_code CreateNew(const std::filesystem::path& path, Handle& handle) = 0;
    // Writes all of `data`, or fails.
    virtual std::error_code Write(Handle handle, std::string_view data) = 0;
    // Returns once the file's bytes are on the disk.
    virtual std::error_code Sync(Handle handle) = 0;
    virtual std::error_code Close(Handle handle) = 0;
    // Renames `from` to `to`, replacing `to` if it exists, in one step.
    virtual std::error_code Replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    virtual std::error_code Remove(const std::filesystem::path& path) = 0;
};

// The machine's own file system.
FileSystem& RealFileSystem();

} // namespace tarvenna
