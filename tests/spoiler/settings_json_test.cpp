#include "spoiler/settings_json.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace tarvenna {
namespace {

// One change away from the defaults for every field and every choice: each
// shows under its own key alone and reads back as it was.
TEST(SettingsJson, EveryFieldRoundTripsUnderItsOwnName)
{
    const struct {
        const char* key;
        std::function<void(Settings&)> change;
    } cases[] = {
        {"character", [](Settings& s) { s.character = Character::Chris; }},
        {"difficulty", [](Settings& s) { s.difficulty = Difficulty::Hard; }},
        {"randomizeItems", [](Settings& s) { s.randomizeItems = false; }},
        {"randomizeEnemies", [](Settings& s) { s.randomizeEnemies = true; }},
        {"randomizeDoors", [](Settings& s) { s.randomizeDoors = true; }},
        {"randomizeLocks", [](Settings& s) { s.randomizeLocks = true; }},
        {"removeHealingItems", [](Settings& s) { s.removeHealingItems = true; }},
        {"removeAmmo", [](Settings& s) { s.removeAmmo = true; }},
        {"removeInkRibbons", [](Settings& s) { s.removeInkRibbons = true; }},
        {"removeDefenceItems", [](Settings& s) { s.removeDefenceItems = true; }},
        {"swapWithSelfDefenseGun", [](Settings& s) { s.swapWithSelfDefenseGun = true; }},
        {"fuelCapsuleArmed", [](Settings& s) { s.fuelCapsuleArmed = true; }},
        {"tyrantSpawns", [](Settings& s) { s.tyrantSpawns = SpawnCount::Many; }},
        {"tyrantSpawns", [](Settings& s) { s.tyrantSpawns = SpawnCount::None; }},
        {"yawnSpawns", [](Settings& s) { s.yawnSpawns = SpawnCount::Many; }},
        {"yawnSpawns", [](Settings& s) { s.yawnSpawns = SpawnCount::None; }},
        {"lisaSpawns", [](Settings& s) { s.lisaSpawns = SpawnCount::Many; }},
        {"lisaSpawns", [](Settings& s) { s.lisaSpawns = SpawnCount::None; }},
        {"tyrantType", [](Settings& s) { s.tyrantType = TyrantType::Lab; }},
        {"tyrantType", [](Settings& s) { s.tyrantType = TyrantType::Random; }},
        {"allowZombies", [](Settings& s) { s.allowZombies = false; }},
        {"allowDogs", [](Settings& s) { s.allowDogs = false; }},
        {"allowHunters", [](Settings& s) { s.allowHunters = false; }},
        {"allowSpiders", [](Settings& s) { s.allowSpiders = false; }},
        {"allowSharks", [](Settings& s) { s.allowSharks = false; }},
        {"allowBees", [](Settings& s) { s.allowBees = false; }},
        {"allowChimera", [](Settings& s) { s.allowChimera = false; }},
        {"allowElderCrimsonHeads", [](Settings& s) { s.allowElderCrimsonHeads = false; }},
    };
    const nlohmann::ordered_json defaults = SettingsToJson(Settings{});
    ASSERT_EQ(SettingsFromJson(defaults), Settings{});
    for (const auto& test : cases) {
        SCOPED_TRACE(test.key);
        Settings settings;
        test.change(settings);
        const nlohmann::ordered_json json = SettingsToJson(settings);
        ASSERT_EQ(json.size(), defaults.size());
        for (const auto& [key, value] : json.items()) {
            EXPECT_TRUE(value.is_boolean() || value.is_string()) << key;
            EXPECT_EQ(value != defaults.at(key), key == test.key) << key;
        }
        EXPECT_EQ(SettingsFromJson(json), settings);
        // The same through a parse of the text, into either kind of document.
        EXPECT_EQ(SettingsFromJson(nlohmann::json::parse(json.dump())), settings);
    }
}

TEST(SettingsJson, AnythingButTheWrittenShapeIsRefused)
{
    const nlohmann::ordered_json good = SettingsToJson(Settings{});
    const struct {
        const char* why;
        std::function<void(nlohmann::ordered_json&)> spoil;
    } cases[] = {
        {"an unknown spelling", [](nlohmann::ordered_json& j) { j["tyrantSpawns"] = "lots"; }},
        {"another case", [](nlohmann::ordered_json& j) { j["character"] = "chris"; }},
        {"a number for a choice", [](nlohmann::ordered_json& j) { j["difficulty"] = 1; }},
        {"a string for a flag", [](nlohmann::ordered_json& j) { j["randomizeDoors"] = "true"; }},
        {"a missing key", [](nlohmann::ordered_json& j) { j.erase("allowBees"); }},
        {"an extra key", [](nlohmann::ordered_json& j) { j["randomizeEverything"] = true; }},
        {"a renamed key",
         [](nlohmann::ordered_json& j) {
             j.erase("allowBees");
             j["allowWasps"] = true;
         }},
        {"not an object", [](nlohmann::ordered_json& j) { j = nlohmann::ordered_json::array(); }},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.why);
        nlohmann::ordered_json json = good;
        test.spoil(json);
        EXPECT_FALSE(SettingsFromJson(json).has_value());
    }
}

} // namespace
} // namespace tarvenna
