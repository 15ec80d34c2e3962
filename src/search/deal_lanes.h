#pragma once

// Deals evaluated 64 at a time, one deal per byte lane, following a few
// items through the shrinking pool.
//
// The full pass knows an item by its index in the pool: a draw below it
// moves it down one; a draw equal to it puts it in the draw's slot and parks
// it at 255. Every later draw is below a parked item, so after draw d an
// item that landed in slot s reads 255 - (d - s): the slot can be read back
// at any draw, and a parked item never lands again.
//
// The staged passes only need to know in which run of draws an item lands,
// and count instead: t = 2c + 1 while the item is in the pool, 2c after,
// where c counts the items left below it. A draw r below c takes 2 from t,
// a draw of the item itself 1, any other draw nothing; with 2r saturated to
// a byte that is t -= min(t - 2r saturated at 0, 2), three plain byte
// operations. The parity of t says whether the item is still in the pool.
// Items from 128 up count the items above them instead, with the index
// n - 1 - r in a pool of n, so that t fits a byte.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "items/item_slot_data.h"

namespace tarvenna::lanes {

constexpr std::size_t kLanes = 64;
constexpr std::size_t kGroup = 8;          // items a staged pass follows at most
constexpr std::size_t kNarrowGroup = 4;    // or exactly, in a narrow pass
constexpr std::size_t kMaxFollowed = 128;  // items the full pass follows; a multiple of kGroup
constexpr std::uint32_t kDraws = kSlotCount;
constexpr std::size_t kRejectTable = 192;  // slots 0..179, padded to three vectors
constexpr std::uint8_t kCountFromTop = 128; // items from here on count the items above them

// Deals waiting for one segment of one staged pass. Room for two batches:
// a segment appends at most one batch before the queue is drained.
struct LaneQueue {
    std::size_t count = 0;
    alignas(64) std::array<std::array<std::uint8_t, 2 * kLanes>, kGroup> tracker{};
    alignas(64) std::array<std::array<std::uint8_t, 2 * kLanes>, kGroup> needs{}; // see Segment
    alignas(64) std::array<std::uint32_t, 2 * kLanes> state{};     // generator at the segment's first draw
    alignas(64) std::array<std::uint32_t, 2 * kLanes> dealStart{}; // generator at the deal's first draw
    alignas(64) std::array<std::uint32_t, 2 * kLanes> deal{};      // deal index within the chunk
};

// What item g landing in each slot means: bit g where it rejects its deal by
// itself, and bit h where it rejects it if item h lands where it has bit g
// set (each then waits for the other).
using Meanings = std::array<std::array<std::uint8_t, kGroup>, kDraws>; // [slot][g]

using Pair = std::array<std::uint8_t, 2>; // g < h that can wait for each other

// Draws [first, end) of a staged pass, at most 64, cut into runs of draws
// over which no meaning changes.
struct Segment {
    std::uint32_t first = 0;
    std::uint32_t end = 0;
    std::uint64_t runEnds = 0; // bit i: a run ends with draw first + i (the last draw ends one)
    std::array<std::array<std::uint8_t, kGroup>, kLanes> needs{}; // [run][g]
    std::vector<Pair> pairs; // those of the pass that can newly reject at its end
};
Segment MakeSegment(std::uint32_t first, std::uint32_t end, const Meanings& meanings, const std::vector<Pair>& pairs);

struct StagedPass {
    std::size_t width = kGroup;              // kGroup or kNarrowGroup items
    std::array<std::uint8_t, kGroup> item{}; // ascending: those below kCountFromTop first
    std::size_t fromBelow = 0;               // items that count the items below them
    std::array<std::uint8_t, kGroup> start{}; // trackers before the first draw; 0 past the width
    std::vector<Pair> pairs;
    std::vector<Segment> segments;
};
// Sets the trackers of a pass whose items are in place.
void StartTrackers(StagedPass& pass);

constexpr std::size_t kMaxWaiters = 64;
constexpr std::size_t kMaxWaitGroups = kMaxWaiters / kGroup;
constexpr std::size_t kLeadGroups = 2; // the full pass's lead stage: its slots ride in a LaneQueue's 16 rows

// The last pass follows every item the rules name, through all draws.
struct FullPass {
    std::size_t count = 0; // a multiple of kGroup; padding follows item 0 and rejects nothing
    std::array<std::uint8_t, kMaxFollowed> item{};
    alignas(64) std::array<std::array<std::uint8_t, kRejectTable>, kMaxFollowed> rejects{}; // [followed][slot]
    // Pairs of followed items that reject a deal where each lands where the
    // other is strictly needed. Such items are numbered in groups of eight:
    // waitTables[group][slot] has bit m where member m is strictly needed.
    std::vector<std::uint8_t> waiters; // followed index of each
    std::vector<std::array<std::uint8_t, kRejectTable>> waitTables;
    std::vector<std::array<std::uint8_t, 2>> waitPairs; // waiter numbers
    // The lead stage follows the first `lead` items alone (0 or
    // kLeadGroups * kGroup), and lets through only the deals that none of
    // their places rejects, nor a pair among the first `leadWaiters`
    // waiters (before the pins, which need every item).
    std::size_t lead = 0;
    std::size_t leadWaiters = 0;
    std::vector<std::array<std::uint8_t, 2>> leadPairs; // waiter numbers
    // The pins in order, where the pass follows every pinned slot's own
    // item: it goes back to its slot, and whatever is there to where it
    // landed. Landings and rejects are then those of the final places.
    std::vector<std::array<std::uint8_t, 2>> pins; // slot, followed index of its own item
    // The rejecting slots and the strictly needed ones again, as bit sets
    // (bit s in byte s / 8), for kernels that look up sixteen bytes at a
    // time. SetSlotBits fills them from the tables above.
    using SlotBits = std::array<std::uint8_t, 32>;
    std::array<SlotBits, kMaxFollowed> rejectBits{}; // [followed]
    std::vector<SlotBits> waitBits;                  // [waiter]
};
// Sets the bit sets of a pass whose tables are in place.
void SetSlotBits(FullPass& pass);

using Landings = std::array<std::array<std::uint8_t, kLanes>, kMaxFollowed>; // [followed][lane]: slot
// Room for whom each waiter waits for, per group: [waiter][group][lane].
using WaitBytes = std::array<std::array<std::array<std::uint8_t, kLanes>, kMaxWaitGroups>, kMaxWaiters>;

// Rules that open keys, as clauses in blocks of eight: a clause holds once
// every item of its `items` is reached, and then opens its `rules`. Items
// and rules are numbered below 64.
struct ClauseBlock {
    alignas(64) std::array<std::uint64_t, 8> items{};
    alignas(64) std::array<std::uint64_t, 8> rules{};
};
// The rules that the clauses open once `reached` are reached.
std::uint64_t OpenedRules(const std::vector<ClauseBlock>& blocks, std::uint64_t reached);

// What a deal can open at all: starting from rule 0, the items behind open
// rules are reached and the clauses they satisfy open more rules, until
// nothing changes. Item j (a bit of `items`) lies behind rule ruleOf[j].
struct Openable {
    std::uint64_t rules = 0;
    std::uint64_t reached = 0;
};
using RuleOfItem = std::array<std::uint8_t, 64>;

struct Kernels {
    // Runs one segment for the deals `from` to `from + 64` of `in` (where
    // `live` has a bit; the others are padding) and appends the deals that
    // survive it to `out`. With `restart`, they start the next pass over:
    // its trackers before the first draw.
    void (*runSegment)(const StagedPass& pass, const Segment& segment, const LaneQueue& in, std::size_t from,
                       std::uint64_t live, LaneQueue& out, const std::array<std::uint8_t, kGroup>* restart);
    // The same where the live lanes (a prefix, as always) have generator
    // states that share their low 16 bits, as those of deals 2^14 apart do
    // at every draw (180 * 2^14 draws is a multiple of 2^16, the low half's
    // period): each lane then steps only its high half, in 16-bit lanes.
    void (*runSharedSegment)(const StagedPass& pass, const Segment& segment, const LaneQueue& in, std::size_t from,
                             std::uint64_t live, LaneQueue& out, const std::array<std::uint8_t, kGroup>* restart);
    // The lead stage for the deals `from` to `from + 64` of `in` (as
    // runSegment): appends those it lets through to `out`, with the slots
    // of the lead items in the tracker rows (items 0-7) and needs rows
    // (items 8-15).
    void (*landLead)(const FullPass& pass, const LaneQueue& in, std::size_t from, std::uint64_t live, LaneQueue& out);
    // Deals the deals `from` to `from + 64` of `in` whole (the lead items'
    // slots taken from the queue) and returns where every followed item
    // ends up, and which deals a place or a pair rejects (bit per lane).
    std::uint64_t (*landAll)(const FullPass& pass, const LaneQueue& in, std::size_t from, Landings& landings,
                             WaitBytes& waits);
    // Deals one deal whole from its first draw's generator state: the item
    // of each slot, before the pins. Null where the plain deal is as quick.
    void (*dealWhole)(std::uint32_t dealStart, std::array<std::uint8_t, kDraws>& itemOfSlot);
    Openable (*openAll)(const std::vector<ClauseBlock>& blocks, const RuleOfItem& ruleOf, std::uint64_t items);
};

// What a deal opens, in plain C++: the kernel sets without AVX-512's bit
// shuffles use it.
Openable OpenAll(const std::vector<ClauseBlock>& blocks, const RuleOfItem& ruleOf, std::uint64_t items);

// The kernel sets of each vector width, or null where the build has none;
// which of them the processor runs is for search/kernel_choice.h to say.
const Kernels* Avx512Kernels(); // AVX-512 with byte permutes and compression
const Kernels* Avx2Kernels();
const Kernels* Sse4Kernels();     // SSSE3 and SSE4.1
const Kernels& BaselineKernels(); // what the build targets anyway: SSE2, or WebAssembly's SIMD128

} // namespace tarvenna::lanes
