#include "locks/lock_randomizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "locks/lock_data.h"
#include "support/checked_run.h"
#include "support/locks.h"
#include "locks/lock_requirements.h"

namespace tarvenna {
namespace {

bool InFlipSet(int lock)
{
    return std::find(kFlipSetLocks.begin(), kFlipSetLocks.end(), lock) != kFlipSetLocks.end();
}

TEST(LocksAreValid, UnalteredLocksFailThroughLock15AndThroughLock18)
{
    std::vector<int> kinds = VanillaKinds();
    EXPECT_FALSE(LocksAreValid(Character::Jill, kinds));
    EXPECT_FALSE(LocksAreValid(Character::Chris, kinds));

    // Lock 15 unlocked while 10 and 28 stay keyed.
    kinds[18] = kOneWayDoor;
    EXPECT_FALSE(LocksAreValid(Character::Jill, kinds));

    // Lock 28 unlocked clears that; lock 18 still needs a key.
    kinds[28] = kUnlocked;
    kinds[18] = 2;
    EXPECT_FALSE(LocksAreValid(Character::Jill, kinds));
    kinds[18] = kOneWayDoor;
    EXPECT_TRUE(LocksAreValid(Character::Jill, kinds));
    EXPECT_TRUE(LocksAreValid(Character::Chris, kinds));

    // An old-key lock there holds Chris up but not Jill.
    kinds[18] = kOldKeyLock;
    EXPECT_TRUE(LocksAreValid(Character::Jill, kinds));
    EXPECT_FALSE(LocksAreValid(Character::Chris, kinds));
}

TEST(LockShuffle, KeepsTheKindsAndReversesOneWayDoorsOnlyAtFlipSetLocks)
{
    const std::map<int, int> vanilla = VanillaTable();
    std::vector<int> sortedVanilla = VanillaKinds();
    std::sort(sortedVanilla.begin(), sortedVanilla.end());
    int reversed = 0;

    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        Rng rng(seed);
        std::vector<int> kinds = {1, 2, 3};
        ShuffleLocks(vanilla, rng, kinds);
        ASSERT_EQ(kinds.size(), 38u);

        int flips = 0;
        std::vector<int> unreversed = kinds;
        for (int lock = 0; lock < kLockCount; ++lock) {
            int& kind = unreversed[static_cast<std::size_t>(lock)];
            if (kind == kOneWayDoorReversed || kind == kOneWayOldKeyMixReversed) {
                EXPECT_TRUE(InFlipSet(lock)) << "seed " << seed << " lock " << lock;
                --kind;
                ++reversed;
            }
            if (InFlipSet(lock) && kind >= kOneWayDoor && kind <= kOneWayOldKeyMixReversed) ++flips;
        }
        std::sort(unreversed.begin(), unreversed.end());
        EXPECT_EQ(unreversed, sortedVanilla) << "seed " << seed;

        // 38 draws for the deal and one per coin flip, no more.
        EXPECT_EQ(rng.State(), Rng::JumpOf(38u + static_cast<unsigned>(flips)).Apply(seed)) << "seed " << seed;
    }
    EXPECT_GT(reversed, 0);
}

TEST(LockRandomizer, LeavesAValidDealWithItsOwnRequirementTable)
{
    for (Character character : {Character::Jill, Character::Chris}) {
        for (std::uint32_t seed = 1; seed <= 40; ++seed) {
            const Settings settings = LockSettings(character);
            const GeneratorState state = TablesOf(settings, seed);

            ASSERT_EQ(state.lockKinds.size(), 38u);
            EXPECT_EQ(state.vanillaLockKinds, VanillaTable());
            EXPECT_GE(state.lockDeals, 1u);
            EXPECT_TRUE(LocksAreValid(character, state.lockKinds));
            EXPECT_TRUE(state.lockKinds[30] == kOneWayDoor || state.lockKinds[30] == kUnlocked);
            EXPECT_TRUE(PinnedItemsCanBeReached(settings, state.itemSlotTable));

            // Nothing of a rejected deal's table may linger.
            std::map<int, RequirementLists> fresh;
            BuildLockRequirements(settings, state.lockKinds, fresh);
            EXPECT_EQ(state.itemSlotTable.requirements, fresh) << "seed " << seed;
        }
    }
}

TEST(LockPinnedItems, RejectsAValidDealThatLocksTheDogCollarBehindItsOwnKey)
{
    for (Character character : {Character::Jill, Character::Chris}) {
        const Settings settings = LockSettings(character);
        ItemSlotTable table = TablesOf(settings, 1).itemSlotTable;

        std::vector<int> kinds = VanillaKinds();
        kinds[28] = kUnlocked;
        kinds[18] = kOneWayDoor;
        BuildLockRequirements(settings, kinds, table.requirements);
        EXPECT_TRUE(PinnedItemsCanBeReached(settings, table));

        // Both ways into location 86 now need the Armor Key, item 48, which
        // is pinned inside 86.
        kinds[3] = 0;
        kinds[13] = 0;
        ASSERT_TRUE(LocksAreValid(character, kinds));
        BuildLockRequirements(settings, kinds, table.requirements);
        EXPECT_FALSE(PinnedItemsCanBeReached(settings, table));
    }
}

} // namespace
} // namespace tarvenna
