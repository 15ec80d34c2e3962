// The lock proofs and the longest lock searches, for each way of reasoning
// about the rules. A proof is a search under a lock deal that no item deal
// passes: the whole cycle of 2^30 deals is ruled out. The lock deals are
// those of tests/data/dead_locks.tsv, the searches seeds 371 and 288.
//
//   BM_Proof/<reasoning>/<case>        the whole search on two threads, as a run makes it
//                                      (cases such as locks-chris-hard-288: flags, then the seed)
//   BM_Funnel/<reasoning>/<case>       2^22 deals from the start on one thread: the share of
//                                      deals past each stage, and each stage's time per deal
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "search/fast_item_search.h"
#include "support/dead_locks.h"

namespace tarvenna {
namespace {

struct SearchCase {
    std::string name; // flags and seed, as a row's name
    SeedCase seedCase;
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
    cases.push_back(Named(SeedCaseOf("--locks --character chris", 371)));
    cases.push_back(Named(SeedCaseOf("--locks --character chris --difficulty hard", 288)));
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

const bool kRegistered = [] {
    for (const SearchCase& c : Cases()) {
        for (const auto& [label, reasoning] : {std::pair{"direct", Reasoning::Direct}, {"chained", Reasoning::Chained}}) {
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
