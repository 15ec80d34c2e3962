#include "enemies/enemy_randomizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "enemies/room_enemy_table.h"

namespace tarvenna {
namespace {

struct EnemyRun {
    RoomEnemyTable table;
    int draws = -1;  // rand() calls the stage made
    std::string log;
};

EnemyRun RunEnemies(const Settings& settings, std::uint32_t seed)
{
    GeneratorState state;
    BuildRoomEnemyTable(state.roomEnemyTable);
    Rng rng(seed);
    StatusLog log;
    RandomizeEnemies(settings, state, rng, log);

    EnemyRun run{state.roomEnemyTable, -1, log.Text()};
    Rng replay(seed);
    for (int n = 0; n < 1000 && run.draws < 0; ++n, replay.Next()) {
        if (replay.State() == rng.State()) run.draws = n;
    }
    return run;
}

std::size_t RoomsHolding(const RoomEnemyTable& table, int kind)
{
    return static_cast<std::size_t>(std::count_if(table.begin(), table.end(), [kind](const auto& entry) {
        return entry.second == std::vector<int>{kind};
    }));
}

// The forced rooms take three draws a round, at least one round, on top of the rooms' own draws.
bool ForcedRoundsPlus(int draws, int roomDraws)
{
    return draws - roomDraws >= 3 && (draws - roomDraws) % 3 == 0;
}

TEST(EnemyRandomizer, PlacesTheChosenSpecialsAndOneAllowedKindPerRoom)
{
    struct Case {
        const char* name;
        Settings settings;
        std::size_t tyrants, slowTyrants, yawns, lisas;
        int roomDraws;  // -1: not checked
    };
    Settings lab;
    lab.tyrantType = TyrantType::Lab;
    Settings noTyrant;
    noTyrant.tyrantSpawns = SpawnCount::None;
    Settings noSpecials = noTyrant;
    noSpecials.yawnSpawns = noSpecials.lisaSpawns = SpawnCount::None;
    // The helipad tyrant, the yawn and Lisa draw nothing in their rooms; the
    // other rooms one each, and switched-off specials still take the forced draw.
    const Case kCases[] = {{"defaults", Settings{}, 1, 0, 1, 1, 50},
                           {"lab tyrant", lab, 0, 1, 1, 1, -1},
                           {"no tyrant", noTyrant, 0, 0, 1, 1, -1},
                           {"no specials", noSpecials, 0, 0, 0, 0, 53}};

    RoomEnemyTable full;
    BuildRoomEnemyTable(full);
    for (const Case& c : kCases) {
        for (std::uint32_t seed = 1; seed <= 30; ++seed) {
            SCOPED_TRACE(std::string(c.name) + " seed " + std::to_string(seed));
            const EnemyRun run = RunEnemies(c.settings, seed);
            EXPECT_EQ(run.log, "Randomizing Enemies . . .done!\n");
            EXPECT_EQ(RoomsHolding(run.table, kTyrant), c.tyrants);
            EXPECT_EQ(RoomsHolding(run.table, kSlowTyrant), c.slowTyrants);
            EXPECT_EQ(RoomsHolding(run.table, kYawn), c.yawns);
            EXPECT_EQ(RoomsHolding(run.table, kLisa), c.lisas);
            for (const auto& [room, kinds] : run.table) {
                ASSERT_EQ(kinds.size(), 1u) << room;
                const std::vector<int>& allowed = full.at(room);
                const bool allowedHere = std::find(allowed.begin(), allowed.end(), kinds.front()) != allowed.end();
                EXPECT_TRUE(allowedHere || kinds.front() == kSlowTyrant) << room;  // the slow one is never listed
            }
            if (c.roomDraws >= 0) {
                EXPECT_TRUE(ForcedRoundsPlus(run.draws, c.roomDraws)) << run.draws;
            }

            // The yawn and the Lisa room come from the same draw as with a tyrant.
            if (c.yawns == 0) continue;
            for (const auto& [room, kinds] : RunEnemies(Settings{}, seed).table) {
                const bool special = kinds.front() == kYawn || kinds.front() == kLisa;
                EXPECT_TRUE(!special || run.table.at(room) == kinds) << room;
            }
        }
    }
}

} // namespace
} // namespace tarvenna
