#include "search/deal_lanes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <vector>

#include "core/rng.h"
#include "items/item_shuffle.h"

namespace tarvenna::lanes {
namespace {

// The kernels to check: the portable ones always, AVX-512 where the processor has it.
std::vector<const Kernels*> KernelsToTest()
{
    std::vector<const Kernels*> kernels{&PortableKernels()};
    if (const Kernels* fast = Avx512Kernels()) kernels.push_back(fast);
    return kernels;
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

std::array<std::uint32_t, kLanes> RandomStates(Rng& source)
{
    std::array<std::uint32_t, kLanes> states{};
    for (std::uint32_t& state : states)
        state = static_cast<std::uint32_t>(source.Next()) << 17 ^ static_cast<std::uint32_t>(source.Next());
    return states;
}

// 24 followed items (3, 10, .. 164): item 3 rejects in the last slot, item
// 10 in the even slots; ten waiters over two groups (followed 1, 3, .. 19)
// with the pairs among them but for those whose numbers add up to a
// multiple of three; items 17 and 31 pinned, 17 twice.
bool Needed(std::size_t w, std::size_t slot) { return (slot * 5 + 11 * w) % 7 == 0; }
const std::vector<int> kTestPins{17, 31, 17};

FullPass TestFullPass()
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

LaneQueue QueueOf(const std::array<std::uint32_t, kLanes>& states)
{
    LaneQueue queue;
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        queue.state[lane] = queue.dealStart[lane] = states[lane];
        queue.deal[lane] = static_cast<std::uint32_t>(lane);
    }
    queue.count = kLanes;
    return queue;
}

TEST(DealLanes, LandAllFindsWhereEveryFollowedItemEndsUpAndWhichPlacesOrPairsReject)
{
    const FullPass pass = TestFullPass();
    Rng source(99);
    int pairRejects = 0;
    for (const Kernels* kernels : KernelsToTest()) {
        for (int round = 0; round < 20; ++round) {
            const std::array<std::uint32_t, kLanes> states = RandomStates(source);
            Landings landings{};
            WaitBytes waits{};
            const std::uint64_t dead = kernels->landAll(pass, QueueOf(states), 0, landings, waits);
            for (std::size_t lane = 0; lane < kLanes; ++lane) {
                const std::array<int, kSlotCount> slotOf = SlotsOfItems(states[lane], kTestPins);
                for (std::size_t t = 0; t < pass.count; ++t)
                    ASSERT_EQ(landings[t][lane], slotOf[pass.item[t]]) << "item " << int{pass.item[t]};
                const bool rejected = TestRejects(pass, slotOf, pass.count, pass.waiters.size(), &pairRejects);
                ASSERT_EQ((dead >> lane) & 1u, rejected ? 1u : 0u) << "lane " << lane;
            }
        }
    }
    EXPECT_GT(pairRejects, 100) << "the pairs reject deals that nothing else does";
}

// The lead stage keeps the deals that its items' places before the pins and
// its pairs let through, and the full pass then ends where it ends without it.
TEST(DealLanes, TheLeadStageLetsThroughWhatItsItemsAllowAndCarriesTheirSlots)
{
    FullPass pass = TestFullPass();
    pass.lead = 2 * kGroup;
    pass.leadWaiters = 8; // followed 1, 3, .. 15
    for (const auto& pair : pass.waitPairs)
        if (pair[1] < pass.leadWaiters) pass.leadPairs.push_back(pair);
    Rng source(31);
    int kept = 0;
    for (const Kernels* kernels : KernelsToTest()) {
        for (int round = 0; round < 20; ++round) {
            const std::array<std::uint32_t, kLanes> states = RandomStates(source);
            LaneQueue out;
            kernels->landLead(pass, QueueOf(states), 0, ~std::uint64_t{0}, out);
            std::uint64_t through = 0;
            for (std::size_t i = 0; i < out.count; ++i) {
                through |= std::uint64_t{1} << out.deal[i];
                ASSERT_EQ(out.dealStart[i], states[out.deal[i]]);
            }
            for (std::size_t lane = 0; lane < kLanes; ++lane) {
                const bool rejected = TestRejects(pass, SlotsOfItems(states[lane]), 2, pass.leadWaiters);
                ASSERT_EQ((through >> lane) & 1u, rejected ? 0u : 1u) << "lane " << lane;
            }
            kept += static_cast<int>(out.count);

            // The rest of the batch is padding, as the search pads it.
            for (std::size_t i = out.count; i < kLanes; ++i) {
                out.dealStart[i] = out.dealStart[0];
                for (std::size_t g = 0; g < kGroup; ++g) out.tracker[g][i] = out.needs[g][i] = 0;
            }
            Landings landings{};
            WaitBytes waits{};
            const std::uint64_t dead = kernels->landAll(pass, out, 0, landings, waits);
            for (std::size_t i = 0; i < out.count; ++i) {
                const std::array<int, kSlotCount> slotOf = SlotsOfItems(out.dealStart[i], kTestPins);
                for (std::size_t t = 0; t < pass.count; ++t)
                    ASSERT_EQ(landings[t][i], slotOf[pass.item[t]]) << "item " << int{pass.item[t]};
                ASSERT_EQ((dead >> i) & 1u, TestRejects(pass, slotOf, pass.count, pass.waiters.size()) ? 1u : 0u);
            }
        }
    }
    EXPECT_GT(kept, 100);
    EXPECT_LT(kept, 2 * 20 * 64 - 100);
}

TEST(DealLanes, AWholeDealPutsTheSameItemsInTheSlotsAsThePlainDeal)
{
    Rng source(5);
    for (const Kernels* kernels : KernelsToTest()) {
        if (kernels->dealWhole == nullptr) continue;
        for (int round = 0; round < 2000; ++round) {
            const auto start = static_cast<std::uint32_t>(source.Next()) << 17 ^ static_cast<std::uint32_t>(source.Next());
            std::array<std::uint8_t, kDraws> itemOfSlot{};
            kernels->dealWhole(start, itemOfSlot);
            Rng rng(start);
            SlotAssignment assignment{};
            ShuffleItems({}, rng, assignment);
            for (std::size_t slot = 0; slot < kSlotCount; ++slot)
                ASSERT_EQ(int{itemOfSlot[slot]}, assignment[slot]) << "slot " << slot << " round " << round;
        }
    }
}

// A staged pass run segment by segment, against the plain deal: the deals
// that come out are exactly those where no item rejected alone and no pair
// waited for each other. `items` ascending, those from 128 last.
void CheckSegments(std::size_t width, const std::array<std::uint8_t, kGroup>& items, std::size_t fromBelow,
                   const std::vector<Pair>& pairs)
{
    StagedPass pass;
    pass.width = width;
    pass.item = items;
    StartTrackers(pass);
    ASSERT_EQ(pass.fromBelow, fromBelow);
    pass.pairs = pairs;
    auto rejectsAlone = [&](std::size_t g, std::uint32_t slot) { return g < width && slot % 29 == 3 * g + 1; };
    auto waitsFor = [&](std::size_t g, std::size_t other, std::uint32_t slot) {
        const Pair pair{static_cast<std::uint8_t>(std::min(g, other)), static_cast<std::uint8_t>(std::max(g, other))};
        if (std::find(pairs.begin(), pairs.end(), pair) == pairs.end()) return false;
        return g < other ? (slot < 60 || slot % 3 == 0) : (slot >= 120 || slot % 2 == 0);
    };
    Meanings meanings{};
    for (std::uint32_t slot = 0; slot < kSlotCount; ++slot) {
        for (std::size_t g = 0; g < kGroup; ++g) {
            auto bits = static_cast<std::uint8_t>(rejectsAlone(g, slot) ? 1u << g : 0u);
            for (std::size_t other = 0; other < kGroup; ++other)
                if (waitsFor(g, other, slot)) bits |= static_cast<std::uint8_t>(1u << other);
            meanings[slot][g] = bits;
        }
    }
    // Segments of uneven lengths, the longest allowed among them.
    for (std::uint32_t first = 0, length = 1; first < kSlotCount; first += length, length = std::min<std::uint32_t>(64, length * 3))
        pass.segments.push_back(MakeSegment(first, std::min<std::uint32_t>(kSlotCount, first + length), meanings, pass.pairs));

    Rng source(7);
    for (const Kernels* kernels : KernelsToTest()) {
        int kept = 0;
        for (int round = 0; round < 30; ++round) {
            const std::array<std::uint32_t, kLanes> states = RandomStates(source);
            // A part-filled first batch, as at the end of a stretch.
            const std::size_t used = round % 3 == 0 ? 41 : kLanes;
            LaneQueue queue;
            for (std::size_t lane = 0; lane < used; ++lane) {
                for (std::size_t g = 0; g < kGroup; ++g) queue.tracker[g][lane] = pass.start[g];
                queue.state[lane] = queue.dealStart[lane] = states[lane];
                queue.deal[lane] = static_cast<std::uint32_t>(lane);
            }
            queue.count = used;
            for (std::size_t s = 0; s < pass.segments.size(); ++s) {
                LaneQueue next;
                const std::uint64_t live =
                    queue.count == kLanes ? ~std::uint64_t{0} : (std::uint64_t{1} << queue.count) - 1;
                const std::array<std::uint8_t, kGroup> restart{};
                kernels->runSegment(pass, pass.segments[s], queue, 0, live, next,
                                    s + 1 == pass.segments.size() ? &restart : nullptr);
                queue = next;
            }
            std::uint64_t survivors = 0;
            for (std::size_t i = 0; i < queue.count; ++i) {
                survivors |= std::uint64_t{1} << queue.deal[i];
                ASSERT_EQ(queue.state[i], queue.dealStart[i]) << "a restarted deal starts over";
            }
            kept += std::popcount(survivors);
            for (std::size_t lane = 0; lane < used; ++lane) {
                const std::array<int, kSlotCount> slotOf = SlotsOfItems(states[lane]);
                auto slot = [&](std::size_t g) { return static_cast<std::uint32_t>(slotOf[pass.item[g]]); };
                bool rejected = false;
                for (std::size_t g = 0; g < width; ++g) rejected = rejected || rejectsAlone(g, slot(g));
                for (const auto& [g, h] : pass.pairs)
                    rejected = rejected || (waitsFor(g, h, slot(g)) && waitsFor(h, g, slot(h)));
                ASSERT_EQ((survivors >> lane) & 1u, rejected ? 0u : 1u) << "lane " << lane << " round " << round;
            }
        }
        EXPECT_GT(kept, 20) << "some deals survive";
    }
}

TEST(DealLanes, SegmentsKeepExactlyTheDealsThatNoLandingRejects)
{
    // Both ends of both ways of counting among the items.
    CheckSegments(kGroup, {0, 27, 60, 100, 127, 128, 150, 179}, 5, {{0, 1}, {2, 5}});
}

TEST(DealLanes, NarrowSegmentsKeepExactlyTheDealsThatNoLandingRejects)
{
    CheckSegments(kNarrowGroup, {27, 100, 128, 179, 0, 0, 0, 0}, 2, {{0, 2}, {1, 3}});
    CheckSegments(kNarrowGroup, {5, 60, 90, 127, 0, 0, 0, 0}, 4, {{0, 1}});
}

TEST(DealLanes, OpenedRulesAreThoseWithAClauseWhoseItemsAreAllReached)
{
    std::vector<ClauseBlock> blocks(2);
    blocks[0].items = {0b0011, 0b0100, 0, 0b1000, 0b0011, 0b1100, 0, 0};
    blocks[0].rules = {1u << 1, 1u << 2, 1u << 0, 1u << 3, 1u << 4, 1u << 5, 1u << 0, 1u << 0};
    blocks[1].items[0] = std::uint64_t{1} << 63;
    blocks[1].rules[0] = std::uint64_t{1} << 63;
    EXPECT_EQ(OpenedRules(blocks, 0), 1u);
    EXPECT_EQ(OpenedRules(blocks, 0b0001), 1u);
    EXPECT_EQ(OpenedRules(blocks, 0b0011), 0b10011u);
    EXPECT_EQ(OpenedRules(blocks, 0b1100), 0b101101u);
    EXPECT_EQ(OpenedRules(blocks, std::uint64_t{1} << 63), (std::uint64_t{1} << 63) | 1u);
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
        std::vector<std::pair<std::uint64_t, std::size_t>> clauses; // items, rule
        for (std::uint32_t c = 0; c < 1 + below(40); ++c) {
            std::uint64_t items = 0;
            for (std::uint32_t i = below(4); i > 0; --i) items |= std::uint64_t{1} << below(64);
            clauses.emplace_back(items, 1 + below(ruleCount - 1));
        }
        RuleOfItem ruleOf{};
        for (std::uint8_t& rule : ruleOf) rule = static_cast<std::uint8_t>(below(4) == 0 ? 0 : below(ruleCount));
        const std::uint64_t items = (static_cast<std::uint64_t>(source.Next()) << 49) ^
                                    (static_cast<std::uint64_t>(source.Next()) << 33) ^
                                    (static_cast<std::uint64_t>(source.Next()) << 16) ^ static_cast<std::uint64_t>(source.Next());

        Openable expected{1, 0};
        for (bool changed = true; changed;) {
            changed = false;
            for (std::size_t j = 0; j < 64; ++j)
                if (((items >> j) & 1u) && ((expected.rules >> ruleOf[j]) & 1u)) expected.reached |= std::uint64_t{1} << j;
            for (const auto& [need, rule] : clauses) {
                if ((need & ~expected.reached) != 0 || ((expected.rules >> rule) & 1u)) continue;
                expected.rules |= std::uint64_t{1} << rule;
                changed = true;
            }
        }
        fullyReached += expected.reached == items ? 1 : 0;
        opensSeveral += std::popcount(expected.rules) >= 3 ? 1 : 0;

        std::vector<ClauseBlock> blocks((clauses.size() + 7) / 8); // padding opens rule 0
        for (ClauseBlock& block : blocks) block.rules.fill(1);
        for (std::size_t c = 0; c < clauses.size(); ++c) {
            blocks[c / 8].items[c % 8] = clauses[c].first;
            blocks[c / 8].rules[c % 8] = std::uint64_t{1} << clauses[c].second;
        }
        for (const Kernels* kernels : KernelsToTest()) {
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
