#include "items/item_shuffle.h"

#include <algorithm>
#include <cstring>
#include <cassert>
#include <string>

#include "core/deal_divisors.h"
#include "core/index.h"

namespace tarvenna {
namespace {

constexpr std::array<int, 6> kAlwaysPinned = {90, 91, 114, 48, 123, 147};

} // namespace

std::vector<int> PinnedSlots(const Settings& settings)
{
    std::vector<int> slots(kAlwaysPinned.begin(), kAlwaysPinned.end());
    const bool hard = settings.difficulty == Difficulty::Hard;
    if (hard) slots.insert(slots.end(), kHardEmptySlots.begin(), kHardEmptySlots.end());
    if (settings.character == Character::Chris) {
        if (hard) slots.insert(slots.end(), {75, 76});
    } else {
        slots.insert(slots.end(), {26, 27});
        if (!hard) slots.push_back(39);
    }
    return slots;
}

ItemRules::ItemRules(const ItemSlotTable& table)
{
    keyOfSlot_.fill(-1);
    for (std::size_t slot = 0; slot < table.locationKeys.size() && slot < keyOfSlot_.size(); ++slot)
        keyOfSlot_[slot] = table.locationKeys[slot];

    for (const auto& [item, keys] : table.forbiddenLocations) {
        if (item < 0 || item >= kMaxItem) continue;
        for (int key : keys) {
            assert(key >= 0 && key < kMaxKey);
            forbidden_[Index(item)][Index(key / 64)] |= std::uint64_t{1} << (key % 64);
        }
    }

    auto addList = [this](const std::vector<int>& list) {
        List result{static_cast<std::uint16_t>(items_.size()), static_cast<std::uint16_t>(list.size())};
        items_.insert(items_.end(), list.begin(), list.end());
        return result;
    };
    for (const auto& [key, lists] : table.requirements) {
        assert(key >= 0 && key < kMaxKey);
        KeyRule& rule = rules_[Index(key)];
        if (auto required = lists.find(0); required != lists.end()) rule.required = addList(required->second);
        rule.firstAlternative = static_cast<std::uint16_t>(alternatives_.size());
        for (int number = 1;; ++number) {
            auto alternative = lists.find(number);
            if (alternative == lists.end() || alternative->second.empty()) break;
            alternatives_.push_back(addList(alternative->second));
            ++rule.alternativeCount;
        }
    }
}

bool ItemRules::IsForbidden(int item, int key) const
{
    if (key < 0 || key >= kMaxKey || item < 0 || item >= kMaxItem) return false;
    return (forbidden_[Index(item)][Index(key / 64)] >> (key % 64)) & 1u;
}

void ShuffleItems(const std::vector<int>& pinnedSlots, Rng& rng, SlotAssignment& assignment)
{
    alignas(64) std::array<std::uint8_t, kSlotCount + 64> pool{};
    for (std::size_t item = 0; item < kSlotCount; ++item) pool[item] = static_cast<std::uint8_t>(item);
    std::array<std::uint8_t, kSlotCount> slotOfItem{};
    for (std::uint32_t size = kSlotCount, slot = 0; size > 0; --size, ++slot) {
        const std::uint32_t k = kDealDivisors.Remainder(static_cast<std::uint32_t>(rng.Next()), size);
        const int item = pool[k];
        // Shift in fixed 16-byte steps; the padding absorbs the overrun.
        for (std::uint32_t i = k; i < size; i += 16) std::memmove(&pool[i], &pool[i + 1], 16);
        assignment[slot] = item;
        slotOfItem[Index(item)] = static_cast<std::uint8_t>(slot);
    }
    PutPinsBack(pinnedSlots, assignment, slotOfItem);
}

void PutPinsBack(const std::vector<int>& pinnedSlots, SlotAssignment& assignment,
                 std::array<std::uint8_t, kSlotCount>& slotOfItem)
{
    // The deal is a permutation, so the slot of each item is known without a search.
    for (int slot : pinnedSlots) {
        const std::size_t pinned = Index(slot);
        const std::uint8_t from = slotOfItem[pinned];
        const int displaced = assignment[pinned];
        assignment[from] = displaced;
        slotOfItem[Index(displaced)] = from;
        assignment[pinned] = slot;
        slotOfItem[pinned] = static_cast<std::uint8_t>(slot);
    }
}

PlacementValidator::PlacementValidator(const ItemRules& rules) : rules_(rules)
{
    checkStack_.reserve(4096);
    asked_.reserve(4096);
}

int PlacementValidator::SlotOf(int item) const
{
    if (item < 0 || Index(item) >= slotOfItem_.size()) return kSlotCount;
    return slotOfItem_[Index(item)];
}

void PlacementValidator::Push(int item)
{
    checkStack_.push_back(item);
    if (stackCount_[Index(item)]++ == 0) inProgress_.Set(item);
}

void PlacementValidator::PopLast()
{
    const int item = checkStack_.back();
    checkStack_.pop_back();
    if (--stackCount_[Index(item)] == 0) inProgress_.Reset(item);
}

void PlacementValidator::ClearStack()
{
    for (int item : checkStack_) --stackCount_[Index(item)];
    checkStack_.clear();
    inProgress_ = {};
}

void PlacementValidator::Asked(int item)
{
    if (!asked_.empty()) asked_.back().Set(item);
}

// One list fails at its first item that is in progress or unreachable.
bool PlacementValidator::ListReachable(const int* items, int count)
{
    for (int i = 0; i < count; ++i) {
        const int item = items[i];
        Asked(item);
        if (stackCount_[Index(item)] != 0 || !IsReachable(item)) return false;
    }
    return true;
}

bool PlacementValidator::IsReachable(int item)
{
    const std::size_t i = Index(item);
    if (kept_[i]) {
        const ItemBits& footprint = clearFootprint_[i];
        if (!footprint.Intersects(inProgress_)) {
            if (!asked_.empty()) asked_.back() |= footprint;
            return true;
        }
    }
    const std::size_t depth = checkStack_.size();
    asked_.emplace_back();
    const bool reachable = [&] {
        const int key = rules_.KeyOfSlot(SlotOf(item));
        Push(item);
        if (key < 0 || key >= ItemRules::kMaxKey) {
            PopLast();
            return true;
        }
        const ItemRules::KeyRule& rule = rules_.Rule(key);
        // A failure leaves this item (and whatever nested tests left) on the stack.
        if (!ListReachable(rules_.Items(rule.required), rule.required.count)) return false;
        if (rule.alternativeCount == 0) {
            PopLast();
            return true;
        }
        for (int a = 0; a < rule.alternativeCount; ++a) {
            const ItemRules::List& alternative = rules_.Alternative(rule.firstAlternative + a);
            if (ListReachable(rules_.Items(alternative), alternative.count)) {
                PopLast();
                return true;
            }
        }
        return false;
    }();
    const ItemBits footprint = asked_.back();
    asked_.pop_back();
    if (!asked_.empty()) asked_.back() |= footprint;
    if (reachable && checkStack_.size() == depth && !footprint.Intersects(inProgress_)) {
        kept_[i] = true;
        clearFootprint_[i] = footprint;
    }
    return reachable;
}

PlacementValidator::SlotsOfItems PlacementValidator::NoSlots()
{
    SlotsOfItems slots;
    slots.fill(kSlotCount);
    return slots;
}

bool PlacementValidator::FirstItemsReachable(const SlotsOfItems& slotOfItem, int count)
{
    ClearStack();
    slotOfItem_ = slotOfItem;
    kept_.fill(false);
    bool reachable = true;
    for (int item = 0; item < count && reachable; ++item) reachable = IsReachable(item);
    ClearStack();
    return reachable;
}

bool PlacementValidator::ValidatePlacement(const SlotAssignment& assignment)
{
    slotOfItem_.fill(kSlotCount);
    for (int slot = kSlotCount - 1; slot >= 0; --slot) {
        const int item = assignment[Index(slot)];
        if (item >= 0 && Index(item) < slotOfItem_.size()) slotOfItem_[Index(item)] = static_cast<std::int16_t>(slot);
    }
    kept_.fill(false);

    for (int item = 0; item < kSlotCount; ++item) {
        if (rules_.IsForbidden(item, rules_.KeyOfSlot(SlotOf(item)))) return false;
    }
    for (int item = 0; item < kSlotCount; ++item) {
        if (!IsReachable(item)) {
            ClearStack();
            return false;
        }
    }
    return true;
}

} // namespace tarvenna
