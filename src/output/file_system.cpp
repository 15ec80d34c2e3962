#include "output/file_system.h"

#include <cerrno>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace tarvenna {
namespace {

#ifdef _WIN32

// Windows' codes for what the writer meets, as the errno values that other
// platforms report, so that messages read alike everywhere.
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

// `share` 0: no other process may open the file while this one holds it.
std::error_code Open(const std::filesystem::path& path, DWORD disposition, FileSystem::Handle& handle)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastError();
    handle = reinterpret_cast<FileSystem::Handle>(file);
    return {};
}

class NativeFileSystem final : public FileSystem {
public:
    std::error_code CreateNew(const std::filesystem::path& path, Handle& handle) override
    {
        return Open(path, CREATE_NEW, handle);
    }
    std::error_code Write(Handle handle, std::string_view data, std::size_t& written) override
    {
        const DWORD chunk = data.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(data.size());
        DWORD done = 0;
        const BOOL ok = WriteFile(AsHandle(handle), data.data(), chunk, &done, nullptr);
        written = done;
        return ok ? std::error_code{} : LastError();
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
    std::error_code SyncFolder(const std::filesystem::path&) override
    {
        return {}; // renames are written through
    }
    bool RemoveIfAbandoned(const std::filesystem::path& path) override
    {
        // A file its writer still holds cannot be deleted: no sharing was granted.
        return DeleteFileW(path.c_str()) != 0;
    }
    std::error_code LockFolder(const std::filesystem::path& folder, Handle& lock) override
    {
        const HANDLE file = CreateFileW((folder / kFolderLockName).c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file == INVALID_HANDLE_VALUE) return LastError();
        OVERLAPPED whole{};
        if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole)) {
            const std::error_code error = LastError();
            CloseHandle(file);
            return error;
        }
        lock = reinterpret_cast<Handle>(file);
        return {};
    }
    void UnlockFolder(Handle lock) override
    {
        CloseHandle(AsHandle(lock)); // releases the lock
    }
};

#else

std::error_code Errno() { return {errno, std::generic_category()}; }

int Descriptor(FileSystem::Handle handle) { return static_cast<int>(handle); }

// flock, retried when a signal interrupts the wait.
bool Flock(int fd, int operation)
{
    int result = 0;
    do {
        result = ::flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

class NativeFileSystem final : public FileSystem {
public:
    std::error_code CreateNew(const std::filesystem::path& path, Handle& handle) override
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) return Errno();
        // Held while open, so that a cleaner can tell a live file from an abandoned one.
        if (!Flock(fd, LOCK_EX)) {
            const std::error_code error = Errno();
            ::close(fd);
            ::unlink(path.c_str());
            return error;
        }
        handle = fd;
        return {};
    }
    std::error_code Write(Handle handle, std::string_view data, std::size_t& written) override
    {
        ssize_t result = 0;
        do {
            result = ::write(Descriptor(handle), data.data(), data.size());
        } while (result < 0 && errno == EINTR);
        written = result > 0 ? static_cast<std::size_t>(result) : 0;
        return result < 0 ? Errno() : std::error_code{};
    }
    std::error_code Sync(Handle handle) override
    {
        return ::fsync(Descriptor(handle)) == 0 ? std::error_code{} : Errno();
    }
    std::error_code Close(Handle handle) override
    {
        return ::close(Descriptor(handle)) == 0 ? std::error_code{} : Errno();
    }
    std::error_code Replace(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code{} : Errno();
    }
    std::error_code Remove(const std::filesystem::path& path) override
    {
        return ::unlink(path.c_str()) == 0 ? std::error_code{} : Errno();
    }
    std::error_code SyncFolder(const std::filesystem::path& folder) override
    {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return Errno();
        const std::error_code error = ::fsync(fd) == 0 ? std::error_code{} : Errno();
        ::close(fd);
        return error;
    }
    bool RemoveIfAbandoned(const std::filesystem::path& path) override
    {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        const bool abandoned = Flock(fd, LOCK_EX | LOCK_NB);
        const bool removed = abandoned && ::unlink(path.c_str()) == 0;
        ::close(fd);
        return removed;
    }
    std::error_code LockFolder(const std::filesystem::path& folder, Handle& lock) override
    {
        const int fd = ::open((folder / kFolderLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) return Errno();
        if (!Flock(fd, LOCK_EX)) {
            const std::error_code error = Errno();
            ::close(fd);
            return error;
        }
        lock = fd;
        return {};
    }
    void UnlockFolder(Handle lock) override
    {
        ::close(Descriptor(lock)); // releases the lock
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
