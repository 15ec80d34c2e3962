#include "enemies/room_enemy_table.h"

#include "enemies/room_enemy_data.h"

namespace tarvenna {

void BuildRoomEnemyTable(RoomEnemyTable& table)
{
    // A second run on the same state must not keep rooms narrowed by the first.
    table.clear();
    for (const RoomEnemyRow& row : kRoomEnemyRows) table[row.room] = row.kinds;
}

} // namespace tarvenna
