#include "search/fast_item_search.h"

#include <gtest/gtest.h>

#include "driver/generate_seed.h"
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
    BuildItemTables(p.settings, p.state, rng);
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

std::uint32_t RandomStart(Rng& starts)
{
    return static_cast<std::uint32_t>(starts.Next()) << 17 ^ static_cast<std::uint32_t>(starts.Next());
}

void ExpectSameResult(const ItemSearchResult& quick, const ItemSearchResult& plain, std::uint32_t start)
{
    ASSERT_FALSE(quick.stopped);
    ASSERT_FALSE(plain.stopped);
    ASSERT_EQ(quick.attempts, plain.attempts) << "start " << start;
    ASSERT_EQ(quick.assignment, plain.assignment) << "start " << start;
    ASSERT_EQ(quick.stateAfter, plain.stateAfter) << "start " << start;
}

// Whole searches from pseudo-random start states, for tables whose searches
// are short; the progress reports must only grow and never count the
// accepted deal.
void ExpectSameWholeSearches(Character character, Difficulty difficulty, int searches)
{
    const Prepared p = Prepare(character, difficulty, false, 1);
    const std::vector<int> pinned = PinnedSlots(p.settings);
    const FastItemSearch fast(p.state.itemSlotTable, pinned);
    Rng starts(777);
    for (int i = 0; i < searches / kScale; ++i) {
        const std::uint32_t start = RandomStart(starts);
        const ItemSearchResult plain = SequentialItemSearch(p.state.itemSlotTable, p.settings, start, nullptr, nullptr);
        std::uint64_t lastReport = 0;
        bool growing = true;
        const ItemSearchResult quick =
            fast.Run(start, 1 + static_cast<unsigned>(i % 2), nullptr, [&](std::uint64_t rejected) {
                growing = growing && rejected >= lastReport;
                lastReport = rejected;
            });
        ExpectSameResult(quick, plain, start);
        EXPECT_TRUE(growing);
        EXPECT_EQ(lastReport, quick.attempts - 1);
    }
}

// For tables whose searches take hundreds of thousands of deals: the fast
// search finds an accepted deal from a random start, then both searches start
// up to `window` deals before it, so the plain search stays short while still
// judging every deal of the window and the accepted one.
void ExpectSameNearAcceptedDeals(Character character, Difficulty difficulty, bool locks, std::uint32_t tableSeed,
                                 int searches, std::uint64_t window)
{
    const Prepared p = Prepare(character, difficulty, locks, tableSeed);
    const std::vector<int> pinned = PinnedSlots(p.settings);
    const FastItemSearch fast(p.state.itemSlotTable, pinned);
    Rng starts(4242 + tableSeed);
    for (int i = 0; i < searches / kScale; ++i) {
        const std::uint32_t far = RandomStart(starts);
        const ItemSearchResult found = fast.Run(far, 2, nullptr, nullptr);
        ASSERT_FALSE(found.stopped);
        const std::uint64_t skipped = found.attempts - 1 - std::min(found.attempts - 1, window);
        const std::uint32_t start = Rng::JumpOf(180 * skipped).Apply(far);

        StopFlag tooLong{false};
        const ItemSearchResult plain = SequentialItemSearch(
            p.state.itemSlotTable, p.settings, start, &tooLong,
            [&](std::uint64_t rejected) { tooLong = rejected > window; });
        ASSERT_FALSE(plain.stopped) << "the plain search finds no accepted deal where the fast one did, start " << start;
        ExpectSameResult(fast.Run(start, 1 + static_cast<unsigned>(i % 2), nullptr, nullptr), plain, start);
        EXPECT_EQ(plain.attempts, found.attempts - skipped);
    }
}

TEST(FastItemSearch, AgreesWithTheSequentialSearchForJill)
{
    ExpectSameWholeSearches(Character::Jill, Difficulty::Normal, 1000);
    ExpectSameWholeSearches(Character::Jill, Difficulty::Hard, 1000);
}

TEST(FastItemSearch, AgreesWithTheSequentialSearchNearAcceptedDeals)
{
    ExpectSameNearAcceptedDeals(Character::Jill, Difficulty::Normal, false, 1, 1000, 1000);
    ExpectSameNearAcceptedDeals(Character::Chris, Difficulty::Normal, false, 1, 200, 1000);
    ExpectSameNearAcceptedDeals(Character::Chris, Difficulty::Hard, false, 1, 200, 1000);
}

TEST(FastItemSearch, AgreesWithTheSequentialSearchWithLocks)
{
    // Each table seed deals other locks, so other requirement tables.
    for (std::uint32_t tableSeed = 1; tableSeed <= 5; ++tableSeed) {
        for (Difficulty difficulty : {Difficulty::Normal, Difficulty::Hard}) {
            ExpectSameNearAcceptedDeals(Character::Jill, difficulty, true, tableSeed, 200, 1000);
            ExpectSameNearAcceptedDeals(Character::Chris, difficulty, true, tableSeed, 60, 1000);
        }
    }
}

TEST(FastItemSearch, PortableKernelsFindTheSameDeals)
{
    for (const bool locks : {false, true}) {
        const Prepared p = Prepare(Character::Jill, Difficulty::Normal, locks, 3);
        const std::vector<int> pinned = PinnedSlots(p.settings);
        const FastItemSearch fastest(p.state.itemSlotTable, pinned);
        const FastItemSearch portable(p.state.itemSlotTable, pinned, FastItemSearch::Kernels::Portable);
        Rng starts(31);
        for (int i = 0; i < 100 / kScale; ++i) {
            const std::uint32_t start = RandomStart(starts);
            ExpectSameResult(portable.Run(start, 2, nullptr, nullptr), fastest.Run(start, 2, nullptr, nullptr), start);
        }
    }
}

// Item 0 lies behind a key that needs item 0 wherever it lands: no deal
// passes. Over a shortened cycle the search says so instead of dealing on.
TEST(FastItemSearch, SaysSoWhenNoDealOfTheCycleCanPass)
{
    ItemSlotTable table;
    table.locationKeys.assign(180, 3);
    table.requirements[3] = {{0, {0}}};
    const FastItemSearch fast(table, {});
    std::uint64_t lastReport = 0;
    const ItemSearchResult result =
        fast.Run(77, 2, nullptr, [&](std::uint64_t rejected) { lastReport = rejected; }, 200000);
    EXPECT_TRUE(result.neverAccepted);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.attempts, 200000u);
    EXPECT_EQ(lastReport, 200000u);
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
