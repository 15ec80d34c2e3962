#include "driver/item_stage.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "items/door_mode_placement.h"
#include "items/item_shuffle.h"
#include "search/fast_item_search.h"

namespace tarvenna {
namespace {

// More failed attempts than this since the last progress mark earn a " .".
constexpr int kProgressInterval = 10000;

} // namespace

bool ItemStageSearches(const Settings& settings) { return settings.randomizeItems && !settings.randomizeDoors; }

// One " ." for every 10001 deals rejected in a row from the first: the
// first before attempt 10002, each further one 10001 attempts later.
std::uint64_t ProgressMarks(std::uint64_t rejected) { return rejected / (kProgressInterval + 1); }

ItemStageResult RandomizeItems(const Settings& settings, GeneratorState& state, Rng& rng, StatusLog& statusLog,
                               const StopFlag* stop, unsigned threads, const ItemSearcher& searcher,
                               const SearchProgressListener& onProgress, unsigned lockDeal)
{
    if (settings.randomizeDoors) {
        statusLog.AppendStatus("Doing custom item rando for door rando mode . . .");
        PlaceItemsForDoorMode(settings, state, rng);
        statusLog.AppendStatus("done!\n");
        return ItemStageResult::Done;
    }

    statusLog.AppendStatus("Randomizing Items. . .");
    std::uint64_t marks = 0;
    SearchProgress progress{0, FastItemSearch::kDistinctDeals, lockDeal, true};
    auto onRejected = [&](std::uint64_t rejected) {
        for (; marks < ProgressMarks(rejected); ++marks) statusLog.AppendStatus(" .");
        progress.ruledOut = std::min(rejected, progress.cycle);
        if (onProgress) onProgress(progress);
    };
    const FastItemSearch search(state.itemSlotTable, PinnedSlots(settings));
    const ItemSearchResult result =
        searcher ? searcher(search, rng.State(), onRejected) : search.Run(rng.State(), threads, stop, onRejected);
    progress.searching = false;
    if (onProgress) onProgress(progress);
    if (result.stopped) return ItemStageResult::Stopped;
    // The literal search would deal forever; the caller decides what follows.
    if (result.neverAccepted) return ItemStageResult::NeverAccepted;

    rng.Seed(result.stateAfter);
    state.itemAttempts = result.attempts;
    state.slotAssignment = result.assignment;
    statusLog.AppendStatus("done after ");
    statusLog.AppendStatus(std::to_string(result.attempts));
    statusLog.AppendStatus(" attempts!\n");
    return ItemStageResult::Done;
}

} // namespace tarvenna
