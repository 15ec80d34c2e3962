#include <gtest/gtest.h>

#include <algorithm>

#include "search/fast_item_search.h"
#include "support/dead_locks.h"

namespace tarvenna {
namespace {

const std::vector<SeedCase>& DeadLocks()
{
    static const std::vector<SeedCase> cases = ReadDeadLocks(TARVENNA_TEST_DATA_DIR "/dead_locks.tsv");
    return cases;
}

// Optimised builds rule out longer stretches, and whole cycles.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) && !defined(_WIN32)
constexpr std::uint64_t kStretch = std::uint64_t{1} << 19;
constexpr bool kWholeCycles = true;
#else
constexpr std::uint64_t kStretch = std::uint64_t{1} << 11;
constexpr bool kWholeCycles = false;
#endif

// Under each collected lock deal, no deal of stretches spread over the cycle
// passes, whichever way the search reasons; the plain reference and the
// chained facts reject them at every stage they share.
TEST(DeadLocks, NoDealOfTheirCyclesPassesWhicheverWayTheSearchReasons)
{
    ASSERT_GE(DeadLocks().size(), 20u);
    for (const SeedCase& dead : DeadLocks()) {
        const FirstSearch first = FirstSearchOf(dead.settings, dead.seed);
        const FastItemSearch chained(first.state.itemSlotTable, first.pins);
        const FastItemSearch direct(first.state.itemSlotTable, first.pins, nullptr, Reasoning::Direct);
        for (std::uint64_t at : {std::uint64_t{0}, FastItemSearch::kDealCycle / 3, FastItemSearch::kDealCycle - kStretch}) {
            EXPECT_EQ(chained.FirstAcceptedIn(first.start, at, kStretch), std::nullopt) << dead.flags << " " << dead.seed;
            EXPECT_EQ(direct.FirstAcceptedIn(first.start, at, kStretch), std::nullopt) << dead.flags << " " << dead.seed;
        }
    }
}

// Two whole proofs: the Normal lock deal that was slowest to rule out with
// the plain reference, and the first Hard one.
TEST(DeadLocks, TheWholeCycleIsRuledOut)
{
    if (!kWholeCycles) GTEST_SKIP() << "seconds in an optimised build, minutes here";
    const auto hard = std::find_if(DeadLocks().begin(), DeadLocks().end(),
                                   [](const SeedCase& c) { return c.settings.difficulty == Difficulty::Hard; });
    ASSERT_NE(hard, DeadLocks().end());
    for (const SeedCase& dead : {SeedCaseOf("--locks --character chris", 1287), *hard}) {
        const FirstSearch first = FirstSearchOf(dead.settings, dead.seed);
        const ItemSearchResult result = FastItemSearch(first.state.itemSlotTable, first.pins).Run(first.start, 2, nullptr, nullptr);
        EXPECT_TRUE(result.neverAccepted && !result.stopped) << dead.flags << " " << dead.seed;
        EXPECT_EQ(result.attempts, FastItemSearch::kDealCycle);
    }
}

} // namespace
} // namespace tarvenna
