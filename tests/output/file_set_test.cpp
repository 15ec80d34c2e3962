#include "output/file_set.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <set>

#include <xxhash.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "output/output_files.h"
#include "support/scratch_folder.h"

namespace tarvenna {
namespace {

namespace fs = std::filesystem;

// The real file system, with the calls of chosen numbers made to fail, and
// a trace of what was called on which file.
class FaultyDisk final : public FileSystem {
public:
    enum class Fault { None, Eio, NoSpace, Access, ShortWrite };

    FaultyDisk(Fault fault, std::set<int> failAt) : fault_(fault), failAt_(std::move(failAt)) {}

    bool Fired() const { return fired_; }
    std::vector<std::string> trace;

    std::error_code CreateNew(const fs::path& path, Handle& handle) override
    {
        if (const auto error = Inject("create " + Name(path))) return error;
        const std::error_code error = real_.CreateNew(path, handle);
        if (!error) names_[handle] = Name(path);
        return error;
    }
    std::error_code Write(Handle handle, std::string_view data, std::size_t& written) override
    {
        // A short write counts writes only: half of that one goes through,
        // then the disk is full.
        if (fault_ == Fault::ShortWrite && (failAt_.contains(writes_++) || fired_)) {
            trace.push_back("write " + names_[handle]);
            if (fired_) return std::make_error_code(std::errc::no_space_on_device);
            fired_ = true;
            return real_.Write(handle, data.substr(0, data.size() / 2), written);
        }
        if (const auto error = Inject("write " + names_[handle])) return error;
        return real_.Write(handle, data, written);
    }
    std::error_code Sync(Handle handle) override { return Faulty("sync " + names_[handle], &FileSystem::Sync, handle); }
    // A close that fails still lets go of the file, as close(2) does.
    std::error_code Close(Handle handle) override
    {
        const auto error = Inject("close " + names_[handle]);
        const std::error_code closed = real_.Close(handle);
        return error ? error : closed;
    }
    std::error_code Replace(const fs::path& from, const fs::path& to) override
    {
        return Faulty("replace " + Name(from) + " " + Name(to), &FileSystem::Replace, from, to);
    }
    std::error_code Remove(const fs::path& path) override
    {
        return Faulty("remove " + Name(path), &FileSystem::Remove, path);
    }
    std::error_code SyncFolder(const fs::path& folder) override
    {
        return Faulty("syncfolder", &FileSystem::SyncFolder, folder);
    }
    std::error_code Link(const fs::path& existing, const fs::path& link) override
    {
        return Faulty("link " + Name(existing), &FileSystem::Link, existing, link);
    }
    std::error_code Inspect(const fs::path& path, EntryKind& kind) override
    {
        return Faulty("inspect " + Name(path), &FileSystem::Inspect, path, kind);
    }
    std::error_code ReadSmall(const fs::path& path, std::size_t limit, std::string& content) override
    {
        return Faulty("read " + Name(path), &FileSystem::ReadSmall, path, limit, content);
    }
    bool RemoveIfAbandoned(const fs::path& path) override
    {
        if (Inject("clean " + Name(path))) return false;
        return real_.RemoveIfAbandoned(path);
    }
    std::error_code LockFolder(const fs::path& folder, const LockWait& wait, Handle& lock) override
    {
        return Faulty("lock", &FileSystem::LockFolder, folder, wait, lock);
    }
    void UnlockFolder(Handle lock) override
    {
        trace.push_back("unlock");
        real_.UnlockFolder(lock);
    }
    std::error_code OpenAppending(const fs::path& path, Handle& handle, std::uint64_t& size) override
    {
        return real_.OpenAppending(path, handle, size);
    }
    std::error_code ReadAt(Handle handle, std::uint64_t offset, std::size_t count, std::string& content) override
    {
        return real_.ReadAt(handle, offset, count, content);
    }
    std::error_code Append(Handle handle, std::string_view data, std::size_t& written) override
    {
        return real_.Append(handle, data, written);
    }
    std::error_code Truncate(Handle handle, std::uint64_t size) override { return real_.Truncate(handle, size); }

private:
    static std::string Name(const fs::path& path) { return path.filename().string(); }
    std::error_code Inject(const std::string& call)
    {
        trace.push_back(call);
        if (fault_ == Fault::None || fault_ == Fault::ShortWrite || !failAt_.contains(calls_++)) return {};
        fired_ = true;
        const std::errc code = fault_ == Fault::Eio       ? std::errc::io_error
                               : fault_ == Fault::NoSpace ? std::errc::no_space_on_device
                                                          : std::errc::permission_denied;
        return std::make_error_code(code);
    }
    // The real call, unless `call` is the one to fail.
    template <typename... Params, typename... Args>
    std::error_code Faulty(const std::string& call, std::error_code (FileSystem::*real)(Params...), Args&&... args)
    {
        if (const auto error = Inject(call)) return error;
        return (real_.*real)(std::forward<Args>(args)...);
    }

    FileSystem& real_ = RealFileSystem();
    Fault fault_;
    std::set<int> failAt_;
    int calls_ = 0;
    int writes_ = 0;
    bool fired_ = false;
    std::map<Handle, std::string> names_;
};

const char* const kItems = "ItemListJillNormal.txt";
const char* const kSheet = "CheatSheetJillNormal.txt";
const char* const kSpoiler = "SpoilerJillNormal.json";

class OutputFolder : public ScratchFolderTest {
protected:
    std::set<std::string> Entries() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) names.insert(entry.path().filename().string());
        return names;
    }
    void ExpectOnlyThePair() const { EXPECT_EQ(Entries(), (std::set<std::string>{kSheet, kItems})); }
    void WritePair(const std::string& items, const std::string& sheet) const
    {
        std::ofstream(folder_ / kItems, std::ios::binary) << items;
        std::ofstream(folder_ / kSheet, std::ios::binary) << sheet;
    }
    void ExpectPair(const std::string& items, const std::string& sheet) const
    {
        EXPECT_EQ(Read(folder_ / kItems), items);
        EXPECT_EQ(Read(folder_ / kSheet), sheet);
    }
    OutputResult Write(FileSystem& disk, StatusLog& log, const std::vector<OutputFile>& extra = {},
                       const LockWait& wait = {}) const
    {
        const Settings settings;
        return WriteOutputFiles(settings, UnshuffledState(settings), log, folder_, disk, extra, wait);
    }
    // The number by which FaultyDisk counts the first call traced as `call`.
    static int CallNumber(const FaultyDisk& disk, const std::string& call)
    {
        int number = 0;
        for (const std::string& traced : disk.trace) {
            if (traced == call) return number;
            if (traced != "unlock") ++number; // traced, but it cannot fail
        }
        ADD_FAILURE() << "no call " << call;
        return -1;
    }
    // A record as a writer that knows the format would make it, checksum and all.
    void PlantRecord(const std::string& body) const
    {
        const std::string text = "tarvenna commit 2\n" + body;
        char checksum[17];
        std::snprintf(checksum, sizeof checksum, "%016llx",
                      static_cast<unsigned long long>(XXH3_64bits(text.data(), text.size())));
        std::ofstream(folder_ / kCommitRecordName, std::ios::binary) << text << "check " << checksum << "\n";
    }
};

TEST_F(OutputFolder, ReplacesAnOlderLongerPairCompletelyAndLeavesNothingElse)
{
    WritePair(std::string(100000, 'x'), std::string(100000, 'y'));
    StatusLog log;
    EXPECT_FALSE(Write(RealFileSystem(), log).failed);
    EXPECT_EQ(log.Text(),
              "Writing to ItemListJillNormal.txt . . .done!\nWriting to CheatSheetJillNormal.txt . . .done!\n");
    EXPECT_EQ(Read(folder_ / kItems).substr(0, 3), "0\r\n");
    EXPECT_LT(Read(folder_ / kSheet).size(), 100000u);
    ExpectOnlyThePair();
}

TEST_F(OutputFolder, MissingFolderFailsWithTheSystemsReason)
{
    StatusLog log;
    const Settings settings;
    const OutputResult result = WriteOutputFiles(settings, UnshuffledState(settings), log, folder_ / "absent");
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(log.Text(), "Writing to ItemListJillNormal.txt . . .failed: No such file or directory\n");
    EXPECT_FALSE(fs::exists(folder_ / "absent"));
}

// A spoiler of the previous game goes with the new pair when none is asked
// for, and comes back when the commit fails.
TEST_F(OutputFolder, TheSpoilerGoesAndComesWithTheSet)
{
    StatusLog log;
    ASSERT_FALSE(Write(RealFileSystem(), log, {{kSpoiler, "old spoiler"}}).failed);
    FaultyDisk probe(FaultyDisk::Fault::None, {});
    ASSERT_FALSE(Write(probe, log).failed);

    ASSERT_FALSE(Write(RealFileSystem(), log, {{kSpoiler, "old spoiler"}}).failed);
    const std::string items = Read(folder_ / kItems);
    FaultyDisk disk(FaultyDisk::Fault::Eio, {CallNumber(probe, std::string("remove ") + kSpoiler)});
    EXPECT_TRUE(Write(disk, log).failed);
    EXPECT_EQ(Read(folder_ / kSpoiler), "old spoiler");
    EXPECT_EQ(Read(folder_ / kItems), items);
    EXPECT_EQ(Entries(), (std::set<std::string>{kItems, kSheet, kSpoiler}));
}

// Every call of the writer, failed in turn in each way a disk fails: the
// previous pair stays, nothing stray is left, and the log says why.
TEST_F(OutputFolder, AFailureAtAnyStepLeavesThePreviousPairAndNothingElse)
{
    using Fault = FaultyDisk::Fault;
    struct Case {
        Fault fault;
        const char* reason;
    };
    for (const Case& c :
         {Case{Fault::Eio, "Input/output error"}, Case{Fault::NoSpace, "No space left on device"},
          Case{Fault::Access, "Permission denied"}, Case{Fault::ShortWrite, "No space left on device"}}) {
        int steps = 0;
        for (int failAt = 0;; ++failAt, ++steps) {
            SCOPED_TRACE(c.reason + std::string(" at call ") + std::to_string(failAt));
            WritePair("old items", "old sheet");
            FaultyDisk disk(c.fault, {failAt});
            StatusLog log;
            const OutputResult result = Write(disk, log);
            if (!disk.Fired()) {
                EXPECT_FALSE(result.failed) << log.Text();
                break;
            }
            const std::string& last = disk.trace.back();
            if (!result.failed) {
                // Only cleaning up after the commit may fail without failing the run.
                EXPECT_TRUE(last.starts_with("clean") || last.ends_with(kPreviousSuffix) ||
                            last.starts_with("inspect") || last == "unlock")
                    << last;
                ExpectPair(Read(folder_ / kItems), Read(folder_ / kSheet));
                continue;
            }
            ExpectPair("old items", "old sheet");
            ExpectOnlyThePair();
            const std::string lastLine = log.Text().substr(log.Text().rfind('\n', log.Text().size() - 2) + 1);
            EXPECT_NE(lastLine.find(" . . .failed: "), std::string::npos) << log.Text();
            EXPECT_TRUE(lastLine.ends_with(std::string(c.reason) + "\n")) << log.Text();
        }
        EXPECT_GT(steps, c.fault == Fault::ShortWrite ? 2 : 25) << "every call of a two-file write was failed in turn";
    }
}

// A rename fails in the commit, and so does putting the previous files back:
// the record stays, and the next run puts them back before anything else.
TEST_F(OutputFolder, AFailedRestoreKeepsTheRecordForTheNextRun)
{
    FaultyDisk probe(FaultyDisk::Fault::None, {});
    StatusLog log;
    WritePair("old items", "old sheet");
    ASSERT_FALSE(Write(probe, log).failed);
    const auto sheetRename = std::find_if(probe.trace.begin(), probe.trace.end(), [](const std::string& call) {
        return call.starts_with("replace CheatSheetJillNormal.txt.") && call.ends_with(kSheet);
    });
    ASSERT_NE(sheetRename, probe.trace.end());
    const int renameAt = CallNumber(probe, *sheetRename);

    for (int restoreAt = renameAt + 1; restoreAt < renameAt + 6; ++restoreAt) {
        SCOPED_TRACE("restore fails at call " + std::to_string(restoreAt));
        WritePair("old items", "old sheet");
        FaultyDisk disk(FaultyDisk::Fault::Eio, {renameAt, restoreAt});
        const OutputResult result = Write(disk, log);
        ASSERT_TRUE(result.failed);
        if (fs::exists(folder_ / kCommitRecordName)) {
            EXPECT_NE(result.error.find("the next run into this folder puts them back"), std::string::npos)
                << result.error;
        }
        // The next run, before its own files, finishes the restore.
        const Settings settings;
        ASSERT_FALSE(CheckOutputFolder(settings, log, folder_).failed) << log.Text();
        ExpectPair("old items", "old sheet");
        ExpectOnlyThePair();
    }
}

// The order that makes the pair safe: both files whole and synced before
// either replaces its target, the previous files kept and the commit record
// on the disk before the renames, the folder synced after them.
TEST_F(OutputFolder, BothFilesAreOnTheDiskBeforeEitherReplacesItsTarget)
{
    WritePair("old items", "old sheet");
    FaultyDisk disk(FaultyDisk::Fault::None, {});
    StatusLog log;
    ASSERT_FALSE(Write(disk, log).failed);
    auto at = [&](const std::string& prefix, const std::string& suffix = "") {
        const auto it = std::find_if(disk.trace.begin(), disk.trace.end(), [&](const std::string& call) {
            return call.starts_with(prefix) && call.ends_with(suffix);
        });
        EXPECT_NE(it, disk.trace.end()) << prefix;
        return it - disk.trace.begin();
    };
    const auto firstRename = at("replace ItemListJillNormal.txt.", kItems);
    EXPECT_LT(at("sync ItemListJillNormal.txt."), firstRename);
    EXPECT_LT(at("sync CheatSheetJillNormal.txt."), firstRename);
    EXPECT_LT(at("link ItemListJillNormal.txt"), firstRename);
    EXPECT_LT(at("link CheatSheetJillNormal.txt"), firstRename);
    EXPECT_LT(at("replace .tarvenna-commit.", kCommitRecordName), firstRename);
    EXPECT_LT(at("sync .tarvenna-commit."), at("replace .tarvenna-commit."));
    const auto lastRename = at("replace CheatSheetJillNormal.txt.", kSheet);
    EXPECT_LT(lastRename, at(std::string("remove ") + kCommitRecordName));
    EXPECT_EQ(disk.trace[static_cast<std::size_t>(lastRename) + 1], "syncfolder");
}

// A record is acted on only if this writer could have made it: a commit
// record's checksum and one set's names. Anything else stays where it is and
// the run writes nothing, whatever the record asks for. (The older format's
// record and a folder in its place: the command's hostile folder test.)
TEST_F(OutputFolder, ARecordTheWriterDidNotMakeIsNeverActedOn)
{
    struct Case {
        const char* why;
        std::function<void()> plant;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"a good checksum over a name outside the sets",
         [&] { PlantRecord("save1.dat absent\nItemListJillNormal.txt kept\nCheatSheetJillNormal.txt kept\n"); },
         "it names files that no run of Tarvenna writes together"},
        {"a good checksum over a path out of the folder", [&] { PlantRecord("..\\elsewhere\\target.txt absent\n"); },
         "it names files that no run of Tarvenna writes together"},
        {"a good checksum over two sets' names",
         [&] {
             PlantRecord(
                 "ItemListJillNormal.txt absent\nCheatSheetChrisHard.txt absent\nSpoilerJillNormal.json absent\n");
         },
         "it names files that no run of Tarvenna writes together"},
        {"a state that is neither", [&] { PlantRecord("ItemListJillNormal.txt gone\n"); },
         "it is not a commit record Tarvenna wrote"},
        {"a record cut short",
         [&] {
             PlantRecord(
                 "ItemListJillNormal.txt absent\nCheatSheetJillNormal.txt absent\nSpoilerJillNormal.json absent\n");
             fs::resize_file(folder_ / kCommitRecordName, fs::file_size(folder_ / kCommitRecordName) - 3);
         },
         "it is not a commit record Tarvenna wrote"},
        {"a size the writer never makes",
         [&] { std::ofstream(folder_ / kCommitRecordName, std::ios::binary) << std::string(5000, 'x'); },
         "it is larger than any file Tarvenna writes"},
#ifndef _WIN32
        {"a link to nowhere", [&] { fs::create_symlink(folder_ / "nowhere", folder_ / kCommitRecordName); },
         "it is a symbolic link, not a file"},
        {"a named pipe", [&] { ASSERT_EQ(mkfifo((folder_ / kCommitRecordName).c_str(), 0644), 0); },
         "it is not a regular file"},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        WritePair("old items", "old sheet");
        std::ofstream(folder_ / "save1.dat") << "save";
        c.plant();
        const std::set<std::string> before = Entries();
        StatusLog log;
        const OutputResult result = Write(RealFileSystem(), log);
        EXPECT_TRUE(result.failed);
        EXPECT_EQ(log.Text(), "Writing to ItemListJillNormal.txt . . .failed: .tarvenna-commit: " +
                                  std::string(c.reason) + "; left as it is: move it away\n");
        EXPECT_EQ(Entries(), before);
        ExpectPair("old items", "old sheet");
        EXPECT_EQ(Read(folder_ / "save1.dat"), "save");
    }
}

// What stands at a target's name: a file or a link is replaced (the link
// itself, never what it points at); a folder or a special file stops the
// set before anything changes. The command's hostile folder test plants the
// folder; here a pipe.
TEST_F(OutputFolder, TargetsAreReplacedNeverWrittenThroughAndOnlyFilesAndLinksAre)
{
    const fs::path secret = folder_ / "outside" / "secret.txt";
    fs::create_directories(secret.parent_path());
    std::ofstream(secret, std::ios::binary) << "secret";
#ifndef _WIN32
    fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write);
    const fs::path game = folder_ / "game";
    fs::create_directory(game);
    fs::create_symlink(secret, game / kItems);
    ASSERT_EQ(mkfifo((game / kSheet).c_str(), 0644), 0);
    StatusLog log;
    const Settings settings;
    OutputResult result = WriteOutputFiles(settings, UnshuffledState(settings), log, game);
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(log.Text(), "Writing to ItemListJillNormal.txt . . .failed: CheatSheetJillNormal.txt: it is not a "
                          "regular file; left as it is: move it away\n");
    EXPECT_TRUE(fs::is_symlink(game / kItems));

    fs::remove(game / kSheet);
    result = WriteOutputFiles(settings, UnshuffledState(settings), log, game);
    EXPECT_FALSE(result.failed) << result.error;
    EXPECT_FALSE(fs::is_symlink(game / kItems));
    EXPECT_EQ(Read(game / kItems).substr(0, 3), "0\r\n");
    EXPECT_EQ(Read(secret), "secret");
    EXPECT_EQ(fs::status(secret).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
#endif
}

// Leftovers of runs that died: temporary files nobody holds and previous
// files' second names go; a file its writer still holds, a pipe that merely
// carries the suffix, and names not of the writer's sets stay.
TEST_F(OutputFolder, LeftoversOfDeadRunsGoAndNothingElseDoes)
{
    std::ofstream(folder_ / (std::string(kItems) + ".1-2" + kTemporarySuffix)) << "abandoned";
    std::ofstream(folder_ / (std::string(kSheet) + kPreviousSuffix)) << "previous";
    std::ofstream(folder_ / (std::string("save1.dat") + kPreviousSuffix)) << "not the writer's";
    FileSystem::Handle live = 0;
    const fs::path held = folder_ / (std::string(kSheet) + ".3-4" + kTemporarySuffix);
    ASSERT_FALSE(RealFileSystem().CreateNew(held, live));
#ifndef _WIN32
    const fs::path pipe = folder_ / (std::string("x") + kTemporarySuffix);
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
#endif
    StatusLog log;
    const Settings settings;
    ASSERT_FALSE(CheckOutputFolder(settings, log, folder_).failed);
    std::set<std::string> expected = {held.filename().string(), std::string("save1.dat") + kPreviousSuffix};
#ifndef _WIN32
    expected.insert(pipe.filename().string());
#endif
    EXPECT_EQ(Entries(), expected);
    RealFileSystem().Close(live);
}

// Another run holds the folder: the wait is reported after a second and
// can be called off, and then nothing is written.
TEST_F(OutputFolder, AWaitForTheFolderIsToldAndCanBeCalledOff)
{
    FileSystem::Handle held = 0;
    ASSERT_FALSE(RealFileSystem().LockFolder(folder_, {}, held));
    StopFlag stop{false};
    std::atomic<bool> told{false};
    const auto start = std::chrono::steady_clock::now();
    LockWait wait{&stop, [&] {
                      told = true;
                      stop = true;
                  }};
    StatusLog log;
    const OutputResult result = Write(RealFileSystem(), log, {}, wait);
    EXPECT_TRUE(told);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_TRUE(result.stopped);
    EXPECT_FALSE(result.failed);
#ifdef _WIN32
    // There the lock is a file, gone when its holder lets go.
    EXPECT_EQ(Entries(), std::set<std::string>{kFolderLockName});
#else
    EXPECT_TRUE(Entries().empty());
#endif
    RealFileSystem().UnlockFolder(held);
    EXPECT_TRUE(Entries().empty());
    EXPECT_FALSE(Write(RealFileSystem(), log).failed);
}

} // namespace
} // namespace tarvenna
