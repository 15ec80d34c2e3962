#include "output/file_set.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <system_error>

#include <xxhash.h>

namespace tarvenna {
namespace {

namespace fs = std::filesystem;

// The record names what a commit replaces and what the names held before,
// and nothing else: no contents, no paths. It ends in a checksum over the
// rest, so that a record cut short or made by hand is never acted on.
constexpr std::string_view kRecordHeader = "tarvenna commit 2\n";
constexpr std::string_view kChecksumLabel = "check ";
constexpr std::size_t kRecordLimit = 1024; // three names and their states need a few hundred bytes

// Untrusted things in the folder are left as they are; the message says so.
const char* const kLeftAlone = "; left as it is: move it away";

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

FileSetResult Failure(std::string subject, std::string reason, std::size_t openFile = 0, bool inCommit = false)
{
    return {true, false, std::move(subject), std::move(reason), openFile, inCommit};
}

FileSetResult Failure(std::string subject, const std::error_code& error, std::size_t openFile = 0,
                      bool inCommit = false)
{
    if (error == std::errc::operation_canceled) return {false, true, {}, {}, openFile, inCommit};
    std::string reason = error.message();
    if (error.category() == ForeignEntryCategory()) reason += kLeftAlone;
    return Failure(std::move(subject), std::move(reason), openFile, inCommit);
}

// What a name of the set held when its commit began.
enum class Before { Absent, Kept };

struct Entry {
    std::string name;
    Before before = Before::Absent;
    bool aside = false; // no second name could be made: the commit renames the previous file away
};

fs::path PreviousPath(const fs::path& folder, const std::string& name) { return folder / (name + kPreviousSuffix); }

std::string Checksum(std::string_view text)
{
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(XXH3_64bits(text.data(), text.size())));
    return hex;
}

std::string EncodeRecord(const std::vector<Entry>& entries)
{
    std::string record(kRecordHeader);
    for (const Entry& entry : entries) record += entry.name + (entry.before == Before::Kept ? " kept\n" : " absent\n");
    return record + std::string(kChecksumLabel) + Checksum(record) + "\n";
}

bool IsKnownSet(const FileSetOptions& options, std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return std::any_of(options.knownSets.begin(), options.knownSets.end(), [&](std::vector<std::string> set) {
        std::sort(set.begin(), set.end());
        return set == names;
    });
}

bool IsKnownName(const FileSetOptions& options, const std::string& name)
{
    return std::any_of(options.knownSets.begin(), options.knownSets.end(), [&](const std::vector<std::string>& set) {
        return std::find(set.begin(), set.end(), name) != set.end();
    });
}

// The entries of a record, or why it is none of this writer's.
struct DecodedRecord {
    std::vector<Entry> entries;
    std::string problem;
};

DecodedRecord DecodeRecord(std::string_view record, const FileSetOptions& options)
{
    DecodedRecord decoded;
    const std::size_t checksumAt = record.rfind(kChecksumLabel);
    if (!record.starts_with(kRecordHeader) || checksumAt == std::string_view::npos ||
        record.substr(checksumAt) != std::string(kChecksumLabel) + Checksum(record.substr(0, checksumAt)) + "\n") {
        decoded.problem = "it is not a commit record Tarvenna wrote";
        return decoded;
    }
    std::string_view body = record.substr(kRecordHeader.size(), checksumAt - kRecordHeader.size());
    std::vector<std::string> names;
    while (!body.empty()) {
        const std::size_t end = body.find('\n');
        const std::string_view line = body.substr(0, end);
        body.remove_prefix(end + 1);
        const std::size_t space = line.rfind(' ');
        const std::string_view state = space == std::string_view::npos ? "" : line.substr(space + 1);
        if (state != "kept" && state != "absent") {
            decoded.problem = "it is not a commit record Tarvenna wrote";
            return decoded;
        }
        names.emplace_back(line.substr(0, space));
        decoded.entries.push_back({names.back(), state == "kept" ? Before::Kept : Before::Absent});
    }
    if (!IsKnownSet(options, names)) decoded.problem = "it names files that no run of Tarvenna writes together";
    return decoded;
}

// Gives each name of the set back what it held before its commit. Harmless
// to repeat, so that a restore cut short can be run again.
std::error_code RestorePrevious(FileSystem& disk, const fs::path& folder, const std::vector<Entry>& entries)
{
    std::error_code first;
    const auto note = [&first](const std::error_code& error) {
        if (error && !first) first = error;
    };
    for (const Entry& entry : entries) {
        const fs::path target = folder / entry.name;
        const fs::path previous = PreviousPath(folder, entry.name);
        EntryKind kind = EntryKind::Absent;
        if (entry.before == Before::Kept) {
            // Without its second name, the previous file never left its place.
            note(disk.Inspect(previous, kind));
            if (kind == EntryKind::File || kind == EntryKind::Link) note(disk.Replace(previous, target));
        } else {
            note(disk.Inspect(target, kind));
            if (kind == EntryKind::File || kind == EntryKind::Link) note(disk.Remove(target));
        }
    }
    note(disk.SyncFolder(folder));
    return first;
}

// The previous files' second names, once no record needs them.
void RemovePrevious(FileSystem& disk, const fs::path& folder, const std::vector<Entry>& entries)
{
    for (const Entry& entry : entries) {
        EntryKind kind = EntryKind::Absent;
        const fs::path previous = PreviousPath(folder, entry.name);
        if (!disk.Inspect(previous, kind) && (kind == EntryKind::File || kind == EntryKind::Link))
            disk.Remove(previous);
    }
}

// Under the folder's lock: undoes a commit that its run did not finish.
FileSetResult Recover(FileSystem& disk, const fs::path& folder, const FileSetOptions& options)
{
    const fs::path recordPath = folder / kCommitRecordName;
    EntryKind kind = EntryKind::Absent;
    if (const std::error_code error = disk.Inspect(recordPath, kind)) return Failure("", error);
    if (kind == EntryKind::Absent) return {};
    if (kind != EntryKind::File) return Failure(kCommitRecordName, NotAFile(kind));
    std::string record;
    if (const std::error_code error = disk.ReadSmall(recordPath, kRecordLimit, record))
        return Failure(kCommitRecordName, error);
    const DecodedRecord decoded = DecodeRecord(record, options);
    if (!decoded.problem.empty()) return Failure(kCommitRecordName, decoded.problem + kLeftAlone);
    std::error_code error = RestorePrevious(disk, folder, decoded.entries);
    if (!error) error = disk.Remove(recordPath);
    if (!error) error = disk.SyncFolder(folder);
    if (error)
        return Failure(kCommitRecordName,
                       "a commit that a run left unfinished could not be undone: " + error.message());
    RemovePrevious(disk, folder, decoded.entries);
    return {};
}

// Under the folder's lock, with no record left: removes what dead runs left.
void CleanLeftovers(FileSystem& disk, const fs::path& folder, const FileSetOptions& options)
{
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        // Compared as paths: other files' names need not fit the ANSI code page.
        const fs::path& path = it->path();
        if (path.extension() == kTemporarySuffix) {
            disk.RemoveIfAbandoned(path);
        } else if (path.extension() == kPreviousSuffix && IsKnownName(options, path.stem().string())) {
            EntryKind kind = EntryKind::Absent;
            if (!disk.Inspect(path, kind) && (kind == EntryKind::File || kind == EntryKind::Link)) disk.Remove(path);
        }
    }
}

// A target may be missing, a file or a link (replaced, never followed);
// anything else is not the writer's to replace.
FileSetResult CheckTargets(FileSystem& disk, const fs::path& folder, const std::vector<std::string>& names,
                           std::vector<Entry>* entries = nullptr)
{
    for (const std::string& name : names) {
        EntryKind kind = EntryKind::Absent;
        if (const std::error_code error = disk.Inspect(folder / name, kind)) return Failure(name, error);
        if (kind == EntryKind::Folder || kind == EntryKind::Other) return Failure(name, NotAFile(kind));
        if (entries != nullptr) entries->push_back({name, kind == EntryKind::Absent ? Before::Absent : Before::Kept});
    }
    return {};
}

// What failed in taking the folder's lock: the folder, or what stands at the lock file's name.
FileSetResult LockFailure(const std::error_code& error, std::size_t openFile = 0, bool inCommit = false)
{
    return Failure(error.category() == ForeignEntryCategory() ? kFolderLockName : "", error, openFile, inCommit);
}

class FolderLock {
public:
    FolderLock(FileSystem& disk, const fs::path& folder, const LockWait& wait) : disk_(disk)
    {
        error_ = disk.LockFolder(folder, wait, lock_);
    }
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

// Under the lock: makes the folder ready for a commit of `names`. Leftovers
// are cleaned only before this run has files of its own there: where locks
// are pretended (the browser), its own would look abandoned.
FileSetResult Prepare(FileSystem& disk, const fs::path& folder, const std::vector<std::string>& names,
                      const FileSetOptions& options, std::size_t openFile, std::vector<Entry>* entries = nullptr)
{
    FileSetResult result = Recover(disk, folder, options);
    const bool ownFilesThere = entries != nullptr; // only the commit asks for the entries
    if (!result.failed && !ownFilesThere) CleanLeftovers(disk, folder, options);
    if (!result.failed) result = CheckTargets(disk, folder, names, entries);
    result.openFile = openFile;
    return result;
}

// The temporary files of a set, closed and removed on the way out unless
// they were renamed into place: whatever ends the write, nothing is left.
class StagedFiles {
public:
    struct File {
        fs::path target;
        fs::path temporary;
        FileSystem::Handle handle = 0;
        bool open = false;
    };

    explicit StagedFiles(FileSystem& disk, std::size_t count) : disk_(disk), files_(count) {}
    ~StagedFiles()
    {
        for (File& file : files_) {
            if (file.open) disk_.Close(file.handle);
            if (!file.temporary.empty()) disk_.Remove(file.temporary);
        }
    }
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    File& operator[](std::size_t i) { return files_[i]; }
    std::size_t size() const { return files_.size(); }

private:
    FileSystem& disk_;
    std::vector<File> files_;
};

std::vector<std::string> NamesOf(const std::vector<OutputFile>& files, const FileSetOptions& options)
{
    std::vector<std::string> names;
    for (const OutputFile& file : files) names.push_back(file.name);
    names.insert(names.end(), options.removed.begin(), options.removed.end());
    return names;
}

// Gives every previous file a second name, or marks it to be renamed away
// where the file system has no second names.
FileSetResult KeepPrevious(FileSystem& disk, const fs::path& folder, std::vector<Entry>& entries)
{
    for (Entry& entry : entries) {
        if (entry.before != Before::Kept) continue;
        const std::error_code error = disk.Link(folder / entry.name, PreviousPath(folder, entry.name));
        if (error == std::errc::operation_not_supported)
            entry.aside = true;
        else if (error)
            return Failure(entry.name + kPreviousSuffix, error);
    }
    return {};
}

// Renames the staged files over their targets and removes the removed
// names, behind the commit record. On any failure the previous files come
// back; where even that fails, the record stays for the next run.
FileSetResult Commit(FileSystem& disk, const fs::path& folder, StagedFiles& staged, std::vector<Entry>& entries)
{
    const std::size_t last = staged.size() - 1;
    const fs::path recordPath = folder / kCommitRecordName;
    if (FileSetResult kept = KeepPrevious(disk, folder, entries); kept.failed) {
        RemovePrevious(disk, folder, entries);
        kept.openFile = last;
        kept.inCommit = true;
        return kept;
    }
    if (std::error_code error = ReplaceWhole(disk, recordPath, EncodeRecord(entries))) {
        RemovePrevious(disk, folder, entries);
        return Failure(kCommitRecordName, error, last, true);
    }

    std::error_code error = disk.SyncFolder(folder);
    std::string subject;
    for (std::size_t i = 0; !error && i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        subject = entry.name;
        const fs::path target = folder / entry.name;
        if (entry.aside) error = disk.Replace(target, PreviousPath(folder, entry.name));
        if (error) break;
        if (i < staged.size()) {
            staged[i].open = false;
            error = disk.Close(staged[i].handle);
            if (!error) error = disk.Replace(staged[i].temporary, target);
            if (!error) staged[i].temporary.clear();
        } else if (entry.before == Before::Kept && !entry.aside) {
            error = disk.Remove(target);
        }
    }
    if (!error) {
        subject.clear();
        error = disk.SyncFolder(folder);
        if (!error) error = disk.Remove(recordPath);
        if (!error) error = disk.SyncFolder(folder);
        if (!error) {
            RemovePrevious(disk, folder, entries);
            return {};
        }
    }
    FileSetResult failure = Failure(subject, error, last, true);
    std::error_code restored = RestorePrevious(disk, folder, entries);
    if (!restored) restored = disk.Remove(recordPath);
    if (restored == std::errc::no_such_file_or_directory) restored.clear(); // it was removed before the failure
    if (!restored) restored = disk.SyncFolder(folder);
    if (restored) {
        failure.reason += "; the previous files could not be put back (" + restored.message() +
                          "): the next run into this folder puts them back";
    } else {
        RemovePrevious(disk, folder, entries);
    }
    return failure;
}

} // namespace

FileSetResult PrepareFolder(const fs::path& folder, const std::vector<std::string>& names, FileSystem& disk,
                            const FileSetOptions& options)
{
    const FolderLock lock(disk, folder, options.wait);
    if (lock.Error()) return LockFailure(lock.Error());
    FileSetResult result = Prepare(disk, folder, names, options, 0);
    if (result.failed || names.empty()) return result;
    // Whether a file can be made here at all, before the long work.
    fs::path probe;
    FileSystem::Handle handle = 0;
    if (const std::error_code error = CreateTemporary(disk, folder / names.front(), probe, handle))
        return Failure(names.front(), error);
    disk.Close(handle);
    disk.Remove(probe);
    return {};
}

FileSetResult WriteFileSet(const fs::path& folder, const std::vector<OutputFile>& files, FileSystem& disk,
                           const FileSetOptions& options)
{
    if (files.empty()) return {};
    const std::vector<std::string> names = NamesOf(files, options);
    StagedFiles staged(disk, files.size());
    {
        const FolderLock lock(disk, folder, options.wait);
        if (lock.Error()) return LockFailure(lock.Error());
        if (FileSetResult prepared = Prepare(disk, folder, names, options, 0); prepared.failed) return prepared;
        for (std::size_t i = 0; i < files.size(); ++i) {
            staged[i].target = folder / files[i].name;
            const std::error_code error =
                CreateTemporary(disk, staged[i].target, staged[i].temporary, staged[i].handle);
            if (error) {
                staged[i].temporary.clear();
                return Failure(files[i].name, error, i);
            }
            staged[i].open = true;
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::error_code error = WriteAll(disk, staged[i].handle, files[i].content);
        if (!error) error = disk.Sync(staged[i].handle);
        if (error) return Failure(files[i].name, error, i);
        if (options.onStaged) options.onStaged(i);
    }
    const std::size_t last = files.size() - 1;
    const FolderLock lock(disk, folder, options.wait);
    if (lock.Error()) return LockFailure(lock.Error(), last, true);
    // Another run may have died in its commit while these files were written.
    std::vector<Entry> entries;
    if (FileSetResult prepared = Prepare(disk, folder, names, options, last, &entries); prepared.failed) {
        prepared.inCommit = true;
        return prepared;
    }
    return Commit(disk, folder, staged, entries);
}

} // namespace tarvenna
