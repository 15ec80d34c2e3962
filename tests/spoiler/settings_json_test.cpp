#include "spoiler/settings_json.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/settings_test_support.h"

namespace tarvenna {
namespace {

// Every value of every field, one change away from the defaults: each shows
// under its own key alone and reads back as it was.
TEST(SettingsJson, EveryFieldRoundTripsUnderItsOwnName)
{
    const nlohmann::ordered_json defaults = SettingsToJson(Settings{});
    ASSERT_EQ(SettingsFromJson(defaults), Settings{});
    for (const SettingsFieldForTests& field : EverySettingsField()) {
        for (int value = 0; value < field.values; ++value) {
            SCOPED_TRACE(testing::Message() << field.name << " = " << value);
            Settings settings;
            field.set(settings, value);
            if (settings == Settings{}) continue;
            const nlohmann::ordered_json json = SettingsToJson(settings);
            ASSERT_EQ(json.size(), defaults.size());
            for (const auto& [key, written] : json.items()) {
                EXPECT_TRUE(written.is_boolean() || written.is_string()) << key;
                EXPECT_EQ(written != defaults.at(key), key == field.name) << key;
            }
            EXPECT_EQ(SettingsFromJson(json), settings);
            // The same through a parse of the text, into either kind of document.
            EXPECT_EQ(SettingsFromJson(nlohmann::json::parse(json.dump())), settings);
        }
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
