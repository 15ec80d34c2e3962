#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>

#include "driver/generate_seed.h"
#include "core/generator_state.h"
#include "core/rng.h"
#include "search/fast_item_search.h"
#include "search/kernel_choice.h"
#include "search/search_plan.h"
#include "items/item_shuffle.h"
#include "items/item_slot_table.h"
#include "items/sequential_item_search.h"

namespace tarvenna {
namespace {

struct Configuration {
    Character character;
    Difficulty difficulty;
    bool locks;
};

GeneratorState Prepared(const Settings& settings, Rng& rng)
{
    GeneratorState state;
    BuildItemTables(settings, state, rng);
    return state;
}

Settings SettingsOf(const Configuration& c)
{
    Settings settings;
    settings.character = c.character;
    settings.difficulty = c.difficulty;
    settings.randomizeLocks = c.locks;
    return settings;
}

constexpr Configuration kJillNormal{Character::Jill, Difficulty::Normal, false};
constexpr Configuration kChrisNormal{Character::Chris, Difficulty::Normal, false};
constexpr Configuration kJillLocks{Character::Jill, Difficulty::Normal, true};
constexpr Configuration kChrisLocks{Character::Chris, Difficulty::Normal, true};

// The plain definition: one deal and its validation per iteration.
void BM_SequentialAttempt(benchmark::State& benchState, Configuration c)
{
    const Settings settings = SettingsOf(c);
    Rng rng(1);
    const GeneratorState state = Prepared(settings, rng);
    std::vector<int> assignment;
    std::vector<int> checkStack;
    for (auto _ : benchState) {
        plain::ShuffleItems(settings, rng, assignment);
        benchmark::DoNotOptimize(plain::ValidatePlacement(state.itemSlotTable, assignment, checkStack));
        checkStack.clear();
    }
    benchState.counters["attempts/s"] =
        benchmark::Counter(static_cast<double>(benchState.iterations()), benchmark::Counter::kIsRate);
}

// The compact scalar attempt: deal plus validation without a heap allocation.
void BM_CompactAttempt(benchmark::State& benchState, Configuration c)
{
    const Settings settings = SettingsOf(c);
    Rng rng(1);
    const GeneratorState state = Prepared(settings, rng);
    const ItemRules rules(state.itemSlotTable);
    const std::vector<int> pinned = PinnedSlots(settings);
    PlacementValidator validator(rules);
    SlotAssignment assignment{};
    for (auto _ : benchState) {
        ShuffleItems(pinned, rng, assignment);
        benchmark::DoNotOptimize(validator.ValidatePlacement(assignment));
    }
    benchState.counters["attempts/s"] =
        benchmark::Counter(static_cast<double>(benchState.iterations()), benchmark::Counter::kIsRate);
}

// Whole searches from successive start states on `threads` threads: attempts
// per second as a run sees them, thread start and part-filled chunks included.
void BM_FastSearch(benchmark::State& benchState, Configuration c)
{
    const Settings settings = SettingsOf(c);
    Rng rng(1);
    const GeneratorState state = Prepared(settings, rng);
    const FastItemSearch search(state.itemSlotTable, PinnedSlots(settings));
    const auto threads = static_cast<unsigned>(benchState.range(0));
    std::uint64_t deals = 0;
    std::uint32_t start = rng.State();
    for (auto _ : benchState) {
        const ItemSearchResult result = search.Run(start, threads, nullptr, nullptr);
        deals += result.attempts;
        start = result.stateAfter;
    }
    benchState.counters["attempts/s"] = benchmark::Counter(static_cast<double>(deals), benchmark::Counter::kIsRate);
    benchState.counters["attempts/s/thread"] =
        benchmark::Counter(static_cast<double>(deals) / threads, benchmark::Counter::kIsRate);
}

// The fast search on one thread over long stretches of deals, accepted ones
// included, as the plain search meets them: its attempts per second, to set
// against BM_SequentialAttempt. The counters say how many deals reach each
// stage, and how many draws a deal costs in vector lanes.
void BM_FastDeals(benchmark::State& benchState, Configuration c)
{
    const Settings settings = SettingsOf(c);
    Rng rng(1);
    const GeneratorState state = Prepared(settings, rng);
    const FastItemSearch search(state.itemSlotTable, PinnedSlots(settings));
    FastItemSearch::Funnel total;
    std::uint32_t start = rng.State();
    for (auto _ : benchState) {
        const FastItemSearch::Funnel funnel = search.MeasureFunnel(start, 1u << 16);
        total.deals += funnel.deals;
        for (std::size_t pass = 0; pass < total.afterStagedPass.size(); ++pass)
            total.afterStagedPass[pass] += funnel.afterStagedPass[pass];
        total.batchDraws += funnel.batchDraws;
        total.afterLandings += funnel.afterLandings;
        total.validated += funnel.validated;
        total.accepted += funnel.accepted;
        start = Rng::JumpOf(180ull << 16).Apply(start);
    }
    const auto deals = static_cast<double>(total.deals);
    benchState.counters["attempts/s"] = benchmark::Counter(deals, benchmark::Counter::kIsRate);
    for (std::size_t pass = 0; pass < 2; ++pass)
        benchState.counters["pass" + std::to_string(pass + 1)] = static_cast<double>(total.afterStagedPass[pass]) / deals;
    benchState.counters["laneDraws"] = static_cast<double>(total.batchDraws) * 64 / deals;
    benchState.counters["landings"] = static_cast<double>(total.afterLandings) / deals;
    benchState.counters["validated"] = static_cast<double>(total.validated) / deals;
    benchState.counters["accepted"] = static_cast<double>(total.accepted) / deals;
}

// One kernel set on one thread over strided blocks of deals, as the bulk of
// a long search: deals per second per core, for bench/ratios.sh to set the
// sets against each other.
void BM_KernelDeals(benchmark::State& benchState, Configuration c, const lanes::Kernels* kernels)
{
    const Settings settings = SettingsOf(c);
    Rng rng(1);
    const GeneratorState state = Prepared(settings, rng);
    const FastItemSearch search(state.itemSlotTable, PinnedSlots(settings), kernels);
    std::uint64_t deals = 0;
    std::uint32_t start = rng.State();
    for (auto _ : benchState) {
        deals += search.MeasureFunnel(start, 1u << 20).deals; // one strided block, as most of a long search
        start = Rng::JumpOf(180ull << 20).Apply(start);
    }
    benchState.counters["deals/s"] = benchmark::Counter(static_cast<double>(deals), benchmark::Counter::kIsRate);
}

// One segment of a staged pass over 64 deals that all live through it, as
// the segment planner prices it: a row of 16 draws and one of 64 give the
// work of a segment's start and end (in draws) by their difference.
void BM_Segment(benchmark::State& benchState, const lanes::Kernels* kernels, bool shared, std::size_t width,
                std::uint32_t draws)
{
    lanes::StagedPass pass;
    pass.width = width;
    for (std::size_t g = 0; g < width; ++g)
        pass.item[g] = static_cast<std::uint8_t>(30 + 20 * g); // the wide pass has some that count from the top
    pass.fromBelow = static_cast<std::size_t>(std::count_if(
        pass.item.begin(), pass.item.begin() + width, [](std::uint8_t item) { return item < lanes::kCountFromTop; }));
    lanes::StartTrackers(pass);
    const lanes::Segment segment = lanes::MakeSegment(0, draws, lanes::Meanings{}, {}); // no landing rejects
    static lanes::LaneQueue in, out;
    static constexpr Rng::Jump kStride = Rng::JumpOf(180ull << 14); // deals 2^14 apart share the low half
    std::uint32_t state = 12345;
    for (std::size_t lane = 0; lane < FastItemSearch::kLanes; ++lane, state = kStride.Apply(state)) {
        in.state[lane] = in.dealStart[lane] = state;
        for (std::size_t g = 0; g < lanes::kGroup; ++g) in.tracker[g][lane] = pass.start[g];
    }
    in.count = FastItemSearch::kLanes;
    const auto run = shared ? kernels->runSharedSegment : kernels->runSegment;
    for (auto _ : benchState) {
        out.count = 0;
        run(pass, segment, in, 0, ~std::uint64_t{0}, out, nullptr);
        benchmark::DoNotOptimize(out.count);
    }
    if (out.count != FastItemSearch::kLanes) benchState.SkipWithError("a deal did not live through the segment");
    benchState.counters["ns/draw"] =
        benchmark::Counter(static_cast<double>(draws) * static_cast<double>(benchState.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// A row per kernel set the processor runs, for Chris's two searches; the
// segments for every set too.
void RegisterKernelDeals()
{
    for (const lanes::KernelSet& set : lanes::KernelSets()) {
        if (!set.kernels) continue;
        for (const auto& [name, c] : {std::pair{"ChrisNormal", kChrisNormal}, std::pair{"ChrisLocks", kChrisLocks}}) {
            const std::string row = "BM_KernelDeals/" + std::string(set.name) + "/" + name;
            benchmark::RegisterBenchmark(row.c_str(), BM_KernelDeals, c, set.kernels)->Unit(benchmark::kMillisecond);
        }
        for (const bool shared : {true, false})
            for (const std::size_t width : {lanes::kNarrowGroup, lanes::kGroup})
                for (const std::uint32_t draws : {16u, 64u}) {
                    const std::string row = "BM_Segment/" + std::string(set.name) + (shared ? "/shared/" : "/own/") +
                                            std::to_string(width) + "/" + std::to_string(draws);
                    benchmark::RegisterBenchmark(row.c_str(), BM_Segment, set.kernels, shared, width, draws);
                }
    }
}

// Whole runs as the command makes them, files written, seeds 1, 2, ... in
// turn: time per seed, every core on the item search.
void BM_WholeSeed(benchmark::State& benchState, Configuration c)
{
    const Settings settings = SettingsOf(c);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tarvenna-bench-whole-seed";
    std::filesystem::create_directories(folder);
    RunOptions options;
    options.outputDirectory = folder;
    options.threads = std::max(1u, std::thread::hardware_concurrency());
    std::uint64_t attempts = 0;
    for (auto _ : benchState) {
        options.seed = options.seed % 40 + 1;
        GeneratorState state;
        StatusLog log;
        GenerateSeed(settings, options, state, log);
        attempts += state.itemAttempts;
    }
    std::filesystem::remove_all(folder);
    benchState.counters["attempts/s"] = benchmark::Counter(static_cast<double>(attempts), benchmark::Counter::kIsRate);
}

#define TARVENNA_CONFIGURATIONS(BM, ...)                        \
    BENCHMARK_CAPTURE(BM, JillNormal, kJillNormal) __VA_ARGS__;   \
    BENCHMARK_CAPTURE(BM, ChrisNormal, kChrisNormal) __VA_ARGS__; \
    BENCHMARK_CAPTURE(BM, JillLocks, kJillLocks) __VA_ARGS__;     \
    BENCHMARK_CAPTURE(BM, ChrisLocks, kChrisLocks) __VA_ARGS__

TARVENNA_CONFIGURATIONS(BM_SequentialAttempt);
TARVENNA_CONFIGURATIONS(BM_CompactAttempt);
TARVENNA_CONFIGURATIONS(BM_FastDeals, ->Unit(benchmark::kMillisecond));
TARVENNA_CONFIGURATIONS(BM_FastSearch, ->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond));
TARVENNA_CONFIGURATIONS(BM_WholeSeed, ->Iterations(40)->UseRealTime()->Unit(benchmark::kMillisecond));

// The fast search's plan for each configuration, on the tables the
// benchmarks use.
void PrintPlans()
{
    const std::pair<const char*, Configuration> configurations[] = {
        {"JillNormal", kJillNormal}, {"ChrisNormal", kChrisNormal},
        {"JillLocks", kJillLocks},   {"ChrisLocks", kChrisLocks}};
    for (const auto& [name, c] : configurations) {
        const Settings settings = SettingsOf(c);
        Rng rng(1);
        const GeneratorState state = Prepared(settings, rng);
        const FastItemSearch search(state.itemSlotTable, PinnedSlots(settings));
        std::printf("%s\n%s\n", name, Describe(search.Plan()).c_str());
    }
}

} // namespace
} // namespace tarvenna

// `tarvenna_bench --print-plan` prints the fast search's plan per
// configuration and runs nothing, so that a tuning change can be read as a
// change of plan.
int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) != "--print-plan") continue;
        tarvenna::PrintPlans();
        return 0;
    }
    tarvenna::RegisterKernelDeals();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
