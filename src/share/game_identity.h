#pragma once

#include <cstdint>
#include <string>

#include "core/generator_state.h"
#include "core/settings.h"

namespace tarvenna {

// What the front ends show after a run and what the spoiler records.
struct GameIdentity {
    std::uint32_t checkValue = 0;
    std::string checkWords; // "word word word word"
    std::string shareCode;
};

GameIdentity IdentifyGame(const Settings& settings, std::uint32_t seed, const GeneratorState& state);

} // namespace tarvenna
