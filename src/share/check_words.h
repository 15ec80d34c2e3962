#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvenna {

// A hash of the item list file's bytes: exactly what the trainer reads.
std::uint32_t CheckValue(std::string_view itemListFile);

// Four words, one per byte of the check value, from a list of 256.
std::array<std::string_view, 4> CheckWords(std::uint32_t checkValue);

// "word word word word"
std::string CheckWordsText(std::uint32_t checkValue);

} // namespace tarvenna
