#include "output/file_set.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "output/output_files.h"
#include "output/output_test_support.h"

namespace tarvenna {
namespace {

namespace fs = std::filesystem;

// The real file system, with one call of a chosen number made to fail, and
// a trace of what was called on which file.
class FaultyDisk final : public FileSystem {
public:
    enum class Fault { None, Eio, NoSpace, Access, ShortWrite };

    FaultyDisk(Fault fault, int failAt) : fault_(fault), failAt_(failAt) {}

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
        if (fault_ == Fault::ShortWrite && (writes_++ == failAt_ || fired_)) {
            trace.push_back("write " + names_[handle]);
            if (fired_) return std::make_error_code(std::errc::no_space_on_device);
            fired_ = true;
            return real_.Write(handle, data.substr(0, data.size() / 2), written);
        }
        if (const auto error = Inject("write " + names_[handle])) return error;
        return real_.Write(handle, data, written);
    }
    std::error_code Sync(Handle handle) override
    {
        if (const auto error = Inject("sync " + names_[handle])) return error;
        return real_.Sync(handle);
    }
    // A close that fails still lets go of the file, as close(2) does.
    std::error_code Close(Handle handle) override
    {
        const auto error = Inject("close " + names_[handle]);
        const std::error_code closed = real_.Close(handle);
        return error ? error : closed;
    }
    std::error_code Replace(const fs::path& from, const fs::path& to) override
    {
        if (const auto error = Inject("replace " + Name(from) + " " + Name(to))) return error;
        return real_.Replace(from, to);
    }
    std::error_code Remove(const fs::path& path) override
    {
        if (const auto error = Inject("remove " + Name(path))) return error;
        return real_.Remove(path);
    }
    std::error_code SyncFolder(const fs::path& folder) override
    {
        if (const auto error = Inject("syncfolder")) return error;
        return real_.SyncFolder(folder);
    }
    bool RemoveIfAbandoned(const fs::path& path) override
    {
        if (Inject("clean " + Name(path))) return false;
        return real_.RemoveIfAbandoned(path);
    }
    std::error_code LockFolder(const fs::path& folder, Handle& lock) override
    {
        if (const auto error = Inject("lock")) return error;
        return real_.LockFolder(folder, lock);
    }
    void UnlockFolder(Handle lock) override
    {
        trace.push_back("unlock");
        real_.UnlockFolder(lock);
    }

private:
    static std::string Name(const fs::path& path) { return path.filename().string(); }
    std::error_code Inject(const std::string& call)
    {
        trace.push_back(call);
        if (fault_ == Fault::None || fault_ == Fault::ShortWrite || calls_++ != failAt_) return {};
        fired_ = true;
        const std::errc code = fault_ == Fault::Eio       ? std::errc::io_error
                               : fault_ == Fault::NoSpace ? std::errc::no_space_on_device
                                                          : std::errc::permission_denied;
        return std::make_error_code(code);
    }

    FileSystem& real_ = RealFileSystem();
    Fault fault_;
    int failAt_;
    int calls_ = 0;
    int writes_ = 0;
    bool fired_ = false;
    std::map<Handle, std::string> names_;
};

class OutputFolder : public ScratchFolderTest {
protected:
    std::set<std::string> Entries() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) names.insert(entry.path().filename().string());
        return names;
    }
    // The folder holds exactly the pair, and the lock file that runs share.
    void ExpectOnlyThePair() const
    {
        std::set<std::string> entries = Entries();
        entries.erase(kFolderLockName);
        EXPECT_EQ(entries, (std::set<std::string>{"CheatSheetJillNormal.txt", "ItemListJillNormal.txt"}));
    }
    void WritePair(const std::string& items, const std::string& sheet) const
    {
        std::ofstream(folder_ / "ItemListJillNormal.txt", std::ios::binary) << items;
        std::ofstream(folder_ / "CheatSheetJillNormal.txt", std::ios::binary) << sheet;
    }
    void ExpectPair(const std::string& items, const std::string& sheet) const
    {
        EXPECT_EQ(Read(folder_ / "ItemListJillNormal.txt"), items);
        EXPECT_EQ(Read(folder_ / "CheatSheetJillNormal.txt"), sheet);
    }
    OutputResult Write(FileSystem& disk, StatusLog& log) const
    {
        const Settings settings;
        return WriteOutputFiles(settings, UnshuffledState(settings), log, folder_, disk);
    }
};

TEST_F(OutputFolder, ReplacesAnOlderLongerPairCompletelyAndLogsAsBefore)
{
    WritePair(std::string(100000, 'x'), std::string(100000, 'y'));
    StatusLog log;
    EXPECT_FALSE(Write(RealFileSystem(), log).failed);
    EXPECT_EQ(log.Text(),
              "Writing to ItemListJillNormal.txt . . .done!\nWriting to CheatSheetJillNormal.txt . . .done!\n");
    EXPECT_EQ(Read(folder_ / "ItemListJillNormal.txt").substr(0, 3), "0\r\n");
    EXPECT_LT(Read(folder_ / "CheatSheetJillNormal.txt").size(), 100000u);
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

// A folder standing where the cheat sheet should go: the item list, already
// renamed into place, goes back to what it was.
TEST_F(OutputFolder, APairThatCannotBeCompletedLeavesThePreviousPair)
{
    std::ofstream(folder_ / "ItemListJillNormal.txt", std::ios::binary) << "old items";
    fs::create_directory(folder_ / "CheatSheetJillNormal.txt");
    StatusLog log;
    const OutputResult result = Write(RealFileSystem(), log);
    EXPECT_TRUE(result.failed);
    EXPECT_NE(result.error.find("CheatSheetJillNormal.txt: "), std::string::npos) << result.error;
    // The reason is the system's: "Is a directory" here, "Permission denied" on Windows.
    EXPECT_NE(log.Text().find("\nWriting to CheatSheetJillNormal.txt . . .failed: "), std::string::npos) << log.Text();
    EXPECT_EQ(Read(folder_ / "ItemListJillNormal.txt"), "old items");
    EXPECT_EQ(Entries().size(), 3u) << "no temporary file or commit record is left";
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
    for (const Case& c : {Case{Fault::Eio, "Input/output error"}, Case{Fault::NoSpace, "No space left on device"},
                          Case{Fault::Access, "Permission denied"}, Case{Fault::ShortWrite, "No space left on device"}}) {
        int steps = 0;
        for (int failAt = 0;; ++failAt, ++steps) {
            SCOPED_TRACE(c.reason + std::string(" at call ") + std::to_string(failAt));
            WritePair("old items", "old sheet");
            FaultyDisk disk(c.fault, failAt);
            StatusLog log;
            const OutputResult result = Write(disk, log);
            if (!disk.Fired()) {
                EXPECT_FALSE(result.failed) << log.Text();
                break;
            }
            const std::string& last = disk.trace.back();
            if (!result.failed) {
                // Only cleaning up after others may fail without failing the run.
                EXPECT_TRUE(last.starts_with("clean")) << last;
                continue;
            }
            ExpectPair("old items", "old sheet");
            ExpectOnlyThePair();
            const std::string lastLine = log.Text().substr(log.Text().rfind('\n', log.Text().size() - 2) + 1);
            EXPECT_NE(lastLine.find(" . . .failed: "), std::string::npos) << log.Text();
            EXPECT_TRUE(lastLine.ends_with(std::string(c.reason) + "\n")) << log.Text();
        }
        EXPECT_GT(steps, c.fault == Fault::ShortWrite ? 2 : 15) << "every call of a two-file write was failed in turn";
    }
}

// The order that makes the pair safe: both files whole and synced before
// either replaces its target, the commit record before the renames, the
// folder synced after them.
TEST_F(OutputFolder, BothFilesAreOnTheDiskBeforeEitherReplacesItsTarget)
{
    FaultyDisk disk(FaultyDisk::Fault::None, 0);
    StatusLog log;
    ASSERT_FALSE(Write(disk, log).failed);
    auto at = [&](const std::string& prefix) {
        const auto it = std::find_if(disk.trace.begin(), disk.trace.end(),
                                     [&](const std::string& call) { return call.starts_with(prefix); });
        EXPECT_NE(it, disk.trace.end()) << prefix;
        return it - disk.trace.begin();
    };
    const auto firstReplace = at("replace ");
    EXPECT_LT(at("sync ItemListJillNormal.txt."), firstReplace);
    EXPECT_LT(at("sync CheatSheetJillNormal.txt."), firstReplace);
    EXPECT_LT(at(std::string("sync ") + kCommitRecordName), firstReplace);
    EXPECT_LT(at("replace CheatSheetJillNormal.txt."), at(std::string("remove ") + kCommitRecordName));
    EXPECT_EQ(disk.trace[static_cast<std::size_t>(at("replace CheatSheetJillNormal.txt.")) + 1], "syncfolder");
}

// A run killed between its two renames leaves its commit record: the next
// run into the folder puts the previous pair back before anything else.
TEST_F(OutputFolder, TheNextRunUndoesACommitCutShortAndRemovesAbandonedFiles)
{
    WritePair("new items", "old sheet");
    std::ofstream(folder_ / kCommitRecordName, std::ios::binary)
        << "tarvenna commit 1\nItemListJillNormal.txt\n9\nold itemsCheatSheetJillNormal.txt\n9\nold sheetend\n";
    std::ofstream(folder_ / (std::string("ItemListJillNormal.txt.1-2") + kTemporarySuffix)) << "abandoned";
    FileSystem::Handle live = 0;
    const fs::path held = folder_ / (std::string("CheatSheetJillNormal.txt.3-4") + kTemporarySuffix);
    ASSERT_FALSE(RealFileSystem().CreateNew(held, live));

    ASSERT_FALSE(RecoverFolder(folder_, RealFileSystem()));
    ExpectPair("old items", "old sheet");
    EXPECT_TRUE(fs::exists(held)) << "a file its writer still holds is left alone";
    RealFileSystem().Close(live);
    ASSERT_FALSE(RecoverFolder(folder_, RealFileSystem()));
    ExpectOnlyThePair();

    // A record cut short was never complete: nothing had been renamed yet.
    std::ofstream(folder_ / kCommitRecordName, std::ios::binary) << "tarvenna commit 1\nItemListJillNormal.txt\n9\nold";
    ASSERT_FALSE(RecoverFolder(folder_, RealFileSystem()));
    ExpectPair("old items", "old sheet");
    ExpectOnlyThePair();
}

} // namespace
} // namespace tarvenna
