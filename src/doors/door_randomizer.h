#pragma once

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"
#include "core/status_log.h"

namespace tarvenna {

// Builds the door tables and rewires the doors into one connected map; the
// result is state.doors.doorResultTable. Sets state.doorMapIncomplete when the
// stage had to stop early.
void RandomizeDoors(const Settings& settings, GeneratorState& state, Rng& rng, StatusLog& statusLog);

} // namespace tarvenna
