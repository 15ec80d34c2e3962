#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "items/item_shuffle.h"
#include "items/item_slot_table.h"
#include "search/deal_lanes.h"

namespace tarvenna {

using SlotSet = std::array<bool, kSlotCount>;

// What the rules and the pins say about each item, before any choice.
struct ItemFacts {
    std::array<bool, kSlotCount> pinned{};   // by slot
    std::array<bool, kItemCount> required{}; // some key's rule names it
    // The slots that no pin touches whose key strictly needs each item: an
    // item there waits for it. Two items that wait for each other are never
    // reached, and neither is an item that waits for itself.
    std::vector<SlotSet> waitingSlots; // [item]
    std::vector<int> waitingSlotCount; // [item]
    // Where an item that no pin moves certainly rejects its deal by itself.
    std::vector<SlotSet> rejects;      // [item], slot items only
    std::vector<int> rejectingSlots;   // [item]
    std::array<bool, kSlotCount> forbiddenSomewhere{}; // [item]: some key forbids it
    // The items a pass may follow, ascending: those that reject somewhere by
    // themselves, and those the full pass's checks need.
    std::vector<int> candidates;

    // Whether two items can each land where the other is strictly needed.
    bool CanWaitFor(int a, int b) const;
};

// A staged pass follows four or eight items a stretch of draws at a time.
struct StagedPassPlan {
    std::size_t width = lanes::kGroup;                  // kGroup or kNarrowGroup
    std::array<std::uint8_t, lanes::kGroup> items{};    // ascending, padding (item 0) included
    std::uint8_t members = 0;                           // bit g: position g follows a chosen item, not padding
    std::vector<lanes::Pair> pairs;                     // positions g < h that can wait for each other
    std::vector<std::uint32_t> segmentEnds;             // ascending, from draw 0; the last ends the pass
};

// The full pass follows every candidate (as many as fit), those that reject
// the most deals the staged passes let through first.
struct FullPassPlan {
    std::vector<std::uint8_t> items; // followed, in order; padded to a whole group with item 0 by the runner
    std::size_t candidates = 0;      // of them; the rest only let the exact test of the first items run
    bool everyCandidate = false;     // every candidate fits
    std::size_t lead = 0;            // the lead stage follows the first `lead` items alone, if any
    std::vector<std::uint8_t> waiters; // followed index of each item that can wait for another
    std::size_t leadWaiters = 0;       // the waiters among the lead items
    std::vector<std::array<std::uint8_t, 2>> waitPairs; // waiter numbers w < v worth a test
};

// What the fast search decides before it deals anything. It depends on the
// rules and the pins only: the runner builds its lane tables from it.
struct SearchPlan {
    ItemFacts facts;
    std::vector<StagedPassPlan> stagedPasses;
    FullPassPlan fullPass;
};

// How far the facts reason from the rules. Direct: a key's own needs, and
// those of a fixed item (pinned, or past the slots) that it needs, every
// alternative counted; the search was first built on these, and they stay
// as the plain reference its proofs are tested against. Chained: through
// any chain of fixed items, leaving out the alternatives that can never
// open a key first (see NeedsBehind in search_plan.cpp).
enum class Reasoning { Direct, Chained };

SearchPlan MakeSearchPlan(const ItemSlotTable& table, const ItemRules& rules, const std::vector<int>& pinnedSlots,
                          Reasoning reasoning = Reasoning::Chained);

// What each landing of a staged pass's items means (see lanes::Meanings).
lanes::Meanings MeaningsOf(const ItemFacts& facts, const StagedPassPlan& pass);

// The plan as text, items by number, for reading a tuning change.
std::string Describe(const SearchPlan& plan);

} // namespace tarvenna
