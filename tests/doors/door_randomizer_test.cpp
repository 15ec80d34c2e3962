#include "doors/door_randomizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "doors/door_table.h"

namespace tarvenna {
namespace {

struct DoorRun {
    DoorTables before;  // as built, before the first draw
    DoorTables after;
    DoorConnection connection;
    std::string log;
};

DoorRun Connect(Character character, std::uint32_t seed, const DoorTables* tables = nullptr)
{
    DoorRun run;
    if (tables != nullptr) {
        run.before = *tables;
    } else {
        BuildDoorTables(character, run.before);
    }
    run.after = run.before;
    Rng rng(seed);
    StatusLog log;
    run.connection = ConnectDoors(character, run.after, rng, log);
    run.log = log.Text();
    return run;
}

std::ptrdiff_t PositionOf(const std::vector<std::string>& rooms, const std::string& room)
{
    return std::find(rooms.begin(), rooms.end(), room) - rooms.begin();
}

// The game's tables for both characters and many seeds: every room joined, in
// phase order, each drawn door leading to the front of its partner door.
TEST(DoorRandomizer, JoinsEveryRoomAndEachDrawnDoorLeadsToTheFrontOfItsPartner)
{
    for (Character character : {Character::Jill, Character::Chris}) {
        const bool jill = character == Character::Jill;
        for (std::uint32_t seed = 1; seed <= 100; ++seed) {
            SCOPED_TRACE(std::string(CharacterName(character)) + " seed " + std::to_string(seed));
            const DoorRun run = Connect(character, seed);
            ASSERT_TRUE(run.connection.complete) << run.log;
            EXPECT_EQ(run.log, "");
            EXPECT_TRUE(std::is_sorted(run.connection.joins.begin(), run.connection.joins.end(),
                                       [](const DoorJoin& a, const DoorJoin& b) { return a.phase < b.phase; }));
            EXPECT_TRUE(run.after.multiDoorRooms.empty() && run.after.deadEndRooms.empty());
            for (const std::string& room : run.after.connectedRooms)
                EXPECT_TRUE(run.after.openDoorTable.at(room).empty()) << room;
            // The parity room is only for an odd count with one dead end left.
            EXPECT_EQ(PositionOf(run.after.connectedRooms, "Cell"), std::ssize(run.after.connectedRooms));

            // The held-back door 90 rejoins with its partner only in the open door table.
            auto partnerOf = [&](const std::string& room, int door) {
                return door == 90 ? 43 : run.before.doorTable.at(room).at(door);
            };
            const RoomDoorTable& result = run.after.doorResultTable;
            std::set<int> drawn;
            bool door90Closed = false;
            for (const DoorJoin& join : run.connection.joins) {
                EXPECT_TRUE(drawn.insert(join.firstDoor).second) << "door " << join.firstDoor;
                EXPECT_TRUE(drawn.insert(join.secondDoor).second) << "door " << join.secondDoor;
                EXPECT_EQ(result.at(join.firstRoom).at(join.firstDoor), partnerOf(join.secondRoom, join.secondDoor));
                EXPECT_EQ(result.at(join.secondRoom).at(join.secondDoor), partnerOf(join.firstRoom, join.firstDoor));
                if (join.firstDoor == 90 || join.secondDoor == 90) door90Closed = join.phase == DoorPhase::Closing;
            }
            EXPECT_TRUE(door90Closed);
            // Unlisted rooms and held-back doors keep the values they were built with.
            for (const auto& [room, doors] : run.before.doorResultTable)
                for (const auto& [door, value] : doors)
                    EXPECT_TRUE(drawn.count(door) || result.at(room).at(door) == value) << "door " << door;

            // Jill reaches the Tea Room and the Northern Corridor together: one
            // is drawn, the other follows it at once.
            if (!jill) continue;
            auto drawnPairRoom = [](const DoorJoin& join) {
                return join.phase == DoorPhase::MultiDoor &&
                       (join.secondRoom == "Tea Room" || join.secondRoom == "Northern Corridor");
            };
            EXPECT_EQ(std::count_if(run.connection.joins.begin(), run.connection.joins.end(), drawnPairRoom), 1);
            EXPECT_EQ(std::abs(PositionOf(run.after.connectedRooms, "Tea Room") -
                               PositionOf(run.after.connectedRooms, "Northern Corridor")),
                      1);
        }
    }
}

// Small hand-made tables for the rules the game's tables never (or rarely) reach.
DoorTables Tables(std::vector<std::string> connected, std::vector<std::string> deadEnds, const RoomDoorTable& open)
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
    const DoorTables tables = Tables({"East Wing Stairway"}, {"Bedroom"},
                                     {{"East Wing Stairway", {{86, 91}, {87, 111}, {88, 63}}},
                                      {"Bedroom", {{94, 92}}},
                                      {"Cell", {{258, 222}}}});
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        const DoorRun run = Connect(Character::Chris, seed, &tables);
        const std::vector<DoorJoin>& joins = run.connection.joins;
        ASSERT_TRUE(run.connection.complete) << run.log;
        ASSERT_EQ(joins.size(), 3u);
        EXPECT_EQ(joins[0].phase, DoorPhase::DeadEnd);
        EXPECT_EQ(joins[1].phase, DoorPhase::DeadEnd);
        EXPECT_EQ((std::set<std::string>{joins[0].secondRoom, joins[1].secondRoom}),
                  (std::set<std::string>{"Bedroom", "Cell"}));
        // The last door of the stairway closes with the returned door 90.
        EXPECT_EQ(joins[2].phase, DoorPhase::Closing);
        EXPECT_EQ(joins[2].secondDoor, 90);
    }
}

TEST(DoorRandomizerRules, DoorListedAtTwoPositionsIsNeverJoinedToItself)
{
    // Door 94 stands at positions 0 and 1; the only other door is the
    // returned door 90, so every seed must join 94 with 90.
    const DoorTables tables = Tables({"Bedroom", "Bedroom", "East Wing Stairway"}, {}, {{"Bedroom", {{94, 92}}}});
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        const DoorRun run = Connect(Character::Chris, seed, &tables);
        ASSERT_TRUE(run.connection.complete) << run.log;
        ASSERT_EQ(run.connection.joins.size(), 1u);
        EXPECT_EQ(run.connection.joins[0].firstDoor, 94);
        EXPECT_EQ(run.connection.joins[0].secondDoor, 90);
    }
}

TEST(DoorRandomizerRules, BrokenTablesEndTheStageWithTheirError)
{
    struct Case {
        const char* what;
        DoorTables tables;
        const char* logStart;
    };
    const Case kCases[] = {
        // Three distinct doors once 90 returns: one join leaves a single door,
        // counted once or twice (door 94 in the room listed twice).
        {"no second door left",
         Tables({"East Wing Stairway", "Bedroom", "Bedroom"}, {},
                {{"East Wing Stairway", {{86, 91}}}, {"Bedroom", {{94, 92}}}}),
         "SLOTCOUNT ERROR - TELL CORVEL HE FUCKED UP\n"},
        // A listed room without open doors gives the second door no value.
        {"room without doors", Tables({"Main Hall"}, {"Bar"}, {{"Main Hall", {{22, 30}, {23, 73}}}, {"Bar", {}}}),
         "INVALID DOOR ERROR - TELL CORVEL HE FUCKED UP\n"},
    };
    for (const Case& c : kCases) {
        for (std::uint32_t seed = 1; seed <= 20; ++seed) {
            SCOPED_TRACE(std::string(c.what) + " seed " + std::to_string(seed));
            const DoorRun run = Connect(Character::Chris, seed, &c.tables);
            EXPECT_FALSE(run.connection.complete);
            EXPECT_EQ(run.log.rfind(c.logStart, 0), 0u) << run.log;
        }
    }
}

} // namespace
} // namespace tarvenna
