#pragma once

// The settings as the spoiler names them: one key per field of Settings, in
// the order of its declaration, and the spelling of every choice. Tables
// only; settings_json.cpp reads and writes them.

#include <array>
#include <span>
#include <variant>

#include "core/settings.h"

namespace tarvenna {

template <typename Value>
struct Spelling {
    const char* text;
    Value value;
};

inline constexpr Spelling<Character> kCharacterSpellings[] = {{"Jill", Character::Jill}, {"Chris", Character::Chris}};
inline constexpr Spelling<Difficulty> kDifficultySpellings[] = {{"Normal", Difficulty::Normal},
                                                                {"Hard", Difficulty::Hard}};
inline constexpr Spelling<SpawnCount> kSpawnCountSpellings[] = {
    {"one", SpawnCount::One}, {"many", SpawnCount::Many}, {"none", SpawnCount::None}};
inline constexpr Spelling<TyrantType> kTyrantTypeSpellings[] = {
    {"helipad", TyrantType::Helipad}, {"lab", TyrantType::Lab}, {"random", TyrantType::Random}};

constexpr std::span<const Spelling<Character>> SpellingsOf(Character) { return kCharacterSpellings; }
constexpr std::span<const Spelling<Difficulty>> SpellingsOf(Difficulty) { return kDifficultySpellings; }
constexpr std::span<const Spelling<SpawnCount>> SpellingsOf(SpawnCount) { return kSpawnCountSpellings; }
constexpr std::span<const Spelling<TyrantType>> SpellingsOf(TyrantType) { return kTyrantTypeSpellings; }

using SettingsMember = std::variant<bool Settings::*, Character Settings::*, Difficulty Settings::*,
                                    SpawnCount Settings::*, TyrantType Settings::*>;

struct SettingsField {
    const char* key;
    SettingsMember member;
};

inline const std::array<SettingsField, 24> kSettingsFields = {{
    {"character", &Settings::character},
    {"difficulty", &Settings::difficulty},
    {"randomizeItems", &Settings::randomizeItems},
    {"randomizeEnemies", &Settings::randomizeEnemies},
    {"randomizeDoors", &Settings::randomizeDoors},
    {"randomizeLocks", &Settings::randomizeLocks},
    {"removeHealingItems", &Settings::removeHealingItems},
    {"removeAmmo", &Settings::removeAmmo},
    {"removeInkRibbons", &Settings::removeInkRibbons},
    {"removeDefenceItems", &Settings::removeDefenceItems},
    {"swapWithSelfDefenseGun", &Settings::swapWithSelfDefenseGun},
    {"fuelCapsuleArmed", &Settings::fuelCapsuleArmed},
    {"tyrantSpawns", &Settings::tyrantSpawns},
    {"yawnSpawns", &Settings::yawnSpawns},
    {"lisaSpawns", &Settings::lisaSpawns},
    {"tyrantType", &Settings::tyrantType},
    {"allowZombies", &Settings::allowZombies},
    {"allowDogs", &Settings::allowDogs},
    {"allowHunters", &Settings::allowHunters},
    {"allowSpiders", &Settings::allowSpiders},
    {"allowSharks", &Settings::allowSharks},
    {"allowBees", &Settings::allowBees},
    {"allowChimera", &Settings::allowChimera},
    {"allowElderCrimsonHeads", &Settings::allowElderCrimsonHeads},
}};

} // namespace tarvenna
