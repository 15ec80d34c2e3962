#pragma once

#include <array>
#include <vector>

namespace tarvenna {

inline constexpr int kEnemyRoomCount = 53;

// One room and the enemy kinds it may hold, ascending.
struct RoomEnemyRow {
    const char* room;
    std::vector<int> kinds;
};

extern const std::array<RoomEnemyRow, kEnemyRoomCount> kRoomEnemyRows;

} // namespace tarvenna
