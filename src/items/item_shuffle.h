#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"
#include "core/status_log.h"
#include "items/item_bits.h"
#include "items/item_slot_data.h"

namespace tarvenna {

using SlotAssignment = std::array<int, kSlotCount>;

// The slots that every deal puts back to their own item, in pin order
// (Jill's slot 27 appears twice on Hard).
std::vector<int> PinnedSlots(const Settings& settings);

// The item slot table in a form that one attempt can test without touching
// the heap: flat requirement lists and one bit set of forbidden keys per item.
class ItemRules {
public:
    static constexpr int kMaxKey = 128;
    static constexpr int kMaxItem = kItemCount; // items 0..181

    explicit ItemRules(const ItemSlotTable& table);

    int KeyOfSlot(int slot) const { return keyOfSlot_[static_cast<std::size_t>(slot)]; }
    bool IsForbidden(int item, int key) const;

    struct List {
        std::uint16_t offset = 0;
        std::uint16_t count = 0;
    };
    struct KeyRule {
        List required;
        std::uint16_t firstAlternative = 0;
        std::uint16_t alternativeCount = 0;
    };
    const KeyRule& Rule(int key) const { return rules_[static_cast<std::size_t>(key)]; }
    const List& Alternative(int index) const { return alternatives_[static_cast<std::size_t>(index)]; }
    const int* Items(const List& list) const { return items_.data() + list.offset; }

    // Whether the rule of `key` is met when `held(item)` says which items are
    // held: all of its required list, and one of its alternatives where it
    // has any. A key without a rule is met.
    template <class Held>
    bool RuleMet(int key, Held held) const
    {
        if (key < 0 || key >= kMaxKey) return true;
        const KeyRule& rule = Rule(key);
        const auto allHeld = [&](const List& list) { return std::all_of(Items(list), Items(list) + list.count, held); };
        if (!allHeld(rule.required)) return false;
        for (int i = 0; i < rule.alternativeCount; ++i)
            if (allHeld(Alternative(rule.firstAlternative + i))) return true;
        return rule.alternativeCount == 0;
    }

private:
    std::array<int, kSlotCount + 1> keyOfSlot_{};   // slot 180: an item that no slot holds
    std::array<std::array<std::uint64_t, 2>, kMaxItem> forbidden_{};
    std::array<KeyRule, kMaxKey> rules_{};
    std::vector<List> alternatives_;
    std::vector<int> items_;
};

// One deal: 180 draws, then the pins.
void ShuffleItems(const std::vector<int>& pinnedSlots, Rng& rng, SlotAssignment& assignment);
// The pins of a deal whose draws put the items in `assignment`, with the
// slot of each item in `slotOfItem`.
void PutPinsBack(const std::vector<int>& pinnedSlots, SlotAssignment& assignment,
                 std::array<std::uint8_t, kSlotCount>& slotOfItem);

// Tests deals against the rules. Keeps the check stack between tests of one
// pass, as the acceptance of a deal depends on its left-over entries.
//
// A test of an item reads the stack only to ask whether items are in
// progress. When such a test succeeds, leaves the stack as it found it and
// none of the items it asked about was in progress, it gives the same answer
// whenever none of them is: such answers are kept for the rest of the deal.
class PlacementValidator {
public:
    explicit PlacementValidator(const ItemRules& rules);

    bool ValidatePlacement(const SlotAssignment& assignment);
    bool IsReachable(int item);

    // The part of ValidatePlacement's reachability pass that tests items
    // 0 .. count - 1, for a deal that passes its forbidden pass, from the
    // slots of the items it asks about (others may be unknown). A deal it
    // rejects ValidatePlacement rejects too. It starts from an empty check
    // stack and leaves it empty: an accepted deal can leave entries behind,
    // which must not reach the test of another deal.
    using SlotsOfItems = std::array<std::int16_t, kSlotCount + 2>;
    static SlotsOfItems NoSlots();
    bool FirstItemsReachable(const SlotsOfItems& slotOfItem, int count);

private:
    int SlotOf(int item) const;
    bool ListReachable(const int* items, int count);
    void Push(int item);
    void PopLast();
    void ClearStack();
    void Asked(int item);

    const ItemRules& rules_;
    SlotsOfItems slotOfItem_{};
    std::vector<int> checkStack_;
    std::array<std::uint16_t, ItemRules::kMaxItem> stackCount_{};
    ItemBits inProgress_;               // items with a nonzero stack count
    std::vector<ItemBits> asked_;       // per test under way: the items it asked about
    std::array<ItemBits, ItemRules::kMaxItem> clearFootprint_{}; // of kept successes
    std::array<bool, ItemRules::kMaxItem> kept_{};
};

} // namespace tarvenna
