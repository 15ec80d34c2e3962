#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace tarvenna {

// The page's names of the dialog's check boxes and radio buttons.
struct ControlName {
    const char* name;
    int id; // control_id::
};

std::span<const ControlName> ControlNames();
std::optional<int> ControlIdOfName(std::string_view name);

} // namespace tarvenna
