#pragma once

#include <array>
#include <string_view>

namespace tarvenna {

// One word for each value of a byte: everyday words of three to six letters,
// each known by its first three, none a plural of another, any two at least
// two letters apart, and none sounding like another.
extern const std::array<std::string_view, 256> kCheckWordList;

} // namespace tarvenna
