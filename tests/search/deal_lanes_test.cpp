#include "search/deal_lanes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <vector>

#include "core/rng.h"
#include "items/item_shuffle.h"
#include "search/kernel_choice.h"
#include "support/random_word.h"

namespace tarvenna::lanes {
namespace {

// The kernels to check: every set the processor runs.
std::vector<KernelSet> KernelsToTest()
{
    std::vector<KernelSet> sets;
    for (const KernelSet& set : KernelSets())
        if (set.kernels) sets.push_back(set);
    return sets;
}

// Where each item ends up in a plain deal.
std::array<int, kSlotCount> SlotsOfItems(std::uint32_t dealStart, const std::vector<int>& pins = {})
{
    Rng rng(dealStart);
    SlotAssignment assignment{};
    ShuffleItems(pins, rng, assignment);
    std::array<int, kSlotCount> slotOf{};
    for (int slot = 0; slot < kSlotCount; ++slot) slotOf[static_cast<std::size_t>(assignment[static_cast<std::size_t>(slot)])] = slot;
    return slotOf;
}

LaneQueue RandomQueue(Rng& source)
{
    LaneQueue queue;
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        queue.state[lane] = queue.dealStart[lane] = RandomWord(source);
        queue.deal[lane] = static_cast<std::uint32_t>(lane);
    }
    queue.count = kLanes;
    return queue;
}

// 24 followed items (3, 10, .. 164): item 3 rejects in the last slot, item
// 10 in the even slots; ten waiters over two groups (followed 1, 3, .. 19)
// with the pairs among them but for those whose numbers add up to a
// multiple of three; items 17 and 31 pinned, 17 twice.
bool Needed(std::size_t w, std::size_t slot) { return (slot * 5 + 11 * w) % 7 == 0; }
const std::vector<int> kTestPins{17, 31, 17};

FullPass TestFullPass(std::size_t lead)
{
    FullPass pass;
    pass.count = 24;
    for (std::size_t t = 0; t < pass.count; ++t) pass.item[t] = static_cast<std::uint8_t>(t * 7 + 3);
    pass.rejects[0][179] = 0xFF;
    for (std::size_t slot = 0; slot < kSlotCount; slot += 2) pass.rejects[1][slot] = 0xFF;
    for (std::size_t w = 0; w < 10; ++w) {
        pass.waiters.push_back(static_cast<std::uint8_t>(2 * w + 1));
        if (w % kGroup == 0) pass.waitTables.emplace_back();
        for (std::size_t slot = 0; slot < kSlotCount; ++slot)
            if (Needed(w, slot)) pass.waitTables.back()[slot] |= static_cast<std::uint8_t>(1u << (w % kGroup));
        for (std::size_t v = 0; v < w; ++v)
            if ((v + w) % 3 != 0) pass.waitPairs.push_back({static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(w)});
    }
    pass.pins = {{17, 2}, {31, 4}};
    pass.lead = lead;
    pass.leadWaiters = lead > 0 ? 8 : 0; // followed 1, 3, .. 15
    for (const auto& pair : pass.waitPairs)
        if (pair[1] < pass.leadWaiters) pass.leadPairs.push_back(pair);
    SetSlotBits(pass);
    return pass;
}

// Whether the places of `slotOf` reject: those of the first `count`
// items, or a pair among the first `waiters` waiters.
bool TestRejects(const FullPass& pass, const std::array<int, kSlotCount>& slotOf, std::size_t count,
                 std::size_t waiters, int* pairRejects = nullptr)
{
    bool rejected = (count > 0 && slotOf[3] == 179) || (count > 1 && slotOf[10] % 2 == 0);
    auto slotOfWaiter = [&](std::size_t w) { return static_cast<std::size_t>(slotOf[pass.item[2 * w + 1]]); };
    for (const auto& [v, w] : pass.waitPairs) {
        if (w >= waiters) continue;
        const bool cycle = Needed(w, slotOfWaiter(v)) && Needed(v, slotOfWaiter(w));
        if (pairRejects && cycle && !rejected) ++*pairRejects;
        rejected = rejected || cycle;
    }
    return rejected;
}

// Without a lead stage every deal goes to the full pass; with one, exactly
// those its items' places before the pins and its pairs let through, their
// lead slots carried along. Either way the full pass then finds where every
// followed item ends up, pins put back, and which deals a place or a pair
// rejects; a kernel that deals whole puts every item where the plain deal does.
TEST(DealLanes, TheFullPassFindsEveryLandingAndWhatRejectsWithOrWithoutALeadStage)
{
    for (const std::size_t lead : {std::size_t{0}, 2 * kGroup}) {
        const FullPass pass = TestFullPass(lead);
        Rng source(99);
        int pairRejects = 0;
        for (const auto& [name, needs, kernels] : KernelsToTest()) {
            SCOPED_TRACE(name);
            for (int round = 0; round < 20; ++round) {
                LaneQueue queue = RandomQueue(source);
                if (lead > 0) {
                    const LaneQueue in = queue;
                    queue = LaneQueue{}; // its padding lanes: a real start, slots inside the tables
                    kernels->landLead(pass, in, 0, ~std::uint64_t{0}, queue);
                    std::uint64_t through = 0;
                    for (std::size_t i = 0; i < queue.count; ++i) {
                        through |= std::uint64_t{1} << queue.deal[i];
                        ASSERT_EQ(queue.dealStart[i], in.dealStart[queue.deal[i]]);
                    }
                    for (std::size_t lane = 0; lane < kLanes; ++lane) {
                        const bool rejected = TestRejects(pass, SlotsOfItems(in.dealStart[lane]), 2, pass.leadWaiters);
                        ASSERT_EQ((through >> lane) & 1u, rejected ? 0u : 1u) << "lane " << lane;
                    }
                }
                Landings landings{};
                WaitBytes waits{};
                const std::uint64_t dead = kernels->landAll(pass, queue, 0, landings, waits);
                for (std::size_t i = 0; i < queue.count; ++i) {
                    const std::array<int, kSlotCount> slotOf = SlotsOfItems(queue.dealStart[i], kTestPins);
                    for (std::size_t t = 0; t < pass.count; ++t)
                        ASSERT_EQ(landings[t][i], slotOf[pass.item[t]]) << "item " << int{pass.item[t]} << " lead " << lead;
                    const bool rejected = TestRejects(pass, slotOf, pass.count, pass.waiters.size(), &pairRejects);
                    ASSERT_EQ((dead >> i) & 1u, rejected ? 1u : 0u) << "lane " << i << " lead " << lead;
                    // The whole deal, pins aside.
                    std::array<std::uint8_t, kDraws> itemOfSlot{};
                    if (kernels->dealWhole) kernels->dealWhole(queue.dealStart[i], itemOfSlot);
                    const std::array<int, kSlotCount> unpinned = SlotsOfItems(queue.dealStart[i]);
                    for (std::size_t slot = 0; slot < kSlotCount && kernels->dealWhole; ++slot)
                        ASSERT_EQ(unpinned[itemOfSlot[slot]], static_cast<int>(slot)) << "whole deal, lane " << i;
                }
            }
        }
        EXPECT_GT(pairRejects, 50) << "the pairs reject deals that nothing else does";
    }
}

// A staged pass run segment by segment, against the plain deal: the deals
// that come out are exactly those where no item rejected alone and no pair
// waited for each other. Segments of uneven lengths, the longest allowed
// among them; a part-filled batch now and then, as at the end of a stretch.
TEST(DealLanes, SegmentsKeepExactlyTheDealsThatNoLandingRejects)
{
    struct Case {
        std::size_t width;
        std::array<std::uint8_t, kGroup> items; // ascending, those from 128 last
        std::vector<Pair> pairs;
    };
    const Case cases[] = {
        {kGroup, {0, 27, 60, 100, 127, 128, 150, 179}, {{0, 1}, {2, 5}}}, // both ends of both ways of counting
        {kNarrowGroup, {27, 100, 128, 179, 0, 0, 0, 0}, {{0, 2}, {1, 3}}},
        {kNarrowGroup, {5, 60, 90, 127, 0, 0, 0, 0}, {{0, 1}}},
    };
    for (const Case& c : cases) {
        StagedPass pass;
        pass.width = c.width;
        pass.item = c.items;
        StartTrackers(pass);
        pass.pairs = c.pairs;
        // Bit h of item g's meaning in a slot.
        auto means = [&](std::size_t g, std::size_t h, std::uint32_t slot) {
            if (g == h) return g < c.width && slot % 29 == 3 * g + 1;
            const Pair pair{static_cast<std::uint8_t>(std::min(g, h)), static_cast<std::uint8_t>(std::max(g, h))};
            if (std::find(c.pairs.begin(), c.pairs.end(), pair) == c.pairs.end()) return false;
            return g < h ? (slot < 60 || slot % 3 == 0) : (slot >= 120 || slot % 2 == 0);
        };
        Meanings meanings{};
        for (std::uint32_t slot = 0; slot < kSlotCount; ++slot)
            for (std::size_t g = 0; g < kGroup; ++g)
                for (std::size_t h = 0; h < kGroup; ++h)
                    meanings[slot][g] |= static_cast<std::uint8_t>(means(g, h, slot) ? 1u << h : 0u);
        for (std::uint32_t first = 0, length = 1; first < kDraws; first += length, length = std::min(64u, length * 3))
            pass.segments.push_back(MakeSegment(first, std::min(kDraws, first + length), meanings, c.pairs));

        Rng source(7);
        for (const auto& [name, needs, kernels] : KernelsToTest()) {
            SCOPED_TRACE(name);
            for (int round = 0; round < 30; ++round) {
                LaneQueue queue = RandomQueue(source);
                queue.count = round % 3 == 0 ? 41 : kLanes;
                // Batches whose generators share the low half take the kernel
                // for them, their survivors too.
                const bool shared = round % 3 == 1;
                for (std::size_t lane = 0; shared && lane < kLanes; ++lane)
                    queue.state[lane] = queue.dealStart[lane] = (queue.state[lane] & 0xFFFF0000u) | (queue.state[0] & 0xFFFFu);
                for (std::size_t g = 0; g < kGroup; ++g) queue.tracker[g].fill(pass.start[g]);
                const LaneQueue dealt = queue;
                for (std::size_t s = 0; s < pass.segments.size(); ++s) {
                    LaneQueue next;
                    const std::array<std::uint8_t, kGroup> restart{};
                    const std::uint64_t live = queue.count == kLanes ? ~0ull : (std::uint64_t{1} << queue.count) - 1;
                    (shared ? kernels->runSharedSegment : kernels->runSegment)(
                        pass, pass.segments[s], queue, 0, live, next, s + 1 == pass.segments.size() ? &restart : nullptr);
                    queue = next;
                }
                std::uint64_t survivors = 0;
                for (std::size_t i = 0; i < queue.count; ++i) {
                    survivors |= std::uint64_t{1} << queue.deal[i];
                    ASSERT_EQ(queue.state[i], queue.dealStart[i]) << "a restarted deal starts over";
                }
                for (std::size_t lane = 0; lane < dealt.count; ++lane) {
                    const std::array<int, kSlotCount> slotOf = SlotsOfItems(dealt.dealStart[lane]);
                    auto slot = [&](std::size_t g) { return static_cast<std::uint32_t>(slotOf[pass.item[g]]); };
                    bool rejected = false;
                    for (std::size_t g = 0; g < c.width; ++g) rejected = rejected || means(g, g, slot(g));
                    for (const auto& [g, h] : c.pairs)
                        rejected = rejected || (means(g, h, slot(g)) && means(h, g, slot(h)));
                    ASSERT_EQ((survivors >> lane) & 1u, rejected ? 0u : 1u) << "lane " << lane << " round " << round;
                }
            }
        }
    }
}

// Random rule systems against a plain fixpoint over single clauses: rule 0
// open at first, an item reached once its rule is open, a clause opening its
// rule once all its items are reached.
TEST(DealLanes, OpenAllOpensWhatTheReachedItemsOpenUntilNothingChanges)
{
    Rng source(11);
    auto below = [&](std::uint32_t n) { return static_cast<std::uint32_t>(source.Next()) % n; };
    int fullyReached = 0;
    int opensSeveral = 0;
    for (int round = 0; round < 300; ++round) {
        const std::uint32_t ruleCount = 2 + below(62);
        std::vector<ClauseBlock> blocks(1 + below(5));
        for (ClauseBlock& block : blocks) {
            for (std::size_t c = 0; c < 8; ++c) {
                for (std::uint32_t i = below(4); i > 0; --i) block.items[c] |= std::uint64_t{1} << below(64);
                block.rules[c] = std::uint64_t{1} << (below(8) == 0 ? 0 : 1 + below(ruleCount - 1));
            }
        }
        RuleOfItem ruleOf{};
        for (std::uint8_t& rule : ruleOf) rule = static_cast<std::uint8_t>(below(4) == 0 ? 0 : below(ruleCount));
        const std::uint64_t items = std::uint64_t{RandomWord(source)} << 32 | RandomWord(source);

        Openable expected{1, 0};
        for (std::uint64_t before = 0; before != expected.rules;) {
            before = expected.rules;
            for (std::size_t j = 0; j < 64; ++j)
                if (((items >> j) & 1u) && ((expected.rules >> ruleOf[j]) & 1u)) expected.reached |= std::uint64_t{1} << j;
            for (const ClauseBlock& block : blocks)
                for (std::size_t c = 0; c < 8; ++c)
                    if ((block.items[c] & ~expected.reached) == 0) expected.rules |= block.rules[c];
        }
        fullyReached += expected.reached == items ? 1 : 0;
        opensSeveral += std::popcount(expected.rules) >= 3 ? 1 : 0;
        for (const auto& [name, needs, kernels] : KernelsToTest()) {
            SCOPED_TRACE(name);
            const Openable openable = kernels->openAll(blocks, ruleOf, items);
            ASSERT_EQ(openable.rules, expected.rules) << "round " << round;
            ASSERT_EQ(openable.reached, expected.reached) << "round " << round;
        }
    }
    EXPECT_GT(fullyReached, 0);
    EXPECT_GT(opensSeveral, 100);
}

} // namespace
} // namespace tarvenna::lanes
