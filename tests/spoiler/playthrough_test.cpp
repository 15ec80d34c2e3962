#include "spoiler/playthrough.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/rng.h"
#include "core/status_log.h"
#include "driver/generate_seed.h"
#include "driver/item_stage.h"
#include "items/item_slot_data.h"
#include "items/pool_modifiers.h"
#include "items/sequential_item_search.h"

namespace tarvenna {
namespace {

std::size_t Index(int value) { return static_cast<std::size_t>(value); }

Settings Configuration(Character character, Difficulty difficulty, bool locks)
{
    Settings settings;
    settings.character = character;
    settings.difficulty = difficulty;
    settings.randomizeLocks = locks;
    return settings;
}

std::string Describe(const Settings& settings, std::uint32_t seed)
{
    return std::string(CharacterName(settings.character)) + DifficultyName(settings.difficulty) +
           (settings.randomizeLocks ? " locks" : "") + " seed " + std::to_string(seed);
}

// A deal the item stage accepted, as the driver makes it.
GeneratorState AcceptedDeal(const Settings& settings, std::uint32_t seed)
{
    GeneratorState state;
    Rng rng(seed);
    StatusLog log;
    BuildItemTables(settings, state, rng);
    EXPECT_EQ(RandomizeItems(settings, state, rng, log, nullptr), ItemStageResult::Done);
    return state;
}

std::vector<bool> HeldBefore(const Playthrough& playthrough, const std::vector<int>& assignment, std::size_t sphere)
{
    // Nothing beyond the 180 is ever picked up: those stand where every key is open.
    std::vector<bool> held(Index(kItemCount), false);
    for (int item = kSlotCount; item < kItemCount; ++item) held[Index(item)] = true;
    for (std::size_t earlier = 0; earlier < sphere; ++earlier)
        for (int slot : playthrough.spheres[earlier]) held[Index(assignment[Index(slot)])] = true;
    return held;
}

// Accepted deals of both characters, both difficulties, with and without
// locks: the playthrough reaches every slot, so every key item, and each
// sphere holds exactly the slots that the spheres before it open and the
// ones before those did not.
TEST(Playthrough, AcceptedDealsReachEveryPickUpSphereBySphere)
{
    const Settings configurations[] = {
        Configuration(Character::Jill, Difficulty::Normal, false),
        Configuration(Character::Chris, Difficulty::Hard, false),
        Configuration(Character::Jill, Difficulty::Hard, true),
        Configuration(Character::Chris, Difficulty::Normal, true),
    };
    for (const Settings& settings : configurations) { // seed 3 is fast for all four
        SCOPED_TRACE(Describe(settings, 3));
        const GeneratorState state = AcceptedDeal(settings, 3);
        const ItemSlotTable& table = state.itemSlotTable;
        std::vector<int> checkStack;
        ASSERT_TRUE(plain::ValidatePlacement(table, state.slotAssignment, checkStack));

        const Playthrough playthrough = ComputePlaythrough(settings, state);
        ASSERT_TRUE(playthrough.modelled);
        EXPECT_TRUE(playthrough.ReachesEverything());
        EXPECT_TRUE(playthrough.unreachedKeyItems.empty());
        EXPECT_FALSE(playthrough.keyItems.empty());
        EXPECT_GT(playthrough.SphereCount(), 2);

        std::vector<int> sphereOfSlot(Index(kSlotCount), -1);
        for (std::size_t sphere = 0; sphere < playthrough.spheres.size(); ++sphere) {
            const std::vector<bool> before = HeldBefore(playthrough, state.slotAssignment, sphere);
            const std::vector<bool> longBefore =
                sphere == 0 ? std::vector<bool>{} : HeldBefore(playthrough, state.slotAssignment, sphere - 1);
            for (int slot : playthrough.spheres[sphere]) {
                EXPECT_EQ(sphereOfSlot[Index(slot)], -1) << "slot " << slot << " twice";
                sphereOfSlot[Index(slot)] = static_cast<int>(sphere);
                const int key = table.locationKeys[Index(slot)];
                EXPECT_TRUE(RequirementsMet(table, key, before)) << "slot " << slot;
                if (sphere > 0) {
                    EXPECT_FALSE(RequirementsMet(table, key, longBefore)) << "slot " << slot;
                }
            }
        }
        EXPECT_EQ(std::count(sphereOfSlot.begin(), sphereOfSlot.end(), -1), 0);
    }
}

// Plain deals of the shuffle: one with a forbidden placement is rejected;
// one that passes the forbidden pass and is rejected leaves slots unreached,
// and each slot left unreached holds an item that validation cannot reach.
// (Validation's check stack keeps entries of failed tests, which can make it
// reject a few more deals than the playthrough does; none in these.)
TEST(Playthrough, DealsThatValidationRejectsLeaveSlotsUnreached)
{
    for (const Settings& settings : {Configuration(Character::Jill, Difficulty::Normal, false),
                                     Configuration(Character::Chris, Difficulty::Normal, false),
                                     Configuration(Character::Jill, Difficulty::Normal, true),
                                     Configuration(Character::Chris, Difficulty::Hard, true)}) {
        SCOPED_TRACE(Describe(settings, 9));
        GeneratorState state;
        Rng rng(9);
        BuildItemTables(settings, state, rng);
        const ItemSlotTable& table = state.itemSlotTable;
        int unreachableDeals = 0;
        int forbiddenDeals = 0;
        std::vector<int> assignment;
        for (int deal = 0; deal < 1000 && unreachableDeals < 8; ++deal) {
            plain::ShuffleItems(settings, rng, assignment);
            const Playthrough playthrough = PlaythroughOfPlacement(table, assignment);
            std::vector<int> checkStack;
            const bool accepted = plain::ValidatePlacement(table, assignment, checkStack);
            if (!playthrough.forbiddenPlacements.empty()) {
                ++forbiddenDeals;
                EXPECT_FALSE(accepted) << "deal " << deal;
                continue;
            }
            if (accepted) {
                EXPECT_TRUE(playthrough.ReachesEverything()) << "deal " << deal;
                continue;
            }
            ++unreachableDeals;
            EXPECT_FALSE(playthrough.ReachesEverything()) << "deal " << deal;
            for (int slot : playthrough.unreachedSlots) {
                std::vector<int> freshStack;
                EXPECT_FALSE(plain::IsReachable(table, assignment, assignment[Index(slot)], freshStack))
                    << "deal " << deal << ", slot " << slot;
            }
        }
        EXPECT_EQ(unreachableDeals, 8);
        if (!settings.randomizeLocks) {
            EXPECT_GT(forbiddenDeals, 0);
        }
    }
}

ItemSlotTable OpenTable(bool lockMode)
{
    ItemSlotTable table;
    table.locationKeys.assign(Index(kSlotCount), 2);
    if (lockMode) table.locationKeys.push_back(kOpenLockModeKey);
    return table;
}

std::vector<int> Unshuffled()
{
    std::vector<int> assignment;
    for (int slot = 0; slot < kSlotCount; ++slot) assignment.push_back(slot);
    return assignment;
}

int SphereOf(const Playthrough& playthrough, int slot)
{
    for (std::size_t sphere = 0; sphere < playthrough.spheres.size(); ++sphere) {
        const std::vector<int>& slots = playthrough.spheres[sphere];
        if (std::find(slots.begin(), slots.end(), slot) != slots.end()) return static_cast<int>(sphere);
    }
    return -1;
}

TEST(Playthrough, ItemsOpenTheNextSphereAndCyclesStayShut)
{
    ItemSlotTable table = OpenTable(false);
    // Slot 4 needs item 5 (open); slot 6 needs 4 and either 7 or 8; slots
    // 10, 11, 12 need each other in a ring.
    table.locationKeys[4] = 30;
    table.requirements[30][0] = {5};
    table.locationKeys[6] = 31;
    table.requirements[31] = {{0, {4}}, {1, {7}}, {2, {8}}};
    table.locationKeys[7] = 30;
    table.locationKeys[10] = 32;
    table.requirements[32][0] = {11};
    table.locationKeys[11] = 33;
    table.requirements[33][0] = {12};
    table.locationKeys[12] = 34;
    table.requirements[34][0] = {10};
    table.forbiddenLocations[5] = {2};

    const Playthrough playthrough = PlaythroughOfPlacement(table, Unshuffled());
    EXPECT_EQ(SphereOf(playthrough, 5), 0);
    EXPECT_EQ(SphereOf(playthrough, 4), 1);
    EXPECT_EQ(SphereOf(playthrough, 7), 1);
    EXPECT_EQ(SphereOf(playthrough, 6), 2);
    EXPECT_EQ(playthrough.SphereCount(), 3);
    EXPECT_EQ(playthrough.unreachedSlots, (std::vector<int>{10, 11, 12}));
    EXPECT_EQ(playthrough.keyItems, (std::vector<int>{4, 5, 7, 8, 10, 11, 12}));
    EXPECT_EQ(playthrough.unreachedKeyItems, (std::vector<int>{10, 11, 12}));
    EXPECT_EQ(playthrough.forbiddenPlacements, (std::vector<Playthrough::Placement>{{5, 5}}));
    EXPECT_FALSE(playthrough.ReachesEverything());
}

TEST(RequirementsMet, ListZeroAndTheFirstUnbrokenRunOfAlternativesDecide)
{
    ItemSlotTable table = OpenTable(false);
    table.requirements[40] = {{0, {1, 2}}};
    table.requirements[41] = {{0, {1}}, {1, {3}}, {2, {4, 5}}};
    table.requirements[42] = {{1, {3}}, {2, {}}, {3, {6}}}; // list 3 comes after an empty list
    table.requirements[43] = {{2, {6}}};                    // no list 1: no alternatives at all
    table.requirements[44] = {{0, {}}, {1, {}}};
    const struct {
        int key;
        std::vector<int> held;
        bool met;
        const char* why;
    } cases[] = {
        {39, {}, true, "a key without an entry needs nothing"},
        {44, {}, true, "empty lists need nothing"},
        {40, {1}, false, "list 0 needs every item"},
        {40, {1, 2}, true, "list 0 complete"},
        {41, {3, 4}, false, "an alternative does not stand in for list 0"},
        {41, {1}, false, "one alternative must be complete"},
        {41, {1, 4}, false, "half an alternative is none"},
        {41, {1, 4, 5}, true, "the second alternative"},
        {42, {6}, false, "an alternative after an empty list is not read"},
        {42, {3}, true, "the first alternative"},
        {43, {}, true, "alternatives start at list 1"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.why);
        std::vector<bool> held(Index(kItemCount), false);
        for (int item : test.held) held[Index(item)] = true;
        EXPECT_EQ(RequirementsMet(table, test.key, held), test.met);
    }
}

// Item 180 is what Jill needs for an old-key lock: validation finds it where
// no slot holds it, in an open key. A copy that the armed-capsule option puts
// into a slot behind such a lock does not shut that lock.
TEST(Playthrough, ItemsBeyondTheSlotsCountAsHeldWhereValidationLooksForThem)
{
    ItemSlotTable table = OpenTable(true);
    table.locationKeys[20] = 70;
    table.requirements[70][0] = {kArmedFuelCapsule};
    std::vector<int> assignment = Unshuffled();
    assignment[20] = kArmedFuelCapsule;
    Playthrough playthrough = PlaythroughOfPlacement(table, assignment);
    EXPECT_EQ(SphereOf(playthrough, 20), 0);
    EXPECT_TRUE(playthrough.ReachesEverything());

    table.locationKeys[kSlotCount] = 71; // the stand-in key behind item 3's slot
    table.requirements[71][0] = {3};
    table.locationKeys[3] = 72;
    table.requirements[72][0] = {4};
    playthrough = PlaythroughOfPlacement(table, assignment);
    EXPECT_EQ(SphereOf(playthrough, 3), 1);
    EXPECT_EQ(SphereOf(playthrough, 20), 2);
    EXPECT_TRUE(playthrough.ReachesEverything());
}

// The pool options run after validation. The armed capsule keeps a Jill lock
// game whole; swapping the Broken Shotgun away shuts the slots that need it.
TEST(Playthrough, PoolOptionsAreJudgedOnTheItemsAsWritten)
{
    Settings settings = Configuration(Character::Jill, Difficulty::Normal, true);
    settings.fuelCapsuleArmed = true;
    GeneratorState state = AcceptedDeal(settings, 3);
    Rng rng(1);
    ApplyPoolModifiers(settings, state, rng);
    ASSERT_NE(std::find(state.slotAssignment.begin(), state.slotAssignment.end(), kArmedFuelCapsule),
              state.slotAssignment.end());
    EXPECT_TRUE(ComputePlaythrough(settings, state).ReachesEverything());

    settings = Configuration(Character::Jill, Difficulty::Normal, false);
    settings.swapWithSelfDefenseGun = true;
    state = AcceptedDeal(settings, 3);
    ApplyPoolModifiers(settings, state, rng);
    const int brokenShotgun = 11;
    ASSERT_EQ(std::find(state.slotAssignment.begin(), state.slotAssignment.end(), brokenShotgun),
              state.slotAssignment.end());
    const Playthrough playthrough = ComputePlaythrough(settings, state);
    EXPECT_EQ(playthrough.unreachedKeyItems, std::vector<int>{brokenShotgun});
    EXPECT_FALSE(playthrough.unreachedSlots.empty());
    for (int slot : playthrough.unreachedSlots) {
        const auto& required = state.itemSlotTable.requirements.at(state.itemSlotTable.locationKeys[Index(slot)]);
        EXPECT_NE(std::find(required.at(0).begin(), required.at(0).end(), brokenShotgun), required.at(0).end());
    }
}

} // namespace
} // namespace tarvenna
