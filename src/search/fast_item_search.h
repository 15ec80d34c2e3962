#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/generator_state.h"
#include "items/item_shuffle.h"
#include "items/sequential_item_search.h"
#include "search/search_plan.h"

namespace tarvenna {

namespace lanes {
struct Kernels;
}

// Finds the same accepted deal as SequentialItemSearch, much faster.
//
// Whether deal i is accepted depends only on the generator state when it
// starts (the start state advanced by 180 i draws), so deals can be tested
// in any order and on several threads; the lowest accepted index wins.
//
// Deals are dealt 64 at a time in vector lanes, following only some items
// through the shrinking pool. An item that lands in a slot no pin can move,
// where it is forbidden or behind a key that needs the item itself, rejects
// its deal whatever else happens. Two passes follow the eight items that
// reject most deals, then the next eight, a stretch of draws at a time:
// deals found dead leave their lanes to others. The survivors are dealt
// again following every item that the rules name, which settles the pins,
// the forbidden keys and which keys can be opened at all. Only deals under
// which every key can be opened are dealt in full and validated exactly,
// check stack and all. Which items and pairs each pass follows is decided
// once per table, as a SearchPlan (search/search_plan.h).
class FastItemSearch {
public:
    static constexpr int kLanes = 64;

    // Null kernels: the set chosen for this process (search/kernel_choice.h).
    // Reasoning::Direct is the plain reference for tests and benchmarks; the
    // deals found are the same.
    FastItemSearch(const ItemSlotTable& table, const std::vector<int>& pinnedSlots,
                   const lanes::Kernels* kernels = nullptr, Reasoning reasoning = Reasoning::Chained);
    ~FastItemSearch();
    FastItemSearch(const FastItemSearch&) = delete;
    FastItemSearch& operator=(const FastItemSearch&) = delete;

    // Deal i starts where the generator stands after 180 i draws, and that
    // repeats with period 2^30: when none of the first 2^30 deals passes,
    // none ever will, and the search says so. (`dealLimit` is for tests.)
    static constexpr std::uint64_t kDealCycle = std::uint64_t{1} << 30;
    // Deal i + 2^29 starts where deal i does but for bit 31 of the generator,
    // which rand() never reads and no carry carries down: the two deal
    // alike. So the first accepted deal is below 2^29, and when none there
    // passes, the whole cycle is ruled out.
    static constexpr std::uint64_t kDistinctDeals = kDealCycle / 2;

    // Deals 2^14 apart share the low halves of their generators at every
    // draw (180 * 2^14 draws is a multiple of 2^16, the low half's period).
    // From deal 2^23 on, an aligned block of 2^20 deals is dealt with lane j
    // taking deals j * 2^14 + t, t rising, so that the first segment steps
    // only the lanes' high halves. A find in lane j leaves the lanes below it
    // to finish, up to a block more than the consecutive order deals: too
    // dear for the shorter searches.
    static constexpr std::uint64_t kLaneStride = std::uint64_t{1} << 14;
    static constexpr std::uint64_t kStridedBlock = static_cast<std::uint64_t>(kLanes) * kLaneStride;
    static constexpr std::uint64_t kStridedFrom = std::uint64_t{1} << 23;

    ItemSearchResult Run(std::uint32_t startState, unsigned threads, const StopFlag* stop,
                         const RejectedDealsListener& onRejected, std::uint64_t dealLimit = kDealCycle) const;

    // The lowest accepted deal among `count` deals from `firstDeal`, or
    // nothing: one stretch of the search, for searchers that share the cycle
    // without sharing memory (the browser's workers).
    std::optional<std::uint64_t> FirstAcceptedIn(std::uint32_t startState, std::uint64_t firstDeal,
                                                 std::uint64_t count) const;

    // What Run gives when deal `index` is the first accepted one, found
    // elsewhere: only that deal is dealt. Nothing when it is rejected.
    std::optional<ItemSearchResult> ResultOfDeal(std::uint32_t startState, std::uint64_t index,
                                                 const RejectedDealsListener& onRejected) const;

    // Counts of one chunk of deals, for tuning: how many reach each stage.
    // They are dealt as in the bulk of a long search: whole strided blocks
    // where `deals` allows.
    struct Funnel {
        std::uint64_t deals = 0;
        std::array<std::uint64_t, 4> afterStagedPass{}; // passes past the last: as the last
        std::uint64_t batchDraws = 0;                   // draws dealt to 64 lanes at once in the staged passes
        std::uint64_t afterLandings = 0;                // no landing and no pair in the full pass rejects
        std::uint64_t validated = 0; // every key can be opened and the first items pass: dealt in full
        std::uint64_t accepted = 0;  // and the exact validation passes
        // The time spent in each stage: the staged passes, the full pass's
        // landings (the lead stage included), and the checks on them with
        // the exact validation of what they let through.
        std::array<double, 4> stagedSeconds{};
        double landingSeconds = 0;
        double checkSeconds = 0;
    };
    Funnel MeasureFunnel(std::uint32_t startState, std::uint64_t deals) const;

    // What it decided to follow and test, whatever the start state and the
    // threads (see search/search_plan.h).
    const SearchPlan& Plan() const;

    struct Prepared; // tables built once per search

private:
    std::unique_ptr<const Prepared> prepared_;
};

} // namespace tarvenna
