#include "items/sequential_item_search.h"

#include <algorithm>

namespace tarvenna::plain {
namespace {

int SlotOf(const std::vector<int>& assignment, int item)
{
    const auto found = std::find(assignment.begin(), assignment.end(), item);
    return static_cast<int>(found - assignment.begin()); // 180 when no slot holds it
}

int KeyOf(const ItemSlotTable& table, const std::vector<int>& assignment, int item)
{
    const auto slot = static_cast<std::size_t>(SlotOf(assignment, item));
    return slot < table.locationKeys.size() ? table.locationKeys[slot] : -1;
}

bool OnStack(const std::vector<int>& checkStack, int item)
{
    return std::find(checkStack.begin(), checkStack.end(), item) != checkStack.end();
}

const std::vector<int>* List(const RequirementLists* lists, int number)
{
    if (lists == nullptr) return nullptr;
    const auto found = lists->find(number);
    return found == lists->end() ? nullptr : &found->second;
}

} // namespace

void PinSlot(int slot, std::vector<int>& assignment)
{
    const auto p = static_cast<std::size_t>(SlotOf(assignment, slot));
    const auto v = static_cast<std::size_t>(slot);
    assignment[p] = assignment[v];
    assignment[v] = slot;
}

void PinHardSlots(std::vector<int>& assignment)
{
    for (int slot : kHardEmptySlots) PinSlot(slot, assignment);
}

void ShuffleItems(const Settings& settings, Rng& rng, std::vector<int>& assignment)
{
    std::vector<int> pool;
    for (int item = 0; item < kSlotCount; ++item) pool.push_back(item);
    assignment.clear();
    while (!pool.empty()) {
        const std::uint32_t k = rng.Below(static_cast<std::uint32_t>(pool.size()));
        assignment.push_back(pool[k]);
        pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(k));
    }
    for (int slot : {90, 91, 114, 48, 123, 147}) PinSlot(slot, assignment);
    const bool hard = settings.difficulty == Difficulty::Hard;
    if (hard) PinHardSlots(assignment);
    if (settings.character == Character::Chris) {
        if (hard) {
            PinSlot(75, assignment);
            PinSlot(76, assignment);
        }
    } else {
        PinSlot(26, assignment);
        PinSlot(27, assignment);
        if (!hard) PinSlot(39, assignment);
    }
}

bool IsReachable(const ItemSlotTable& table, const std::vector<int>& assignment, int item,
                 std::vector<int>& checkStack)
{
    const auto entry = table.requirements.find(KeyOf(table, assignment, item));
    const RequirementLists* lists = entry == table.requirements.end() ? nullptr : &entry->second;
    std::vector<const std::vector<int>*> alternatives;
    for (int number = 1;; ++number) {
        const std::vector<int>* alternative = List(lists, number);
        if (alternative == nullptr || alternative->empty()) break;
        alternatives.push_back(alternative);
    }

    checkStack.push_back(item);
    if (const std::vector<int>* required = List(lists, 0)) {
        for (int needed : *required)
            if (OnStack(checkStack, needed) || !IsReachable(table, assignment, needed, checkStack)) return false;
    }
    if (alternatives.empty()) {
        checkStack.pop_back();
        return true;
    }
    for (const std::vector<int>* alternative : alternatives) {
        const bool open = std::all_of(alternative->begin(), alternative->end(), [&](int needed) {
            return !OnStack(checkStack, needed) && IsReachable(table, assignment, needed, checkStack);
        });
        if (open) {
            checkStack.pop_back();
            return true;
        }
    }
    return false;
}

bool ValidatePlacement(const ItemSlotTable& table, const std::vector<int>& assignment, std::vector<int>& checkStack)
{
    for (int item = 0; item < kSlotCount; ++item) {
        const auto forbidden = table.forbiddenLocations.find(item);
        if (forbidden == table.forbiddenLocations.end()) continue;
        const int key = KeyOf(table, assignment, item);
        if (std::find(forbidden->second.begin(), forbidden->second.end(), key) != forbidden->second.end())
            return false;
    }
    for (int item = 0; item < kSlotCount; ++item) {
        if (!IsReachable(table, assignment, item, checkStack)) {
            checkStack.clear();
            return false;
        }
    }
    return true;
}

} // namespace tarvenna::plain

namespace tarvenna {

ItemSearchResult SequentialItemSearch(const ItemSlotTable& table, const Settings& settings,
                                      std::uint32_t startState, const StopFlag* stop,
                                      const RejectedDealsListener& onRejected)
{
    ItemSearchResult result;
    Rng rng(startState);
    std::vector<int> checkStack;
    for (;;) {
        if (StopRequested(stop)) {
            result.stopped = true;
            return result;
        }
        plain::ShuffleItems(settings, rng, result.assignment);
        ++result.attempts;
        if (plain::ValidatePlacement(table, result.assignment, checkStack)) break;
        if (onRejected) onRejected(result.attempts);
    }
    result.stateAfter = rng.State();
    return result;
}

} // namespace tarvenna
