#include "enemies/room_enemy_table.h"

namespace tarvenna {

void BuildRoomEnemyTable(RoomEnemyTable& table)
{
    (void)table; // TODO(enemies): rows
}

} // namespace tarvenna
