#pragma once

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"
#include "core/status_log.h"

namespace tarvenna {

// Leaves exactly one enemy kind in every room of the room enemy table.
void RandomizeEnemies(const Settings& settings, GeneratorState& state, Rng& rng, StatusLog& statusLog);

} // namespace tarvenna
