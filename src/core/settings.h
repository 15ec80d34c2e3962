#pragma once

namespace tarvenna {

enum class Character { Jill, Chris };
enum class Difficulty { Normal, Hard };
enum class SpawnCount { One, Many, None };
enum class TyrantType { Helipad, Lab, Random };

// Every option of the settings dialog, taken once when generation starts and
// read-only afterwards. The defaults are the dialog's.
struct Settings {
    Character character = Character::Jill;
    Difficulty difficulty = Difficulty::Normal;

    bool randomizeItems = true;
    bool randomizeEnemies = false;
    bool randomizeDoors = false;
    bool randomizeLocks = false;

    bool removeHealingItems = false;
    bool removeAmmo = false;
    bool removeInkRibbons = false;
    bool removeDefenceItems = false;
    bool swapWithSelfDefenseGun = false;
    bool fuelCapsuleArmed = false;

    SpawnCount tyrantSpawns = SpawnCount::One;
    SpawnCount yawnSpawns = SpawnCount::One;
    SpawnCount lisaSpawns = SpawnCount::One;
    TyrantType tyrantType = TyrantType::Helipad;

    bool allowZombies = true;
    bool allowDogs = true;
    bool allowHunters = true;
    bool allowSpiders = true;
    bool allowSharks = true;
    bool allowBees = true;
    bool allowChimera = true;
    bool allowElderCrimsonHeads = true;

    bool operator==(const Settings&) const = default;
};

// "Jill"/"Chris" and "Normal"/"Hard", as used in the output file names.
const char* CharacterName(Character character);
const char* DifficultyName(Difficulty difficulty);

// The combinations that the dialog can never produce: door mode needs Normal,
// items on and locks off; lock mode needs items on. Returns an empty string
// when the settings are consistent, otherwise a sentence saying what is wrong.
const char* SettingsConflict(const Settings& settings);

} // namespace tarvenna
