#pragma once

#include <string>
#include <vector>

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"
#include "enemies/room_enemy_table.h"
#include "driver/generate_seed.h"

namespace tarvenna {

// Lines of a CR LF text; fails the test if any line end is not CR LF.
std::vector<std::string> SplitCrLfLines(const std::string& text);

// A state whose items stay in place, as the driver leaves it with items off.
GeneratorState UnshuffledState(const Settings& settings);

} // namespace tarvenna
