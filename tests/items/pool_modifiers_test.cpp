#include "items/pool_modifiers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <vector>

#include "driver/generate_seed.h"
#include "items/item_slot_data.h"
#include "items/pool_groups.h"

namespace tarvenna {
namespace {

// Every slot holding its own item, as with items not randomized.
GeneratorState Unshuffled(Character character, Difficulty difficulty)
{
    Settings settings;
    settings.character = character;
    settings.difficulty = difficulty;
    GeneratorState state;
    Rng unused;
    BuildItemTables(settings, state, unused);
    for (int slot = 0; slot < kSlotCount; ++slot) state.slotAssignment.push_back(slot);
    return state;
}

bool Named(const GeneratorState& state, std::size_t slot, std::span<const std::string_view> names)
{
    return std::find(names.begin(), names.end(), state.itemSlotTable.itemNames[slot]) != names.end();
}

// Each removal turns exactly the items of its group into junk, drawn slot by
// slot; with the swap on as well, that junk becomes the Self Defense Gun,
// without a draw of its own.
TEST(PoolModifiers, RemovedItemsBecomeDrawnJunkAndThenTheSelfDefenseGun)
{
    struct Case {
        const char* what;
        bool Settings::*option;
        std::span<const std::string_view> group;
    };
    const Case kCases[] = {{"healing", &Settings::removeHealingItems, kHealingItems},
                           {"ink", &Settings::removeInkRibbons, kInkItems},
                           {"ammo", &Settings::removeAmmo, kAmmoItems},
                           {"defence", &Settings::removeDefenceItems, kDefenceItems}};
    const GeneratorState unshuffled = Unshuffled(Character::Jill, Difficulty::Normal);
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Settings settings;
        settings.*c.option = true;
        GeneratorState removed = unshuffled;
        Rng rng(11);
        ApplyPoolModifiers(settings, removed, rng);
        Rng replay(11);
        int changed = 0;
        for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
            const int expected =
                Named(unshuffled, slot, c.group) ? kJunkItems[replay.Below(4)] : unshuffled.slotAssignment[slot];
            EXPECT_EQ(removed.slotAssignment[slot], expected) << "slot " << slot;
            changed += removed.slotAssignment[slot] != unshuffled.slotAssignment[slot];
        }
        EXPECT_GT(changed, 0);
        EXPECT_EQ(rng.State(), replay.State());

        settings.swapWithSelfDefenseGun = true;
        GeneratorState swapped = unshuffled;
        Rng swapRng(11);
        ApplyPoolModifiers(settings, swapped, swapRng);
        EXPECT_EQ(swapRng.State(), rng.State());
        for (std::size_t slot = 0; slot < kSlotCount; ++slot)
            EXPECT_TRUE(!Named(unshuffled, slot, c.group) || swapped.slotAssignment[slot] == kSelfDefenseGun) << slot;
    }
}

TEST(PoolModifiers, SwapAndArmedCapsuleDrawNothing)
{
    const GeneratorState unshuffled = Unshuffled(Character::Jill, Difficulty::Normal);
    Settings settings;
    settings.swapWithSelfDefenseGun = settings.fuelCapsuleArmed = true;
    GeneratorState state = unshuffled;
    Rng rng(5);
    ApplyPoolModifiers(settings, state, rng);
    EXPECT_EQ(rng.State(), Rng(5).State());
    int capsules = 0;
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        EXPECT_TRUE(!Named(unshuffled, slot, kSwapOnlyItems) || state.slotAssignment[slot] == kSelfDefenseGun) << slot;
        capsules += state.slotAssignment[slot] == kArmedFuelCapsule;
    }
    EXPECT_EQ(capsules, 1);
}

} // namespace
} // namespace tarvenna
