#include "items/door_mode_placement.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "items/door_mode_placement_data.h"
#include "items/item_slot_data.h"

namespace tarvenna {
namespace {

constexpr int kFree = -1;

std::size_t Draw(Rng& rng, std::size_t n)
{
    return rng.Below(static_cast<std::uint32_t>(n));
}

std::vector<int> FreeSlots(Character character)
{
    std::vector<int> slots;
    if (character == Character::Chris) slots.push_back(kChrisOnlyFreeSlot);
    for (const SlotRange& range : kDoorModeFreeSlots)
        for (int slot = range.first; slot <= range.last; ++slot) slots.push_back(slot);
    if (character == Character::Jill) slots.push_back(kJillOnlyFreeSlot);
    std::sort(slots.begin(), slots.end());
    return slots;
}

int TakeAt(std::vector<int>& list, std::size_t index)
{
    const auto entry = list.begin() + static_cast<std::ptrdiff_t>(index);
    const int value = *entry;
    list.erase(entry);
    return value;
}

int Consumable(std::size_t weight)
{
    for (const ConsumableBand& band : kConsumableBands)
        if (weight < static_cast<std::size_t>(band.bound)) return band.item;
    return kConsumableBands.back().item;
}

// Each item of the group, drawn in random order, goes to a random free slot
// that `allowed` accepts.
template <typename Allowed>
void Scatter(std::vector<int> group, std::vector<int>& freeSlots, std::vector<int>& assignment, Rng& rng,
             Allowed allowed)
{
    while (!group.empty()) {
        const int item = TakeAt(group, Draw(rng, group.size()));
        std::size_t position = Draw(rng, freeSlots.size());
        while (!allowed(freeSlots[position])) position = Draw(rng, freeSlots.size());
        assignment[static_cast<std::size_t>(TakeAt(freeSlots, position))] = item;
    }
}

} // namespace

void PlaceItemsForDoorMode(const Settings& settings, GeneratorState& state, Rng& rng)
{
    const bool jill = settings.character == Character::Jill;
    std::vector<int> freeSlots = FreeSlots(settings.character);

    std::vector<int>& assignment = state.slotAssignment;
    assignment.assign(kSlotCount, kFree);
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (!std::binary_search(freeSlots.begin(), freeSlots.end(), slot))
            assignment[static_cast<std::size_t>(slot)] = slot;

    std::vector<int> group2(kDoorModeGroup2.begin(), kDoorModeGroup2.end());
    std::vector<int> closed(kClosedToGroup2.begin(), kClosedToGroup2.end());
    std::vector<int> group3;
    if (jill) {
        group2.push_back(kJillGroup2Extra);
        closed.insert(closed.end(), kJillClosedToGroup2.begin(), kJillClosedToGroup2.end());
        group3.assign(kJillGroup3.begin(), kJillGroup3.end());
    } else {
        group3.assign(kChrisGroup3.begin(), kChrisGroup3.end());
    }
    group3.insert(group3.end(), kGroup3Tail.begin(), kGroup3Tail.end());

    const auto anySlot = [](int) { return true; };
    const auto openToGroup2 = [&closed](int slot) {
        return std::find(closed.begin(), closed.end(), slot) == closed.end();
    };
    Scatter(std::vector<int>(kDoorModeGroup1.begin(), kDoorModeGroup1.end()), freeSlots, assignment, rng, anySlot);
    Scatter(std::move(group2), freeSlots, assignment, rng, openToGroup2);
    Scatter(std::move(group3), freeSlots, assignment, rng, anySlot);

    while (!freeSlots.empty()) {
        const int item = Consumable(Draw(rng, kConsumableWeightTotal));
        assignment[static_cast<std::size_t>(TakeAt(freeSlots, Draw(rng, freeSlots.size())))] = item;
    }
}

} // namespace tarvenna
