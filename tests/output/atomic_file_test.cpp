#include "output/atomic_file.h"

#include <gtest/gtest.h>

#include <fstream>

#include "output/output_files.h"
#include "output/output_test_support.h"

namespace tarvenna {
namespace {

namespace fs = std::filesystem;

class OutputFolder : public ScratchFolderTest {
protected:
    std::size_t EntryCount() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
    }
};

TEST_F(OutputFolder, ReplacesAnOlderLongerFileCompletely)
{
    const fs::path target = folder_ / "ItemListJillNormal.txt";
    std::ofstream(target, std::ios::binary) << std::string(10000, 'x');
    EXPECT_EQ(WriteFileAtomically(target, "1\r\n2\r\n"), "");
    EXPECT_EQ(Read(target), "1\r\n2\r\n");
    EXPECT_EQ(EntryCount(), 1u); // no temporary file left behind
}

TEST_F(OutputFolder, MissingFolderFailsWithTheSystemsReason)
{
    const std::string error = WriteFileAtomically(folder_ / "absent" / "file.txt", "data");
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(fs::exists(folder_ / "absent"));
}

TEST_F(OutputFolder, FailedReplaceKeepsThePreviousTargetAndLeavesNoTemporary)
{
    // A folder standing where the file should go cannot be replaced by a file.
    const fs::path target = folder_ / "CheatSheetJillNormal.txt";
    fs::create_directory(target);
    std::ofstream(target / "keep", std::ios::binary) << "old";
    EXPECT_NE(WriteFileAtomically(target, "new"), "");
    EXPECT_EQ(Read(target / "keep"), "old");
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(OutputFolder, ReadOnlyFolderFailsAndKeepsThePreviousFile)
{
    const fs::path target = folder_ / "ItemListJillNormal.txt";
    std::ofstream(target, std::ios::binary) << "previous";
    fs::permissions(folder_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (std::ofstream(folder_ / "probe")) GTEST_SKIP() << "this user may write into read-only folders (root)";
    EXPECT_EQ(WriteFileAtomically(target, "new"), "Permission denied");
    EXPECT_EQ(Read(target), "previous");
}

TEST_F(OutputFolder, FailedFileIsReportedInTheStatusLogAndTheOtherIsStillWritten)
{
    const Settings settings;
    const GeneratorState state = UnshuffledState(settings);
    fs::create_directory(folder_ / "ItemListJillNormal.txt"); // blocks the item list file only
    StatusLog log;
    const OutputResult result = WriteOutputFiles(settings, state, log, folder_);
    EXPECT_TRUE(result.failed);
    EXPECT_NE(result.error.find("ItemListJillNormal.txt: "), std::string::npos);
    EXPECT_EQ(log.Text().rfind("Writing to ItemListJillNormal.txt . . .failed: ", 0), 0u);
    EXPECT_NE(log.Text().find("\nWriting to CheatSheetJillNormal.txt . . .done!\n"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(folder_ / "CheatSheetJillNormal.txt"));

    fs::remove(folder_ / "ItemListJillNormal.txt");
    StatusLog clean;
    EXPECT_FALSE(WriteOutputFiles(settings, state, clean, folder_).failed);
    EXPECT_EQ(clean.Text(),
              "Writing to ItemListJillNormal.txt . . .done!\nWriting to CheatSheetJillNormal.txt . . .done!\n");
}

} // namespace
} // namespace tarvenna
