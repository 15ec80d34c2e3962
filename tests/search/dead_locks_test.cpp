#include <gtest/gtest.h>

#include <algorithm>

#include "search/fast_item_search.h"
#include "support/dead_locks.h"
#include "support/random_word.h"

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

// A proof searches half the cycle: deal i + 2^29 deals what deal i does,
// its generator differing only in bit 31. Seen by the plain deal (a pin
// included), by the fast search on both sides of the half, and at the
// cycle's ends.
TEST(DeadLocks, EachDealHasATwinHalfACycleOn)
{
    const FirstSearch first = FirstSearchOf(SeedCaseOf("--locks --character chris", 371).settings, 371);
    const FastItemSearch search(first.state.itemSlotTable, first.pins);
    Rng starts(99);
    for (int i = 0; i < 40; ++i) {
        const std::uint64_t deal = RandomWord(starts) % FastItemSearch::kDistinctDeals;
        const std::uint64_t twin = deal + FastItemSearch::kDistinctDeals;
        SlotAssignment dealt{};
        SlotAssignment twinDealt{};
        Rng at(Rng::JumpOf(180 * deal).Apply(first.start));
        Rng twinAt(Rng::JumpOf(180 * twin).Apply(first.start));
        EXPECT_EQ(at.State() ^ twinAt.State(), 0x80000000u);
        ShuffleItems(first.pins, at, dealt);
        ShuffleItems(first.pins, twinAt, twinDealt);
        EXPECT_EQ(dealt, twinDealt) << deal;
        EXPECT_EQ(at.State() ^ twinAt.State(), 0x80000000u);
    }
    // The first accepted deal, and its twin, found from either half.
    const ItemSearchResult found = search.Run(first.start, 2, nullptr, nullptr);
    ASSERT_FALSE(found.neverAccepted || found.stopped);
    const std::uint64_t accepted = found.attempts - 1;
    EXPECT_EQ(search.FirstAcceptedIn(first.start, accepted, 64), accepted);
    EXPECT_EQ(search.FirstAcceptedIn(first.start, accepted + FastItemSearch::kDistinctDeals, 64),
              accepted + FastItemSearch::kDistinctDeals);
    EXPECT_EQ(search.FirstAcceptedIn(first.start, FastItemSearch::kDistinctDeals, accepted + 1),
              accepted + FastItemSearch::kDistinctDeals);
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
        std::vector<std::uint64_t> reports;
        const ItemSearchResult result = FastItemSearch(first.state.itemSlotTable, first.pins)
                                            .Run(first.start, 2, nullptr, [&](std::uint64_t n) { reports.push_back(n); });
        EXPECT_TRUE(result.neverAccepted && !result.stopped) << dead.flags << " " << dead.seed;
        EXPECT_EQ(result.attempts, FastItemSearch::kDealCycle);
        // The progress marks count every deal of the cycle at the end, twins
        // included, and never a twin before its deal is ruled out.
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.back(), FastItemSearch::kDealCycle);
        EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
        EXPECT_TRUE(std::all_of(reports.begin(), reports.end(), [](std::uint64_t n) {
            return n <= FastItemSearch::kDistinctDeals || n == FastItemSearch::kDealCycle;
        }));
    }
}

} // namespace
} // namespace tarvenna
