#pragma once

#include <functional>
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

// Every setting, the key the spoiler gives it and how many values it has,
// listed apart from the code's own tables so that a setting the code loses
// shows up in the tests.
struct SettingsFieldForTests {
    const char* name;
    int values;
    std::function<void(Settings&, int)> set;
};

inline const std::vector<SettingsFieldForTests>& EverySettingsField()
{
    const auto flag = [](const char* name, bool Settings::*member) {
        return SettingsFieldForTests{name, 2, [member](Settings& s, int value) { s.*member = value != 0; }};
    };
    const auto choice = []<class Enum>(const char* name, Enum Settings::*member, int values) {
        return SettingsFieldForTests{name, values,
                                     [member](Settings& s, int value) { s.*member = static_cast<Enum>(value); }};
    };
    static const std::vector<SettingsFieldForTests> fields = {
        choice("character", &Settings::character, 2),
        choice("difficulty", &Settings::difficulty, 2),
        flag("randomizeItems", &Settings::randomizeItems),
        flag("randomizeEnemies", &Settings::randomizeEnemies),
        flag("randomizeDoors", &Settings::randomizeDoors),
        flag("randomizeLocks", &Settings::randomizeLocks),
        flag("removeHealingItems", &Settings::removeHealingItems),
        flag("removeAmmo", &Settings::removeAmmo),
        flag("removeInkRibbons", &Settings::removeInkRibbons),
        flag("removeDefenceItems", &Settings::removeDefenceItems),
        flag("swapWithSelfDefenseGun", &Settings::swapWithSelfDefenseGun),
        flag("fuelCapsuleArmed", &Settings::fuelCapsuleArmed),
        choice("tyrantSpawns", &Settings::tyrantSpawns, 3),
        choice("yawnSpawns", &Settings::yawnSpawns, 3),
        choice("lisaSpawns", &Settings::lisaSpawns, 3),
        choice("tyrantType", &Settings::tyrantType, 3),
        flag("allowZombies", &Settings::allowZombies),
        flag("allowDogs", &Settings::allowDogs),
        flag("allowHunters", &Settings::allowHunters),
        flag("allowSpiders", &Settings::allowSpiders),
        flag("allowSharks", &Settings::allowSharks),
        flag("allowBees", &Settings::allowBees),
        flag("allowChimera", &Settings::allowChimera),
        flag("allowElderCrimsonHeads", &Settings::allowElderCrimsonHeads),
    };
    return fields;
}

} // namespace tarvenna
