#pragma once

// Deals evaluated 64 at a time, one deal per byte lane, following a few
// items through the shrinking pool. An item is known by its index in the
// pool: a draw below it moves it down one; a draw equal to it puts it in the
// draw's slot and parks it at 255. Every later draw is below a parked item,
// so after draw d an item that landed in slot s reads 255 - (d - s): the
// slot can be read back at any draw, and a parked item never lands again.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "items/item_slot_data.h"

namespace tarvenna::lanes {

constexpr std::size_t kLanes = 64;
constexpr std::size_t kGroup = 8;          // items a staged pass follows
constexpr std::size_t kMaxFollowed = 128;  // items the full pass follows; a multiple of kGroup
constexpr std::uint32_t kDraws = kSlotCount;
constexpr std::size_t kRejectTable = 192;  // slots 0..179, padded to three vectors

// Deals waiting for one segment of one staged pass. Room for two batches:
// a segment appends at most one batch before the queue is drained.
struct LaneQueue {
    std::size_t count = 0;
    alignas(64) std::array<std::array<std::uint8_t, 2 * kLanes>, kGroup> position{};
    alignas(64) std::array<std::array<std::uint8_t, 2 * kLanes>, kGroup> needs{}; // see Segment
    alignas(64) std::array<std::uint32_t, 2 * kLanes> state{};     // generator at the segment's first draw
    alignas(64) std::array<std::uint32_t, 2 * kLanes> dealStart{}; // generator at the deal's first draw
    alignas(64) std::array<std::uint32_t, 2 * kLanes> deal{};      // deal index within the chunk
};

// Draws [first, end) of a staged pass, and what an item landing in them
// means: needs[g][(slot - end) mod 64] has bit g set where item g rejects
// its deal by itself, and bit h where it rejects it if item h lands where
// it has bit g set (each then waits for the other). Segments are at most
// 64 draws long.
struct Segment {
    std::uint32_t first = 0;
    std::uint32_t end = 0;
    alignas(64) std::array<std::array<std::uint8_t, kLanes>, kGroup> needs{};
};

struct StagedPass {
    std::array<std::uint8_t, kGroup> item{};
    std::vector<std::array<std::uint8_t, 2>> pairs; // g < h that can wait for each other
    std::vector<Segment> segments;
};

// The last pass follows every item the rules name, through all draws.
struct FullPass {
    std::size_t count = 0; // a multiple of kGroup; padding follows item 0 and rejects nothing
    std::array<std::uint8_t, kMaxFollowed> item{};
    alignas(64) std::array<std::array<std::uint8_t, kRejectTable>, kMaxFollowed> rejects{}; // [followed][slot]
};

using Landings = std::array<std::array<std::uint8_t, kLanes>, kMaxFollowed>; // [followed][lane]: slot

// Rules that open keys, as clauses in blocks of eight: a clause holds once
// every item of its `items` is reached, and then opens its `rules`. Items
// and rules are numbered below 64.
struct ClauseBlock {
    alignas(64) std::array<std::uint64_t, 8> items{};
    alignas(64) std::array<std::uint64_t, 8> rules{};
};
// The rules that the clauses open once `reached` are reached.
std::uint64_t OpenedRules(const std::vector<ClauseBlock>& blocks, std::uint64_t reached);

struct Kernels {
    // Runs one segment for the deals `from` to `from + 64` of `in` (where
    // `live` has a bit; the others are padding) and appends the deals that
    // survive it to `out`. With `restart`, they start the next pass over:
    // its items at draw 0.
    void (*runSegment)(const StagedPass& pass, const Segment& segment, const LaneQueue& in, std::size_t from,
                       std::uint64_t live, LaneQueue& out, const std::array<std::uint8_t, kGroup>* restart);
    // Deals 64 deals whole and returns where every followed item landed,
    // and which deals a landing rejects (bit per lane).
    std::uint64_t (*landAll)(const FullPass& pass, const std::uint32_t* dealStart, Landings& landings);
};

// Plain vector code for any processor.
const Kernels& PortableKernels();
// AVX-512 with byte permutes and compression, or null where the processor
// lacks them.
const Kernels* Avx512Kernels();

} // namespace tarvenna::lanes
