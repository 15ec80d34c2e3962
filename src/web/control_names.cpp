#include "web/control_names.h"

#include "form/form_model.h"
#include "settings/settings_table.h"

namespace tarvenna {

const std::vector<PageControl>& PageControls()
{
    static const std::vector<PageControl> controls = [] {
        std::vector<PageControl> all;
        for (const SettingRow& row : kSettingsTable) {
            for (int value = 0; value < (IsSwitch(row) ? 1 : ValueCount(row)); ++value)
                all.push_back({ControlName(row, value), ControlId(row, value)});
        }
        all.push_back({"spoiler", control_id::kSpoiler});
        return all;
    }();
    return controls;
}

std::optional<int> ControlIdOfName(std::string_view name)
{
    for (const PageControl& control : PageControls())
        if (name == control.name) return control.id;
    return std::nullopt;
}

} // namespace tarvenna
