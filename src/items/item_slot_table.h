#pragma once

#include "core/generator_state.h"
#include "core/settings.h"

namespace tarvenna {

// Fills the item slot table for the chosen character, difficulty and lock
// mode. In lock mode the requirements are left empty: the lock deal builds
// them. Draws nothing.
void BuildItemSlotTable(const Settings& settings, ItemSlotTable& table);

} // namespace tarvenna
