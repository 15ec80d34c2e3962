#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvenna {

// The page's names of the dialog's check boxes and radio buttons: the
// settings table's, and the spoiler box.
struct PageControl {
    std::string name;
    int id; // control_id::
};

const std::vector<PageControl>& PageControls();
std::optional<int> ControlIdOfName(std::string_view name);

} // namespace tarvenna
