#include "settings/settings_table.h"

#include <gtest/gtest.h>

#include <set>

#include <nlohmann/json.hpp>

#include "app/command_line.h"
#include "form/form_model.h"
#include "share/share_code.h"
#include "spoiler/settings_json.h"
#include "web/web_calls.h"

namespace tarvenna {
namespace {

// Each field, at each value other than its default, set through every front
// end: the command line, the form (by control id and, for the page, by
// name), share codes, the spoiler's JSON and remembered choices. Each must
// change that field alone.
TEST(SettingsTable, EveryFieldReachesEveryFrontEnd)
{
    for (const SettingRow& row : kSettingsTable) {
        for (int value = 0; value < ValueCount(row); ++value) {
            if (value == ValueOf(Settings{}, row)) continue;
            SCOPED_TRACE(std::string(row.name) + " = " + std::to_string(value));
            Settings expected;
            SetValue(expected, row, value);

            std::vector<std::string> arguments = {OptionName(row)};
            if (!IsSwitch(row)) arguments.push_back(row.values[static_cast<std::size_t>(value)].word);
            const ParseOutcome parsed = ParseCommandLine(arguments);
            ASSERT_TRUE(parsed.commandLine) << parsed.err;
            EXPECT_EQ(parsed.commandLine->settings, expected);

            // The enemy options open with "Enemies".
            FormModel form;
            const bool closed = !form.IsEnabled(ControlId(row, value));
            if (closed) form.Click(control_id::kEnemies);
            Settings before = form.CollectSettings();
            EXPECT_TRUE(form.Click(ControlId(row, value)));
            SetValue(before, row, value);
            EXPECT_EQ(form.CollectSettings(), before);
            const StoredChoices stored = form.StoreChoices();
            FormModel restored;
            ASSERT_TRUE(restored.RestoreChoices(stored));
            EXPECT_EQ(restored.CollectSettings(), before);

            WebSession session;
            if (closed) HandleWebCall(session, R"({"call":"form","op":"click","control":"enemies"})");
            const nlohmann::json reply = nlohmann::json::parse(HandleWebCall(
                session,
                nlohmann::json{{"call", "form"}, {"op", "click"}, {"control", ControlName(row, value)}}.dump()));
            EXPECT_EQ(SettingsFromJson(reply.at("settings")), before);

            const ShareCodeReading read = ReadShareCode(EncodeShareCode({expected, 7, 8}));
            EXPECT_EQ(read.error, ShareCodeError::None) << read.message;
            EXPECT_EQ(read.game.settings, expected);
            EXPECT_EQ(SettingsFromJson(SettingsToJson(expected)), expected);
        }
    }
}

// Every spelling is one field's only: two rows sharing one would send one
// front end's choice to the other's field.
TEST(SettingsTable, NoTwoFieldsShareASpellingOrAControl)
{
    std::set<std::string> names;
    std::set<std::string> keys;
    std::set<int> controls;
    std::size_t values = 0;
    for (const SettingRow& row : kSettingsTable) {
        names.insert(OptionName(row));
        keys.insert(row.json);
        const int count = IsSwitch(row) ? 1 : ValueCount(row);
        for (int value = 0; value < count; ++value) {
            names.insert(ControlName(row, value));
            controls.insert(ControlId(row, value));
        }
        values += static_cast<std::size_t>(count);
    }
    EXPECT_EQ(keys.size(), kSettingsTable.size());
    EXPECT_EQ(controls.size(), values);
    EXPECT_EQ(names.size(), kSettingsTable.size() + values);
}

TEST(SettingsTable, SeedsAreDecimalWithBlanksAroundAllowed)
{
    EXPECT_EQ(ParseSeedText(" 42\t"), 42u);
    EXPECT_EQ(ParseSeedText("0000000007"), 7u);
    EXPECT_EQ(ParseSeedText("4294967295"), 4294967295u);
    for (const char* text : {"", "  ", "4294967296", "99999999999", "-1", "+1", "12a", "1 2", "0x10", "1.5"})
        EXPECT_FALSE(ParseSeedText(text)) << text;
}

} // namespace
} // namespace tarvenna
