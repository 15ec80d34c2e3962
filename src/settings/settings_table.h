#pragma once

// Every field of Settings as every front end names it: the command line,
// share codes, the dialog's form and remembered choices, the page and the
// spoiler are all built from this one table. Adding a setting touches the
// table, Settings and the stage that uses it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/settings.h"

namespace tarvenna {

// Ids of the settings' controls in the dialog; the toolkit uses them as
// window ids too.
namespace control_id {
inline constexpr int kJill = 1002;
inline constexpr int kChris = 1003;
inline constexpr int kItems = 1004;
inline constexpr int kEnemies = 1005;
inline constexpr int kDoors = 1006;
inline constexpr int kNormal = 1007;
inline constexpr int kHard = 1008;
inline constexpr int kHealingItems = 1010;
inline constexpr int kAmmo = 1011;
inline constexpr int kInkRibbons = 1012;
inline constexpr int kDefenceItems = 1013;
inline constexpr int kSwapWithSelfDefenseGun = 1014;
inline constexpr int kFuelCapsuleArmed = 1015;
inline constexpr int kTyrantOne = 1016;
inline constexpr int kTyrantMany = 1017;
inline constexpr int kTyrantNone = 1018;
inline constexpr int kYawnOne = 1019;
inline constexpr int kYawnMany = 1020;
inline constexpr int kYawnNone = 1021;
inline constexpr int kLisaOne = 1022;
inline constexpr int kLisaMany = 1023;
inline constexpr int kLisaNone = 1024;
inline constexpr int kTyrantHelipad = 1025;
inline constexpr int kTyrantLab = 1026;
inline constexpr int kTyrantRandom = 1027;
inline constexpr int kZombies = 1031;
inline constexpr int kDogs = 1032;
inline constexpr int kHunters = 1033;
inline constexpr int kSpiders = 1034;
inline constexpr int kSharks = 1035;
inline constexpr int kBees = 1036;
inline constexpr int kLocks = 1037;
inline constexpr int kChimera = 1038;
inline constexpr int kElderCrimsonHeads = 1039;
} // namespace control_id

using SettingsMember = std::variant<bool Settings::*, Character Settings::*, Difficulty Settings::*,
                                    SpawnCount Settings::*, TyrantType Settings::*>;

// One value of a choice, in the order of its enumeration.
struct ChoiceValue {
    const char* word = nullptr; // on the command line, in remembered choices and the page's control names
    const char* json = nullptr; // in the spoiler
    int control = 0;            // its radio button
};

struct SettingRow {
    // The one spelling of the field outside the code: the command-line option
    // ("--remove-healing", or "--no-zombies" for a switch that is on unless
    // switched off), the key of a remembered choice and the page's control.
    const char* name;
    const char* json; // its key in the spoiler
    SettingsMember member;
    const char* help;                  // for --help; a choice's values and default are added
    int control;                       // a switch's check box; 0 for a choice
    std::array<ChoiceValue, 3> values; // a choice's; empty for a switch
    int codeBits;                      // in a share code
};

namespace settings_rows {

constexpr std::array<ChoiceValue, 3> kNoValues{};

constexpr SettingRow Switch(const char* name, const char* json, bool Settings::*member, int control, const char* help)
{
    return {name, json, member, help, control, kNoValues, 1};
}

template <typename Value>
constexpr SettingRow Choice(const char* name, const char* json, Value Settings::*member,
                            std::array<ChoiceValue, 3> values, int codeBits, const char* help)
{
    return {name, json, member, help, 0, values, codeBits};
}

constexpr std::array<ChoiceValue, 3> SpawnValues(int one, int many, int none)
{
    return {{{"one", "one", one}, {"many", "many", many}, {"none", "none", none}}};
}

} // namespace settings_rows

// In the order of Settings' fields, which is also the spoiler's order. Share
// codes hold the one-bit fields first and then the two-bit ones, each in this
// order: the layout of the codes players have shared.
inline constexpr std::array<SettingRow, 24> kSettingsTable = {
    settings_rows::Choice("character", "character", &Settings::character,
                          {{{"jill", "Jill", control_id::kJill}, {"chris", "Chris", control_id::kChris}, {}}}, 1,
                          "Character"),
    settings_rows::Choice("difficulty", "difficulty", &Settings::difficulty,
                          {{{"normal", "Normal", control_id::kNormal}, {"hard", "Hard", control_id::kHard}, {}}}, 1,
                          "Difficulty"),
    settings_rows::Switch("items", "randomizeItems", &Settings::randomizeItems, control_id::kItems,
                          "Keep every item in its own slot"),
    settings_rows::Switch("enemies", "randomizeEnemies", &Settings::randomizeEnemies, control_id::kEnemies,
                          "Randomize enemies"),
    settings_rows::Switch("doors", "randomizeDoors", &Settings::randomizeDoors, control_id::kDoors,
                          "Randomize doors (Normal only; not with --no-items or --locks)"),
    settings_rows::Switch("locks", "randomizeLocks", &Settings::randomizeLocks, control_id::kLocks,
                          "Randomize locks (not with --no-items or --doors)"),
    settings_rows::Switch("remove-healing", "removeHealingItems", &Settings::removeHealingItems,
                          control_id::kHealingItems, "Replace healing items with junk"),
    settings_rows::Switch("remove-ammo", "removeAmmo", &Settings::removeAmmo, control_id::kAmmo,
                          "Replace ammunition with junk"),
    settings_rows::Switch("remove-ink-ribbons", "removeInkRibbons", &Settings::removeInkRibbons,
                          control_id::kInkRibbons, "Replace ink ribbons with junk"),
    settings_rows::Switch("remove-defence", "removeDefenceItems", &Settings::removeDefenceItems,
                          control_id::kDefenceItems, "Replace defence items with junk"),
    settings_rows::Switch("swap-self-defense-gun", "swapWithSelfDefenseGun", &Settings::swapWithSelfDefenseGun,
                          control_id::kSwapWithSelfDefenseGun, "Swap all non-key items with the Self Defense Gun"),
    settings_rows::Switch("fuel-capsule-armed", "fuelCapsuleArmed", &Settings::fuelCapsuleArmed,
                          control_id::kFuelCapsuleArmed, "Fuel Supply Capsule armed on pickup"),
    settings_rows::Choice(
        "tyrant-spawns", "tyrantSpawns", &Settings::tyrantSpawns,
        settings_rows::SpawnValues(control_id::kTyrantOne, control_id::kTyrantMany, control_id::kTyrantNone), 2,
        "Tyrant spawns with --enemies"),
    settings_rows::Choice(
        "yawn-spawns", "yawnSpawns", &Settings::yawnSpawns,
        settings_rows::SpawnValues(control_id::kYawnOne, control_id::kYawnMany, control_id::kYawnNone), 2,
        "Yawn spawns with --enemies"),
    settings_rows::Choice(
        "lisa-spawns", "lisaSpawns", &Settings::lisaSpawns,
        settings_rows::SpawnValues(control_id::kLisaOne, control_id::kLisaMany, control_id::kLisaNone), 2,
        "Lisa spawns with --enemies"),
    settings_rows::Choice("tyrant-type", "tyrantType", &Settings::tyrantType,
                          {{{"helipad", "helipad", control_id::kTyrantHelipad},
                            {"lab", "lab", control_id::kTyrantLab},
                            {"random", "random", control_id::kTyrantRandom}}},
                          2, "Tyrant type with --enemies"),
    settings_rows::Switch("zombies", "allowZombies", &Settings::allowZombies, control_id::kZombies,
                          "With --enemies: no zombies"),
    settings_rows::Switch("dogs", "allowDogs", &Settings::allowDogs, control_id::kDogs, "With --enemies: no dogs"),
    settings_rows::Switch("hunters", "allowHunters", &Settings::allowHunters, control_id::kHunters,
                          "With --enemies: no hunters"),
    settings_rows::Switch("spiders", "allowSpiders", &Settings::allowSpiders, control_id::kSpiders,
                          "With --enemies: no spiders"),
    settings_rows::Switch("sharks", "allowSharks", &Settings::allowSharks, control_id::kSharks,
                          "With --enemies: no sharks"),
    settings_rows::Switch("bees", "allowBees", &Settings::allowBees, control_id::kBees, "With --enemies: no bees"),
    settings_rows::Switch("chimera", "allowChimera", &Settings::allowChimera, control_id::kChimera,
                          "With --enemies: no chimera"),
    settings_rows::Switch("elder-crimson-heads", "allowElderCrimsonHeads", &Settings::allowElderCrimsonHeads,
                          control_id::kElderCrimsonHeads, "With --enemies: no elder crimson heads"),
};

bool IsSwitch(const SettingRow& row);
// 2 for a switch (off, on), or the choice's values.
int ValueCount(const SettingRow& row);
// A switch as 0 or 1, a choice as the index of its value.
int ValueOf(const Settings& settings, const SettingRow& row);
// `value` below ValueCount(row).
void SetValue(Settings& settings, const SettingRow& row, int value);

// "--no-items", "--enemies", "--character".
std::string OptionName(const SettingRow& row);
// The value a switch's option gives the field.
bool OptionValue(const SettingRow& row);
// A switch's control name is the row's name; a choice's values are
// "<name>-<word>" ("character-chris", "tyrant-spawns-none").
std::string ControlName(const SettingRow& row, int value);
// The control's id for a value (a switch has one control for both).
int ControlId(const SettingRow& row, int value);

// The row of a field.
const SettingRow& RowOf(SettingsMember member);

// Seeds as every front end reads them: decimal 0..4294967295, blanks around
// it allowed; no sign, no base prefix. Nothing, for anything else or for
// blanks alone.
std::optional<std::uint32_t> ParseSeedText(std::string_view text);

} // namespace tarvenna
