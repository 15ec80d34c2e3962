#include "items/deal_lanes.h"

#include <cstring>

#include "core/rng.h"
#include "items/deal_divisors.h"

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

#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define TARVENNA_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define TARVENNA_VECTOR_CLONES
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

TARVENNA_VECTOR_CLONES void RunSegment(const StagedPass& pass, const Segment& segment, const LaneQueue& in,
                                       std::size_t from, std::uint64_t live, LaneQueue& out,
                                       const std::array<std::uint8_t, kGroup>* restart)
{
    States state;
    std::memcpy(state.data(), in.state.data() + from, sizeof state);
    std::array<U8x64, kGroup> position;
    for (std::size_t g = 0; g < kGroup; ++g) std::memcpy(&position[g], in.position[g].data() + from, kLanes);
    for (std::uint32_t draw = segment.first; draw < segment.end; ++draw) {
        U8x64 drawn;
        NextIndices(state, draw, drawn);
        for (std::size_t g = 0; g < kGroup; ++g) Follow(position[g], drawn);
    }

    std::array<std::array<std::uint8_t, kLanes>, kGroup> positions;
    std::memcpy(positions.data(), position.data(), sizeof positions);
    std::array<std::uint32_t, kLanes> states;
    std::memcpy(states.data(), state.data(), sizeof states);
    const std::uint32_t landedHere = 256 - (segment.end - segment.first);
    std::array<std::array<std::uint8_t, kLanes>, kGroup> needs;
    std::uint64_t alive = live;
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        bool dead = false;
        for (std::size_t g = 0; g < kGroup; ++g) {
            const std::uint8_t p = positions[g][lane];
            needs[g][lane] = in.needs[g][from + lane] | (p >= landedHere ? segment.needs[g][p & 63u] : 0);
            dead = dead || ((unsigned{needs[g][lane]} >> g) & 1u) != 0;
        }
        for (const auto& [g, h] : pass.pairs)
            dead = dead || (((unsigned{needs[g][lane]} >> h) & (unsigned{needs[h][lane]} >> g) & 1u) != 0);
        if (dead) alive &= ~(std::uint64_t{1} << lane);
    }
    for (; alive != 0; alive &= alive - 1) {
        const auto lane = static_cast<std::size_t>(__builtin_ctzll(alive));
        const std::size_t i = out.count++;
        for (std::size_t g = 0; g < kGroup; ++g) {
            out.position[g][i] = restart ? (*restart)[g] : positions[g][lane];
            out.needs[g][i] = restart ? 0 : needs[g][lane];
        }
        out.state[i] = restart ? in.dealStart[from + lane] : states[lane];
        out.dealStart[i] = in.dealStart[from + lane];
        out.deal[i] = in.deal[from + lane];
    }
}

TARVENNA_VECTOR_CLONES std::uint64_t LandAll(const FullPass& pass, const std::uint32_t* dealStart,
                                             Landings& landings)
{
    std::array<U8x64, kDraws> drawn;
    States state;
    std::memcpy(state.data(), dealStart, sizeof state);
    for (std::uint32_t draw = 0; draw < kDraws; ++draw) NextIndices(state, draw, drawn[draw]);

    for (std::size_t first = 0; first < pass.count; first += kGroup) {
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
    std::uint64_t dead = 0;
    for (std::size_t t = 0; t < pass.count; ++t)
        for (std::size_t lane = 0; lane < kLanes; ++lane)
            if (pass.rejects[t][landings[t][lane]] != 0) dead |= std::uint64_t{1} << lane;
    return dead;
}

using U64x8 = std::uint64_t __attribute__((vector_size(64)));

} // namespace

#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
__attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#endif
std::uint64_t OpenedRules(const std::vector<ClauseBlock>& blocks, std::uint64_t reached)
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

const Kernels& PortableKernels()
{
    static const Kernels kernels{&RunSegment, &LandAll};
    return kernels;
}

} // namespace tarvenna::lanes
