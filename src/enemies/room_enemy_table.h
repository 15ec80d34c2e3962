#pragma once

#include "core/generator_state.h"

namespace tarvenna {

// Fills an empty table with the 53 rooms and the enemy kinds each may hold.
void BuildRoomEnemyTable(RoomEnemyTable& table);

} // namespace tarvenna
