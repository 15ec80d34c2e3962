#include "spoiler/settings_json.h"

#include <string>
#include <type_traits>

#include "spoiler/settings_fields.h"

namespace tarvenna {
namespace {

template <typename Json>
std::optional<Settings> ReadSettings(const Json& json)
{
    if (!json.is_object() || json.size() != kSettingsFields.size()) return std::nullopt;
    Settings settings;
    for (const SettingsField& field : kSettingsFields) {
        const auto value = json.find(field.key);
        if (value == json.end()) return std::nullopt;
        const bool read = std::visit(
            [&](auto member) {
                using Value = std::remove_reference_t<decltype(settings.*member)>;
                if constexpr (std::is_same_v<Value, bool>) {
                    if (!value->is_boolean()) return false;
                    settings.*member = value->template get<bool>();
                    return true;
                } else {
                    if (!value->is_string()) return false;
                    const std::string& text = value->template get_ref<const std::string&>();
                    for (const Spelling<Value>& spelling : SpellingsOf(Value{})) {
                        if (text == spelling.text) {
                            settings.*member = spelling.value;
                            return true;
                        }
                    }
                    return false;
                }
            },
            field.member);
        if (!read) return std::nullopt;
    }
    return settings;
}

} // namespace

nlohmann::ordered_json SettingsToJson(const Settings& settings)
{
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    for (const SettingsField& field : kSettingsFields) {
        std::visit(
            [&](auto member) {
                using Value = std::remove_cvref_t<decltype(settings.*member)>;
                if constexpr (std::is_same_v<Value, bool>) {
                    json[field.key] = settings.*member;
                } else {
                    for (const Spelling<Value>& spelling : SpellingsOf(Value{}))
                        if (spelling.value == settings.*member) json[field.key] = spelling.text;
                }
            },
            field.member);
    }
    return json;
}

std::optional<Settings> SettingsFromJson(const nlohmann::ordered_json& json) { return ReadSettings(json); }
std::optional<Settings> SettingsFromJson(const nlohmann::json& json) { return ReadSettings(json); }

} // namespace tarvenna
