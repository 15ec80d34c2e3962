#pragma once

#include <optional>

#include <nlohmann/json.hpp>

#include "core/settings.h"

namespace tarvenna {

// The settings by name: {"character": "Chris", "tyrantSpawns": "many",
// "randomizeDoors": false, ...}, every field of Settings in its order.
nlohmann::ordered_json SettingsToJson(const Settings& settings);

// The reverse, strictly: every key present with one of its spellings and no
// other key, or nothing.
std::optional<Settings> SettingsFromJson(const nlohmann::ordered_json& json);
std::optional<Settings> SettingsFromJson(const nlohmann::json& json);

} // namespace tarvenna
