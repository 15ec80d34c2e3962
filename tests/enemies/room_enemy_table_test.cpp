#include "enemies/room_enemy_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <iterator>

namespace tarvenna {
namespace {

TEST(RoomEnemyTable, Holds53RoomsInByteWiseOrder)
{
    RoomEnemyTable table;
    BuildRoomEnemyTable(table);
    ASSERT_EQ(table.size(), 53u);
    EXPECT_EQ(table.begin()->first, "Aqua Ring Walkway");
    EXPECT_EQ(table.rbegin()->first, "X-Ray Room B");
    // A prefix sorts first, then the longer name, then the next number.
    const auto room001 = table.find("Room 001");
    ASSERT_NE(room001, table.end());
    EXPECT_EQ(std::next(room001)->first, "Room 001 Bathroom");
    EXPECT_EQ(std::next(room001, 2)->first, "Room 002");
}

// The number of rooms allowing each kind: a typo in any row shifts one of them.
TEST(RoomEnemyTable, ListsAreAscendingAndEachKindHasItsKnownRoomCount)
{
    RoomEnemyTable table;
    BuildRoomEnemyTable(table);
    std::array<int, 13> counted{};
    for (const auto& [room, kinds] : table) {
        ASSERT_FALSE(kinds.empty()) << room;
        EXPECT_TRUE(std::adjacent_find(kinds.begin(), kinds.end(), std::greater_equal<int>()) == kinds.end()) << room;
        for (int kind : kinds) {
            ASSERT_TRUE(kind >= 1 && kind <= 12) << room;
            ++counted[static_cast<std::size_t>(kind)];
        }
    }
    const std::array<int, 13> expected = {0, 46, 33, 28, 40, 44, 47, 28, 46, 44, 41, 0, 47};
    EXPECT_EQ(counted, expected);
    EXPECT_EQ(table["Small Library"], std::vector<int>{kHunters});
}

} // namespace
} // namespace tarvenna
