#pragma once

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"
#include "core/status_log.h"

namespace tarvenna {

enum class ItemStageResult { Done, Stopped, NeverAccepted };

// The item stage: the validated shuffle, or the door-mode placement when
// doors are randomized. Reports its progress in the status log; after
// NeverAccepted (every deal the generator can make was rejected) the line
// is left open for the caller to end.
// `threads` threads share the search; the result does not depend on it.
ItemStageResult RandomizeItems(const Settings& settings, GeneratorState& state, Rng& rng, StatusLog& statusLog,
                               const StopFlag* stop, unsigned threads = 1);

} // namespace tarvenna
