#pragma once

#include <cstdint>
#include <functional>

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"
#include "core/status_log.h"
#include "driver/search_progress.h"
#include "items/sequential_item_search.h"

namespace tarvenna {

class FastItemSearch;

// Finds the first accepted deal of one item search from `startState`, as
// FastItemSearch::Run does. The browser's workers search elsewhere and hand
// the stage their answer through one of these.
using ItemSearcher = std::function<ItemSearchResult(const FastItemSearch& search, std::uint32_t startState,
                                                    const RejectedDealsListener& onRejected)>;

// Whether the item stage searches deals (and not the door-mode placement).
bool ItemStageSearches(const Settings& settings);

// The " ." marks the status log shows once `rejected` deals from the first
// on are known to be rejected.
std::uint64_t ProgressMarks(std::uint64_t rejected);

enum class ItemStageResult { Done, Stopped, NeverAccepted };

// The item stage: the validated shuffle, or the door-mode placement when
// doors are randomized. Reports its progress in the status log; after
// NeverAccepted (every deal the generator can make was rejected) the line
// is left open for the caller to end.
// `threads` threads share the search; the result does not depend on it. A
// `searcher`, when given, searches instead. `onProgress` hears how far the
// search has got (with `lockDeal` as the lock deal's number), and once more
// when it ends.
ItemStageResult RandomizeItems(const Settings& settings, GeneratorState& state, Rng& rng, StatusLog& statusLog,
                               const StopFlag* stop, unsigned threads = 1, const ItemSearcher& searcher = {},
                               const SearchProgressListener& onProgress = {}, unsigned lockDeal = 0);

} // namespace tarvenna
