#include "driver/generate_seed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "items/item_shuffle.h"
#include "support/checked_run.h"
#include "support/scratch_folder.h"

namespace tarvenna {
namespace {

namespace fs = std::filesystem;

using Driver = ScratchFolderTest;

TEST_F(Driver, StopRequestEndsTheRunWithoutWritingFiles)
{
    const StopFlag stop{true};
    EXPECT_TRUE(GenerateGame({.character = Character::Chris}, 1, folder_, 2, &stop).result.stopped);
    EXPECT_TRUE(fs::is_empty(folder_));
}

#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// No item deal passes under the first valid lock deal of this seed: the
// search shows it once it has seen every deal the generator can make
// (seconds in an optimised build). The locks are then dealt on, as if that
// deal had failed its check, and the stages after them run again.
TEST_F(Driver, ALockDealUnderWhichNoItemDealPassesIsDealtAgain)
{
    Settings settings;
    settings.character = Character::Chris;
    settings.randomizeLocks = true;
    settings.randomizeEnemies = true;
    const GeneratorState firstDeal = TablesOf(settings, 163);

    // Beside the log, the search tells how much of the cycle each lock deal's
    // search has ruled out: all of it for the first, then it ends.
    std::vector<SearchProgress> heard;
    RunOptions options;
    options.seed = 163;
    options.outputDirectory = folder_;
    options.threads = 2;
    options.onSearchProgress = [&](const SearchProgress& progress) { heard.push_back(progress); };
    GeneratedGame run;
    StatusLog statusLog;
    run.result = GenerateSeed(settings, options, run.state, statusLog);
    run.log = statusLog.Text();
    EXPECT_FALSE(run.result.itemsNeverPass || run.result.stopped || run.result.outputFailed);
    const auto ended = [](const SearchProgress& p) { return !p.searching; };
    const auto firstEnd = std::find_if(heard.begin(), heard.end(), ended);
    ASSERT_NE(firstEnd, heard.end());
    EXPECT_TRUE(firstEnd->lockDeal == 1 && firstEnd->ruledOut == firstEnd->cycle);
    EXPECT_TRUE(std::is_sorted(heard.begin(), firstEnd, [](const SearchProgress& a, const SearchProgress& b) {
        return a.ruledOut < b.ruledOut;
    }));
    EXPECT_GT(std::count_if(heard.begin(), firstEnd, [](const SearchProgress& p) { return WorthShowing(p); }), 10);
    EXPECT_TRUE(heard.back().lockDeal == 2 && !heard.back().searching && !WorthShowing(heard.back()));
    EXPECT_GT(run.state.lockDeals, firstDeal.lockDeals);
    EXPECT_NE(run.state.lockKinds, firstDeal.lockKinds);
    const std::string redeal = " no deal of the items can pass under these locks: dealing the locks again\n";
    const std::size_t at = run.log.find(redeal);
    ASSERT_NE(at, std::string::npos) << run.log.substr(0, 300);
    EXPECT_EQ(run.log.find(redeal, at + 1), std::string::npos);
    EXPECT_EQ(run.log.find("Randomizing Enemies", at), at + redeal.size()) << "the enemies follow the new locks";
    EXPECT_TRUE(run.log.ends_with("CheatSheetChrisNormal.txt . . .done!\n"));

    // The accepted items pass under the new lock deal's requirements.
    SlotAssignment accepted{};
    std::copy(run.state.slotAssignment.begin(), run.state.slotAssignment.end(), accepted.begin());
    const ItemRules rules(run.state.itemSlotTable);
    PlacementValidator validator(rules);
    EXPECT_TRUE(validator.ValidatePlacement(accepted));
    EXPECT_TRUE(fs::exists(folder_ / "ItemListChrisNormal.txt"));
}
#endif

TEST_F(Driver, UnwritableFolderIsReportedNotCelebrated)
{
    // Found before the search, which would be wasted.
    const GeneratedGame run = GenerateGame(Settings{}, 1, folder_ / "missing");
    EXPECT_TRUE(run.result.outputFailed);
    EXPECT_TRUE(run.result.folderRefused);
    EXPECT_EQ(run.log, "failed: No such file or directory\n");
}

} // namespace
} // namespace tarvenna
