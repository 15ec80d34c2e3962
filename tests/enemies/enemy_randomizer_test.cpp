#include "enemies/enemy_randomizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
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

TEST(EnemyRandomizer, DefaultsPlaceExactlyOneTyrantYawnAndLisa)
{
    RoomEnemyTable full;
    BuildRoomEnemyTable(full);
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        const EnemyRun run = RunEnemies(Settings{}, seed);
        EXPECT_EQ(run.log, "Randomizing Enemies . . .done!\n");
        EXPECT_EQ(RoomsHolding(run.table, kTyrant), 1u);
        EXPECT_EQ(RoomsHolding(run.table, kYawn), 1u);
        EXPECT_EQ(RoomsHolding(run.table, kLisa), 1u);
        EXPECT_EQ(RoomsHolding(run.table, kSlowTyrant), 0u);
        for (const auto& [room, kinds] : run.table) {
            ASSERT_EQ(kinds.size(), 1u) << room;
            const std::vector<int>& allowed = full[room];
            EXPECT_NE(std::find(allowed.begin(), allowed.end(), kinds.front()), allowed.end()) << room;
        }
        // The helipad tyrant, the yawn and Lisa draw nothing in their rooms; the other 50 rooms one each.
        EXPECT_TRUE(ForcedRoundsPlus(run.draws, 50)) << run.draws;
    }
}

TEST(EnemyRandomizer, AllKindsOffLeaveTheLastKindOfTheRemovalOrder)
{
    Settings settings;
    settings.allowZombies = settings.allowDogs = settings.allowHunters = settings.allowSpiders = false;
    settings.allowSharks = settings.allowBees = settings.allowChimera = settings.allowElderCrimsonHeads = false;
    const std::map<std::string, int> survivors = {
        {"Main Hall", kSharks},     {"Entry Corridor", kSharks},          {"Power Maze B", kSpiders},
        {"Large Gallery", kDogs},   {"Surgeon's Room / Morgue", kSpiders}, {"Small Library", kHunters},
    };
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        int forcedRooms = 0;
        for (const auto& [room, kinds] : RunEnemies(settings, seed).table) {
            const int kind = kinds.front();
            if (kind == kTyrant || kind == kYawn || kind == kLisa) {
                ++forcedRooms;
                continue;
            }
            const auto special = survivors.find(room);
            EXPECT_EQ(kind, special == survivors.end() ? kZombies : special->second) << room;
        }
        EXPECT_EQ(forcedRooms, 3);
    }
}

TEST(EnemyRandomizer, SwitchedOffSpecialsStillTakeTheForcedDraw)
{
    Settings noTyrant;
    noTyrant.tyrantSpawns = SpawnCount::None;
    Settings noSpecials = noTyrant;
    noSpecials.yawnSpawns = noSpecials.lisaSpawns = SpawnCount::None;

    for (std::uint32_t seed = 1; seed <= 30; ++seed) {
        SCOPED_TRACE(seed);
        const EnemyRun one = RunEnemies(Settings{}, seed);
        const EnemyRun none = RunEnemies(noTyrant, seed);
        EXPECT_EQ(RoomsHolding(none.table, kTyrant) + RoomsHolding(none.table, kSlowTyrant), 0u);
        // The yawn and the Lisa room come from the same draw as with a tyrant.
        for (const auto& [room, kinds] : one.table) {
            if (kinds.front() == kYawn || kinds.front() == kLisa) {
                EXPECT_EQ(none.table.at(room), kinds) << room;
            }
        }

        const EnemyRun bare = RunEnemies(noSpecials, seed);
        for (int kind : {kTyrant, kYawn, kLisa, kSlowTyrant}) EXPECT_EQ(RoomsHolding(bare.table, kind), 0u);
        EXPECT_TRUE(ForcedRoundsPlus(bare.draws, 53)) << bare.draws;
    }
}

TEST(EnemyRandomizer, TyrantTypeDecidesEveryPlacedTyrant)
{
    Settings lab;
    lab.tyrantType = TyrantType::Lab;
    Settings manyRandom;
    manyRandom.tyrantSpawns = SpawnCount::Many;
    manyRandom.tyrantType = TyrantType::Random;
    manyRandom.yawnSpawns = manyRandom.lisaSpawns = SpawnCount::None;

    std::size_t fast = 0;
    std::size_t slow = 0;
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        const EnemyRun labRun = RunEnemies(lab, seed);
        EXPECT_EQ(RoomsHolding(labRun.table, kTyrant), 0u);
        EXPECT_EQ(RoomsHolding(labRun.table, kSlowTyrant), 1u);

        const EnemyRun run = RunEnemies(manyRandom, seed);
        const std::size_t tyrants = RoomsHolding(run.table, kTyrant) + RoomsHolding(run.table, kSlowTyrant);
        fast += RoomsHolding(run.table, kTyrant);
        slow += RoomsHolding(run.table, kSlowTyrant);
        // The forced tyrant room draws only its parity; each other room one
        // number, and one more for every tyrant it drew.
        EXPECT_TRUE(ForcedRoundsPlus(run.draws, 52 + static_cast<int>(tyrants))) << run.draws;
    }
    EXPECT_GT(fast, 0u);
    EXPECT_GT(slow, 0u);
    EXPECT_GT(fast + slow, 40u);  // "Many" places tyrants beyond the forced room
}

} // namespace
} // namespace tarvenna
