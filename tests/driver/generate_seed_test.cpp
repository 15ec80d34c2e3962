#include "driver/generate_seed.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tarvenna {
namespace {

namespace fs = std::filesystem;

struct RunRecord {
    GenerateResult result;
    GeneratorState state;
    std::string log;
};

RunRecord Generate(const Settings& settings, std::uint32_t seed, const fs::path& folder)
{
    RunRecord run;
    StatusLog log;
    RunOptions options;
    options.seed = seed;
    options.outputDirectory = folder;
    run.result = GenerateSeed(settings, options, run.state, log);
    run.log = log.Text();
    return run;
}

class Driver : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() /
                  ("tarvenna-driver-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

TEST_F(Driver, NothingRandomizedKeepsEveryItemAndLogsOnlyTheOutput)
{
    Settings settings;
    settings.randomizeItems = false;
    const RunRecord run = Generate(settings, 5, folder_);
    EXPECT_FALSE(run.result.outputFailed);
    EXPECT_EQ(run.log,
              "Writing to ItemListJillNormal.txt . . .done!\nWriting to CheatSheetJillNormal.txt . . .done!\n");
    for (int slot = 0; slot < 180; ++slot) EXPECT_EQ(run.state.slotAssignment[static_cast<std::size_t>(slot)], slot);
}

TEST_F(Driver, ModifierWithItemsOffIsAnnouncedAroundTheRewrite)
{
    Settings settings;
    settings.randomizeItems = false;
    settings.fuelCapsuleArmed = true;
    const RunRecord run = Generate(settings, 5, folder_);
    EXPECT_EQ(run.log.rfind("Applying modifiers . . .done!\nWriting to ItemList", 0), 0u);
}

TEST_F(Driver, EnemiesAloneAnnounceThemselvesBeforeTheOutput)
{
    Settings settings;
    settings.randomizeItems = false;
    settings.randomizeEnemies = true;
    const RunRecord run = Generate(settings, 5, folder_);
    EXPECT_EQ(run.log.rfind("Randomizing Enemies . . .done!\nWriting to ItemList", 0), 0u);
}

TEST_F(Driver, SameSeedAndSettingsGiveIdenticalFiles)
{
    Settings settings;
    settings.randomizeEnemies = true;
    const RunRecord first = Generate(settings, 31337, folder_ );
    std::ifstream a(folder_ / "ItemListJillNormal.txt", std::ios::binary);
    std::stringstream firstText;
    firstText << a.rdbuf();
    const RunRecord second = Generate(settings, 31337, folder_);
    std::ifstream b(folder_ / "ItemListJillNormal.txt", std::ios::binary);
    std::stringstream secondText;
    secondText << b.rdbuf();
    EXPECT_EQ(firstText.str(), secondText.str());
    EXPECT_EQ(first.log, second.log);
    const RunRecord other = Generate(settings, 31338, folder_);
    EXPECT_NE(other.state.slotAssignment, first.state.slotAssignment);
}

TEST_F(Driver, StopRequestEndsTheRunWithoutWritingFiles)
{
    Settings settings;
    settings.character = Character::Chris;
    StopFlag stop{true};
    StatusLog log;
    RunOptions options;
    options.seed = 1;
    options.outputDirectory = folder_;
    options.stop = &stop;
    GeneratorState state;
    const GenerateResult result = GenerateSeed(settings, options, state, log);
    EXPECT_TRUE(result.stopped);
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
    StatusLog log;
    RunOptions options;
    options.seed = 163;
    options.outputDirectory = folder_;
    options.threads = 2;
    GeneratorState state;
    const GenerateResult result = GenerateSeed(settings, options, state, log);
    EXPECT_TRUE(result.itemsNeverPass);
    EXPECT_FALSE(result.stopped);
    EXPECT_TRUE(fs::is_empty(folder_));
    const std::string text = log.Text();
    EXPECT_TRUE(text.ends_with(". .failed: no deal of the items can ever pass with this seed\n")) << text.substr(text.size() - 80);
}
#endif

TEST_F(Driver, UnwritableFolderIsReportedNotCelebrated)
{
    const RunRecord run = Generate(Settings{}, 1, folder_ / "missing");
    EXPECT_TRUE(run.result.outputFailed);
    EXPECT_EQ(run.log.find("done!\nWriting to CheatSheet"), std::string::npos);
    EXPECT_NE(run.log.find("Writing to ItemListJillNormal.txt . . .failed: No such file or directory\n"),
              std::string::npos);
}

} // namespace
} // namespace tarvenna
