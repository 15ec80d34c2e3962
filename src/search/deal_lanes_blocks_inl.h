// The lane kernels of every width but AVX-512, written once over vector
// operations with Highway's names: Highway supplies them for AVX2, SSE4 and
// WebAssembly SIMD128 (search/deal_lanes_highway.cpp), and a few lines of
// SSE2 supply them for the baseline processor (search/deal_lanes_sse2.cpp),
// for which the Highway we build with has only plain C++ that clang leaves
// scalar.
//
// The includer opens the namespace for its target, names the operations
// `hn`, and includes this once per target. The 64 lanes of a batch are
// dealt one block at a time, a block being the lanes of one vector of bytes:
// a block's trackers and generator states fit the registers, where all 64
// lanes' would not with 128-bit vectors.

#if defined(TARVENNA_SEARCH_DEAL_LANES_BLOCKS_INL_H) == defined(HWY_TARGET_TOGGLE)
#ifdef TARVENNA_SEARCH_DEAL_LANES_BLOCKS_INL_H
#undef TARVENNA_SEARCH_DEAL_LANES_BLOCKS_INL_H
#else
#define TARVENNA_SEARCH_DEAL_LANES_BLOCKS_INL_H
#endif

#define TARVENNA_LANES_INLINE inline __attribute__((always_inline))

namespace {

using D8 = hn::ScalableTag<std::uint8_t>;
using D16 = hn::ScalableTag<std::uint16_t>;
using D32 = hn::ScalableTag<std::uint32_t>;
using V8 = hn::Vec<D8>;
using V16 = hn::Vec<D16>;
using V32 = hn::Vec<D32>;

constexpr std::size_t kBlock = hn::MaxLanes(D8());      // lanes of one block
constexpr std::size_t kWordLanes = hn::MaxLanes(D32()); // generator states in one vector
constexpr std::size_t kWords = kBlock / kWordLanes;     // vectors of states in a block: always 4
static_assert(kLanes % kBlock == 0 && kWords == 4);

// The generator states of one block, in lane order.
struct BlockStates {
    V32 q[kWords];
};

TARVENNA_LANES_INLINE BlockStates LoadStates(const std::uint32_t* states)
{
    const D32 d32;
    BlockStates s;
    for (std::size_t i = 0; i < kWords; ++i) s.q[i] = hn::LoadU(d32, states + kWordLanes * i);
    return s;
}

TARVENNA_LANES_INLINE void StoreStates(const BlockStates& s, std::uint32_t* states)
{
    const D32 d32;
    for (std::size_t i = 0; i < kWords; ++i) hn::StoreU(s.q[i], d32, states + kWordLanes * i);
}

// rand() % n in 16-bit lanes, n >= 2.
TARVENNA_LANES_INLINE V16 Remainders(V16 x, std::uint32_t n)
{
    const D16 d16;
    const V16 quotient =
        hn::ShiftRightSame(hn::MulHigh(x, hn::Set(d16, kDealDivisors16.multiplier[n])), kDealDivisors16.shift[n]);
    return hn::Sub(x, hn::Mul(quotient, hn::Set(d16, static_cast<std::uint16_t>(n))));
}

// The pool index every lane of the block draws: rand() % (180 - draw).
TARVENNA_LANES_INLINE V8 NextIndices(BlockStates& s, std::uint32_t draw)
{
    const D8 d8;
    const D32 d32;
    const V32 multiplier = hn::Set(d32, Rng::kMultiplier);
    const V32 increment = hn::Set(d32, Rng::kIncrement);
    for (V32& q : s.q) q = hn::Add(hn::Mul(q, multiplier), increment);
    const std::uint32_t n = kDraws - draw;
    if (n == 1) return hn::Zero(d8);
#if defined(HWY_TARGET) && HWY_TARGET == HWY_WASM
    // WebAssembly multiplies 32-bit lanes but has no high half of a 16-bit
    // product, and narrows in lane order: the remainders in 32-bit lanes.
    const hn::RebindToSigned<D32> di32;
    const hn::RebindToSigned<D16> di16;
    hn::Vec<decltype(di32)> r[kWords];
    for (std::size_t i = 0; i < kWords; ++i) {
        const V32 x = hn::And(hn::ShiftRight<16>(s.q[i]), hn::Set(d32, 0x7FFF));
        const V32 quotient = hn::ShiftRightSame(hn::Mul(x, hn::Set(d32, kDealDivisors.multiplier[n])),
                                                static_cast<int>(kDealDivisors.shift[n]));
        r[i] = hn::BitCast(di32, hn::Sub(x, hn::Mul(quotient, hn::Set(d32, n))));
    }
    const hn::Rebind<std::uint8_t, decltype(di16)> dHalf8;
    return hn::Combine(d8, hn::DemoteTo(dHalf8, hn::ReorderDemote2To(di16, r[2], r[3])),
                       hn::DemoteTo(dHalf8, hn::ReorderDemote2To(di16, r[0], r[1])));
#else
    // rand() is bits 16..30 of the state: the odd 16-bit halves, in lane order.
    const D16 d16;
    const V16 low15 = hn::Set(d16, 0x7FFF);
    const V16 x01 = hn::And(hn::ConcatOdd(d16, hn::BitCast(d16, s.q[1]), hn::BitCast(d16, s.q[0])), low15);
    const V16 x23 = hn::And(hn::ConcatOdd(d16, hn::BitCast(d16, s.q[3]), hn::BitCast(d16, s.q[2])), low15);
    return hn::ConcatEven(d8, hn::BitCast(d8, Remainders(x23, n)), hn::BitCast(d8, Remainders(x01, n)));
#endif
}

// Generator states whose low 16 bits are the same in every lane: a draw is
// one 16-bit multiply and add a lane (Rng::Jump::StepLowHalf).
struct SharedBlock {
    V16 high[2]; // the block's first half of lanes, then the second
    std::uint32_t low;
};
constexpr std::size_t kHalfBlock = kBlock / 2;

TARVENNA_LANES_INLINE SharedBlock LoadShared(const std::uint32_t* states)
{
    const D16 d16;
    alignas(64) std::array<std::uint16_t, kBlock> high;
    for (std::size_t lane = 0; lane < kBlock; ++lane) high[lane] = static_cast<std::uint16_t>(states[lane] >> 16);
    return {{hn::Load(d16, high.data()), hn::Load(d16, high.data() + kHalfBlock)}, states[0] & 0xFFFFu};
}

TARVENNA_LANES_INLINE void Load(const std::uint32_t* states, SharedBlock& s) { s = LoadShared(states); }
TARVENNA_LANES_INLINE void Load(const std::uint32_t* states, BlockStates& s) { s = LoadStates(states); }

TARVENNA_LANES_INLINE void StoreStates(const SharedBlock& s, std::uint32_t* states)
{
    const D16 d16;
    alignas(64) std::array<std::uint16_t, kBlock> high;
    hn::Store(s.high[0], d16, high.data());
    hn::Store(s.high[1], d16, high.data() + kHalfBlock);
    for (std::size_t lane = 0; lane < kBlock; ++lane) states[lane] = std::uint32_t{high[lane]} << 16 | s.low;
}

TARVENNA_LANES_INLINE V8 NextIndices(SharedBlock& s, std::uint32_t draw)
{
    const D8 d8;
    const D16 d16;
    constexpr Rng::Jump kDraw = Rng::JumpOf(1);
    const V16 carry = hn::Set(d16, kDraw.StepLowHalf(s.low));
    const V16 multiplier = hn::Set(d16, kDraw.HighMultiplier());
    for (V16& h : s.high) h = hn::Add(hn::Mul(h, multiplier), carry);
    const std::uint32_t n = kDraws - draw;
    if (n == 1) return hn::Zero(d8);
    const V16 low15 = hn::Set(d16, 0x7FFF);
    return hn::ConcatEven(d8, hn::BitCast(d8, Remainders(hn::And(s.high[1], low15), n)),
                          hn::BitCast(d8, Remainders(hn::And(s.high[0], low15), n)));
}

// The counting tracker: t -= min(t - 2r saturated at 0, 2).
TARVENNA_LANES_INLINE void Count(V8& tracker, V8 doubledDraw)
{
    const D8 d8;
    tracker = hn::Sub(tracker, hn::Min(hn::SaturatedSub(tracker, doubledDraw), hn::Set(d8, 2)));
}

// The full pass's index: a draw below it moves it down one, a draw of it
// parks it at 255 (and every later draw is below a parked item).
TARVENNA_LANES_INLINE void Follow(V8& position, V8 drawn)
{
    const D8 d8;
    const V8 landed = hn::VecFromMask(d8, hn::Eq(drawn, position));
    position = hn::Or(hn::Sub(position, hn::Min(hn::SaturatedSub(position, drawn), hn::Set(d8, 1))), landed);
}

TARVENNA_LANES_INLINE V8 Bit(std::size_t g) { return hn::Set(D8(), static_cast<std::uint8_t>(1u << g)); }

// Bit i: lane i of the block is true.
TARVENNA_LANES_INLINE std::uint64_t BlockBits(hn::Mask<D8> mask)
{
    const D8 d8;
    std::array<std::uint8_t, 8> bytes{};
    hn::StoreMaskBits(d8, mask, bytes.data());
    std::uint64_t bits = 0;
    std::memcpy(&bits, bytes.data(), sizeof bits);
    return bits;
}

// Survivors are appended lane by lane where the target has no byte shuffles,
// and in WebAssembly, where V8's table lookups took longer than the copies
// (seed 163 under Node: 31 s with them, 22 s without).
#if defined(TARVENNA_LANES_WITHOUT_BYTE_SHUFFLES) || (defined(HWY_TARGET) && HWY_TARGET == HWY_WASM)
// The lanes of `alive`, in order.
struct LaneList {
    std::array<std::uint8_t, kLanes> lane;
    std::size_t count = 0;
    explicit LaneList(std::uint64_t alive)
    {
        // A local count: a byte stored to `lane` could otherwise be the count.
        std::size_t n = 0;
        for (; alive != 0; alive &= alive - 1) lane[n++] = static_cast<std::uint8_t>(std::countr_zero(alive));
        count = n;
    }
};

template <typename T>
TARVENNA_LANES_INLINE void AppendSurvivors(const T* lanes, std::uint64_t, const LaneList& list, T* out)
{
    for (std::size_t i = 0; i < list.count; ++i) out[i] = lanes[list.lane[i]];
}
#else
// The vector appends need only how many lanes live.
struct LaneList {
    std::size_t count;
    explicit LaneList(std::uint64_t alive) : count(static_cast<std::size_t>(std::popcount(alive))) {}
};

// Elsewhere a vector at a time: KeptLanes<Index, n>()[bits] lists the lanes
// of `bits` (of n) first. The stores may reach past the appended lanes: the
// queues have room. (Highway's own CompressStore took longer for the words
// than lane copies.)
template <typename Index, std::size_t kCount>
constexpr std::array<std::array<Index, kCount>, std::size_t{1} << kCount> KeptLanes()
{
    std::array<std::array<Index, kCount>, std::size_t{1} << kCount> kept{};
    for (std::size_t bits = 0; bits < kept.size(); ++bits)
        for (std::size_t lane = 0, at = 0; lane < kCount; ++lane)
            if ((bits >> lane) & 1u) kept[bits][at++] = static_cast<Index>(lane);
    return kept;
}
alignas(64) constexpr auto kKeptWords = KeptLanes<std::int32_t, kWordLanes>();
alignas(8) constexpr auto kKeptBytes = KeptLanes<std::uint8_t, 8>();

// Words a vector at a time.
TARVENNA_LANES_INLINE void AppendSurvivors(const std::uint32_t* lanes, std::uint64_t alive, const LaneList&,
                                           std::uint32_t* out)
{
    const D32 d32;
    for (std::size_t lane = 0; lane < kLanes; lane += kWordLanes) {
        const auto bits = static_cast<std::size_t>((alive >> lane) & ((std::uint64_t{1} << kWordLanes) - 1));
        const V32 kept =
            hn::TableLookupLanes(hn::LoadU(d32, lanes + lane), hn::SetTableIndices(d32, kKeptWords[bits].data()));
        hn::StoreU(kept, d32, out);
        out += std::popcount(bits);
    }
}

// Bytes eight lanes at a time.
TARVENNA_LANES_INLINE void AppendSurvivors(const std::uint8_t* lanes, std::uint64_t alive, const LaneList&,
                                           std::uint8_t* out)
{
    const hn::CappedTag<std::uint8_t, 8> d8;
    for (std::size_t lane = 0; lane < kLanes; lane += 8) {
        const auto bits = static_cast<std::uint8_t>(alive >> lane);
        hn::StoreU(hn::TableLookupBytes(hn::LoadU(d8, lanes + lane), hn::LoadU(d8, kKeptBytes[bits].data())), d8, out);
        out += std::popcount(bits);
    }
}
#endif

template <bool Shared, std::size_t Width, std::size_t FromBelow>
void RunSegment(const StagedPass&, const Segment& segment, const LaneQueue& in, std::size_t from, std::uint64_t live,
                LaneQueue& out, const std::array<std::uint8_t, kGroup>* restart)
{
    const D8 d8;
    alignas(64) std::array<std::array<std::uint8_t, kLanes>, Width> trackers;
    alignas(64) std::array<std::array<std::uint8_t, kLanes>, Width> needed;
    alignas(64) std::array<std::uint32_t, kLanes> states;
    std::uint64_t dead = 0;
    const std::uint32_t length = segment.end - segment.first;
    const V8 one = hn::Set(d8, 1);
    for (std::size_t block = 0; block < kLanes; block += kBlock) {
        if (((live >> block) & ((std::uint64_t{2} << (kBlock - 1)) - 1)) == 0) continue;
        std::conditional_t<Shared, SharedBlock, BlockStates> state;
        Load(in.state.data() + from + block, state);
        V8 tracker[Width];
        // What landing in the current run means, kept from the run where an
        // item leaves the pool.
        V8 meaning[Width];
        for (std::size_t g = 0; g < Width; ++g) {
            tracker[g] = hn::LoadU(d8, in.tracker[g].data() + from + block);
            meaning[g] = hn::Set(d8, segment.needs[0][g]);
        }
        // The draws run a few ahead of the counting, as in the AVX-512 kernel.
        constexpr std::uint32_t kAhead = 4;
        alignas(64) std::array<std::uint8_t, kLanes * kBlock> ahead;
        for (std::uint32_t i = 0; i < std::min(kAhead, length); ++i)
            hn::Store(NextIndices(state, segment.first + i), d8, ahead.data() + i * kBlock);
        for (std::uint32_t i = 0, run = 0; i < length; ++i) {
            const std::uint32_t draw = segment.first + i;
            if (i + kAhead < length)
                hn::Store(NextIndices(state, draw + kAhead), d8, ahead.data() + (i + kAhead) * kBlock);
            const V8 drawn = hn::Load(d8, ahead.data() + i * kBlock);
            const V8 below = hn::SaturatedAdd(drawn, drawn);
            V8 above = below;
            if constexpr (FromBelow < Width) {
                const V8 mirrored = hn::Sub(hn::Set(d8, static_cast<std::uint8_t>(kDraws - 1 - draw)), drawn);
                above = hn::SaturatedAdd(mirrored, mirrored);
            }
            for (std::size_t g = 0; g < Width; ++g) Count(tracker[g], g < FromBelow ? below : above);
            if (((segment.runEnds >> i) & 1u) == 0 || i + 1 == length) continue;
            ++run;
            for (std::size_t g = 0; g < Width; ++g)
                meaning[g] =
                    hn::IfThenElse(hn::TestBit(tracker[g], one), hn::Set(d8, segment.needs[run][g]), meaning[g]);
        }
        V8 deadLanes = hn::Zero(d8);
        V8 needs[Width];
        for (std::size_t g = 0; g < Width; ++g) {
            // An item whose tracker lost its low bit in the segment landed in it.
            const V8 before = hn::LoadU(d8, in.tracker[g].data() + from + block);
            const auto landed = hn::AndNot(hn::TestBit(tracker[g], one), hn::TestBit(before, one));
            needs[g] = hn::LoadU(d8, in.needs[g].data() + from + block);
            needs[g] = hn::IfThenElse(landed, hn::Or(needs[g], meaning[g]), needs[g]);
            deadLanes = hn::Or(deadLanes, hn::VecFromMask(d8, hn::TestBit(needs[g], Bit(g))));
            hn::Store(tracker[g], d8, trackers[g].data() + block);
            hn::Store(needs[g], d8, needed[g].data() + block);
        }
        for (const auto& [g, h] : segment.pairs) {
            deadLanes = hn::Or(
                deadLanes, hn::VecFromMask(d8, hn::And(hn::TestBit(needs[g], Bit(h)), hn::TestBit(needs[h], Bit(g)))));
        }
        dead |= BlockBits(hn::MaskFromVec(deadLanes)) << block;
        StoreStates(state, states.data() + block);
    }
    const std::uint64_t alive = live & ~dead;

    const std::size_t at = out.count;
    const LaneList list(alive);
    // A restart sets every tracker the next pass may have; otherwise the
    // next segment is of this pass.
    if (restart) {
        for (std::size_t g = 0; g < kGroup; ++g) {
            std::memset(out.tracker[g].data() + at, (*restart)[g], list.count);
            std::memset(out.needs[g].data() + at, 0, list.count);
        }
    } else {
        for (std::size_t g = 0; g < Width; ++g) {
            AppendSurvivors(trackers[g].data(), alive, list, out.tracker[g].data() + at);
            AppendSurvivors(needed[g].data(), alive, list, out.needs[g].data() + at);
        }
    }
    AppendSurvivors(restart ? in.dealStart.data() + from : states.data(), alive, list, out.state.data() + at);
    AppendSurvivors(in.dealStart.data() + from, alive, list, out.dealStart.data() + at);
    AppendSurvivors(in.deal.data() + from, alive, list, out.deal.data() + at);
    out.count = at + list.count;
}

using SegmentRun = void (*)(const StagedPass&, const Segment&, const LaneQueue&, std::size_t, std::uint64_t, LaneQueue&,
                            const std::array<std::uint8_t, kGroup>*);

template <bool Shared, std::size_t Width, std::size_t... FromBelow>
constexpr std::array<SegmentRun, Width + 1> SegmentRuns(std::index_sequence<FromBelow...>)
{
    return {&RunSegment<Shared, Width, FromBelow>...};
}

template <bool Shared>
void RunAnySegment(const StagedPass& pass, const Segment& segment, const LaneQueue& in, std::size_t from,
                   std::uint64_t live, LaneQueue& out, const std::array<std::uint8_t, kGroup>* restart)
{
    static constexpr auto kNarrow = SegmentRuns<Shared, kNarrowGroup>(std::make_index_sequence<kNarrowGroup + 1>{});
    static constexpr auto kWide = SegmentRuns<Shared, kGroup>(std::make_index_sequence<kGroup + 1>{});
    const SegmentRun run = pass.width == kNarrowGroup ? kNarrow[pass.fromBelow] : kWide[pass.fromBelow];
    run(pass, segment, in, from, live, out, restart);
}

// Every draw of one block's deals.
using BlockDraws = std::array<std::array<std::uint8_t, kBlock>, kDraws>;

TARVENNA_LANES_INLINE void DrawAll(const std::uint32_t* dealStart, BlockDraws& drawn)
{
    const D8 d8;
    BlockStates state = LoadStates(dealStart);
    for (std::uint32_t draw = 0; draw < kDraws; ++draw) hn::Store(NextIndices(state, draw), d8, drawn[draw].data());
}

// Slots of the followed items [first, end) at the end of one block's deals.
TARVENNA_LANES_INLINE void FollowGroups(const FullPass& pass, const BlockDraws& drawn, std::size_t first,
                                        std::size_t end, std::size_t block, Landings& landings)
{
    const D8 d8;
    for (; first < end; first += kGroup) {
        V8 position[kGroup];
        for (std::size_t g = 0; g < kGroup; ++g) position[g] = hn::Set(d8, pass.item[first + g]);
        for (std::uint32_t draw = 0; draw < kDraws; ++draw) {
            const V8 slot = hn::Load(d8, drawn[draw].data());
            for (std::size_t g = 0; g < kGroup; ++g) Follow(position[g], slot);
        }
        // Parked at 255 after slot s, an item reads 255 - (179 - s) = s + 76 at the end.
        for (std::size_t g = 0; g < kGroup; ++g)
            hn::StoreU(hn::Sub(position[g], hn::Set(d8, 76)), d8, landings[first + g].data() + block);
    }
}

#if defined(TARVENNA_LANES_WITHOUT_BYTE_SHUFFLES)

// Lanes where one of the first `count` items lands where it rejects, or a
// pair among the first `waiters` waiters (pairs of `pairs`) waits for each
// other: lane by lane, without byte shuffles to look the slots up with.
std::uint64_t Rejected(const FullPass& pass, const Landings& landings, std::size_t count, std::size_t waiters,
                       const std::vector<std::array<std::uint8_t, 2>>& pairs)
{
    std::uint64_t dead = 0;
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        unsigned rejected = 0;
        for (std::size_t t = 0; t < count; ++t) rejected |= pass.rejects[t][landings[t][lane]];
        for (const auto& [w, v] : pairs) {
            if (w >= waiters || v >= waiters) continue;
            const std::uint8_t slotOfW = landings[pass.waiters[w]][lane];
            const std::uint8_t slotOfV = landings[pass.waiters[v]][lane];
            rejected |= (unsigned{pass.waitTables[v / kGroup][slotOfW]} >> (v % kGroup)) &
                        (unsigned{pass.waitTables[w / kGroup][slotOfV]} >> (w % kGroup)) & 1u;
        }
        dead |= std::uint64_t{rejected != 0} << lane;
    }
    return dead;
}

#else

// Where a block's lanes find their slots' bits in FullPass::SlotBits: the
// byte s / 8 from the first sixteen or from the rest (an index with bit 7
// set reads a zero), and the bit in it.
struct SlotBitIndex {
    V8 low;
    V8 high;
    V8 bit;
};

TARVENNA_LANES_INLINE SlotBitIndex IndexOfSlots(V8 slot)
{
    const D8 d8;
    alignas(16) static constexpr std::array<std::uint8_t, 16> kBits{1, 2, 4, 8, 16, 32, 64, 128};
    const V8 byte = hn::ShiftRight<3>(slot);
    return {hn::Or(byte, hn::ShiftLeft<3>(hn::And(byte, hn::Set(d8, 16)))), hn::Sub(byte, hn::Set(d8, 16)),
            hn::TableLookupBytes(hn::LoadDup128(d8, kBits.data()), hn::And(slot, hn::Set(d8, 7)))};
}

TARVENNA_LANES_INLINE V8 HasBit(const FullPass::SlotBits& bits, const SlotBitIndex& at)
{
    const D8 d8;
    const V8 byte = hn::Or(hn::TableLookupBytesOr0(hn::LoadDup128(d8, bits.data()), at.low),
                           hn::TableLookupBytesOr0(hn::LoadDup128(d8, bits.data() + 16), at.high));
    return hn::VecFromMask(d8, hn::TestBit(byte, at.bit));
}

// Lanes where one of the first `count` items lands where it rejects, or a
// pair among the first `waiters` waiters (pairs of `pairs`) waits for each other.
std::uint64_t Rejected(const FullPass& pass, const Landings& landings, std::size_t count, std::size_t waiters,
                       const std::vector<std::array<std::uint8_t, 2>>& pairs)
{
    const D8 d8;
    std::uint64_t dead = 0;
    std::array<SlotBitIndex, kMaxWaiters> waiter;
    for (std::size_t block = 0; block < kLanes; block += kBlock) {
        V8 deadLanes = hn::Zero(d8);
        for (std::size_t t = 0; t < count; ++t)
            deadLanes =
                hn::Or(deadLanes, HasBit(pass.rejectBits[t], IndexOfSlots(hn::LoadU(d8, landings[t].data() + block))));
        for (std::size_t w = 0; w < waiters; ++w)
            waiter[w] = IndexOfSlots(hn::LoadU(d8, landings[pass.waiters[w]].data() + block));
        for (const auto& [w, v] : pairs) {
            if (w >= waiters || v >= waiters) continue;
            deadLanes =
                hn::Or(deadLanes, hn::And(HasBit(pass.waitBits[v], waiter[w]), HasBit(pass.waitBits[w], waiter[v])));
        }
        dead |= BlockBits(hn::MaskFromVec(deadLanes)) << block;
    }
    return dead;
}

#endif

void LandLead(const FullPass& pass, const LaneQueue& in, std::size_t from, std::uint64_t live, LaneQueue& out)
{
    alignas(64) BlockDraws drawn;
    Landings landings;
    for (std::size_t block = 0; block < kLanes; block += kBlock) {
        DrawAll(in.dealStart.data() + from + block, drawn);
        FollowGroups(pass, drawn, 0, pass.lead, block, landings);
    }
    std::uint64_t alive = live & ~Rejected(pass, landings, pass.lead, pass.leadWaiters, pass.leadPairs);
    for (; alive != 0; alive &= alive - 1) {
        const auto lane = static_cast<std::size_t>(std::countr_zero(alive));
        const std::size_t i = out.count++;
        for (std::size_t g = 0; g < kGroup; ++g) {
            out.tracker[g][i] = landings[g][lane];
            out.needs[g][i] = landings[kGroup + g][lane];
        }
        out.state[i] = out.dealStart[i] = in.dealStart[from + lane];
        out.deal[i] = in.deal[from + lane];
    }
}

std::uint64_t LandAll(const FullPass& pass, const LaneQueue& in, std::size_t from, Landings& landings, WaitBytes&)
{
    const D8 d8;
    alignas(64) BlockDraws drawn;
    for (std::size_t block = 0; block < kLanes; block += kBlock) {
        DrawAll(in.dealStart.data() + from + block, drawn);
        for (std::size_t g = 0; g < pass.lead && g < kGroup; ++g) {
            hn::StoreU(hn::LoadU(d8, in.tracker[g].data() + from + block), d8, landings[g].data() + block);
            hn::StoreU(hn::LoadU(d8, in.needs[g].data() + from + block), d8, landings[kGroup + g].data() + block);
        }
        FollowGroups(pass, drawn, pass.lead, pass.count, block, landings);
        // A pinned slot's own item goes back to it, and whatever landed
        // there goes where the own item had landed.
        for (const auto& [pinned, own] : pass.pins) {
            const V8 slot = hn::Set(d8, pinned);
            const V8 ownLanding = hn::LoadU(d8, landings[own].data() + block);
            for (std::size_t t = 0; t < pass.count; ++t) {
                const V8 landing = hn::LoadU(d8, landings[t].data() + block);
                hn::StoreU(hn::IfThenElse(hn::Eq(landing, slot), ownLanding, landing), d8, landings[t].data() + block);
            }
            hn::StoreU(slot, d8, landings[own].data() + block);
        }
    }
    return Rejected(pass, landings, pass.count, pass.waiters.size(), pass.waitPairs);
}

} // namespace

const Kernels& TargetKernels()
{
    static const Kernels kernels{&RunAnySegment<false>, &RunAnySegment<true>, &LandLead, &LandAll, nullptr, &OpenAll};
    return kernels;
}

#undef TARVENNA_LANES_INLINE

#endif
