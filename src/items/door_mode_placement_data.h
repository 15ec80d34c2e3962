#pragma once

#include <array>

namespace tarvenna {

struct SlotRange {
    int first;
    int last;  // inclusive
};

// One band of the consumable draw: a weight draw below `bound` (and not below
// the previous band's) gives `item`.
struct ConsumableBand {
    int bound;
    int item;
};

inline constexpr int kConsumableWeightTotal = 105;

// Slots the door-mode placement fills; every other slot keeps its own item.
extern const std::array<SlotRange, 21> kDoorModeFreeSlots;
inline constexpr int kChrisOnlyFreeSlot = 0;
inline constexpr int kJillOnlyFreeSlot = 94;

extern const std::array<int, 5> kDoorModeGroup1;
extern const std::array<int, 16> kDoorModeGroup2;
inline constexpr int kJillGroup2Extra = 0;  // the Lighter
extern const std::array<int, 13> kClosedToGroup2;
extern const std::array<int, 2> kJillClosedToGroup2;
extern const std::array<int, 10> kJillGroup3;
extern const std::array<int, 1> kChrisGroup3;
extern const std::array<int, 10> kGroup3Tail;

extern const std::array<ConsumableBand, 9> kConsumableBands;

} // namespace tarvenna
