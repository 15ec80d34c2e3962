#pragma once

#include <map>
#include <vector>

#include "core/settings.h"
#include "locks/lock_data.h"

namespace tarvenna {

inline std::vector<int> VanillaKinds() { return {kVanillaLockKinds.begin(), kVanillaLockKinds.end()}; }

// Lock -> kind in the unaltered game, as the generator state keeps it.
inline std::map<int, int> VanillaTable()
{
    std::map<int, int> table;
    for (int lock = 0; lock < kLockCount; ++lock) table[lock] = kVanillaLockKinds[static_cast<std::size_t>(lock)];
    return table;
}

inline Settings LockSettings(Character character, Difficulty difficulty = Difficulty::Normal)
{
    Settings settings;
    settings.character = character;
    settings.difficulty = difficulty;
    settings.randomizeLocks = true;
    return settings;
}

} // namespace tarvenna
