#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings.h"
#include "share/share_version.h"

namespace tarvenna {

// Everything another player needs to make the same game, and what the game
// must come out as.
struct SharedGame {
    Settings settings;
    std::uint32_t seed = 0;
    std::uint32_t checkValue = 0; // CheckValue() of the game's item list file

    bool operator==(const SharedGame&) const = default;
};

// The Tarvenna that made a code.
struct ShareCodeOrigin {
    int version = kTarvennaVersion; // 1098 for 1.098
    int generation = kGeneration;

    bool operator==(const ShareCodeOrigin&) const = default;
};

enum class ShareCodeError {
    None,
    Malformed,     // not a code at all: wrong characters, length or format
    Checksum,      // a mistyped code
    OtherVersion,  // made by a Tarvenna that generates differently
    Settings,      // the settings inside are ones no front end can produce
};

struct ShareCodeReading {
    ShareCodeError error = ShareCodeError::None;
    std::string message;    // for the player when error != None; one line, no full stop
    SharedGame game;        // only when error == None
    ShareCodeOrigin origin; // when the checksum matched (None, OtherVersion, Settings)
};

// Crockford base32 in dashed groups, "T1-XXXX-XXXX-...": "T", the format
// version, then the maker's version and generation, the settings, the seed,
// the check value and a checksum. Settings out of range or in conflict are
// written all the same; reading refuses them.
std::string EncodeShareCode(const SharedGame& game);
std::string EncodeShareCode(const SharedGame& game, const ShareCodeOrigin& origin);

// Case, dashes and white space are ignored; I and L read as 1, O as 0.
// Never throws and never reads outside `text`.
ShareCodeReading ReadShareCode(std::string_view text);

} // namespace tarvenna
