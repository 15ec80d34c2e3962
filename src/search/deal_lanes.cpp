#include "search/deal_lanes.h"

#include <bit>
#include <cstring>

#include "core/rng.h"
#include "search/lane_divisors.h"

#if !defined(__GNUC__)
#error "the deal lanes need the GCC/Clang vector extensions"
#endif

namespace tarvenna::lanes {
namespace {

using U32x16 = std::uint32_t __attribute__((vector_size(64)));
using U8x16 = std::uint8_t __attribute__((vector_size(16)));
using U8x64 = std::uint8_t __attribute__((vector_size(64)));
constexpr std::size_t kQuarters = kLanes / 16;
using States = std::array<U32x16, kQuarters>;

// Clones need ifunc, which only ELF systems have: elsewhere (Windows) these
// kernels are built for the baseline processor, and processors with AVX-512
// get the kernels of deal_lanes_avx512.cpp, chosen at run time. The browser
// build picks nothing at run time: it builds these vectors as WebAssembly SIMD.
#if defined(__x86_64__) && defined(__ELF__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define TARVENNA_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#define TARVENNA_WIDE_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define TARVENNA_VECTOR_CLONES
#define TARVENNA_WIDE_CLONES
#endif

// The pool index every lane draws: rand() % (180 - draw).
__attribute__((always_inline)) inline void NextIndices(States& state, std::uint32_t draw, U8x64& drawn)
{
    const std::uint32_t n = kDraws - draw;
    const std::uint32_t multiplier = kDealDivisors.multiplier[n];
    const std::uint32_t shift = kDealDivisors.shift[n];
    std::array<U8x16, kQuarters> parts{};
    for (std::size_t q = 0; q < kQuarters; ++q) {
        state[q] = state[q] * Rng::kMultiplier + Rng::kIncrement;
        const U32x16 x = (state[q] >> 16) & 0x7FFFu;
        parts[q] = __builtin_convertvector(x - ((x * multiplier) >> shift) * n, U8x16);
    }
    std::memcpy(&drawn, parts.data(), sizeof drawn);
}

__attribute__((always_inline)) inline void Follow(U8x64& position, const U8x64& drawn)
{
    const auto landed = reinterpret_cast<U8x64>(drawn == position);
    const auto below = reinterpret_cast<U8x64>(drawn < position);
    position = (position + below) | landed;
}

// 2x, saturated at 255.
__attribute__((always_inline)) inline void Double(const U8x64& x, U8x64& doubled)
{
    doubled = (x + x) | reinterpret_cast<U8x64>(x > 127);
}

__attribute__((always_inline)) inline void Count(U8x64& tracker, const U8x64& doubledDraw)
{
    const U8x64 over = (tracker - doubledDraw) & reinterpret_cast<U8x64>(tracker > doubledDraw);
    tracker -= over < 2 ? over : U8x64{} + 2;
}

TARVENNA_VECTOR_CLONES void RunSegment(const StagedPass& pass, const Segment& segment, const LaneQueue& in,
                                       std::size_t from, std::uint64_t live, LaneQueue& out,
                                       const std::array<std::uint8_t, kGroup>* restart)
{
    States state;
    std::memcpy(state.data(), in.state.data() + from, sizeof state);
    std::array<U8x64, kGroup> tracker;
    std::array<U8x64, kGroup> meaning; // of the current run, kept from the run where the item leaves the pool
    for (std::size_t g = 0; g < kGroup; ++g) {
        std::memcpy(&tracker[g], in.tracker[g].data() + from, kLanes);
        meaning[g] = U8x64{} + segment.needs[0][g];
    }
    const std::array<U8x64, kGroup> before = tracker;
    for (std::uint32_t i = 0, run = 0; i < segment.end - segment.first; ++i) {
        const std::uint32_t draw = segment.first + i;
        U8x64 drawn;
        NextIndices(state, draw, drawn);
        U8x64 below;
        Double(drawn, below);
        U8x64 above;
        Double(static_cast<std::uint8_t>(kDraws - 1 - draw) - drawn, above);
        for (std::size_t g = 0; g < kGroup; ++g) Count(tracker[g], g < pass.fromBelow ? below : above);
        if (((segment.runEnds >> i) & 1u) == 0 || draw + 1 == segment.end) continue;
        ++run;
        for (std::size_t g = 0; g < kGroup; ++g) {
            const auto inPool = reinterpret_cast<U8x64>((tracker[g] & 1u) != 0);
            meaning[g] = (meaning[g] & ~inPool) | (inPool & segment.needs[run][g]);
        }
    }
    std::array<U8x64, kGroup> needs;
    for (std::size_t g = 0; g < kGroup; ++g) {
        std::memcpy(&needs[g], in.needs[g].data() + from, kLanes);
        // An item whose tracker lost its low bit in the segment landed in it.
        needs[g] |= reinterpret_cast<U8x64>(((before[g] & ~tracker[g] & 1u) != 0)) & meaning[g];
    }

    std::array<std::array<std::uint8_t, kLanes>, kGroup> trackers;
    std::memcpy(trackers.data(), tracker.data(), sizeof trackers);
    std::array<std::array<std::uint8_t, kLanes>, kGroup> needed;
    std::memcpy(needed.data(), needs.data(), sizeof needed);
    std::array<std::uint32_t, kLanes> states;
    std::memcpy(states.data(), state.data(), sizeof states);
    std::uint64_t alive = live;
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        bool dead = false;
        for (std::size_t g = 0; g < kGroup; ++g) dead = dead || ((unsigned{needed[g][lane]} >> g) & 1u) != 0;
        for (const auto& [g, h] : segment.pairs)
            dead = dead || (((unsigned{needed[g][lane]} >> h) & (unsigned{needed[h][lane]} >> g) & 1u) != 0);
        if (dead) alive &= ~(std::uint64_t{1} << lane);
    }
    for (; alive != 0; alive &= alive - 1) {
        const auto lane = static_cast<std::size_t>(__builtin_ctzll(alive));
        const std::size_t i = out.count++;
        for (std::size_t g = 0; g < kGroup; ++g) {
            out.tracker[g][i] = restart ? (*restart)[g] : trackers[g][lane];
            out.needs[g][i] = restart ? 0 : needed[g][lane];
        }
        out.state[i] = restart ? in.dealStart[from + lane] : states[lane];
        out.dealStart[i] = in.dealStart[from + lane];
        out.deal[i] = in.deal[from + lane];
    }
}

// Slots of the followed items [first, end) at the end of the deals.
__attribute__((always_inline)) inline void FollowGroups(const FullPass& pass, const std::array<U8x64, kDraws>& drawn,
                                                        std::size_t first, std::size_t end, Landings& landings)
{
    for (; first < end; first += kGroup) {
        std::array<U8x64, kGroup> position;
        for (std::size_t g = 0; g < kGroup; ++g) position[g] = U8x64{} + pass.item[first + g];
        for (std::uint32_t draw = 0; draw < kDraws; ++draw)
            for (std::size_t g = 0; g < kGroup; ++g) Follow(position[g], drawn[draw]);
        // Parked at 255 after slot s, an item reads 255 - (179 - s) = s + 76 at the end.
        for (std::size_t g = 0; g < kGroup; ++g) {
            const U8x64 slot = position[g] - 76;
            std::memcpy(landings[first + g].data(), &slot, kLanes);
        }
    }
}

__attribute__((always_inline)) inline void DrawAll(const std::uint32_t* dealStart, std::array<U8x64, kDraws>& drawn)
{
    States state;
    std::memcpy(state.data(), dealStart, sizeof state);
    for (std::uint32_t draw = 0; draw < kDraws; ++draw) NextIndices(state, draw, drawn[draw]);
}

// Lanes where one of the first `count` items lands where it rejects, or a
// pair among the first `waiters` waiters (pairs of `pairs`) waits for each other.
std::uint64_t Rejected(const FullPass& pass, const Landings& landings, std::size_t count, std::size_t waiters,
                       const std::vector<std::array<std::uint8_t, 2>>& pairs)
{
    std::uint64_t dead = 0;
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        bool rejected = false;
        for (std::size_t t = 0; t < count; ++t) rejected = rejected || pass.rejects[t][landings[t][lane]] != 0;
        for (const auto& [w, v] : pairs) {
            if (w >= waiters || v >= waiters) continue;
            const std::uint8_t slotOfW = landings[pass.waiters[w]][lane];
            const std::uint8_t slotOfV = landings[pass.waiters[v]][lane];
            rejected = rejected || ((unsigned{pass.waitTables[v / kGroup][slotOfW]} >> (v % kGroup)) &
                                    (unsigned{pass.waitTables[w / kGroup][slotOfV]} >> (w % kGroup)) & 1u) != 0;
        }
        if (rejected) dead |= std::uint64_t{1} << lane;
    }
    return dead;
}

TARVENNA_VECTOR_CLONES void LandLead(const FullPass& pass, const LaneQueue& in, std::size_t from, std::uint64_t live,
                                     LaneQueue& out)
{
    std::array<U8x64, kDraws> drawn;
    DrawAll(in.dealStart.data() + from, drawn);
    Landings landings;
    FollowGroups(pass, drawn, 0, pass.lead, landings);
    std::uint64_t alive = live & ~Rejected(pass, landings, pass.lead, pass.leadWaiters, pass.leadPairs);
    for (; alive != 0; alive &= alive - 1) {
        const auto lane = static_cast<std::size_t>(__builtin_ctzll(alive));
        const std::size_t i = out.count++;
        for (std::size_t g = 0; g < kGroup; ++g) {
            out.tracker[g][i] = landings[g][lane];
            out.needs[g][i] = landings[kGroup + g][lane];
        }
        out.state[i] = out.dealStart[i] = in.dealStart[from + lane];
        out.deal[i] = in.deal[from + lane];
    }
}

TARVENNA_VECTOR_CLONES std::uint64_t LandAll(const FullPass& pass, const LaneQueue& in, std::size_t from,
                                             Landings& landings, WaitBytes& waits)
{
    std::array<U8x64, kDraws> drawn;
    DrawAll(in.dealStart.data() + from, drawn);
    for (std::size_t g = 0; g < pass.lead && g < kGroup; ++g) {
        std::memcpy(landings[g].data(), in.tracker[g].data() + from, kLanes);
        std::memcpy(landings[kGroup + g].data(), in.needs[g].data() + from, kLanes);
    }
    FollowGroups(pass, drawn, pass.lead, pass.count, landings);
    for (const auto& [slot, own] : pass.pins) {
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            const std::uint8_t ownLanding = landings[own][lane];
            for (std::size_t t = 0; t < pass.count; ++t)
                if (landings[t][lane] == slot) landings[t][lane] = ownLanding;
            landings[own][lane] = slot;
        }
    }
    (void)waits; // the vector kernels keep whom each waiter waits for there
    return Rejected(pass, landings, pass.count, pass.waiters.size(), pass.waitPairs);
}

using U64x8 = std::uint64_t __attribute__((vector_size(64)));

} // namespace

TARVENNA_WIDE_CLONES std::uint64_t OpenedRules(const std::vector<ClauseBlock>& blocks, std::uint64_t reached)
{
    const U64x8 missing = U64x8{} + ~reached;
    U64x8 opened{};
    for (const ClauseBlock& block : blocks) {
        U64x8 items;
        U64x8 rules;
        std::memcpy(&items, block.items.data(), sizeof items);
        std::memcpy(&rules, block.rules.data(), sizeof rules);
        opened |= rules & reinterpret_cast<U64x8>((items & missing) == 0);
    }
    std::uint64_t result = 0;
    for (std::size_t i = 0; i < 8; ++i) result |= opened[i];
    return result;
}

Segment MakeSegment(std::uint32_t first, std::uint32_t end, const Meanings& meanings, const std::vector<Pair>& pairs)
{
    Segment segment;
    segment.first = first;
    segment.end = end;
    std::uint32_t run = 0;
    for (std::uint32_t slot = first; slot < end; ++slot) {
        segment.needs[run] = meanings[slot];
        if (slot + 1 < end && meanings[slot + 1] == meanings[slot]) continue;
        segment.runEnds |= std::uint64_t{1} << (slot - first);
        ++run;
    }
    // A pair can only reject here once both may wait, and only newly if
    // one of them may start waiting here.
    auto mayWait = [&](std::size_t g, std::size_t h, std::uint32_t from, std::uint32_t to) {
        for (std::uint32_t slot = from; slot < to; ++slot)
            if ((unsigned{meanings[slot][g]} >> h) & 1u) return true;
        return false;
    };
    for (const Pair& pair : pairs) {
        const std::size_t g = pair[0];
        const std::size_t h = pair[1];
        if (mayWait(g, h, 0, end) && mayWait(h, g, 0, end) && (mayWait(g, h, first, end) || mayWait(h, g, first, end)))
            segment.pairs.push_back(pair);
    }
    return segment;
}

void StartTrackers(StagedPass& pass)
{
    pass.fromBelow = 0;
    pass.start.fill(0); // out of the pool: counts nothing, lands nowhere
    for (std::size_t g = 0; g < pass.width; ++g) {
        const std::uint8_t item = pass.item[g];
        const bool fromBelow = item < kCountFromTop;
        pass.fromBelow += fromBelow ? 1 : 0;
        pass.start[g] = static_cast<std::uint8_t>(2 * (fromBelow ? item : kDraws - 1 - item) + 1);
    }
}

Openable OpenAll(const std::vector<ClauseBlock>& blocks, const RuleOfItem& ruleOf, std::uint64_t items)
{
    Openable result{1, 0};
    for (;;) {
        for (std::uint64_t left = items; left != 0; left &= left - 1) {
            const auto j = static_cast<std::size_t>(std::countr_zero(left));
            result.reached |= ((result.rules >> ruleOf[j]) & 1u) << j;
        }
        const std::uint64_t opened = OpenedRules(blocks, result.reached) & ~result.rules;
        if (opened == 0) return result;
        result.rules |= opened;
    }
}

const Kernels& PortableKernels()
{
    static const Kernels kernels{&RunSegment, &LandLead, &LandAll, nullptr, &OpenAll};
    return kernels;
}

} // namespace tarvenna::lanes
