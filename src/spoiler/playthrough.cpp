#include "spoiler/playthrough.h"

#include <algorithm>
#include <cstddef>

#include "core/index.h"
#include "items/item_shuffle.h"
#include "items/item_slot_data.h"

namespace tarvenna {
namespace {

bool Held(const std::vector<bool>& held, int item)
{
    return item >= 0 && Index(item) < held.size() && held[Index(item)];
}

// The key that validation gives an item no slot holds: the extra entry of the
// location key list in lock mode, otherwise none at all (no requirement).
int StandInKey(const ItemSlotTable& table)
{
    return table.locationKeys.size() > Index(kSlotCount) ? table.locationKeys[Index(kSlotCount)] : -1;
}

int KeyOfSlot(const ItemSlotTable& table, int slot)
{
    return Index(slot) < table.locationKeys.size() ? table.locationKeys[Index(slot)] : -1;
}

std::vector<int> KeyItems(const ItemSlotTable& table, const ItemRules& rules)
{
    std::vector<int> keys;
    for (int slot = 0; slot < kSlotCount; ++slot) keys.push_back(KeyOfSlot(table, slot));
    keys.push_back(StandInKey(table));
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());

    std::vector<int> items;
    for (int key : keys) {
        if (key < 0 || key >= ItemRules::kMaxKey) continue;
        const ItemRules::KeyRule& rule = rules.Rule(key);
        const auto add = [&](const ItemRules::List& list) {
            items.insert(items.end(), rules.Items(list), rules.Items(list) + list.count);
        };
        add(rule.required);
        for (int i = 0; i < rule.alternativeCount; ++i) add(rules.Alternative(rule.firstAlternative + i));
    }
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    return items;
}

bool Met(const ItemRules& rules, int key, const std::vector<bool>& held)
{
    return rules.RuleMet(key, [&](int item) { return Held(held, item); });
}

} // namespace

bool RequirementsMet(const ItemSlotTable& table, int key, const std::vector<bool>& held)
{
    return Met(ItemRules(table), key, held);
}

Playthrough PlaythroughOfPlacement(const ItemSlotTable& table, const std::vector<int>& assignment)
{
    Playthrough playthrough;
    playthrough.modelled = true;
    const ItemRules rules(table);
    const int slots = std::min(static_cast<int>(assignment.size()), kSlotCount);

    std::vector<bool> held(Index(kItemCount), false);
    auto hold = [&](int item) {
        if (item < 0) return;
        if (Index(item) >= held.size()) held.resize(Index(item) + 1, false);
        held[Index(item)] = true;
    };
    std::vector<bool> reached(Index(slots), false);
    bool standInOpen = false;
    for (;;) {
        // Items beyond the 180 are held where validation looks for them, not
        // where a pool option may have put a copy.
        if (!standInOpen && Met(rules, StandInKey(table), held)) {
            standInOpen = true;
            for (int item = kSlotCount; item < kItemCount; ++item) hold(item);
        }
        std::vector<int> sphere;
        for (int slot = 0; slot < slots; ++slot)
            if (!reached[Index(slot)] && Met(rules, KeyOfSlot(table, slot), held)) sphere.push_back(slot);
        if (sphere.empty()) break;
        // What a sphere's slots hold opens only the next sphere.
        for (int slot : sphere) {
            reached[Index(slot)] = true;
            hold(assignment[Index(slot)]);
        }
        playthrough.spheres.push_back(std::move(sphere));
    }

    for (int slot = 0; slot < kSlotCount; ++slot)
        if (slot >= slots || !reached[Index(slot)]) playthrough.unreachedSlots.push_back(slot);
    playthrough.keyItems = KeyItems(table, rules);
    for (int item : playthrough.keyItems)
        if (!Held(held, item)) playthrough.unreachedKeyItems.push_back(item);
    for (int slot = 0; slot < slots; ++slot) {
        const int item = assignment[Index(slot)];
        if (item >= 0 && item < kSlotCount && rules.IsForbidden(item, KeyOfSlot(table, slot)))
            playthrough.forbiddenPlacements.push_back({slot, item});
    }
    return playthrough;
}

Playthrough ComputePlaythrough(const Settings& settings, const GeneratorState& state)
{
    if (!settings.randomizeItems) {
        Playthrough none;
        none.note = "Items are not randomized: every slot keeps the item of the unaltered game, and no placement "
                    "was tested against the requirement rules.";
        return none;
    }
    if (settings.randomizeDoors) {
        Playthrough none;
        none.note = "Door mode places the items by fixed rules and tests no reachability: the requirement rules "
                    "describe the unaltered doors, so they say nothing about the order of the pick-ups here.";
        return none;
    }
    return PlaythroughOfPlacement(state.itemSlotTable, state.slotAssignment);
}

} // namespace tarvenna
