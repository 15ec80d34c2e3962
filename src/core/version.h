#pragma once

namespace tarvenna {

inline constexpr const char* kVersionString = "Version 1.098 Beta";

} // namespace tarvenna
