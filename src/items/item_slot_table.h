#pragma once

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"

namespace tarvenna {

// Fills the item slot table for the chosen character, difficulty and lock
// mode. In lock mode this also deals the locks (the run's first draws) and
// builds the requirement table from them; otherwise it draws nothing.
void BuildItemSlotTable(const Settings& settings, GeneratorState& state, Rng& rng);

} // namespace tarvenna
