#pragma once

#include <string_view>

#include "core/version.h"

namespace tarvenna {

// This Tarvenna's version as share codes carry it: 1098 for 1.098.
inline constexpr int kTarvennaVersion = 1098;

// Bumped whenever a version makes different files from the same settings and
// seed. A code from another version of the same generation makes the same
// game here, so it is taken; one from another generation is refused.
inline constexpr int kGeneration = 1;

// "Version 1.098 Beta" -> 1098; -1 when the text holds no "N.NNN".
constexpr int VersionNumber(std::string_view text)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t at = 0;
    while (at < text.size() && !isDigit(text[at])) ++at;
    int major = 0;
    const std::size_t majorStart = at;
    for (; at < text.size() && isDigit(text[at]); ++at) major = major * 10 + (text[at] - '0');
    if (at == majorStart || at + 4 > text.size() || text[at] != '.') return -1;
    int minor = 0;
    for (std::size_t i = at + 1; i < at + 4; ++i) {
        if (!isDigit(text[i])) return -1;
        minor = minor * 10 + (text[i] - '0');
    }
    return major * 1000 + minor;
}

static_assert(VersionNumber(kVersionString) == kTarvennaVersion,
              "kTarvennaVersion follows kVersionString; bump kGeneration as well if the new version makes "
              "different files from the same settings and seed");

} // namespace tarvenna
