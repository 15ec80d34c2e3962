#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"
#include "items/item_slot_data.h"

namespace tarvenna {

// The validated shuffle written as plainly as possible: the definition that
// the fast search must agree with, deal for deal.

struct ItemSearchResult {
    bool stopped = false;
    bool neverAccepted = false;      // every deal the generator can make was rejected
    std::uint64_t attempts = 0;      // deals made, the accepted one included
    std::vector<int> assignment;     // the accepted deal
    std::uint32_t stateAfter = 0;    // generator state after the accepted deal
};

// Told, now and then, how many deals from the first on are known to be rejected.
using RejectedDealsListener = std::function<void(std::uint64_t rejected)>;

namespace plain {

// One deal: draw the 180 items into the slots in order, then put the pinned
// items back: six always, the Hard pins on Hard, then the character's own.
void ShuffleItems(const Settings& settings, Rng& rng, std::vector<int>& assignment);
void PinSlot(int slot, std::vector<int>& assignment);
void PinHardSlots(std::vector<int>& assignment);

// Forbidden pass, then reachability pass; the check stack keeps what failed
// tests leave on it until a reachability pass rejects.
bool ValidatePlacement(const ItemSlotTable& table, const std::vector<int>& assignment, std::vector<int>& checkStack);
bool IsReachable(const ItemSlotTable& table, const std::vector<int>& assignment, int item,
                 std::vector<int>& checkStack);

} // namespace plain

ItemSearchResult SequentialItemSearch(const ItemSlotTable& table, const Settings& settings,
                                      std::uint32_t startState, const StopFlag* stop,
                                      const RejectedDealsListener& onRejected);

} // namespace tarvenna
