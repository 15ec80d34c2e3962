#include "output/file_system.h"

#include <cerrno>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tarvenna {
namespace {

#ifdef _WIN32

// Windows' codes for what the writer meets, as the same errno values that
// other platforms report, so that messages read alike everywhere.
std::error_code LastError()
{
    const DWORD error = GetLastError();
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE: return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT: return std::make_error_code(std::errc::permission_denied);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return std::make_error_code(std::errc::file_exists);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_FILENAME_EXCED_RANGE: return std::make_error_code(std::errc::filename_too_long);
    case ERROR_INVALID_NAME: return std::make_error_code(std::errc::invalid_argument);
    default: return {static_cast<int>(error), std::system_category()};
    }
}

HANDLE AsHandle(FileSystem::Handle handle) { return reinterpret_cast<HANDLE>(handle); }

class NativeFileSystem final : public FileSystem {
public:
    std::error_code CreateNew(const std::filesystem::path& path, Handle& handle) override
    {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                        nullptr);
        if (file == INVALID_HANDLE_VALUE) return LastError();
        handle = reinterpret_cast<Handle>(file);
        return {};
    }
    std::error_code Write(Handle handle, std::string_view data) override
    {
        while (!data.empty()) {
            const DWORD chunk = data.size() > 1u << 30 ? 1u << 30 : static_cast<DWORD>(data.size());
            DWORD written = 0;
            if (!WriteFile(AsHandle(handle), data.data(), chunk, &written, nullptr)) return LastError();
            if (written == 0) return std::make_error_code(std::errc::io_error);
            data.remove_prefix(written);
        }
        return {};
    }
    std::error_code Sync(Handle handle) override
    {
        return FlushFileBuffers(AsHandle(handle)) ? std::error_code{} : LastError();
    }
    std::error_code Close(Handle handle) override
    {
        return CloseHandle(AsHandle(handle)) ? std::error_code{} : LastError();
    }
    std::error_code Replace(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        // Write-through: the rename itself is on the disk when this returns.
        return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                   ? std::error_code{}
                   : LastError();
    }
    std::error_code Remove(const std::filesystem::path& path) override
    {
        return DeleteFileW(path.c_str()) ? std::error_code{} : LastError();
    }
};

#else

std::error_code Errno() { return {errno, std::generic_category()}; }

class NativeFileSystem final : public FileSystem {
public:
    std::error_code CreateNew(const std::filesystem::path& path, Handle& handle) override
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) return Errno();
        handle = fd;
        return {};
    }
    std::error_code Write(Handle handle, std::string_view data) override
    {
        while (!data.empty()) {
            const ssize_t written = ::write(static_cast<int>(handle), data.data(), data.size());
            if (written < 0 && errno == EINTR) continue;
            if (written < 0) return Errno();
            if (written == 0) return std::make_error_code(std::errc::io_error);
            data.remove_prefix(static_cast<std::size_t>(written));
        }
        return {};
    }
    std::error_code Sync(Handle handle) override
    {
        return ::fsync(static_cast<int>(handle)) == 0 ? std::error_code{} : Errno();
    }
    std::error_code Close(Handle handle) override
    {
        return ::close(static_cast<int>(handle)) == 0 ? std::error_code{} : Errno();
    }
    std::error_code Replace(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code{} : Errno();
    }
    std::error_code Remove(const std::filesystem::path& path) override
    {
        return ::unlink(path.c_str()) == 0 ? std::error_code{} : Errno();
    }
};

#endif

} // namespace

FileSystem& RealFileSystem()
{
    static NativeFileSystem fileSystem;
    return fileSystem;
}

} // namespace tarvenna
