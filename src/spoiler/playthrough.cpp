#include "spoiler/playthrough.h"

#include <algorithm>
#include <cstddef>

#include "core/index.h"
#include "items/item_slot_data.h"

namespace tarvenna {
namespace {

// The lists of one key as validation reads them: list 0, then the
// alternatives up to the first missing or empty one.
struct KeyRule {
    const std::vector<int>* required = nullptr;
    std::vector<const std::vector<int>*> alternatives;
};

KeyRule RuleOf(const ItemSlotTable& table, int key)
{
    KeyRule rule;
    const auto entry = table.requirements.find(key);
    if (entry == table.requirements.end()) return rule;
    const RequirementLists& lists = entry->second;
    if (const auto required = lists.find(0); required != lists.end()) rule.required = &required->second;
    for (int number = 1;; ++number) {
        const auto alternative = lists.find(number);
        if (alternative == lists.end() || alternative->second.empty()) break;
        rule.alternatives.push_back(&alternative->second);
    }
    return rule;
}

bool AllHeld(const std::vector<int>& items, const std::vector<bool>& held)
{
    return std::all_of(items.begin(), items.end(),
                       [&](int item) { return item >= 0 && Index(item) < held.size() && held[Index(item)]; });
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

std::vector<int> KeyItems(const ItemSlotTable& table)
{
    std::vector<int> keys;
    for (int slot = 0; slot < kSlotCount; ++slot) keys.push_back(KeyOfSlot(table, slot));
    keys.push_back(StandInKey(table));
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());

    std::vector<int> items;
    for (int key : keys) {
        const KeyRule rule = RuleOf(table, key);
        if (rule.required != nullptr) items.insert(items.end(), rule.required->begin(), rule.required->end());
        for (const std::vector<int>* alternative : rule.alternatives)
            items.insert(items.end(), alternative->begin(), alternative->end());
    }
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    return items;
}

bool IsForbidden(const ItemSlotTable& table, int item, int key)
{
    const auto entry = table.forbiddenLocations.find(item);
    return entry != table.forbiddenLocations.end() &&
           std::find(entry->second.begin(), entry->second.end(), key) != entry->second.end();
}

} // namespace

bool RequirementsMet(const ItemSlotTable& table, int key, const std::vector<bool>& held)
{
    const KeyRule rule = RuleOf(table, key);
    if (rule.required != nullptr && !AllHeld(*rule.required, held)) return false;
    return rule.alternatives.empty() ||
           std::any_of(rule.alternatives.begin(), rule.alternatives.end(),
                       [&](const std::vector<int>* alternative) { return AllHeld(*alternative, held); });
}

Playthrough PlaythroughOfPlacement(const ItemSlotTable& table, const std::vector<int>& assignment)
{
    Playthrough playthrough;
    playthrough.modelled = true;
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
        if (!standInOpen && RequirementsMet(table, StandInKey(table), held)) {
            standInOpen = true;
            for (int item = kSlotCount; item < kItemCount; ++item) hold(item);
        }
        std::vector<int> sphere;
        for (int slot = 0; slot < slots; ++slot)
            if (!reached[Index(slot)] && RequirementsMet(table, KeyOfSlot(table, slot), held)) sphere.push_back(slot);
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
    playthrough.keyItems = KeyItems(table);
    for (int item : playthrough.keyItems)
        if (!AllHeld({item}, held)) playthrough.unreachedKeyItems.push_back(item);
    for (int slot = 0; slot < slots; ++slot) {
        const int item = assignment[Index(slot)];
        if (item >= 0 && item < kSlotCount && IsForbidden(table, item, KeyOfSlot(table, slot)))
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
