#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/generator_state.h"
#include "core/settings.h"
#include "output/file_set.h"
#include "output/output_files.h"
#include "share/game_identity.h"

namespace tarvenna {

// Goes up whenever a key of the document changes its meaning or goes away.
inline constexpr int kSpoilerFormatVersion = 1;

// The whole spoiler document (see docs/spoiler.md), for a finished run.
std::string SpoilerJson(const Settings& settings, std::uint32_t seed, const GeneratorState& state,
                        const GameIdentity& identity);

// The spoiler as RunOptions::extraFiles makes it: from the finished game,
// written with the pair.
std::function<std::vector<OutputFile>(const GeneratorState&)> SpoilerFiles(const Settings& settings,
                                                                           std::uint32_t seed);

} // namespace tarvenna
