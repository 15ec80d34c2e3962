#pragma once

#include <vector>

#include "core/settings.h"
#include "locks/lock_data.h"

namespace tarvenna {

inline std::vector<int> VanillaKinds() { return {kVanillaLockKinds.begin(), kVanillaLockKinds.end()}; }

inline Settings LockSettings(Character character, Difficulty difficulty = Difficulty::Normal)
{
    Settings settings;
    settings.character = character;
    settings.difficulty = difficulty;
    settings.randomizeLocks = true;
    return settings;
}

} // namespace tarvenna
