// The lock deals under which no item deal passes, as tests/data/dead_locks.tsv
// lists them (the command's flags, a tab, the seed), and the first item
// search of a run: for the tests and the proof benchmark.
#pragma once

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "driver/generate_seed.h"
#include "enemies/enemy_randomizer.h"
#include "enemies/room_enemy_table.h"
#include "items/item_shuffle.h"

namespace tarvenna {

struct SeedCase {
    std::string flags;
    std::uint32_t seed = 0;
    Settings settings;
};

inline SeedCase SeedCaseOf(const std::string& flags, std::uint32_t seed)
{
    std::vector<std::string> arguments;
    std::istringstream words(flags);
    for (std::string word; words >> word;) arguments.push_back(word);
    const ParseOutcome parsed = ParseCommandLine(arguments);
    if (!parsed.commandLine) throw std::runtime_error("unreadable flags: " + flags);
    return {flags, seed, parsed.commandLine->settings};
}

inline std::vector<SeedCase> ReadDeadLocks(const std::string& path)
{
    std::ifstream list(path);
    if (!list) throw std::runtime_error("cannot read " + path);
    std::vector<SeedCase> cases;
    for (std::string line; std::getline(list, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) throw std::runtime_error("no tab in: " + line);
        cases.push_back(SeedCaseOf(line.substr(0, tab), static_cast<std::uint32_t>(std::stoul(line.substr(tab + 1)))));
    }
    return cases;
}

// A run's first item search: its table and pins, and the generator's state
// where it starts.
struct FirstSearch {
    GeneratorState state;
    std::vector<int> pins;
    std::uint32_t start = 0;
};

inline FirstSearch FirstSearchOf(const Settings& settings, std::uint32_t seed)
{
    FirstSearch first;
    Rng rng(seed);
    BuildRoomEnemyTable(first.state.roomEnemyTable);
    BuildItemTables(settings, first.state, rng);
    StatusLog log;
    if (settings.randomizeEnemies) RandomizeEnemies(settings, first.state, rng, log);
    first.pins = PinnedSlots(settings);
    first.start = rng.State();
    return first;
}

} // namespace tarvenna
