#pragma once

#include <map>
#include <vector>

#include "core/generator_state.h"
#include "core/settings.h"

namespace tarvenna {

// Rebuilds the lock-mode requirement table (location key -> requirement
// lists) from the drawn lock kinds. Draws nothing.
void BuildLockRequirements(const Settings& settings, const std::vector<int>& lockKinds,
                           std::map<int, RequirementLists>& requirements);

} // namespace tarvenna
