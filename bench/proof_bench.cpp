// The lock proofs and the longest lock searches, for each way of reasoning
// about the rules. A proof is a search under a lock deal that no item deal
// passes: the whole cycle of 2^30 deals is ruled out. The lock deals are
// those of tests/data/dead_locks.tsv, the searches seeds 371 and 288.
//
//   BM_Proof/<reasoning>/<case>        the whole search on two threads, as a run makes it
//                                      (cases such as locks-chris-hard-288: flags, then the seed)
//   BM_Funnel/<reasoning>/<case>       2^22 deals from the start on one thread: the share of
//                                      deals past each stage, and each stage's time per deal
//   BM_Floor/<case>                    the time below which a proof that deals every deal cannot go
#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "items/item_shuffle.h"
#include "search/fast_item_search.h"
#include "support/dead_locks.h"

namespace tarvenna {
namespace {

struct SearchCase {
    std::string name; // flags and seed, as a row's name
    SeedCase seedCase;
    bool proof = true; // a dead lock deal, not a passing search
};

// "--locks --character chris --difficulty hard", seed 288: "locks-chris-hard-288".
SearchCase Named(SeedCase seedCase)
{
    std::string name;
    std::istringstream words(seedCase.flags);
    for (std::string word; words >> word;) {
        if (word.starts_with("--")) word.erase(0, 2);
        if (word != "character" && word != "difficulty") name += word + "-";
    }
    name += std::to_string(seedCase.seed);
    return {name, std::move(seedCase)};
}

std::vector<SearchCase> Cases()
{
    std::vector<SearchCase> cases;
    for (SeedCase& dead : ReadDeadLocks(TARVENNA_DEAD_LOCKS)) cases.push_back(Named(std::move(dead)));
    for (const auto& [flags, seed] :
         {std::pair{"--locks --character chris", 371u}, {"--locks --character chris --difficulty hard", 288u}}) {
        cases.push_back(Named(SeedCaseOf(flags, seed)));
        cases.back().proof = false;
    }
    return cases;
}

void BM_Proof(benchmark::State& benchState, const SearchCase& c, Reasoning reasoning)
{
    const FirstSearch first = FirstSearchOf(c.seedCase.settings, c.seedCase.seed);
    const FastItemSearch search(first.state.itemSlotTable, first.pins, nullptr, reasoning);
    std::uint64_t deals = 0;
    for (auto _ : benchState) {
        const ItemSearchResult result = search.Run(first.start, 2, nullptr, nullptr);
        deals += result.attempts;
        benchState.counters["ruled out"] = result.neverAccepted ? 1 : 0;
    }
    benchState.counters["deals/s"] = benchmark::Counter(static_cast<double>(deals), benchmark::Counter::kIsRate);
}

void BM_Funnel(benchmark::State& benchState, const SearchCase& c, Reasoning reasoning)
{
    const FirstSearch first = FirstSearchOf(c.seedCase.settings, c.seedCase.seed);
    const FastItemSearch search(first.state.itemSlotTable, first.pins, nullptr, reasoning);
    FastItemSearch::Funnel funnel;
    for (auto _ : benchState) funnel = search.MeasureFunnel(first.start, 1u << 22);
    const auto deals = static_cast<double>(funnel.deals);
    const auto share = [&](std::uint64_t count) { return static_cast<double>(count) / deals; };
    const auto nanoseconds = [&](double seconds) { return seconds * 1e9 / deals; };
    benchState.counters["pass1"] = share(funnel.afterStagedPass[0]);
    benchState.counters["pass2"] = share(funnel.afterStagedPass[1]);
    benchState.counters["landings"] = share(funnel.afterLandings);
    benchState.counters["validated"] = share(funnel.validated);
    benchState.counters["laneDraws"] = static_cast<double>(funnel.batchDraws) * FastItemSearch::kLanes / deals;
    benchState.counters["ns pass1"] = nanoseconds(funnel.stagedSeconds[0]);
    benchState.counters["ns pass2"] = nanoseconds(funnel.stagedSeconds[1]);
    benchState.counters["ns landings"] = nanoseconds(funnel.landingSeconds);
    benchState.counters["ns checks"] = nanoseconds(funnel.checkSeconds);
}

// The draws a deal is dealt before where its items land rules it out: the
// first landing that rejects alone, or with an item landed before it where
// each waits for the other. Under a dead lock deal those two tests reject all
// but a sliver of the deals, and a proof that deals every deal cannot reject
// one by them any sooner. Deals that neither rejects count all 180 draws.
double MeanDrawsToRejection(const ItemFacts& facts, std::uint32_t start, std::uint32_t deals)
{
    Rng rng(start);
    double total = 0;
    const std::vector<int> noPins;
    SlotAssignment drawn;                                     // the item each draw takes, before any pin
    std::vector<std::pair<std::size_t, std::size_t>> waiters; // item, slot
    for (std::uint32_t deal = 0; deal < deals; ++deal) {
        ShuffleItems(noPins, rng, drawn);
        waiters.clear();
        std::size_t rejectedAt = kSlotCount;
        for (std::size_t slot = 0; slot < kSlotCount && rejectedAt == kSlotCount; ++slot) {
            const auto item = static_cast<std::size_t>(drawn[slot]);
            bool rejected = facts.rejects[item][slot];
            for (const auto& [other, at] : waiters)
                rejected |= facts.CanWaitFor(static_cast<int>(item), static_cast<int>(other)) &&
                            facts.waitingSlots[other][slot] && facts.waitingSlots[item][at];
            if (rejected)
                rejectedAt = slot + 1;
            else if (facts.waitingSlotCount[item] > 0)
                waiters.emplace_back(item, slot);
        }
        total += static_cast<double>(rejectedAt);
    }
    return total / deals;
}

// A proof deals each of the 2^29 distinct deals at least that far. Priced at
// the staged passes' cost per lane and draw (they follow four or eight items,
// where the floor lets every item reject), the best of three runs of 2^24
// deals, on both threads:
void BM_Floor(benchmark::State& benchState, const SearchCase& c)
{
    const FirstSearch first = FirstSearchOf(c.seedCase.settings, c.seedCase.seed);
    const FastItemSearch search(first.state.itemSlotTable, first.pins);
    double draws = 0;
    double laneDraws = 0; // per deal
    double secondsPerLaneDraw = 0;
    for (auto _ : benchState) {
        draws = MeanDrawsToRejection(search.Plan().facts, first.start, 1u << 18);
        for (int run = 0; run < 3; ++run) {
            const FastItemSearch::Funnel funnel = search.MeasureFunnel(first.start, 1u << 24);
            laneDraws =
                static_cast<double>(funnel.batchDraws) * FastItemSearch::kLanes / static_cast<double>(funnel.deals);
            const double seconds = std::accumulate(funnel.stagedSeconds.begin(), funnel.stagedSeconds.end(), 0.0) /
                                   (laneDraws * static_cast<double>(funnel.deals));
            secondsPerLaneDraw = run == 0 ? seconds : std::min(secondsPerLaneDraw, seconds);
        }
    }
    benchState.counters["floor draws"] = draws;
    benchState.counters["staged draws"] = laneDraws; // per deal
    benchState.counters["ns/lane draw"] = secondsPerLaneDraw * 1e9;
    benchState.counters["floor s"] =
        draws * static_cast<double>(FastItemSearch::kDistinctDeals) * secondsPerLaneDraw / 2;
}

const bool kRegistered = [] {
    for (const SearchCase& c : Cases()) {
        if (c.proof)
            benchmark::RegisterBenchmark(("BM_Floor/" + c.name).c_str(), BM_Floor, c)
                ->Iterations(1)
                ->Unit(benchmark::kMillisecond);
        for (const auto& [label, reasoning] :
             {std::pair{"direct", Reasoning::Direct}, {"chained", Reasoning::Chained}}) {
            benchmark::RegisterBenchmark(("BM_Proof/" + std::string(label) + "/" + c.name).c_str(), BM_Proof, c,
                                         reasoning)
                ->Iterations(1)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("BM_Funnel/" + std::string(label) + "/" + c.name).c_str(), BM_Funnel, c,
                                         reasoning)
                ->Iterations(1)
                ->Unit(benchmark::kMillisecond);
        }
    }
    return true;
}();

} // namespace
} // namespace tarvenna
