#include "items/pool_modifiers.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "driver/generate_seed.h"

namespace tarvenna {
namespace {

constexpr std::array<int, 4> kJunk = {167, 168, 78, 166};  // by rand() % 4
constexpr int kGun = 137;
constexpr int kArmedCapsule = 180;

// Every slot holding its own item, as with items not randomized.
GeneratorState Unshuffled(Character character, Difficulty difficulty)
{
    Settings settings;
    settings.character = character;
    settings.difficulty = difficulty;
    GeneratorState state;
    Rng unused;
    BuildItemTables(settings, state, unused);
    for (int slot = 0; slot < 180; ++slot) state.slotAssignment.push_back(slot);
    return state;
}

Settings Options(bool healing, bool ink, bool ammo, bool defence, bool swap, bool fuel)
{
    Settings settings;
    settings.removeHealingItems = healing;
    settings.removeInkRibbons = ink;
    settings.removeAmmo = ammo;
    settings.removeDefenceItems = defence;
    settings.swapWithSelfDefenseGun = swap;
    settings.fuelCapsuleArmed = fuel;
    return settings;
}

std::vector<std::size_t> ChangedSlots(const std::vector<int>& before, const std::vector<int>& after)
{
    std::vector<std::size_t> slots;
    for (std::size_t slot = 0; slot < before.size(); ++slot) {
        if (before[slot] != after[slot]) slots.push_back(slot);
    }
    return slots;
}

std::vector<std::size_t> SlotsNamed(const GeneratorState& state, const std::string& name)
{
    std::vector<std::size_t> slots;
    for (std::size_t slot = 0; slot < 180; ++slot) {
        if (state.itemSlotTable.itemNames[slot] == name) slots.push_back(slot);
    }
    return slots;
}

TEST(PoolModifiers, WithEveryOptionOffNothingChangesAndNothingIsDrawn)
{
    GeneratorState state = Unshuffled(Character::Jill, Difficulty::Normal);
    const std::vector<int> before = state.slotAssignment;
    Rng rng(7);
    ApplyPoolModifiers(Settings{}, state, rng);
    EXPECT_EQ(state.slotAssignment, before);
    EXPECT_EQ(rng.State(), Rng(7).State());
}

TEST(PoolModifiers, DefenceAloneRewritesTheDefenceSlotsInSlotOrder)
{
    GeneratorState state = Unshuffled(Character::Jill, Difficulty::Normal);
    const std::vector<int> before = state.slotAssignment;
    Rng rng(11);
    ApplyPoolModifiers(Options(false, false, false, true, false, false), state, rng);

    const std::vector<std::size_t> expected = {7,  9,  10, 19, 20, 23, 26, 32, 35, 42, 44,  49,
                                               58, 63, 67, 80, 93, 97, 128, 136, 169, 171, 173, 179};
    EXPECT_EQ(ChangedSlots(before, state.slotAssignment), expected);
    Rng replay(11);
    for (std::size_t slot : expected) EXPECT_EQ(state.slotAssignment[slot], kJunk[replay.Below(4)]) << slot;
    EXPECT_EQ(rng.State(), replay.State());
}

TEST(PoolModifiers, RemovedItemsBecomeJunkAndThenTheSelfDefenseGun)
{
    const GeneratorState unshuffled = Unshuffled(Character::Jill, Difficulty::Normal);
    for (int group = 0; group < 4; ++group) {
        SCOPED_TRACE(group);
        const bool h = group == 0, i = group == 1, a = group == 2, d = group == 3;
        GeneratorState removed = unshuffled;
        Rng removeRng(3);
        ApplyPoolModifiers(Options(h, i, a, d, false, false), removed, removeRng);
        const std::vector<std::size_t> removedSlots = ChangedSlots(unshuffled.slotAssignment, removed.slotAssignment);
        ASSERT_FALSE(removedSlots.empty());

        GeneratorState swapped = unshuffled;
        Rng swapRng(3);
        ApplyPoolModifiers(Options(h, i, a, d, true, false), swapped, swapRng);
        EXPECT_EQ(swapRng.State(), removeRng.State());  // one draw per removed item, none for the swap
        for (std::size_t slot : removedSlots) EXPECT_EQ(swapped.slotAssignment[slot], kGun) << slot;
    }
}

TEST(PoolModifiers, SwapAloneReplacesWeaponsAndJunkWithoutDrawing)
{
    GeneratorState state = Unshuffled(Character::Jill, Difficulty::Normal);
    Rng rng(5);
    ApplyPoolModifiers(Options(false, false, false, false, true, false), state, rng);
    EXPECT_EQ(rng.State(), Rng(5).State());
    for (const char* name : {"X-Ray of CLARK", "X-Ray of GAIL", "Wooden Mount", "Slide Filter", "Fuel Canteen",
                             "Broken Shotgun", "Grenade Launcher", "Ink Ribbon", "Dagger", "Red Herb"}) {
        const std::vector<std::size_t> slots = SlotsNamed(state, name);
        EXPECT_FALSE(slots.empty()) << name;
        for (std::size_t slot : slots) EXPECT_EQ(state.slotAssignment[slot], kGun) << name << " in slot " << slot;
    }
}

TEST(PoolModifiers, NamesOutsideTheGroupsNeverChange)
{
    GeneratorState state = Unshuffled(Character::Chris, Difficulty::Hard);
    const std::vector<int> before = state.slotAssignment;
    Rng rng(9);
    ApplyPoolModifiers(Options(true, true, true, true, true, true), state, rng);
    for (const char* name : {"Old Key", "Shield Key", "Battery", "Dagger (after getting plant 42 item)"}) {
        const std::vector<std::size_t> slots = SlotsNamed(state, name);
        EXPECT_FALSE(slots.empty()) << name;
        for (std::size_t slot : slots) EXPECT_EQ(state.slotAssignment[slot], before[slot]) << name << " " << slot;
    }
    for (std::size_t slot : ChangedSlots(before, state.slotAssignment)) {
        EXPECT_TRUE(state.slotAssignment[slot] == kGun || state.slotAssignment[slot] == kArmedCapsule) << slot;
    }
}

TEST(PoolModifiers, ArmedCapsuleFollowsTheEmptyOneAndIsNeverTouchedAgain)
{
    GeneratorState state = Unshuffled(Character::Jill, Difficulty::Normal);
    Rng rng(2);
    ApplyPoolModifiers(Options(false, false, false, false, false, true), state, rng);
    EXPECT_EQ(state.slotAssignment[178], kArmedCapsule);
    EXPECT_EQ(rng.State(), Rng(2).State());

    GeneratorState moved = Unshuffled(Character::Jill, Difficulty::Normal);
    std::swap(moved.slotAssignment[0], moved.slotAssignment[178]);  // the lighter goes where the capsule was
    moved.slotAssignment[1] = kArmedCapsule;
    ApplyPoolModifiers(Options(true, true, true, true, true, true), moved, rng);
    EXPECT_EQ(moved.slotAssignment[0], kArmedCapsule);
    EXPECT_EQ(moved.slotAssignment[1], kArmedCapsule);
    EXPECT_EQ(moved.slotAssignment[178], 0);
}

} // namespace
} // namespace tarvenna
