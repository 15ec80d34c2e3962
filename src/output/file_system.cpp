#include "output/file_system.h"

#include <cerrno>
#include <chrono>
#include <thread>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarvenna {
namespace {

class ForeignEntryMessages final : public std::error_category {
public:
    const char* name() const noexcept override { return "tarvenna.folder"; }
    std::string message(int value) const override
    {
        switch (static_cast<ForeignEntry>(value)) {
        case ForeignEntry::Link:
            return "it is a symbolic link, not a file";
        case ForeignEntry::Folder:
            return "it is a folder, not a file";
        case ForeignEntry::Special:
            return "it is not a regular file";
        case ForeignEntry::TooLarge:
            return "it is larger than any file Tarvenna writes";
        case ForeignEntry::Busy:
            return "another Tarvenna run is using it";
        }
        return "unknown";
    }
};

// Tries to take a lock until it is taken, fails, or the wait is called off.
// `attempt` sets `busy` when another holds the lock.
template <typename Attempt>
std::error_code WaitForLock(const LockWait& wait, Attempt attempt)
{
    const auto start = std::chrono::steady_clock::now();
    bool told = false;
    for (;;) {
        bool busy = false;
        const std::error_code error = attempt(busy);
        if (!busy) return error;
        if (StopRequested(wait.stop)) return std::make_error_code(std::errc::operation_canceled);
        if (!told && std::chrono::steady_clock::now() - start >= std::chrono::seconds(1)) {
            told = true;
            if (wait.onWaiting) wait.onWaiting();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

#ifdef _WIN32

// Windows' codes for what the writer meets, as the errno values that other
// platforms report, so that messages read alike everywhere.
std::error_code LastError()
{
    const DWORD error = GetLastError();
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return std::make_error_code(std::errc::permission_denied);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return std::make_error_code(std::errc::file_exists);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_FILENAME_EXCED_RANGE:
        return std::make_error_code(std::errc::filename_too_long);
    case ERROR_INVALID_NAME:
        return std::make_error_code(std::errc::invalid_argument);
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
        return std::make_error_code(std::errc::operation_not_supported);
    default:
        return {static_cast<int>(error), std::system_category()};
    }
}

HANDLE AsHandle(FileSystem::Handle handle) { return reinterpret_cast<HANDLE>(handle); }
FileSystem::Handle FromHandle(HANDLE handle) { return reinterpret_cast<FileSystem::Handle>(handle); }

EntryKind KindOfAttributes(DWORD attributes)
{
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return EntryKind::Link;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EntryKind::Folder;
    return EntryKind::File;
}

std::error_code InspectPath(const std::filesystem::path& path, EntryKind& kind)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return LastError();
        kind = EntryKind::Absent;
        return {};
    }
    kind = KindOfAttributes(attributes);
    return {};
}

// A file opened on the disk itself, never through a reparse point: anything
// else is closed again and refused.
std::error_code Open(const std::filesystem::path& path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
                     HANDLE& file)
{
    file =
        CreateFileW(path.c_str(), access, share, nullptr, disposition, flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastError();
    BY_HANDLE_FILE_INFORMATION information{};
    std::error_code error;
    if (GetFileType(file) != FILE_TYPE_DISK)
        error = ForeignEntry::Special;
    else if (!GetFileInformationByHandle(file, &information))
        error = LastError();
    else if (KindOfAttributes(information.dwFileAttributes) != EntryKind::File)
        error = NotAFile(KindOfAttributes(information.dwFileAttributes));
    if (error) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
    return error;
}

std::error_code SizeOf(HANDLE file, std::uint64_t& size)
{
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file, &length)) return LastError();
    size = static_cast<std::uint64_t>(length.QuadPart);
    return {};
}

std::error_code WriteSome(HANDLE file, std::string_view data, std::size_t& written)
{
    const DWORD chunk = data.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(data.size());
    DWORD done = 0;
    const BOOL ok = WriteFile(file, data.data(), chunk, &done, nullptr);
    written = done;
    return ok ? std::error_code{} : LastError();
}

class NativeFileSystem final : public FileSystem {
public:
    std::error_code CreateNew(const std::filesystem::path& path, Handle& handle) override
    {
        // No sharing: no other process may open the file while this one holds it.
        HANDLE file = INVALID_HANDLE_VALUE;
        const std::error_code error =
            Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, file);
        if (!error) handle = FromHandle(file);
        return error;
    }
    std::error_code Write(Handle handle, std::string_view data, std::size_t& written) override
    {
        return WriteSome(AsHandle(handle), data, written);
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
    std::error_code Link(const std::filesystem::path& existing, const std::filesystem::path& link) override
    {
        return CreateHardLinkW(link.c_str(), existing.c_str(), nullptr) ? std::error_code{} : LastError();
    }
    std::error_code Inspect(const std::filesystem::path& path, EntryKind& kind) override
    {
        return InspectPath(path, kind);
    }
    std::error_code ReadSmall(const std::filesystem::path& path, std::size_t limit, std::string& content) override
    {
        HANDLE file = INVALID_HANDLE_VALUE;
        if (const std::error_code error =
                Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, file))
            return error;
        std::uint64_t size = 0;
        std::error_code error = SizeOf(file, size);
        if (!error && size > limit) error = ForeignEntry::TooLarge;
        if (!error) {
            content.assign(static_cast<std::size_t>(size), '\0');
            DWORD done = 0;
            if (!ReadFile(file, content.data(), static_cast<DWORD>(size), &done, nullptr)) error = LastError();
            content.resize(done);
        }
        CloseHandle(file);
        return error;
    }
    bool RemoveIfAbandoned(const std::filesystem::path& path) override
    {
        // A file its writer still holds cannot be deleted: no sharing was granted.
        EntryKind kind = EntryKind::Absent;
        return !InspectPath(path, kind) && kind == EntryKind::File && DeleteFileW(path.c_str()) != 0;
    }
    // A lock file that no other process may open, deleted when its holder
    // closes it or ends: a folder cannot be locked itself here. One that a
    // run left when the system went down is taken over.
    std::error_code LockFolder(const std::filesystem::path& folder, const LockWait& wait, Handle& lock) override
    {
        const std::filesystem::path path = folder / kFolderLockName;
        int unusable = 0; // attempts that found the name taken by nothing that can be opened
        return WaitForLock(wait, [&](bool& busy) -> std::error_code {
            constexpr DWORD kAccess = GENERIC_READ | GENERIC_WRITE | DELETE;
            constexpr DWORD kFlags = FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT;
            HANDLE file = CreateFileW(path.c_str(), kAccess, 0, nullptr, CREATE_NEW, kFlags, nullptr);
            DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
                EntryKind kind = EntryKind::Absent;
                if (const std::error_code inspected = InspectPath(path, kind)) return inspected;
                if (kind == EntryKind::Folder || kind == EntryKind::Link) return NotAFile(kind);
                if (kind == EntryKind::File) {
                    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN); // a read-only one cannot be taken
                    file = CreateFileW(path.c_str(), kAccess, 0, nullptr, OPEN_EXISTING, kFlags, nullptr);
                    error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
                } else if (++unusable > 10) {
                    // There, yet nothing to open (a dangling link, under Wine).
                    return ForeignEntry::Link;
                } else {
                    error = ERROR_SHARING_VIOLATION; // gone meanwhile: try again
                }
            }
            if (error == ERROR_SUCCESS) {
                lock = FromHandle(file);
                return {};
            }
            // Held, or being deleted by the run that held it.
            busy = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
            SetLastError(error);
            return busy ? std::error_code{} : LastError();
        });
    }
    void UnlockFolder(Handle lock) override
    {
        CloseHandle(AsHandle(lock)); // releases the lock and deletes the file
    }
    std::error_code OpenAppending(const std::filesystem::path& path, Handle& handle, std::uint64_t& size) override
    {
        EntryKind kind = EntryKind::Absent;
        if (const std::error_code error = InspectPath(path, kind)) return error;
        if (kind != EntryKind::Absent && kind != EntryKind::File) return NotAFile(kind);
        // Others may read it, but not write it while this run does.
        HANDLE file = INVALID_HANDLE_VALUE;
        const std::error_code error =
            Open(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, file);
        if (error == std::errc::permission_denied && GetLastError() == ERROR_SHARING_VIOLATION)
            return ForeignEntry::Busy;
        if (error) return error;
        if (const std::error_code sized = SizeOf(file, size)) {
            CloseHandle(file);
            return sized;
        }
        handle = FromHandle(file);
        return {};
    }
    std::error_code ReadAt(Handle handle, std::uint64_t offset, std::size_t count, std::string& content) override
    {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        content.assign(count, '\0');
        DWORD done = 0;
        if (!ReadFile(AsHandle(handle), content.data(), static_cast<DWORD>(count), &done, &at) &&
            GetLastError() != ERROR_HANDLE_EOF)
            return LastError();
        content.resize(done);
        return {};
    }
    std::error_code Append(Handle handle, std::string_view data, std::size_t& written) override
    {
        written = 0;
        if (!SetFilePointerEx(AsHandle(handle), LARGE_INTEGER{}, nullptr, FILE_END)) return LastError();
        return WriteSome(AsHandle(handle), data, written);
    }
    std::error_code Truncate(Handle handle, std::uint64_t size) override
    {
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(size);
        if (!SetFilePointerEx(AsHandle(handle), at, nullptr, FILE_BEGIN) || !SetEndOfFile(AsHandle(handle)))
            return LastError();
        return {};
    }
};

#else

std::error_code Errno() { return {errno, std::generic_category()}; }

int Descriptor(FileSystem::Handle handle) { return static_cast<int>(handle); }

EntryKind KindOfMode(mode_t mode)
{
    if (S_ISREG(mode)) return EntryKind::File;
    if (S_ISLNK(mode)) return EntryKind::Link;
    if (S_ISDIR(mode)) return EntryKind::Folder;
    return EntryKind::Other;
}

// flock, retried when a signal interrupts it.
bool Flock(int fd, int operation)
{
    int result = 0;
    do {
        result = ::flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

std::error_code InspectPath(const char* path, EntryKind& kind)
{
    struct stat status {};
    if (::lstat(path, &status) != 0) {
        if (errno != ENOENT) return Errno();
        kind = EntryKind::Absent;
        return {};
    }
    kind = KindOfMode(status.st_mode);
    return {};
}

// Opens a regular file, never through a link and never waiting on a pipe:
// what stands there is looked at first, so that no device is even opened,
// and checked again once open.
std::error_code OpenRegular(const char* path, int flags, int& fd)
{
    EntryKind kind = EntryKind::Absent;
    if (const std::error_code error = InspectPath(path, kind)) return error;
    if (kind != EntryKind::File && !(kind == EntryKind::Absent && (flags & O_CREAT) != 0)) {
        return kind == EntryKind::Absent ? std::make_error_code(std::errc::no_such_file_or_directory) : NotAFile(kind);
    }
    fd = ::open(path, flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return errno == ELOOP ? std::error_code(ForeignEntry::Link) : Errno();
    struct stat status {};
    std::error_code error;
    if (::fstat(fd, &status) != 0)
        error = Errno();
    else if (!S_ISREG(status.st_mode))
        error = NotAFile(KindOfMode(status.st_mode));
    else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        error = Errno();
    if (error) {
        ::close(fd);
        fd = -1;
    }
    return error;
}

std::error_code SizeOf(int fd, std::uint64_t& size)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0) return Errno();
    size = static_cast<std::uint64_t>(status.st_size);
    return {};
}

std::error_code WriteSome(int fd, std::string_view data, std::size_t& written)
{
    ssize_t result = 0;
    do {
        result = ::write(fd, data.data(), data.size());
    } while (result < 0 && errno == EINTR);
    written = result > 0 ? static_cast<std::size_t>(result) : 0;
    return result < 0 ? Errno() : std::error_code{};
}

// Fills `content` from `offset` until `count` bytes or the end.
std::error_code ReadFrom(int fd, std::uint64_t offset, std::size_t count, std::string& content)
{
    content.assign(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        const ssize_t result = ::pread(fd, content.data() + done, count - done, static_cast<off_t>(offset + done));
        if (result < 0 && errno == EINTR) continue;
        if (result < 0) return Errno();
        if (result == 0) break;
        done += static_cast<std::size_t>(result);
    }
    content.resize(done);
    return {};
}

class NativeFileSystem final : public FileSystem {
public:
    std::error_code CreateNew(const std::filesystem::path& path, Handle& handle) override
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
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
        return WriteSome(Descriptor(handle), data, written);
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
    std::error_code Link(const std::filesystem::path& existing, const std::filesystem::path& link) override
    {
        // Flags 0: a symbolic link gets a second name itself.
        if (::linkat(AT_FDCWD, existing.c_str(), AT_FDCWD, link.c_str(), 0) == 0) return {};
        if (errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK || errno == ENOSYS)
            return std::make_error_code(std::errc::operation_not_supported);
        return Errno();
    }
    std::error_code Inspect(const std::filesystem::path& path, EntryKind& kind) override
    {
        return InspectPath(path.c_str(), kind);
    }
    std::error_code ReadSmall(const std::filesystem::path& path, std::size_t limit, std::string& content) override
    {
        int fd = -1;
        if (const std::error_code error = OpenRegular(path.c_str(), O_RDONLY, fd)) return error;
        std::uint64_t size = 0;
        std::error_code error = SizeOf(fd, size);
        if (!error && size > limit) error = ForeignEntry::TooLarge;
        if (!error) error = ReadFrom(fd, 0, static_cast<std::size_t>(size), content);
        ::close(fd);
        return error;
    }
    bool RemoveIfAbandoned(const std::filesystem::path& path) override
    {
        int fd = -1;
        if (OpenRegular(path.c_str(), O_RDONLY, fd)) return false;
        const bool abandoned = Flock(fd, LOCK_EX | LOCK_NB);
        const bool removed = abandoned && ::unlink(path.c_str()) == 0;
        ::close(fd);
        return removed;
    }
    // The folder itself is locked, so that any user who may write in it can
    // take its lock and nothing is left behind. A file system that cannot
    // lock a folder (NFS) gets a lock file instead.
    std::error_code LockFolder(const std::filesystem::path& folder, const LockWait& wait, Handle& lock) override
    {
        int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return Errno();
        const auto attempt = [&fd](bool& busy) -> std::error_code {
            if (Flock(fd, LOCK_EX | LOCK_NB)) return {};
            busy = errno == EWOULDBLOCK;
            return Errno();
        };
        std::error_code error = WaitForLock(wait, attempt);
        if (error == std::errc::bad_file_descriptor || error == std::errc::no_lock_available ||
            error == std::errc::invalid_argument || error == std::errc::operation_not_supported) {
            ::close(fd);
            fd = -1;
            const std::string path = (folder / kFolderLockName).string();
            error = OpenRegular(path.c_str(), O_RDWR | O_CREAT, fd);
            if (!error) error = WaitForLock(wait, attempt);
        }
        if (error && fd >= 0) ::close(fd);
        if (!error) lock = fd;
        return error;
    }
    void UnlockFolder(Handle lock) override
    {
        ::close(Descriptor(lock)); // releases the lock
    }
    std::error_code OpenAppending(const std::filesystem::path& path, Handle& handle, std::uint64_t& size) override
    {
        int fd = -1;
        if (const std::error_code error = OpenRegular(path.c_str(), O_RDWR | O_APPEND | O_CREAT, fd)) return error;
        std::error_code error;
        if (!Flock(fd, LOCK_EX | LOCK_NB)) error = errno == EWOULDBLOCK ? ForeignEntry::Busy : Errno();
        if (!error) error = SizeOf(fd, size);
        if (error)
            ::close(fd);
        else
            handle = fd;
        return error;
    }
    std::error_code ReadAt(Handle handle, std::uint64_t offset, std::size_t count, std::string& content) override
    {
        return ReadFrom(Descriptor(handle), offset, count, content);
    }
    std::error_code Append(Handle handle, std::string_view data, std::size_t& written) override
    {
        return WriteSome(Descriptor(handle), data, written); // opened to append
    }
    std::error_code Truncate(Handle handle, std::uint64_t size) override
    {
        return ::ftruncate(Descriptor(handle), static_cast<off_t>(size)) == 0 ? std::error_code{} : Errno();
    }
};

#endif

} // namespace

const std::error_category& ForeignEntryCategory()
{
    static const ForeignEntryMessages category;
    return category;
}

std::error_code make_error_code(ForeignEntry entry) { return {static_cast<int>(entry), ForeignEntryCategory()}; }

std::error_code NotAFile(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Link:
        return ForeignEntry::Link;
    case EntryKind::Folder:
        return ForeignEntry::Folder;
    default:
        return ForeignEntry::Special;
    }
}

FileSystem& RealFileSystem()
{
    static NativeFileSystem fileSystem;
    return fileSystem;
}

} // namespace tarvenna
