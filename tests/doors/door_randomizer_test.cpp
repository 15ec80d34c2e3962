#include "doors/door_randomizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>
#include <string>

#include "doors/door_table.h"

namespace tarvenna {
namespace {

constexpr std::uint32_t kSeeds = 100;

struct DoorRun {
    DoorTables before;  // as built, before the first draw
    DoorTables after;
    DoorConnection connection;
    std::string log;
};

DoorRun Connect(Character character, std::uint32_t seed)
{
    DoorRun run;
    BuildDoorTables(character, run.before);
    run.after = run.before;
    Rng rng(seed);
    StatusLog log;
    run.connection = ConnectDoors(character, run.after, rng, log);
    run.log = log.Text();
    return run;
}

int PartnerOf(const DoorTables& tables, const std::string& room, int door)
{
    // The held-back door rejoins with its partner only in the open door table.
    if (door == 90) return 43;
    return tables.doorTable.at(room).at(door);
}

std::size_t Joins(const DoorConnection& connection, DoorPhase phase)
{
    return static_cast<std::size_t>(std::count_if(connection.joins.begin(), connection.joins.end(),
                                                  [&](const DoorJoin& join) { return join.phase == phase; }));
}

constexpr std::array<Character, 2> kCharacters = {Character::Jill, Character::Chris};

// Runs the stage on the game's tables for both characters and many seeds.
template <typename Check>
void ForEachRun(Check check)
{
    for (Character character : kCharacters) {
        for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
            SCOPED_TRACE(std::string(CharacterName(character)) + " seed " + std::to_string(seed));
            check(character, Connect(character, seed));
        }
    }
}

TEST(DoorRandomizer, ConnectsMultiDoorRoomsThenDeadEndsThenClosesInSixJoins)
{
    ForEachRun([](Character character, const DoorRun& run) {
        ASSERT_TRUE(run.connection.complete) << run.log;
        EXPECT_EQ(run.log, "");
        EXPECT_EQ(Joins(run.connection, DoorPhase::MultiDoor), character == Character::Jill ? 43u : 42u);
        EXPECT_EQ(Joins(run.connection, DoorPhase::DeadEnd), 37u);
        EXPECT_EQ(Joins(run.connection, DoorPhase::Closing), 6u);
        EXPECT_TRUE(std::is_sorted(run.connection.joins.begin(), run.connection.joins.end(),
                                   [](const DoorJoin& a, const DoorJoin& b) { return a.phase < b.phase; }));
        // The parity room is only for an odd count with one dead end left.
        EXPECT_EQ(std::count(run.after.connectedRooms.begin(), run.after.connectedRooms.end(), "Cell"), 0);
    });
}

TEST(DoorRandomizer, LeavesNoRoomToConnectAndNoOpenDoor)
{
    ForEachRun([](Character, const DoorRun& run) {
        EXPECT_TRUE(run.after.multiDoorRooms.empty());
        EXPECT_TRUE(run.after.deadEndRooms.empty());
        for (const std::string& room : run.after.connectedRooms)
            EXPECT_TRUE(run.after.openDoorTable.at(room).empty()) << room;
    });
}

TEST(DoorRandomizer, EveryDrawnDoorLeadsToTheFrontOfTheDoorItWasJoinedTo)
{
    ForEachRun([](Character, const DoorRun& run) {
        const RoomDoorTable& result = run.after.doorResultTable;
        std::set<int> drawn;
        bool door90Closed = false;
        for (const DoorJoin& join : run.connection.joins) {
            ASSERT_NE(join.firstDoor, join.secondDoor);
            EXPECT_TRUE(drawn.insert(join.firstDoor).second) << "door " << join.firstDoor;
            EXPECT_TRUE(drawn.insert(join.secondDoor).second) << "door " << join.secondDoor;
            EXPECT_EQ(result.at(join.firstRoom).at(join.firstDoor),
                      PartnerOf(run.before, join.secondRoom, join.secondDoor));
            EXPECT_EQ(result.at(join.secondRoom).at(join.secondDoor),
                      PartnerOf(run.before, join.firstRoom, join.firstDoor));
            if (join.firstDoor == 90 || join.secondDoor == 90) door90Closed = join.phase == DoorPhase::Closing;
        }
        EXPECT_TRUE(door90Closed);

        // Unlisted rooms and held-back doors keep the values they were built with.
        for (const auto& [room, doors] : run.before.doorResultTable) {
            for (const auto& [door, value] : doors) {
                if (!drawn.count(door)) {
                    EXPECT_EQ(result.at(room).at(door), value) << "door " << door;
                }
            }
        }
        EXPECT_EQ(result.size(), run.before.doorResultTable.size());
    });
}

TEST(DoorRandomizer, StageAnnouncesItselfAndFillsTheResultTable)
{
    for (Character character : kCharacters) {
        SCOPED_TRACE(CharacterName(character));
        Settings settings;
        settings.character = character;
        settings.randomizeDoors = true;
        GeneratorState state;
        Rng rng(5);
        StatusLog log;
        RandomizeDoors(settings, state, rng, log);
        EXPECT_EQ(log.Text(), "Randomizing Doors . . . done!\n");
        EXPECT_FALSE(state.doorMapIncomplete);
        EXPECT_EQ(state.doors.doorResultTable, Connect(character, 5).after.doorResultTable);
    }
}

TEST(DoorRandomizerJill, BringsTheTeaRoomPairInTogether)
{
    for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
        const DoorRun run = Connect(Character::Jill, seed);
        int drawnFromList = 0;
        for (const DoorJoin& join : run.connection.joins) {
            if (join.phase != DoorPhase::MultiDoor) continue;
            if (join.secondRoom == "Tea Room" || join.secondRoom == "Northern Corridor") ++drawnFromList;
        }
        EXPECT_EQ(drawnFromList, 1) << seed;

        const auto& rooms = run.after.connectedRooms;
        const auto tea = std::find(rooms.begin(), rooms.end(), "Tea Room");
        const auto northern = std::find(rooms.begin(), rooms.end(), "Northern Corridor");
        ASSERT_NE(tea, rooms.end());
        ASSERT_NE(northern, rooms.end());
        EXPECT_EQ(std::abs(tea - northern), 1) << seed;  // the second follows the first at once
    }
}

// Small hand-made tables for the rules the game's tables never (or rarely) reach.
DoorTables Tables(std::vector<std::string> connected, std::vector<std::string> deadEnds,
                  const RoomDoorTable& open)
{
    DoorTables tables;
    tables.connectedRooms = std::move(connected);
    tables.deadEndRooms = std::move(deadEnds);
    tables.openDoorTable = open;
    tables.openDoorTable["East Wing Stairway"];
    tables.doorTable = tables.openDoorTable;
    tables.doorResultTable = tables.openDoorTable;
    return tables;
}

TEST(DoorRandomizerRules, OddCountWithOneDeadEndLeftBringsInTheCell)
{
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        DoorTables tables = Tables({"East Wing Stairway"}, {"Bedroom"},
                                   {{"East Wing Stairway", {{86, 91}, {87, 111}, {88, 63}}},
                                    {"Bedroom", {{94, 92}}},
                                    {"Cell", {{258, 222}}}});
        Rng rng(seed);
        StatusLog log;
        const DoorConnection connection = ConnectDoors(Character::Chris, tables, rng, log);
        ASSERT_TRUE(connection.complete) << log.Text();
        ASSERT_EQ(connection.joins.size(), 3u);
        EXPECT_EQ(connection.joins[0].phase, DoorPhase::DeadEnd);
        EXPECT_EQ(connection.joins[1].phase, DoorPhase::DeadEnd);
        std::set<std::string> deadEnds = {connection.joins[0].secondRoom, connection.joins[1].secondRoom};
        EXPECT_EQ(deadEnds, (std::set<std::string>{"Bedroom", "Cell"}));
        // The last door of the stairway closes with the returned door 90.
        EXPECT_EQ(connection.joins[2].phase, DoorPhase::Closing);
        EXPECT_EQ(connection.joins[2].secondDoor, 90);
        EXPECT_TRUE(tables.deadEndRooms.empty());
    }
}

TEST(DoorRandomizerRules, DoorListedAtTwoPositionsIsNeverJoinedToItself)
{
    // Door 94 stands at positions 0 and 1; the only other door is the
    // returned door 90, so every seed must join 94 with 90.
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        DoorTables tables =
            Tables({"Bedroom", "Bedroom", "East Wing Stairway"}, {}, {{"Bedroom", {{94, 92}}}});
        Rng rng(seed);
        StatusLog log;
        const DoorConnection connection = ConnectDoors(Character::Chris, tables, rng, log);
        ASSERT_TRUE(connection.complete) << log.Text();
        ASSERT_EQ(connection.joins.size(), 1u);
        EXPECT_EQ(connection.joins[0].firstDoor, 94);
        EXPECT_EQ(connection.joins[0].secondDoor, 90);
        EXPECT_EQ(tables.doorResultTable.at("Bedroom").at(94), 43);
        EXPECT_EQ(tables.doorResultTable.at("East Wing Stairway").at(90), 92);
    }
}

TEST(DoorRandomizerRules, StopsWithTheSlotCountErrorWhenNoSecondDoorIsLeft)
{
    // Three distinct doors once 90 returns: one join leaves a single door,
    // counted once (a = 1) or twice (door 94 in the room listed twice).
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        DoorTables tables = Tables({"East Wing Stairway", "Bedroom", "Bedroom"}, {},
                                   {{"East Wing Stairway", {{86, 91}}}, {"Bedroom", {{94, 92}}}});
        Rng rng(seed);
        StatusLog log;
        const DoorConnection connection = ConnectDoors(Character::Chris, tables, rng, log);
        EXPECT_FALSE(connection.complete);
        EXPECT_EQ(connection.joins.size(), 1u);
        EXPECT_EQ(log.Text(), "SLOTCOUNT ERROR - TELL CORVEL HE FUCKED UP\n");
    }
}

TEST(DoorRandomizerRules, MissingDoorIsReportedAndMarksTheMapBroken)
{
    // A listed room without open doors gives the second door no value.
    DoorTables tables = Tables({"Main Hall"}, {"Bar"}, {{"Main Hall", {{22, 30}, {23, 73}}}, {"Bar", {}}});
    Rng rng(3);
    StatusLog log;
    const DoorConnection connection = ConnectDoors(Character::Chris, tables, rng, log);
    EXPECT_FALSE(connection.complete);
    EXPECT_EQ(log.Text().rfind("INVALID DOOR ERROR - TELL CORVEL HE FUCKED UP\n", 0), 0u) << log.Text();
}

} // namespace
} // namespace tarvenna
