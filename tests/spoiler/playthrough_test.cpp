#include "spoiler/playthrough.h"

#include <gtest/gtest.h>

#include <string>

#include "core/rng.h"
#include "core/status_log.h"
#include "driver/generate_seed.h"
#include "driver/item_stage.h"
#include "items/item_slot_data.h"
#include "items/sequential_item_search.h"
#include "support/locks.h"

namespace tarvenna {
namespace {

std::size_t Index(int value) { return static_cast<std::size_t>(value); }

// Accepted deals reach every slot, so every key item, and each sphere holds
// exactly the slots that the spheres before it open and the ones before
// those did not.
TEST(Playthrough, AcceptedDealsReachEveryPickUpSphereBySphere)
{
    for (const std::uint32_t seed : {3u, 5u}) {
        for (const Settings& settings : {Settings{}, Settings{.character = Character::Chris},
                                         LockSettings(Character::Jill), LockSettings(Character::Chris)}) {
            SCOPED_TRACE(std::string(CharacterName(settings.character)) + (settings.randomizeLocks ? " locks" : "") +
                         " seed " + std::to_string(seed));
            GeneratorState state;
            Rng rng(seed);
            StatusLog log;
            BuildItemTables(settings, state, rng);
            ASSERT_EQ(RandomizeItems(settings, state, rng, log, nullptr), ItemStageResult::Done);
            const ItemSlotTable& table = state.itemSlotTable;

            const Playthrough playthrough = ComputePlaythrough(settings, state);
            ASSERT_TRUE(playthrough.modelled);
            EXPECT_TRUE(playthrough.ReachesEverything());
            EXPECT_TRUE(playthrough.unreachedKeyItems.empty());
            EXPECT_FALSE(playthrough.keyItems.empty());
            EXPECT_GT(playthrough.SphereCount(), 2);

            // Nothing beyond the slots is ever picked up: those count as held.
            std::vector<bool> held(Index(kItemCount), false);
            for (int item = kSlotCount; item < kItemCount; ++item) held[Index(item)] = true;
            std::vector<bool> heldSphereBefore = held;
            for (std::size_t sphere = 0; sphere < playthrough.spheres.size(); ++sphere) {
                for (int slot : playthrough.spheres[sphere]) {
                    const int key = table.locationKeys[Index(slot)];
                    EXPECT_TRUE(RequirementsMet(table, key, held)) << "slot " << slot;
                    EXPECT_TRUE(sphere == 0 || !RequirementsMet(table, key, heldSphereBefore)) << "slot " << slot;
                }
                heldSphereBefore = held;
                for (int slot : playthrough.spheres[sphere]) held[Index(state.slotAssignment[Index(slot)])] = true;
            }
        }
    }
}

// A deal that validation rejects leaves slots unreached, and each holds an
// item that validation cannot reach either. (Validation's check stack keeps
// entries of failed tests, which can make it reject a few more deals than the
// playthrough does; none in these.)
TEST(Playthrough, DealsThatValidationRejectsLeaveSlotsUnreached)
{
    for (const Settings& settings : {Settings{}, LockSettings(Character::Chris)}) {
        SCOPED_TRACE(CharacterName(settings.character));
        GeneratorState state;
        Rng rng(9);
        BuildItemTables(settings, state, rng);
        const ItemSlotTable& table = state.itemSlotTable;
        int unreachableDeals = 0;
        std::vector<int> assignment;
        for (int deal = 0; deal < 1000 && unreachableDeals < 8; ++deal) {
            SCOPED_TRACE("deal " + std::to_string(deal));
            plain::ShuffleItems(settings, rng, assignment);
            const Playthrough playthrough = PlaythroughOfPlacement(table, assignment);
            std::vector<int> checkStack;
            const bool accepted = plain::ValidatePlacement(table, assignment, checkStack);
            if (!playthrough.forbiddenPlacements.empty()) {
                EXPECT_FALSE(accepted);
                continue;
            }
            EXPECT_EQ(playthrough.ReachesEverything(), accepted);
            if (accepted) continue;
            ++unreachableDeals;
            for (int slot : playthrough.unreachedSlots) {
                std::vector<int> freshStack;
                EXPECT_FALSE(plain::IsReachable(table, assignment, assignment[Index(slot)], freshStack)) << slot;
            }
        }
        EXPECT_EQ(unreachableDeals, 8);
    }
}

TEST(RequirementsMet, ListZeroAndTheFirstUnbrokenRunOfAlternativesDecide)
{
    ItemSlotTable table;
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

} // namespace
} // namespace tarvenna
