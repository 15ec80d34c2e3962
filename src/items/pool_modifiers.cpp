#include "items/pool_modifiers.h"

#include <algorithm>
#include <string_view>

#include "items/item_slot_data.h"
#include "items/pool_groups.h"

namespace tarvenna {
namespace {

constexpr std::string_view kEmptyFuelCapsule = "Fuel Supply Capsule (Empty)";

template <std::size_t N>
bool InGroup(const std::array<std::string_view, N>& group, std::string_view name)
{
    return std::find(group.begin(), group.end(), name) != group.end();
}

int DrawJunkItem(Rng& rng)
{
    return kJunkItems[rng.Below(static_cast<std::uint32_t>(kJunkItems.size()))];
}

} // namespace

bool AnyPoolModifier(const Settings& settings)
{
    return settings.removeHealingItems || settings.removeAmmo || settings.removeInkRibbons ||
           settings.removeDefenceItems || settings.swapWithSelfDefenseGun || settings.fuelCapsuleArmed;
}

void ApplyPoolModifiers(const Settings& settings, GeneratorState& state, Rng& rng)
{
    const std::vector<std::string>& itemNames = state.itemSlotTable.itemNames;
    const std::size_t slots = std::min(state.slotAssignment.size(), static_cast<std::size_t>(kSlotCount));

    for (std::size_t slot = 0; slot < slots; ++slot) {
        int& item = state.slotAssignment[slot];
        // Read afresh before every test: a removed item has become junk, which
        // the Self Defense Gun swap then replaces in turn.
        auto name = [&]() -> std::string_view {
            const bool named = item >= 0 && static_cast<std::size_t>(item) < itemNames.size();
            return named ? std::string_view(itemNames[static_cast<std::size_t>(item)]) : std::string_view();
        };

        if (settings.removeHealingItems && InGroup(kHealingItems, name())) item = DrawJunkItem(rng);
        if (settings.removeInkRibbons && InGroup(kInkItems, name())) item = DrawJunkItem(rng);
        if (settings.removeAmmo && InGroup(kAmmoItems, name())) item = DrawJunkItem(rng);
        if (settings.removeDefenceItems && InGroup(kDefenceItems, name())) item = DrawJunkItem(rng);
        if (settings.swapWithSelfDefenseGun) {
            const std::string_view current = name();
            if (InGroup(kDefenceItems, current) || InGroup(kAmmoItems, current) || InGroup(kInkItems, current) ||
                InGroup(kHealingItems, current) || InGroup(kSwapOnlyItems, current)) {
                item = kSelfDefenseGun;
            }
        }
        if (settings.fuelCapsuleArmed && name() == kEmptyFuelCapsule) item = kArmedFuelCapsule;
    }
}

} // namespace tarvenna
