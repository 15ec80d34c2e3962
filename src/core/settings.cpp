#include "core/settings.h"

namespace tarvenna {

const char* CharacterName(Character character)
{
    return character == Character::Chris ? "Chris" : "Jill";
}

const char* DifficultyName(Difficulty difficulty)
{
    return difficulty == Difficulty::Hard ? "Hard" : "Normal";
}

const char* SettingsConflict(const Settings& settings)
{
    if (settings.randomizeDoors) {
        if (settings.difficulty == Difficulty::Hard) return "door randomization runs only on Normal difficulty";
        if (!settings.randomizeItems) return "door randomization needs item randomization";
        if (settings.randomizeLocks) return "door and lock randomization cannot be combined";
    }
    if (settings.randomizeLocks && !settings.randomizeItems) return "lock randomization needs item randomization";
    return "";
}

} // namespace tarvenna
