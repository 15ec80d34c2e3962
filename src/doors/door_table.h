#pragma once

#include "core/generator_state.h"
#include "core/settings.h"

namespace tarvenna {

// Replaces the door tables with those of the unaltered game for one character:
// the room lists, the door table, the open door table less the held-back doors,
// the door result table with the fixed destinations, and the start rooms as the
// connected room list.
void BuildDoorTables(Character character, DoorTables& tables);

} // namespace tarvenna
