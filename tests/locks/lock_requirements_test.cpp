#include "locks/lock_requirements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/status_log.h"
#include "locks/lock_data.h"
#include "locks/lock_test_support.h"
#include "locks/lock_randomizer.h"
#include "driver/item_stage.h"
#include "items/item_shuffle.h"
#include "driver/generate_seed.h"

namespace tarvenna {
namespace {

using Table = std::map<int, RequirementLists>;

Table Build(const std::vector<int>& kinds, Character character = Character::Jill)
{
    Table table;
    BuildLockRequirements(LockSettings(character), kinds, table);
    return table;
}

// The entry of a location, without creating it.
RequirementLists EntryOf(const Table& table, int location)
{
    auto found = table.find(location);
    return found == table.end() ? RequirementLists{} : found->second;
}

// Lock 10 takes the Control Room Key (139), lock 14 keeps the Sword Key (100),
// lock 28 the Shield Key (3), lock 8 the Helmet Key (150); lock 30 unlocked
// opens the way round through lock 8.
TEST(LockRequirements, Location99TakesLock28IntoAllButTheLastWayInto87AndLock8IntoTheLast)
{
    std::vector<int> kinds = VanillaKinds();
    kinds[10] = 1;
    kinds[28] = 13;
    kinds[8] = 4;
    kinds[30] = kUnlocked;

    Table table = Build(kinds);
    EXPECT_EQ(EntryOf(table, 87), (RequirementLists{{1, {139}}, {2, {100}}}));
    EXPECT_EQ(EntryOf(table, 99), (RequirementLists{{1, {139, 3}}, {2, {100, 150}}}));

    kinds[10] = kOneWayDoorReversed;
    table = Build(kinds);
    EXPECT_EQ(EntryOf(table, 87), (RequirementLists{{1, {100}}}));
    EXPECT_EQ(EntryOf(table, 99), (RequirementLists{{1, {100, 150}}}));

    kinds[10] = kOneWayDoor;
    table = Build(kinds);
    EXPECT_EQ(EntryOf(table, 87), RequirementLists{});
    EXPECT_EQ(EntryOf(table, 99), (RequirementLists{{0, {150}}}));

    // With 87 free and lock 28 open, 99 is free: no lock 8 key either.
    kinds[28] = kUnlocked;
    EXPECT_EQ(EntryOf(Build(kinds), 99), RequirementLists{});
}

TEST(LockRequirements, Location121GoesRoundThroughLock14OnlyWhileLocation79IsShut)
{
    std::vector<int> kinds = VanillaKinds();
    kinds[22] = 0;
    // Lock 6 is a one-way door open towards 79.
    EXPECT_EQ(EntryOf(Build(kinds), 121), (RequirementLists{{1, {100}}, {2, {48}}}));
    kinds[6] = 0;
    EXPECT_EQ(EntryOf(Build(kinds), 121), (RequirementLists{{1, {100}}, {2, {48, 100}}}));
}

// With lock 13 keyed, 86 has three ways in (through 13, 3 and 2, 3 and 1);
// 87 keeps its two.
TEST(LockRequirements, Location117PairsEveryWayInto86WithEveryWayInto87)
{
    std::vector<int> kinds = VanillaKinds();
    kinds[10] = 1;
    kinds[13] = 13;
    const Table table = Build(kinds);
    EXPECT_EQ(EntryOf(table, 86), (RequirementLists{{0, {82}}, {1, {3}}, {2, {180, 100}}, {3, {180, 48}}}));
    EXPECT_EQ(EntryOf(table, 87), (RequirementLists{{1, {139}}, {2, {100}}}));
    EXPECT_EQ(EntryOf(table, 117), (RequirementLists{{0, {82}},
                                                     {1, {3, 139}},
                                                     {2, {180, 100, 139}},
                                                     {3, {180, 48, 139}},
                                                     {4, {3, 100}},
                                                     {5, {180, 100, 100}},
                                                     {6, {180, 48, 100}}}));
}

TEST(LockRequirements, Locations86And117AlwaysNeedTheDogWhistle)
{
    std::map<int, int> vanilla;
    for (int lock = 0; lock < kLockCount; ++lock) vanilla[lock] = kVanillaLockKinds[static_cast<std::size_t>(lock)];
    for (Character character : {Character::Jill, Character::Chris}) {
        for (std::uint32_t seed = 1; seed <= 500; ++seed) {
            Rng rng(seed);
            std::vector<int> kinds;
            ShuffleLocks(vanilla, rng, kinds);
            const Table table = Build(kinds, character);
            const RequirementLists at86 = EntryOf(table, 86);
            const RequirementLists at117 = EntryOf(table, 117);
            ASSERT_TRUE(at86.count(0) && at117.count(0)) << "seed " << seed;
            EXPECT_NE(std::find(at86.at(0).begin(), at86.at(0).end(), 82), at86.at(0).end()) << "seed " << seed;
            ASSERT_FALSE(at117.at(0).empty());
            EXPECT_EQ(at117.at(0).back(), 82) << "seed " << seed;
        }
    }
}

// Reachability the plain way: grow the set of reachable items until it stops
// growing, with no check stack.
bool EveryItemReachable(const ItemSlotTable& table, const std::vector<int>& assignment)
{
    auto at = [](int value) { return static_cast<std::size_t>(value); };
    std::vector<int> slotOfItem(kItemCount, kSlotCount);
    for (int slot = kSlotCount - 1; slot >= 0; --slot) slotOfItem[at(assignment[at(slot)])] = slot;

    std::vector<bool> reachable(kItemCount, false);
    auto met = [&](const std::vector<int>& list) {
        return std::all_of(list.begin(), list.end(), [&](int item) { return reachable[at(item)]; });
    };
    for (bool grew = true; grew;) {
        grew = false;
        for (int item = 0; item <= kArmedFuelCapsule; ++item) {
            if (reachable[at(item)]) continue;
            const int key = table.locationKeys[at(slotOfItem[at(item)])];
            const RequirementLists lists = EntryOf(table.requirements, key);
            const bool required = !lists.count(0) || met(lists.at(0));
            bool anyAlternative = false;
            bool alternativeMet = false;
            for (int number = 1; lists.count(number) && !lists.at(number).empty(); ++number) {
                anyAlternative = true;
                alternativeMet = alternativeMet || met(lists.at(number));
            }
            if (required && (!anyAlternative || alternativeMet)) {
                reachable[at(item)] = true;
                grew = true;
            }
        }
    }
    return std::all_of(reachable.begin(), reachable.begin() + kSlotCount, [](bool r) { return r; });
}

TEST(LockRequirements, AnAcceptedItemDealMeetsEveryRequirementList)
{
    struct Case {
        Character character;
        Difficulty difficulty;
        std::uint32_t seed;
    };
    for (const Case& c : {Case{Character::Jill, Difficulty::Normal, 1}, Case{Character::Jill, Difficulty::Normal, 2},
                          Case{Character::Jill, Difficulty::Hard, 3}, Case{Character::Chris, Difficulty::Normal, 1},
                          Case{Character::Chris, Difficulty::Hard, 2}}) {
        const Settings settings = LockSettings(c.character, c.difficulty);
        GeneratorState state;
        StatusLog log;
        Rng rng(c.seed);
        BuildItemTables(settings, state, rng);
        ASSERT_EQ(RandomizeItems(settings, state, rng, log, nullptr), ItemStageResult::Done);
        EXPECT_TRUE(EveryItemReachable(state.itemSlotTable, state.slotAssignment)) << "seed " << c.seed;
    }
}

} // namespace
} // namespace tarvenna
