#include "output/file_set.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <system_error>

namespace tarvenna {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRecordHeader = "tarvenna commit 1\n";
constexpr const char* kRecordEnd = "end\n";

std::error_code WriteAll(FileSystem& disk, FileSystem::Handle handle, std::string_view content)
{
    while (!content.empty()) {
        std::size_t written = 0;
        if (const std::error_code error = disk.Write(handle, content, written)) return error;
        if (written == 0 || written > content.size()) return std::make_error_code(std::errc::io_error);
        content.remove_prefix(written);
    }
    return {};
}

// A name beside the target that no other run uses: the create is exclusive,
// so a clash only means another try. This is no random draw of the generator.
std::error_code CreateTemporary(FileSystem& disk, const fs::path& target, fs::path& temporary,
                                FileSystem::Handle& handle)
{
    static std::atomic<unsigned> counter{0};
    std::error_code error;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        std::string suffix = ".";
        suffix.append(std::to_string(ticks)).append("-").append(std::to_string(counter++)).append(kTemporarySuffix);
        temporary = target;
        temporary += suffix;
        error = disk.CreateNew(temporary, handle);
        if (error != std::errc::file_exists) return error;
    }
    return error;
}

// Writes all of `content` to an open file, syncs and closes it: the file
// is let go of whatever fails.
std::error_code WriteSyncClose(FileSystem& disk, FileSystem::Handle handle, std::string_view content)
{
    std::error_code error = WriteAll(disk, handle, content);
    if (!error) error = disk.Sync(handle);
    const std::error_code closed = disk.Close(handle);
    return error ? error : closed;
}

// A whole new file at `path`, on the disk when this returns.
std::error_code WriteNewFile(FileSystem& disk, const fs::path& path, std::string_view content)
{
    FileSystem::Handle handle = 0;
    if (const std::error_code error = disk.CreateNew(path, handle)) return error;
    const std::error_code error = WriteSyncClose(disk, handle, content);
    if (error) disk.Remove(path);
    return error;
}

// Replaces `target` with a whole file holding `content`, through a temporary one.
std::error_code ReplaceWhole(FileSystem& disk, const fs::path& target, std::string_view content)
{
    fs::path temporary;
    FileSystem::Handle handle = 0;
    if (const std::error_code error = CreateTemporary(disk, target, temporary, handle)) return error;
    std::error_code error = WriteSyncClose(disk, handle, content);
    if (!error) error = disk.Replace(temporary, target);
    if (error) disk.Remove(temporary);
    return error;
}

// What a target held before the commit: nothing, or these bytes.
struct Previous {
    std::string name;
    std::optional<std::string> content;
};

std::optional<std::string> ReadRegularFile(const fs::path& path)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string EncodeRecord(const std::vector<Previous>& previous)
{
    std::string record = kRecordHeader;
    for (const Previous& entry : previous) {
        record += entry.name + "\n";
        if (!entry.content) {
            record += "-\n";
            continue;
        }
        record += std::to_string(entry.content->size()) + "\n" + *entry.content;
    }
    return record + kRecordEnd;
}

// nullopt for a record cut short: it was never complete, so nothing was renamed.
std::optional<std::vector<Previous>> DecodeRecord(const std::string& record)
{
    std::istringstream in(record);
    std::string line;
    if (!std::getline(in, line) || line + "\n" != kRecordHeader) return std::nullopt;
    std::vector<Previous> previous;
    while (std::getline(in, line)) {
        if (line + "\n" == kRecordEnd) return in.peek() == EOF ? std::optional(previous) : std::nullopt;
        Previous entry{line, std::nullopt};
        std::string size;
        if (entry.name.empty() || entry.name.find('/') != std::string::npos || !std::getline(in, size)) break;
        if (size != "-") {
            if (size.empty() || size.find_first_not_of("0123456789") != std::string::npos || size.size() > 9) break;
            std::string content(std::stoul(size), '\0');
            if (!in.read(content.data(), static_cast<std::streamsize>(content.size()))) break;
            entry.content = std::move(content);
        }
        previous.push_back(std::move(entry));
    }
    return std::nullopt;
}

// Puts back what the first `count` targets held before a commit.
std::error_code RestorePrevious(FileSystem& disk, const fs::path& folder, const std::vector<Previous>& previous,
                                std::size_t count)
{
    std::error_code first;
    for (std::size_t i = 0; i < count; ++i) {
        const fs::path target = folder / previous[i].name;
        std::error_code error;
        if (!previous[i].content) {
            error = disk.Remove(target);
            if (error == std::errc::no_such_file_or_directory) error.clear();
        } else {
            error = ReplaceWhole(disk, target, *previous[i].content);
        }
        if (error && !first) first = error;
    }
    if (const std::error_code synced = disk.SyncFolder(folder); synced && !first) first = synced;
    return first;
}

// Under the folder's lock: undoes a commit that its run did not finish, and
// removes the temporary files of runs that died.
void RecoverAndClean(FileSystem& disk, const fs::path& folder)
{
    const fs::path recordPath = folder / kCommitRecordName;
    if (const std::optional<std::string> record = ReadRegularFile(recordPath)) {
        // A record cut short was never complete, so nothing was renamed. A
        // restore that fails keeps the record for the next run.
        const std::optional<std::vector<Previous>> previous = DecodeRecord(*record);
        const bool restored = !previous || !RestorePrevious(disk, folder, *previous, previous->size());
        if (restored) disk.Remove(recordPath);
        disk.SyncFolder(folder);
    }
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        // Compared as a path: other files' names need not fit the ANSI code page.
        if (it->path().extension() == kTemporarySuffix) disk.RemoveIfAbandoned(it->path());
    }
}

struct Staged {
    fs::path target;
    fs::path temporary;
    FileSystem::Handle handle = 0;
    bool open = false;
};

// Closes and removes every temporary file still standing.
void Discard(FileSystem& disk, std::vector<Staged>& staged)
{
    for (Staged& file : staged) {
        if (file.open) disk.Close(file.handle);
        file.open = false;
        if (!file.temporary.empty()) disk.Remove(file.temporary);
    }
}

class FolderLock {
public:
    FolderLock(FileSystem& disk, const fs::path& folder) : disk_(disk) { error_ = disk.LockFolder(folder, lock_); }
    ~FolderLock()
    {
        if (!error_) disk_.UnlockFolder(lock_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    const std::error_code& Error() const { return error_; }

private:
    FileSystem& disk_;
    FileSystem::Handle lock_ = 0;
    std::error_code error_;
};

FileSetResult Failure(std::size_t file, const std::error_code& error, bool inCommit = false)
{
    return {true, file, error.message(), inCommit};
}

// Renames the staged files over their targets, behind a commit record. On
// any failure the targets get their previous contents back.
std::error_code Commit(FileSystem& disk, const fs::path& folder, std::vector<Staged>& staged, std::size_t& failed)
{
    failed = staged.size() - 1;
    std::vector<Previous> previous;
    for (const Staged& file : staged)
        previous.push_back({file.target.filename().string(), ReadRegularFile(file.target)});
    const fs::path recordPath = folder / kCommitRecordName;
    if (const std::error_code error = WriteNewFile(disk, recordPath, EncodeRecord(previous))) return error;

    std::error_code error = disk.SyncFolder(folder);
    std::size_t replaced = 0;
    for (; !error && replaced < staged.size(); ++replaced) {
        staged[replaced].open = false;
        error = disk.Close(staged[replaced].handle);
        if (!error) error = disk.Replace(staged[replaced].temporary, staged[replaced].target);
        if (error) {
            failed = replaced;
            break;
        }
        staged[replaced].temporary.clear();
    }
    if (!error) error = disk.SyncFolder(folder);
    if (!error) error = disk.Remove(recordPath);
    if (!error) error = disk.SyncFolder(folder);
    if (error) {
        RestorePrevious(disk, folder, previous, replaced);
        disk.Remove(recordPath);
        disk.SyncFolder(folder);
    }
    return error;
}

} // namespace

std::error_code RecoverFolder(const fs::path& folder, FileSystem& disk)
{
    const FolderLock lock(disk, folder);
    if (!lock.Error()) RecoverAndClean(disk, folder);
    return lock.Error();
}

FileSetResult WriteFileSet(const fs::path& folder, const std::vector<OutputFile>& files, FileSystem& disk,
                           const std::function<void(std::size_t)>& onStaged)
{
    std::vector<Staged> staged(files.size());
    {
        const FolderLock lock(disk, folder);
        if (lock.Error()) return Failure(0, lock.Error());
        RecoverAndClean(disk, folder);
        for (std::size_t i = 0; i < files.size(); ++i) {
            staged[i].target = folder / files[i].name;
            const std::error_code error = CreateTemporary(disk, staged[i].target, staged[i].temporary, staged[i].handle);
            if (error) {
                staged[i].temporary.clear();
                Discard(disk, staged);
                return Failure(i, error);
            }
            staged[i].open = true;
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::error_code error = WriteAll(disk, staged[i].handle, files[i].content);
        if (!error) error = disk.Sync(staged[i].handle);
        if (error) {
            Discard(disk, staged);
            return Failure(i, error);
        }
        if (onStaged) onStaged(i);
    }
    const FolderLock lock(disk, folder);
    if (lock.Error()) {
        Discard(disk, staged);
        return Failure(files.size() - 1, lock.Error(), true);
    }
    std::size_t failed = 0;
    if (const std::error_code error = Commit(disk, folder, staged, failed)) {
        Discard(disk, staged);
        return Failure(failed, error, true);
    }
    return {};
}

} // namespace tarvenna
