#pragma once

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"

namespace tarvenna {

// True when at least one of the six pool options is on.
bool AnyPoolModifier(const Settings& settings);

// Rewrites the placed items slot by slot according to the pool options.
void ApplyPoolModifiers(const Settings& settings, GeneratorState& state, Rng& rng);

} // namespace tarvenna
