#pragma once

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"

namespace tarvenna {

// Item placement used with door randomization instead of the validated shuffle.
void PlaceItemsForDoorMode(const Settings& settings, GeneratorState& state, Rng& rng);

} // namespace tarvenna
