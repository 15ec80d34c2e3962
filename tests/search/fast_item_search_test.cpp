#include "search/fast_item_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <thread>
#include <tuple>

#include "driver/generate_seed.h"
#include "items/sequential_item_search.h"
#include "search/kernel_choice.h"
#include "search/search_plan.h"
#include "support/checked_run.h"
#include "support/random_word.h"

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace tarvenna {
namespace {

// Optimised builds compare thousands of searches; the slower checked
// builds (Debug, sanitizers) and the Windows build, under Wine, a sample.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) && !defined(_WIN32)
constexpr int kScale = 1;
#else
constexpr int kScale = 20;
#endif

// Item 0 lies behind a key that needs item 0 wherever it lands: no deal passes.
ItemSlotTable NoDealPasses()
{
    ItemSlotTable table;
    table.locationKeys.assign(180, 3);
    table.requirements[3] = {{0, {0}}};
    return table;
}

void ExpectSameResult(const ItemSearchResult& quick, const ItemSearchResult& plain, std::uint32_t start)
{
    ASSERT_FALSE(quick.stopped || plain.stopped);
    ASSERT_EQ(std::tie(quick.attempts, quick.assignment, quick.stateAfter),
              std::tie(plain.attempts, plain.assignment, plain.stateAfter)) << "start " << start;
}

// From pseudo-random start states, against the plain search, on one thread
// or two, with the fastest kernels and now and then the portable ones; the
// progress reports must only grow and never count the accepted deal. Tables whose searches are short are searched
// whole. For the others the fast search finds an accepted deal, then both
// searches start up to `window` deals before it, so the plain search stays
// short while still judging every deal of the window and the accepted one.
// With locks, each table seed deals other locks, so other requirement tables.
TEST(FastItemSearch, FindsTheSameDealsAsTheSequentialSearch)
{
    struct Case {
        Settings settings;
        std::uint32_t tableSeed;
        int searches;
        std::uint64_t window;
    };
    constexpr std::uint64_t kWhole = FastItemSearch::kDealCycle;
    std::vector<Case> cases{{{.character = Character::Jill}, 1, 1000, kWhole},
                            {{.character = Character::Jill, .difficulty = Difficulty::Hard}, 1, 1000, kWhole},
                            {{.character = Character::Jill}, 1, 1000, 1000},
                            {{.character = Character::Chris}, 1, 200, 1000},
                            {{.character = Character::Chris, .difficulty = Difficulty::Hard}, 1, 200, 1000}};
    for (std::uint32_t tableSeed = 1; tableSeed <= 5; ++tableSeed) {
        for (Difficulty difficulty : {Difficulty::Normal, Difficulty::Hard}) {
            Settings locks{.character = Character::Jill, .difficulty = difficulty, .randomizeLocks = true};
            cases.push_back({locks, tableSeed, 200, 1000});
            locks.character = Character::Chris;
            cases.push_back({locks, tableSeed, 60, 1000});
        }
    }
    for (const Case& c : cases) {
        const ItemSlotTable table = TablesOf(c.settings, c.tableSeed).itemSlotTable;
        const std::vector<int> pinned = PinnedSlots(c.settings);
        const FastItemSearch fast(table, pinned);
        std::vector<std::unique_ptr<FastItemSearch>> eachSet;
        for (const lanes::KernelSet& set : lanes::KernelSets())
            if (set.kernels) eachSet.push_back(std::make_unique<FastItemSearch>(table, pinned, set.kernels));
        Rng starts(4242 + c.tableSeed);
        for (int i = 0; i < c.searches / kScale; ++i) {
            auto start = RandomWord(starts);
            if (c.window != kWhole) {
                const ItemSearchResult found = fast.Run(start, 2, nullptr, nullptr);
                ASSERT_FALSE(found.stopped);
                start = Rng::JumpOf(180 * (found.attempts - 1 - std::min(found.attempts - 1, c.window))).Apply(start);
            }
            StopFlag tooLong{false};
            const ItemSearchResult plain = SequentialItemSearch(table, c.settings, start, &tooLong,
                                                                [&](std::uint64_t n) { tooLong = n > c.window; });
            ASSERT_FALSE(plain.stopped) << "nothing accepted up to the fast search's find, start " << start;
            std::uint64_t lastReport = 0;
            bool growing = true;
            const ItemSearchResult quick =
                fast.Run(start, 1 + static_cast<unsigned>(i % 2), nullptr, [&](std::uint64_t rejected) {
                    growing = growing && rejected >= lastReport;
                    lastReport = rejected;
                });
            ExpectSameResult(quick, plain, start);
            EXPECT_TRUE(growing && lastReport == quick.attempts - 1) << "start " << start;
            ExpectSameResult(eachSet[static_cast<std::size_t>(i) % eachSet.size()]->Run(start, 2, nullptr, nullptr),
                             plain, start);
        }
    }
}

// A whole aligned block of 2^20 deals is dealt strided, lane j taking every
// 2^14th deal, and shorter stretches in consecutive batches: both must pass
// the same deals and find the lowest first, with every kernel set.
TEST(FastItemSearch, StridedBlocksPassWhatConsecutiveBatchesPass)
{
    constexpr std::uint64_t kBlock = FastItemSearch::kStridedBlock;
    constexpr std::uint64_t kFrom = FastItemSearch::kStridedFrom;
    constexpr std::uint64_t kPiece = kBlock / 16;
    Rng starts(97);
    for (const bool locks : {false, true}) {
        const Settings settings{.character = Character::Chris, .randomizeLocks = locks};
        const ItemSlotTable table = TablesOf(settings, 3).itemSlotTable;
        for (const lanes::KernelSet& set : lanes::KernelSets()) {
            if (!set.kernels || (kScale > 1 && set.kernels != &lanes::ChosenKernels())) continue;
            const FastItemSearch search(table, PinnedSlots(settings), set.kernels);
            const std::uint32_t start = RandomWord(starts);
            const FastItemSearch::Funnel strided = search.MeasureFunnel(start, kBlock);
            FastItemSearch::Funnel pieces;
            std::optional<std::uint64_t> lowest;
            for (std::uint64_t first = 0; first < kBlock; first += kPiece) {
                const std::uint32_t pieceStart = Rng::JumpOf(180 * first).Apply(start);
                const FastItemSearch::Funnel piece = search.MeasureFunnel(pieceStart, kPiece);
                for (std::size_t pass = 0; pass < pieces.afterStagedPass.size(); ++pass)
                    pieces.afterStagedPass[pass] += piece.afterStagedPass[pass];
                pieces.afterLandings += piece.afterLandings;
                pieces.validated += piece.validated;
                pieces.accepted += piece.accepted;
                if (!lowest && piece.accepted > 0) lowest = first + *search.FirstAcceptedIn(pieceStart, 0, kPiece);
            }
            SCOPED_TRACE(std::string(set.name) + (locks ? ", locks" : "") + ", start " + std::to_string(start));
            EXPECT_EQ(std::tie(strided.deals, strided.afterStagedPass, strided.afterLandings, strided.validated,
                               strided.accepted),
                      std::tie(kBlock, pieces.afterStagedPass, pieces.afterLandings, pieces.validated,
                               pieces.accepted));
            EXPECT_GT(strided.accepted, 1u); // more than one to choose from
            // The block again, as the first strided one of a search, after
            // one deal dealt alone.
            const std::uint32_t origin = Rng::JumpOf((std::uint64_t{1} << 32) - 180 * kFrom).Apply(start);
            const std::optional<std::uint64_t> alone = search.FirstAcceptedIn(origin, kFrom - 1, 1);
            EXPECT_EQ(search.FirstAcceptedIn(origin, kFrom - 1, kBlock + 1),
                      alone ? alone : lowest ? std::optional(kFrom + *lowest) : std::nullopt);
        }
    }
}

// Over a shortened cycle the search says so instead of dealing on; a stop
// request gives no verdict at all.
TEST(FastItemSearch, SaysSoWhenNoDealOfTheCycleCanPassAndNothingWhenStopped)
{
    const FastItemSearch fast(NoDealPasses(), {});
    std::uint64_t lastReport = 0;
    const ItemSearchResult result =
        fast.Run(77, 2, nullptr, [&](std::uint64_t rejected) { lastReport = rejected; }, 200000);
    EXPECT_TRUE(result.neverAccepted && !result.stopped);
    EXPECT_EQ(result.attempts, 200000u);
    EXPECT_EQ(lastReport, 200000u);
    StopFlag stop{true};
    EXPECT_TRUE(fast.Run(77, 2, &stop, nullptr).stopped);
}

#if defined(__linux__)
std::ptrdiff_t ThreadsAlive()
{
    return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                         std::filesystem::directory_iterator{});
}
#endif

// A build without threads (the browser's, one search to a worker) cannot
// start one: a one-thread search runs on its caller's thread, reporting
// between its chunks. Two threads are the control that the count sees
// workers: they live until the stop asked for at the first report, as the
// whole cycle is far from searched by then.
TEST(FastItemSearch, OneThreadSearchesOnTheCallersThreadAndStartsNoOther)
{
#if !defined(__linux__)
    GTEST_SKIP() << "counts the threads in /proc";
#else
    const FastItemSearch fast(NoDealPasses(), {});
    const std::thread::id caller = std::this_thread::get_id();
    for (const unsigned threads : {1u, 2u}) {
        SCOPED_TRACE(threads);
        const std::ptrdiff_t before = ThreadsAlive();
        std::ptrdiff_t most = before;
        int reports = 0;
        bool onCaller = true;
        StopFlag stop{false};
        const ItemSearchResult result = fast.Run(
            77, threads, &stop,
            [&](std::uint64_t) {
                ++reports;
                onCaller = onCaller && std::this_thread::get_id() == caller;
                most = std::max(most, ThreadsAlive());
                if (threads == 2) stop = true;
            },
            threads == 1 ? 1000000 : FastItemSearch::kDistinctDeals);
        EXPECT_TRUE(onCaller);
        if (threads == 1) {
            EXPECT_TRUE(result.neverAccepted);
            EXPECT_GT(reports, 1);
            EXPECT_EQ(most, before);
        } else {
            EXPECT_TRUE(result.stopped);
            EXPECT_GT(most, before);
        }
    }
#endif
}

#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// A thread the system will not start means fewer threads, down to the
// caller's own: the same answer, never an abort. The sanitizers need more
// address space than the limit leaves.
TEST(FastItemSearchDeathTest, ThreadsThatCannotStartLeaveTheSearchToTheCaller)
{
    const FastItemSearch fast(NoDealPasses(), {});
    const ItemSearchResult alone = fast.Run(77, 1, nullptr, nullptr, 300000);
    // Room for what the process holds and a little more, not for a thread's stack.
    const auto leaveNoRoomForThreads = [] {
        std::ifstream statm("/proc/self/statm");
        std::uint64_t pages = 0;
        statm >> pages;
        rlimit limit{};
        limit.rlim_cur = pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)) + (6u << 20);
        limit.rlim_max = RLIM_INFINITY;
        setrlimit(RLIMIT_AS, &limit);
    };
    EXPECT_EXIT(
        {
            leaveNoRoomForThreads();
            const ItemSearchResult result = fast.Run(77, 8, nullptr, nullptr, 300000);
            std::_Exit(result.neverAccepted && result.attempts == alone.attempts ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
#endif

// A plan that follows the wrong items still finds the right deals, only
// slowly. On real tables it runs staged passes, which with the lead stage
// reject all but a few deals, and the checks on the full pass's landings
// (which need every required, forbidden and pinned item followed) reject
// most of the rest.
TEST(SearchPlan, RejectsMostDealsBeforeTheyAreDealtInFull)
{
    for (const bool locks : {false, true}) {
        for (const Character character : {Character::Jill, Character::Chris}) {
            const Settings settings{.character = character, .randomizeLocks = locks};
            const FastItemSearch search(TablesOf(settings, 1).itemSlotTable, PinnedSlots(settings));
            const FastItemSearch::Funnel funnel = search.MeasureFunnel(12345, 1u << 14);
            EXPECT_FALSE(search.Plan().stagedPasses.empty());
            EXPECT_LT(funnel.afterStagedPass[1] * 10, funnel.deals) << Describe(search.Plan());
            EXPECT_LE(funnel.validated * 2, funnel.afterLandings) << Describe(search.Plan());
        }
    }
}

} // namespace
} // namespace tarvenna
