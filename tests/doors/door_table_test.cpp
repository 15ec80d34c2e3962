#include "doors/door_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace tarvenna {
namespace {

DoorTables Build(Character character)
{
    DoorTables tables;
    BuildDoorTables(character, tables);
    return tables;
}

std::set<int> OpenDoorsOf(const DoorTables& tables, const std::string& room)
{
    std::set<int> doors;
    for (const auto& [door, partner] : tables.openDoorTable.at(room)) doors.insert(door);
    return doors;
}

int OpenDoorCount(const DoorTables& tables)
{
    int count = 0;
    for (const std::string& room : tables.connectedRooms) count += static_cast<int>(OpenDoorsOf(tables, room).size());
    return count;
}

// A misspelt room or a wrong door id in the data fails nowhere else: a lookup
// silently adds an empty room or a door.
TEST(DoorTable, HoldsEachOfThe264DoorsOnceAndNamesNoUnknownRoom)
{
    const DoorTables tables = Build(Character::Chris);
    EXPECT_EQ(tables.doorTable.size(), 120u);
    EXPECT_EQ(tables.openDoorTable.size(), 120u);
    EXPECT_EQ(tables.doorResultTable.size(), 120u);
    std::map<int, int> partners;
    for (const auto& [room, doors] : tables.doorResultTable) {
        ASSERT_TRUE(tables.doorTable.count(room)) << room;
        for (const auto& [door, value] : doors) {
            EXPECT_TRUE(tables.doorTable.at(room).count(door)) << room << " " << door;
            EXPECT_TRUE(partners.emplace(door, tables.doorTable.at(room).at(door)).second) << door;
        }
    }
    ASSERT_EQ(partners.size(), 264u);
    EXPECT_EQ(partners.begin()->first, 0);
    EXPECT_EQ(partners.rbegin()->first, 263);

    std::map<int, int> odd;
    for (const auto& [door, partner] : partners)
        if (partner == -1 || partners.at(partner) != door) odd.emplace(door, partner);
    EXPECT_EQ(odd, (std::map<int, int>{{85, -1}, {130, 134}, {134, 131}, {227, -1}}));
    EXPECT_EQ(tables.doorTable.at("Main Garden").at(130), 134);
    EXPECT_EQ(tables.doorTable.at("Falls Area").at(134), 131);

    for (const auto* list : {&tables.multiDoorRooms, &tables.deadEndRooms, &tables.connectedRooms})
        for (const std::string& room : *list) EXPECT_TRUE(tables.doorTable.count(room)) << room;
}

TEST(DoorTable, JillStartsInTwoRoomsWithEightOpenDoors)
{
    const DoorTables tables = Build(Character::Jill);
    ASSERT_EQ(tables.multiDoorRooms.size(), 44u);
    EXPECT_EQ(tables.multiDoorRooms[42], "Tea Room");
    EXPECT_EQ(tables.multiDoorRooms[43], "Northern Corridor");
    EXPECT_EQ(tables.deadEndRooms.size(), 37u);
    EXPECT_EQ(tables.connectedRooms, (std::vector<std::string>{"Main Hall", "Dining Room"}));
    EXPECT_EQ(OpenDoorsOf(tables, "Main Hall"), (std::set<int>{22, 23, 24, 25, 26, 27, 29}));
    EXPECT_EQ(OpenDoorCount(tables), 8);
    EXPECT_EQ(OpenDoorsOf(tables, "Tea Room"), (std::set<int>{9, 15, 16, 18}));
    EXPECT_EQ(tables.doorResultTable.at("Tea Room").at(9), 20);
}

TEST(DoorTable, ChrisStartsInFourRoomsWithFourteenOpenDoors)
{
    const DoorTables tables = Build(Character::Chris);
    EXPECT_EQ(tables.multiDoorRooms.size(), 42u);
    EXPECT_EQ(tables.connectedRooms,
              (std::vector<std::string>{"Main Hall", "Dining Room", "Tea Room", "Northern Corridor"}));
    EXPECT_EQ(OpenDoorCount(tables), 14);
    EXPECT_EQ(OpenDoorsOf(tables, "Tea Room"), (std::set<int>{15, 16, 18}));
    EXPECT_EQ(tables.doorResultTable.at("Tea Room").at(9), 9);
    EXPECT_EQ(tables.doorResultTable.at("Dining Room").at(20), 20);
}

TEST(DoorTable, HeldBackDoorsLeaveTheExpectedOpenDoors)
{
    const DoorTables tables = Build(Character::Jill);
    EXPECT_EQ(OpenDoorsOf(tables, "East Wing Stairway"), (std::set<int>{86, 87, 88, 89}));
    EXPECT_EQ(OpenDoorsOf(tables, "Art Room"), (std::set<int>{30, 31}));
    EXPECT_EQ(OpenDoorsOf(tables, "Gallery"), (std::set<int>{196, 197, 198}));
    EXPECT_EQ(OpenDoorsOf(tables, "Winding Corridor"), (std::set<int>{35, 37, 39, 40}));
    EXPECT_EQ(OpenDoorsOf(tables, "Northern Corridor"), (std::set<int>{12, 13, 14, 17}));
    for (const std::string& room : tables.deadEndRooms) EXPECT_EQ(OpenDoorsOf(tables, room).size(), 1u) << room;
    for (const std::string& room : tables.multiDoorRooms) EXPECT_GE(OpenDoorsOf(tables, room).size(), 2u) << room;
}

TEST(DoorTable, UnlistedRoomsHoldTheirPartnersExceptTheFixedDestinations)
{
    const std::map<int, int> fixed = {{139, 178}, {140, 232}, {235, 234}, {236, 236},
                                      {227, 227}, {70, 70},   {36, 36},   {54, 54}};
    for (Character character : {Character::Jill, Character::Chris}) {
        const DoorTables tables = Build(character);
        std::set<std::string> listed(tables.multiDoorRooms.begin(), tables.multiDoorRooms.end());
        listed.insert(tables.deadEndRooms.begin(), tables.deadEndRooms.end());
        listed.insert(tables.connectedRooms.begin(), tables.connectedRooms.end());
        int unlisted = 0;
        for (const auto& [room, doors] : tables.doorResultTable) {
            if (listed.count(room)) continue;
            ++unlisted;
            for (const auto& [door, value] : doors) {
                const auto special = fixed.find(door);
                const int expected = special != fixed.end() ? special->second : tables.doorTable.at(room).at(door);
                EXPECT_EQ(value, expected) << room << " " << door;
            }
        }
        EXPECT_EQ(unlisted, 37);
    }
}

TEST(DoorTable, BuildingAgainReplacesTheTables)
{
    DoorTables tables = Build(Character::Chris);
    tables.openDoorTable["Main Hall"].clear();
    BuildDoorTables(Character::Jill, tables);
    EXPECT_EQ(tables.multiDoorRooms.size(), 44u);
    EXPECT_EQ(tables.deadEndRooms.size(), 37u);
    EXPECT_EQ(OpenDoorCount(tables), 8);
    EXPECT_EQ(tables.doorResultTable.at("Tea Room").at(9), 20);
}

} // namespace
} // namespace tarvenna
