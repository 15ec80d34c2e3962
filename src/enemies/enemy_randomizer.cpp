#include "enemies/enemy_randomizer.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <optional>
#include <string>
#include <vector>

#include "enemies/room_enemy_table.h"

namespace tarvenna {
namespace {

using RoomName = std::optional<std::string>;  // no value: that special enemy is not placed

// The rooms that hold the tyrant, the yawn and Lisa whatever the draws of the
// other rooms give.
struct ForcedRooms {
    RoomName tyrant;
    RoomName yawn;
    RoomName lisa;
};

// A kind the player may switch off, in the order the switches are applied.
// The order decides which kind survives when all are off.
struct KindSwitch {
    bool Settings::*allowed;
    int kind;
};

constexpr std::array<KindSwitch, 8> kKindSwitches = {{
    {&Settings::allowElderCrimsonHeads, kElderCrimsonHead},
    {&Settings::allowHunters, kHunters},
    {&Settings::allowChimera, kChimeras},
    {&Settings::allowBees, kBees},
    {&Settings::allowSpiders, kSpiders},
    {&Settings::allowDogs, kDogs},
    {&Settings::allowSharks, kSharks},
    {&Settings::allowZombies, kZombies},
}};

bool Contains(const std::vector<int>& kinds, int kind)
{
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

void Remove(std::vector<int>& kinds, int kind)
{
    if (auto it = std::find(kinds.begin(), kinds.end(), kind); it != kinds.end()) kinds.erase(it);
}

const std::string& Draw(const std::vector<std::string>& candidates, Rng& rng)
{
    assert(!candidates.empty());
    return candidates[rng.Below(static_cast<std::uint32_t>(candidates.size()))];
}

// Three different rooms, drawn tyrant, yawn, Lisa and drawn again as a whole
// until no two coincide. The draw happens even for enemies that are switched
// off, so that the rest of the run sees the same random sequence.
ForcedRooms DrawForcedRooms(const RoomEnemyTable& table, Rng& rng)
{
    std::vector<std::string> tyrantRooms;
    std::vector<std::string> yawnRooms;
    std::vector<std::string> lisaRooms;
    for (const auto& [room, kinds] : table) {
        if (Contains(kinds, kTyrant)) tyrantRooms.push_back(room);
        if (Contains(kinds, kYawn)) yawnRooms.push_back(room);
        if (Contains(kinds, kLisa)) lisaRooms.push_back(room);
    }

    for (;;) {
        const std::string& tyrant = Draw(tyrantRooms, rng);
        const std::string& yawn = Draw(yawnRooms, rng);
        const std::string& lisa = Draw(lisaRooms, rng);
        if (tyrant != yawn && tyrant != lisa && yawn != lisa) return {tyrant, yawn, lisa};
    }
}

// The helipad's fast tyrant or the laboratory's slow one.
int TyrantKind(TyrantType type, Rng& rng)
{
    switch (type) {
    case TyrantType::Helipad: return kTyrant;
    case TyrantType::Lab: return kSlowTyrant;
    case TyrantType::Random: return rng.Odd() ? kSlowTyrant : kTyrant;
    }
    return kTyrant;
}

void Narrow(const Settings& settings, std::vector<int>& kinds)
{
    // The special enemies appear beyond their forced room only with "Many".
    if (settings.yawnSpawns != SpawnCount::Many) Remove(kinds, kYawn);
    if (settings.tyrantSpawns != SpawnCount::Many) Remove(kinds, kTyrant);
    if (settings.lisaSpawns != SpawnCount::Many) Remove(kinds, kLisa);

    // A room never loses its last kind, even one the player switched off.
    for (const KindSwitch& kindSwitch : kKindSwitches) {
        if (!(settings.*kindSwitch.allowed) && kinds.size() >= 2) Remove(kinds, kindSwitch.kind);
    }
}

int PlaceKind(const Settings& settings, const std::string& room, const std::vector<int>& kinds,
              const ForcedRooms& forced, Rng& rng)
{
    if (room == forced.tyrant) return TyrantKind(settings.tyrantType, rng);
    if (room == forced.yawn) return kYawn;
    if (room == forced.lisa) return kLisa;

    assert(!kinds.empty());
    const int kind = kinds[rng.Below(static_cast<std::uint32_t>(kinds.size()))];
    return kind == kTyrant ? TyrantKind(settings.tyrantType, rng) : kind;
}

} // namespace

void RandomizeEnemies(const Settings& settings, GeneratorState& state, Rng& rng, StatusLog& statusLog)
{
    statusLog.AppendStatus("Randomizing Enemies . . .");
    RoomEnemyTable& table = state.roomEnemyTable;

    ForcedRooms forced = DrawForcedRooms(table, rng);
    if (settings.tyrantSpawns == SpawnCount::None) forced.tyrant.reset();
    if (settings.yawnSpawns == SpawnCount::None) forced.yawn.reset();
    if (settings.lisaSpawns == SpawnCount::None) forced.lisa.reset();

    for (auto& [room, kinds] : table) Narrow(settings, kinds);

    for (auto& [room, kinds] : table) {
        const int kind = PlaceKind(settings, room, kinds, forced, rng);
        kinds.assign(1, kind);
    }

    statusLog.AppendStatus("done!\n");
}

} // namespace tarvenna
