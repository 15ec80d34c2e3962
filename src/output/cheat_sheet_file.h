#pragma once

#include <string>

#include "core/generator_state.h"
#include "core/settings.h"

namespace tarvenna {

// Address of the public map site whose room names the cheat sheet uses.
extern const char* const kRoomNameSource;

// "CheatSheetJillNormal.txt" and its siblings.
std::string CheatSheetFileName(const Settings& settings);

// Enemy kind 1..12 as the cheat sheet prints it.
const char* EnemyKindName(int kind);

// The whole cheat sheet: title, items room by room, and the enemy, door and
// lock sections of the stages that ran.
std::string CheatSheetText(const Settings& settings, const GeneratorState& state);

} // namespace tarvenna
