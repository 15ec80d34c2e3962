#include "spoiler/settings_json.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>


namespace tarvenna {
namespace {

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
