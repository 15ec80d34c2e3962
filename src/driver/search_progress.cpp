#include "driver/search_progress.h"

#include <algorithm>

namespace tarvenna {

bool WorthShowing(const SearchProgress& progress)
{
    return progress.searching && progress.cycle > 0 && progress.ruledOut >= (progress.cycle + 99) / 100;
}

double RuledOutShare(const SearchProgress& progress)
{
    if (progress.cycle == 0) return 0;
    return static_cast<double>(std::min(progress.ruledOut, progress.cycle)) / static_cast<double>(progress.cycle);
}

std::string ProgressText(const SearchProgress& progress)
{
    // Rounded down: 100 % only once the whole cycle is ruled out.
    const std::string percent =
        std::to_string(progress.cycle == 0 ? 0 : std::min(progress.ruledOut, progress.cycle) * 100 / progress.cycle) +
        " %";
    if (progress.lockDeal == 0) return "Searching the item deals: " + percent + " ruled out";
    const std::string which =
        progress.lockDeal == 1 ? "the locks" : "the locks dealt again (deal " + std::to_string(progress.lockDeal) + ")";
    return "Checking " + which + ": " + percent + " of the item deals ruled out";
}

} // namespace tarvenna
