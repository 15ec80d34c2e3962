#pragma once

#include "core/generator_state.h"

namespace tarvenna {

// Enemy kinds as the room enemy table, the trainer data and the cheat sheet
// number them.
inline constexpr int kHunters = 1;
inline constexpr int kChimeras = 2;
inline constexpr int kTyrant = 3;
inline constexpr int kDogs = 4;
inline constexpr int kSharks = 5;
inline constexpr int kZombies = 6;
inline constexpr int kYawn = 7;
inline constexpr int kSpiders = 8;
inline constexpr int kBees = 9;
inline constexpr int kLisa = 10;
inline constexpr int kSlowTyrant = 11;  // never in the table; only placed in place of a tyrant
inline constexpr int kElderCrimsonHead = 12;

// Fills an empty table with the 53 rooms and the enemy kinds each may hold.
void BuildRoomEnemyTable(RoomEnemyTable& table);

} // namespace tarvenna
