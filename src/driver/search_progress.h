#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tarvenna {

// How far a run's item search has got, for the front ends to show beside the
// status log, never in it. A lock deal under which no item deal passes is
// only known once every deal of the cycle is ruled out, so a long search
// tells how much of the cycle lies behind it.
struct SearchProgress {
    std::uint64_t ruledOut = 0; // deals rejected, from the first on
    std::uint64_t cycle = 0;    // the deals a search must rule out to rule out all: the others are their twins
    unsigned lockDeal = 0;      // 1 for the run's first lock deal, 2 after one re-deal...; 0 without locks
    bool searching = true;      // false once this search has ended, whatever its outcome
};
using SearchProgressListener = std::function<void(const SearchProgress&)>;

// Short searches flash by: a front end shows one that has ruled out a
// hundredth of the cycle (1 %), until it ends.
bool WorthShowing(const SearchProgress& progress);
// The share of the cycle ruled out, 0 to 1.
double RuledOutShare(const SearchProgress& progress);
// One line, such as "Checking the locks: 37 % of the item deals ruled out".
std::string ProgressText(const SearchProgress& progress);

} // namespace tarvenna
