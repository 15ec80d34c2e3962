#include "locks/lock_requirements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "locks/lock_data.h"
#include "support/locks.h"
#include "locks/lock_randomizer.h"

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

// Hand-worked entries of the locations whose ways in run through several locks.
TEST(LockRequirements, LocationsReachedThroughSeveralLocksPairTheirWaysIn)
{
    struct Case {
        const char* what;
        std::map<int, int> kinds;  // lock -> kind, the others as in the unaltered game
        int location;
        RequirementLists expected;
    };
    // Lock 10 takes the Control Room Key (139), lock 14 keeps the Sword Key
    // (100), lock 28 the Shield Key (3), lock 8 the Helmet Key (150); lock 30
    // unlocked opens the way round through lock 8.
    const std::map<int, int> keyed = {{10, 1}, {28, 13}, {8, 4}, {30, kUnlocked}};
    auto with = [](std::map<int, int> kinds, int lock, int kind) {
        kinds[lock] = kind;
        return kinds;
    };
    const std::map<int, int> oneWay10 = with(keyed, 10, kOneWayDoor);
    const Case kCases[] = {
        {"87 through 10 or 14", keyed, 87, {{1, {139}}, {2, {100}}}},
        {"99 takes lock 28 into all but the last way into 87, lock 8 into the last", keyed, 99,
         {{1, {139, 3}}, {2, {100, 150}}}},
        {"87 through 14 only", with(keyed, 10, kOneWayDoorReversed), 87, {{1, {100}}}},
        {"99 then", with(keyed, 10, kOneWayDoorReversed), 99, {{1, {100, 150}}}},
        {"87 free", oneWay10, 87, {}},
        {"99 round through lock 8", oneWay10, 99, {{0, {150}}}},
        {"with 87 free and lock 28 open, 99 is free", with(oneWay10, 28, kUnlocked), 99, {}},
        // Lock 6 is a one-way door open towards 79; keyed, 79 is shut and 121
        // goes round through lock 14.
        {"121 while 79 is open", {{22, 0}}, 121, {{1, {100}}, {2, {48}}}},
        {"121 while 79 is shut", {{22, 0}, {6, 0}}, 121, {{1, {100}}, {2, {48, 100}}}},
        // With lock 13 keyed, 86 has three ways in (through 13, 3 and 2, 3 and
        // 1); 117 pairs each of them with each of the two ways into 87.
        {"86 with lock 13 keyed", {{10, 1}, {13, 13}}, 86, {{0, {82}}, {1, {3}}, {2, {180, 100}}, {3, {180, 48}}}},
        {"117 with lock 13 keyed", {{10, 1}, {13, 13}}, 117,
         {{0, {82}}, {1, {3, 139}}, {2, {180, 100, 139}}, {3, {180, 48, 139}}, {4, {3, 100}},
          {5, {180, 100, 100}}, {6, {180, 48, 100}}}},
    };
    for (const Case& c : kCases) {
        std::vector<int> kinds = VanillaKinds();
        for (const auto& [lock, kind] : c.kinds) kinds[static_cast<std::size_t>(lock)] = kind;
        EXPECT_EQ(EntryOf(Build(kinds), c.location), c.expected) << c.what;
    }
}

TEST(LockRequirements, Locations86And117AlwaysNeedTheDogWhistle)
{
    const std::map<int, int> vanilla = VanillaTable();
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

} // namespace
} // namespace tarvenna
