#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "core/generator_state.h"
#include "core/settings.h"
#include "driver/generate_seed.h"

namespace tarvenna {

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The item tables (and lock deal) that a seed's run starts from.
inline GeneratorState TablesOf(const Settings& settings, std::uint32_t seed)
{
    GeneratorState state;
    Rng rng(seed);
    BuildItemTables(settings, state, rng);
    return state;
}

// One seed through GenerateSeed into `folder`: what the tests look at.
struct GeneratedGame {
    GenerateResult result;
    GeneratorState state;
    std::string log;
};
GeneratedGame GenerateGame(const Settings& settings, std::uint32_t seed, const std::filesystem::path& folder,
                           unsigned threads = 1, const StopFlag* stop = nullptr);

// How long a checked run may search before it gives up: after more than
// `maxProgressMarks` " ." marks of the item search, or once `maxSeconds` have
// passed at a mark (0: no bound).
struct SearchBudget {
    std::uint64_t maxProgressMarks = 0;
    double maxSeconds = 0;
};

inline constexpr std::string_view kLockRedealLine =
    " no deal of the items can pass under these locks: dealing the locks "
    "again\n";

struct CheckedRun {
    GenerateResult result;
    bool gaveUp = false; // the budget ran out: no files, nothing checked
    double seconds = 0;  // GenerateSeed alone, the run with the pool options off excluded
    std::uint64_t progressMarks = 0;
    int lockRedeals = 0;               // lock deals under which no item deal could pass
    std::vector<std::string> problems; // empty: a whole, consistent game
    GeneratorState state;
};

// One seed through GenerateSeed into `folder`, then its item list file read
// back and checked; with pool options on, the seed runs again with them off
// for the dealt items.
CheckedRun RunCheckedSeed(const Settings& settings, std::uint32_t seed, const std::filesystem::path& folder,
                          unsigned threads, const SearchBudget& budget = {});

} // namespace tarvenna
