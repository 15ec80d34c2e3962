#pragma once

#include <string>

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"

namespace tarvenna {

// Text of a lock kind code; "Unlocked" for 15 and for unknown codes.
std::string LockKindName(int kind);

// Deals the lock kinds until a deal is valid and the item shuffle can finish
// under it, then leaves the kinds in state.lockKinds and the matching
// requirement table in state.itemSlotTable.requirements.
void RandomizeLocks(const Settings& settings, GeneratorState& state, Rng& rng);

} // namespace tarvenna
