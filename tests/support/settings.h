#pragma once

#include <vector>

#include "core/settings.h"

namespace tarvenna {

// Default settings for each character on each difficulty.
inline std::vector<Settings> EveryCharacterAndDifficulty()
{
    std::vector<Settings> all;
    for (Character character : {Character::Jill, Character::Chris}) {
        for (Difficulty difficulty : {Difficulty::Normal, Difficulty::Hard}) {
            Settings settings;
            settings.character = character;
            settings.difficulty = difficulty;
            all.push_back(settings);
        }
    }
    return all;
}

} // namespace tarvenna
