// A whole 32-bit word from the project's generator, whose draws carry 15
// bits each: start states and seeds for tests that must reach every bit.
#pragma once

#include <cstdint>

#include "core/rng.h"

namespace tarvenna {

inline std::uint32_t RandomWord(Rng& rng)
{
    const auto draw = [&rng] { return static_cast<std::uint32_t>(rng.Next()); };
    const std::uint32_t high = draw() << 30;
    const std::uint32_t middle = draw() << 15;
    return high ^ middle ^ draw();
}

} // namespace tarvenna
