#pragma once

#include <array>
#include <vector>

namespace tarvenna {

enum class HeadingCondition { Always, NormalOnly, JillNormalOnly };

// A room heading written before the slot line of `slot`.
struct SlotHeading {
    int slot;
    const char* heading;
    HeadingCondition condition;
};

extern const std::vector<SlotHeading> kSlotHeadings;
extern const std::array<const char*, 38> kLockLabels;

} // namespace tarvenna
