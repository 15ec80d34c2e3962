#include "items/door_mode_placement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "items/door_mode_placement_data.h"

namespace tarvenna {
namespace {

std::vector<int> Place(Character character, std::uint32_t seed, Difficulty difficulty = Difficulty::Normal)
{
    Settings settings;
    settings.character = character;
    settings.difficulty = difficulty;
    settings.randomizeDoors = true;
    GeneratorState state;
    state.slotAssignment = {1, 2, 3};  // anything from before must go
    Rng rng(seed);
    PlaceItemsForDoorMode(settings, state, rng);
    return state.slotAssignment;
}

// Many seeds for both characters: slots outside the free ranges keep their own
// items; the free ones take every group item once, the second group never in a
// slot closed to it, and common consumables in the rest.
TEST(DoorModePlacement, KeepsItsSlotsAndPlacesEveryGroupItemOnceOutsideTheClosedSlots)
{
    std::set<int> consumables;
    for (const ConsumableBand& band : kConsumableBands) consumables.insert(band.item);
    for (Character character : {Character::Jill, Character::Chris}) {
        const bool jill = character == Character::Jill;
        std::set<int> free = {jill ? kJillOnlyFreeSlot : kChrisOnlyFreeSlot};
        for (const SlotRange& range : kDoorModeFreeSlots)
            for (int slot = range.first; slot <= range.last; ++slot) free.insert(slot);
        std::multiset<int> group2(kDoorModeGroup2.begin(), kDoorModeGroup2.end());
        if (jill) group2.insert(kJillGroup2Extra);
        std::set<int> closed(kClosedToGroup2.begin(), kClosedToGroup2.end());
        if (jill) closed.insert(kJillClosedToGroup2.begin(), kJillClosedToGroup2.end());
        std::multiset<int> groups = group2;
        groups.insert(kDoorModeGroup1.begin(), kDoorModeGroup1.end());
        if (jill) {
            groups.insert(kJillGroup3.begin(), kJillGroup3.end());
        } else {
            groups.insert(kChrisGroup3.begin(), kChrisGroup3.end());
        }
        groups.insert(kGroup3Tail.begin(), kGroup3Tail.end());

        std::set<int> consumablesSeen;
        for (std::uint32_t seed = 1; seed <= 300; ++seed) {
            SCOPED_TRACE(std::string(CharacterName(character)) + " seed " + std::to_string(seed));
            const std::vector<int> assignment = Place(character, seed);
            ASSERT_EQ(assignment.size(), 180u);
            std::multiset<int> placed;
            for (int slot = 0; slot < 180; ++slot) {
                const int item = assignment[static_cast<std::size_t>(slot)];
                if (!free.count(slot)) {
                    EXPECT_EQ(item, slot);
                } else if (consumables.count(item)) {
                    consumablesSeen.insert(item);
                } else {
                    placed.insert(item);
                    EXPECT_FALSE(closed.count(slot) && group2.count(item)) << "item " << item << " in slot " << slot;
                }
            }
            EXPECT_EQ(placed, groups);
        }
        EXPECT_EQ(consumablesSeen, consumables);
        for (std::uint32_t seed = 1; seed <= 10; ++seed)
            EXPECT_EQ(Place(character, seed, Difficulty::Hard), Place(character, seed)) << "difficulty, seed " << seed;
    }
}

} // namespace
} // namespace tarvenna
