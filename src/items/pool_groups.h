#pragma once

#include <array>
#include <string_view>

namespace tarvenna {

// Item names the pool options act on, matched exactly.
extern const std::array<std::string_view, 16> kHealingItems;
extern const std::array<std::string_view, 1> kInkItems;
extern const std::array<std::string_view, 14> kAmmoItems;
extern const std::array<std::string_view, 5> kDefenceItems;
// Weapons and junk that only the Self Defense Gun swap replaces.
extern const std::array<std::string_view, 9> kSwapOnlyItems;

// The items a removed one becomes, chosen by rand() % 4.
extern const std::array<int, 4> kJunkItems;

inline constexpr int kSelfDefenseGun = 137;

} // namespace tarvenna
