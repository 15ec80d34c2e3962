#include "driver/generate_seed.h"

#include <gtest/gtest.h>

#include "output/output_test_support.h"

namespace tarvenna {
namespace {

namespace fs = std::filesystem;

struct RunRecord {
    GenerateResult result;
    GeneratorState state;
    std::string log;
};

class Driver : public ScratchFolderTest {
protected:
    RunRecord Generate(const Settings& settings, std::uint32_t seed, unsigned threads = 1,
                       const StopFlag* stop = nullptr, const fs::path& folder = {})
    {
        RunRecord run;
        StatusLog log;
        RunOptions options;
        options.seed = seed;
        options.outputDirectory = folder.empty() ? folder_ : folder;
        options.threads = threads;
        options.stop = stop;
        run.result = GenerateSeed(settings, options, run.state, log);
        run.log = log.Text();
        return run;
    }
};

// The files depend on the seed and the settings only, not on the threads
// sharing the search.
TEST_F(Driver, SameSeedAndSettingsGiveIdenticalFilesWhateverTheThreads)
{
    Settings settings;
    settings.randomizeEnemies = true;
    const RunRecord first = Generate(settings, 31337, 1);
    const std::string items = Read(folder_ / "ItemListJillNormal.txt");
    const std::string sheet = Read(folder_ / "CheatSheetJillNormal.txt");
    ASSERT_FALSE(items.empty());
    const RunRecord second = Generate(settings, 31337, 2);
    EXPECT_EQ(Read(folder_ / "ItemListJillNormal.txt"), items);
    EXPECT_EQ(Read(folder_ / "CheatSheetJillNormal.txt"), sheet);
    EXPECT_EQ(first.log, second.log);
    EXPECT_NE(Generate(settings, 31338, 2).state.slotAssignment, first.state.slotAssignment);
}

TEST_F(Driver, StopRequestEndsTheRunWithoutWritingFiles)
{
    Settings settings;
    settings.character = Character::Chris;
    const StopFlag stop{true};
    EXPECT_TRUE(Generate(settings, 1, 2, &stop).result.stopped);
    EXPECT_TRUE(fs::is_empty(folder_));
}

#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// The literal search would deal forever: no deal of this lock table passes.
// The search stops once it has seen every deal the generator can make
// (seconds in an optimised build) and the run writes nothing.
TEST_F(Driver, ASeedWhoseItemDealsNeverPassEndsWithoutFiles)
{
    Settings settings;
    settings.character = Character::Chris;
    settings.randomizeLocks = true;
    const RunRecord run = Generate(settings, 163, 2);
    EXPECT_TRUE(run.result.itemsNeverPass);
    EXPECT_FALSE(run.result.stopped);
    EXPECT_TRUE(fs::is_empty(folder_));
    EXPECT_TRUE(run.log.ends_with(". .failed: no deal of the items can ever pass with this seed\n"))
        << run.log.substr(run.log.size() - 80);
}
#endif

TEST_F(Driver, UnwritableFolderIsReportedNotCelebrated)
{
    const RunRecord run = Generate(Settings{}, 1, 1, nullptr, folder_ / "missing");
    EXPECT_TRUE(run.result.outputFailed);
    EXPECT_EQ(run.log.find("done!\nWriting to CheatSheet"), std::string::npos);
    EXPECT_NE(run.log.find("Writing to ItemListJillNormal.txt . . .failed: No such file or directory\n"),
              std::string::npos);
}

} // namespace
} // namespace tarvenna
