#include "spoiler/settings_json.h"

#include <string>

#include "settings/settings_table.h"

namespace tarvenna {
namespace {

template <typename Json>
std::optional<Settings> ReadSettings(const Json& json)
{
    if (!json.is_object() || json.size() != kSettingsTable.size()) return std::nullopt;
    Settings settings;
    for (const SettingRow& row : kSettingsTable) {
        const auto value = json.find(row.json);
        if (value == json.end()) return std::nullopt;
        if (IsSwitch(row)) {
            if (!value->is_boolean()) return std::nullopt;
            SetValue(settings, row, value->template get<bool>() ? 1 : 0);
            continue;
        }
        if (!value->is_string()) return std::nullopt;
        const std::string& text = value->template get_ref<const std::string&>();
        int found = -1;
        for (int choice = 0; choice < ValueCount(row); ++choice)
            if (text == row.values[static_cast<std::size_t>(choice)].json) found = choice;
        if (found < 0) return std::nullopt;
        SetValue(settings, row, found);
    }
    return settings;
}

} // namespace

nlohmann::ordered_json SettingsToJson(const Settings& settings)
{
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    for (const SettingRow& row : kSettingsTable) {
        const int value = ValueOf(settings, row);
        if (IsSwitch(row))
            json[row.json] = value != 0;
        else
            json[row.json] = row.values[static_cast<std::size_t>(value)].json;
    }
    return json;
}

std::optional<Settings> SettingsFromJson(const nlohmann::ordered_json& json) { return ReadSettings(json); }
std::optional<Settings> SettingsFromJson(const nlohmann::json& json) { return ReadSettings(json); }

} // namespace tarvenna
