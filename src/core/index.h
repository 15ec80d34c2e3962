#pragma once

#include <cstddef>

namespace tarvenna {

// A table position from the signed numbers the game's data uses for slots,
// items, doors and locks, which are never negative where they index.
constexpr std::size_t Index(int value) { return static_cast<std::size_t>(value); }

} // namespace tarvenna
