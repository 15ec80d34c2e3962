#include "items/fast_item_search.h"

#include <gtest/gtest.h>

#include "items/item_slot_table.h"
#include "items/sequential_item_search.h"

namespace tarvenna {
namespace {

struct Prepared {
    Settings settings;
    GeneratorState state;
    std::uint32_t searchStart = 0;
};

Prepared Prepare(Character character, Difficulty difficulty, bool locks, std::uint32_t seed)
{
    Prepared p;
    p.settings.character = character;
    p.settings.difficulty = difficulty;
    p.settings.randomizeLocks = locks;
    Rng rng(seed);
    BuildItemSlotTable(p.settings, p.state, rng);
    p.searchStart = rng.State();
    return p;
}

// Optimised builds compare thousands of searches; the slower checked
// builds (Debug, sanitizers) a sample of them.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
constexpr int kScale = 1;
#else
constexpr int kScale = 20;
#endif

// Compares whole searches from pseudo-random start states; searches that the
// plain search does not settle within `maxDeals` deals are skipped.
void ExpectSameAsSequential(Character character, Difficulty difficulty, bool locks, std::uint32_t tableSeed,
                            int searches, std::uint64_t maxDeals)
{
    const Prepared p = Prepare(character, difficulty, locks, tableSeed);
    const std::vector<int> pinned = PinnedSlots(p.settings);
    const FastItemSearch fast(p.state.itemSlotTable, pinned);
    Rng starts(12345 + tableSeed);
    int compared = 0;
    for (int i = 0; i < searches / kScale; ++i) {
        const std::uint32_t start = static_cast<std::uint32_t>(starts.Next()) << 17 ^ static_cast<std::uint32_t>(starts.Next());
        StopFlag giveUp{false};
        const ItemSearchResult plain = SequentialItemSearch(p.state.itemSlotTable, pinned, start, &giveUp,
                                                            [&](std::uint64_t rejected) { giveUp = rejected >= maxDeals; });
        if (plain.stopped) continue;
        ++compared;
        std::uint64_t lastReport = 0;
        bool ordered = true;
        const ItemSearchResult quick = fast.Run(start, 1 + static_cast<unsigned>(i % 2), nullptr,
                                                [&](std::uint64_t rejected) {
                                                    ordered = ordered && rejected >= lastReport;
                                                    lastReport = rejected;
                                                });
        ASSERT_FALSE(quick.stopped);
        ASSERT_EQ(quick.attempts, plain.attempts) << "start " << start;
        ASSERT_EQ(quick.assignment, plain.assignment) << "start " << start;
        ASSERT_EQ(quick.stateAfter, plain.stateAfter) << "start " << start;
        EXPECT_TRUE(ordered);
        EXPECT_LT(lastReport, quick.attempts); // the accepted deal is never counted as rejected
    }
    EXPECT_GE(compared, searches / kScale / 4);
}

TEST(FastItemSearch, AgreesWithTheSequentialSearchForJill)
{
    ExpectSameAsSequential(Character::Jill, Difficulty::Normal, false, 1, 1000, 30000);
    ExpectSameAsSequential(Character::Jill, Difficulty::Hard, false, 1, 1000, 30000);
}

TEST(FastItemSearch, AgreesWithTheSequentialSearchForChris)
{
    ExpectSameAsSequential(Character::Chris, Difficulty::Hard, false, 1, 200, 60000);
    ExpectSameAsSequential(Character::Chris, Difficulty::Normal, false, 1, 20, 400000);
}

TEST(FastItemSearch, AgreesWithTheSequentialSearchWithLocks)
{
    // Each table seed deals other locks, so other requirement tables.
    for (std::uint32_t tableSeed : {1u, 2u, 3u, 4u}) {
        ExpectSameAsSequential(Character::Jill, Difficulty::Normal, true, tableSeed, 400, 20000);
        ExpectSameAsSequential(Character::Jill, Difficulty::Hard, true, tableSeed, 200, 20000);
        ExpectSameAsSequential(Character::Chris, Difficulty::Normal, true, tableSeed, 100, 30000);
        ExpectSameAsSequential(Character::Chris, Difficulty::Hard, true, tableSeed, 100, 30000);
    }
}

TEST(FastItemSearch, StopRequestGivesNoVerdict)
{
    const Prepared p = Prepare(Character::Chris, Difficulty::Normal, false, 1);
    const FastItemSearch fast(p.state.itemSlotTable, PinnedSlots(p.settings));
    StopFlag stop{true};
    EXPECT_TRUE(fast.Run(p.searchStart, 2, &stop, nullptr).stopped);
}

} // namespace
} // namespace tarvenna
