#include "items/fast_item_search.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "items/deal_divisors.h"

namespace tarvenna {
namespace {

constexpr std::uint32_t kDrawsPerDeal = kSlotCount;
constexpr std::size_t kLanes = FastItemSearch::kLanes;
constexpr int kBatchesPerChunk = 64;  // a thread claims 4096 deals at a time
constexpr int kFirstPassItems = 8;    // more costs more than it saves
constexpr int kMaxTracked = 128;
constexpr std::size_t kTrackGroup = 8;  // items followed together; a multiple of it is tracked
static_assert(kFirstPassItems % kTrackGroup == 0 && kMaxTracked % kTrackGroup == 0);
constexpr std::uint64_t kNone = ~std::uint64_t{0};

std::size_t Index(int value) { return static_cast<std::size_t>(value); }


// The items one pass follows, and where their landing rejects a deal.
struct Tracking {
    int count = 0;
    std::array<std::uint8_t, kMaxTracked> item{};
    std::array<std::array<std::uint8_t, kMaxTracked>, kSlotCount> rejects{}; // [draw][tracked]: 0xFF rejects
};

using LaneStates = std::array<std::uint32_t, kLanes>;
using Landings = std::array<std::array<std::uint8_t, kLanes>, kMaxTracked>; // [tracked][lane]: slot

#if defined(__GNUC__)

using U32x16 = std::uint32_t __attribute__((vector_size(64)));
using U8x16 = std::uint8_t __attribute__((vector_size(16)));
using U8x64 = std::uint8_t __attribute__((vector_size(64)));
constexpr std::size_t kQuarters = kLanes / 16;

// The pool index drawn for every lane at every draw: rand() % (180 - draw).
__attribute__((always_inline)) inline void DrawIndices(const LaneStates& start,
                                                       std::array<U8x64, kDrawsPerDeal>& drawn)
{
    std::array<U32x16, kQuarters> state{};
    std::memcpy(state.data(), start.data(), sizeof state);
    for (std::uint32_t draw = 0; draw < kDrawsPerDeal; ++draw) {
        const std::uint32_t n = kDrawsPerDeal - draw;
        const std::uint32_t multiplier = kDealDivisors.multiplier[n];
        const std::uint32_t shift = kDealDivisors.shift[n];
        std::array<U8x16, kQuarters> parts{};
        for (std::size_t q = 0; q < kQuarters; ++q) {
            state[q] = state[q] * Rng::kMultiplier + Rng::kIncrement;
            const U32x16 x = (state[q] >> 16) & 0x7FFFu;
            parts[q] = __builtin_convertvector(x - ((x * multiplier) >> shift) * n, U8x16);
        }
        std::memcpy(&drawn[draw], parts.data(), sizeof(U8x64));
    }
}

// Follows kGroup items (from `first` on) through every draw. Each is known
// by its index in the shrinking pool: a draw below it moves it down one; a
// draw equal to it puts it in this draw's slot and parks it at 255, out of
// reach of every later draw. A fixed group size keeps the indices in
// registers.
template <std::size_t kGroup, bool kRecord>
__attribute__((always_inline)) inline void FollowGroup(const std::array<U8x64, kDrawsPerDeal>& drawn,
                                                       const Tracking& tracking, std::size_t first, U8x64& dead,
                                                       Landings* landings)
{
    std::array<U8x64, kGroup> position;
    std::array<U8x64, kRecord ? kGroup : 1> landedAt{};
    for (std::size_t g = 0; g < kGroup; ++g) position[g] = U8x64{} + tracking.item[first + g];
    for (std::uint32_t draw = 0; draw < kDrawsPerDeal; ++draw) {
        const U8x64 k = drawn[draw];
        const std::uint8_t* rejects = tracking.rejects[draw].data() + first;
        const auto slot = static_cast<std::uint8_t>(draw);
        for (std::size_t g = 0; g < kGroup; ++g) {
            const auto landed = reinterpret_cast<U8x64>(k == position[g]);
            const auto below = reinterpret_cast<U8x64>(k < position[g]);
            position[g] = (position[g] + below) | landed;
            dead |= landed & rejects[g];
            if constexpr (kRecord) landedAt[g] |= landed & slot;
        }
    }
    if constexpr (kRecord) {
        for (std::size_t g = 0; g < kGroup; ++g) std::memcpy((*landings)[first + g].data(), &landedAt[g], kLanes);
    }
}

// Groups past the last followed item follow item 0 with nothing to reject:
// harmless, and the tables are padded for it.
template <bool kRecord>
__attribute__((always_inline)) inline std::uint64_t TrackLanes(const Tracking& tracking, const LaneStates& start,
                                                               Landings* landings)
{
    std::array<U8x64, kDrawsPerDeal> drawn;
    DrawIndices(start, drawn);
    U8x64 dead{};
    for (std::size_t first = 0; first < static_cast<std::size_t>(tracking.count); first += kTrackGroup)
        FollowGroup<kTrackGroup, kRecord>(drawn, tracking, first, dead, landings);
    std::uint64_t mask = 0;
    for (std::size_t lane = 0; lane < kLanes; ++lane)
        if (dead[lane] != 0) mask |= std::uint64_t{1} << lane;
    return mask;
}

#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define TARVENNA_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define TARVENNA_VECTOR_CLONES
#endif

TARVENNA_VECTOR_CLONES std::uint64_t DeadLanes(const Tracking& tracking, const LaneStates& start)
{
    return TrackLanes<false>(tracking, start, nullptr);
}

TARVENNA_VECTOR_CLONES std::uint64_t DeadLanesWithLandings(const Tracking& tracking, const LaneStates& start,
                                                           Landings& landings)
{
    return TrackLanes<true>(tracking, start, &landings);
}

#else

// Portable version of the same passes, one lane at a time.
std::uint64_t DeadLanesWithLandings(const Tracking& tracking, const LaneStates& start, Landings& landings)
{
    std::uint64_t mask = 0;
    const auto count = static_cast<std::size_t>(tracking.count);
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        std::uint32_t state = start[lane];
        std::array<std::uint32_t, kMaxTracked> position{};
        for (std::size_t t = 0; t < count; ++t) position[t] = tracking.item[t];
        for (std::uint32_t draw = 0; draw < kDrawsPerDeal; ++draw) {
            state = state * Rng::kMultiplier + Rng::kIncrement;
            const std::uint32_t k = ((state >> 16) & 0x7FFFu) % (kDrawsPerDeal - draw);
            for (std::size_t t = 0; t < count; ++t) {
                if (k == position[t]) {
                    if (tracking.rejects[draw][t] != 0) mask |= std::uint64_t{1} << lane;
                    landings[t][lane] = static_cast<std::uint8_t>(draw);
                    position[t] = 255;
                } else if (k < position[t]) {
                    --position[t];
                }
            }
        }
    }
    return mask;
}

std::uint64_t DeadLanes(const Tracking& tracking, const LaneStates& start)
{
    static thread_local Landings ignored;
    return DeadLanesWithLandings(tracking, start, ignored);
}

#endif

using ItemBits = std::array<std::uint64_t, 3>; // items 0..191

void SetBit(ItemBits& bits, int item) { bits[Index(item / 64)] |= std::uint64_t{1} << (item % 64); }
bool TestBit(const ItemBits& bits, int item) { return (bits[Index(item / 64)] >> (item % 64)) & 1u; }
bool Covers(const ItemBits& have, const ItemBits& need)
{
    return (need[0] & ~have[0]) == 0 && (need[1] & ~have[1]) == 0 && (need[2] & ~have[2]) == 0;
}

} // namespace

struct FastItemSearch::Prepared {
    ItemRules rules;
    std::vector<int> pinnedSlots;
    Tracking firstPass;
    Tracking secondPass;
    bool secondPassComplete = false;      // it follows every item the checks below need
    std::array<int, kItemCount> secondPassIndex{}; // item -> index in secondPass, -1 if not followed
    std::vector<int> forbiddenItems;      // items with forbidden keys
    std::vector<int> requiredItems;       // items named by some requirement list
    std::vector<int> slotKeys;            // distinct keys of slots 0..179

    // Requirement lists as item bit sets; the alternatives of all keys in one array.
    struct KeyMasks {
        ItemBits required{};
        std::uint16_t firstAlternative = 0;
        std::uint16_t alternativeCount = 0;
    };
    std::array<KeyMasks, ItemRules::kMaxKey> keyMasks{};
    std::vector<ItemBits> alternatives;

    explicit Prepared(const ItemSlotTable& table) : rules(table) {}

    bool KeyOpen(int key, const ItemBits& reachable) const
    {
        if (key < 0 || key >= ItemRules::kMaxKey) return true;
        const KeyMasks& masks = keyMasks[Index(key)];
        if (!Covers(reachable, masks.required)) return false;
        if (masks.alternativeCount == 0) return true;
        for (std::size_t a = masks.firstAlternative; a < masks.firstAlternative + masks.alternativeCount; ++a)
            if (Covers(reachable, alternatives[a])) return true;
        return false;
    }

    // With the second pass's landings of one lane: do the pins, the forbidden
    // keys and the keys that can be opened at all let this deal through?
    bool MayPass(const Landings& landings, std::size_t lane) const
    {
        std::array<std::int16_t, kSlotCount + 2> slotOf{};
        std::array<std::int16_t, kSlotCount> itemIn{};
        slotOf.fill(kSlotCount); // an item no slot holds
        itemIn.fill(-1);         // an item nobody asks about
        for (std::size_t t = 0; t < static_cast<std::size_t>(secondPass.count); ++t) {
            const std::uint8_t slot = landings[t][lane];
            slotOf[secondPass.item[t]] = slot;
            itemIn[slot] = secondPass.item[t];
        }
        for (int pinned : pinnedSlots) {
            const auto v = Index(pinned);
            const std::int16_t from = slotOf[v];
            const std::int16_t displaced = itemIn[v];
            itemIn[Index(from)] = displaced;
            if (displaced >= 0) slotOf[Index(displaced)] = from;
            itemIn[v] = static_cast<std::int16_t>(pinned);
            slotOf[v] = static_cast<std::int16_t>(pinned);
        }
        for (int item : forbiddenItems)
            if (rules.IsForbidden(item, rules.KeyOfSlot(slotOf[Index(item)]))) return false;

        // The keys that can be opened at all, ignoring the check stack: the
        // required items grouped by the key they lie behind, opened in rounds.
        struct Group {
            int key;
            ItemBits items;
        };
        std::array<Group, kMaxTracked> groups;
        std::array<std::uint8_t, ItemRules::kMaxKey + 1> groupOf; // key + 1 -> group + 1; 0: none yet
        groupOf.fill(0);
        std::size_t groupCount = 0;
        for (int item : requiredItems) {
            const int key = rules.KeyOfSlot(slotOf[Index(item)]);
            std::uint8_t& g = groupOf[Index(std::clamp(key + 1, 0, ItemRules::kMaxKey))];
            if (g == 0) {
                groups[groupCount++] = Group{key, {}};
                g = static_cast<std::uint8_t>(groupCount);
            }
            SetBit(groups[g - 1u].items, item);
        }
        ItemBits reachable{};
        for (bool changed = true; changed;) {
            changed = false;
            for (std::size_t g = 0; g < groupCount;) {
                if (KeyOpen(groups[g].key, reachable)) {
                    for (std::size_t w = 0; w < reachable.size(); ++w) reachable[w] |= groups[g].items[w];
                    groups[g] = groups[--groupCount];
                    changed = true;
                } else {
                    ++g;
                }
            }
        }
        if (groupCount != 0) return false; // a required item lies behind a key that never opens
        return std::all_of(slotKeys.begin(), slotKeys.end(), [&](int key) { return KeyOpen(key, reachable); });
    }
};

FastItemSearch::FastItemSearch(const ItemSlotTable& table, const std::vector<int>& pinnedSlots)
{
    auto prepared = std::make_unique<Prepared>(table);
    Prepared& p = *prepared;
    const ItemRules& rules = p.rules;
    p.pinnedSlots = pinnedSlots;
    std::array<bool, kSlotCount> pinned{};
    for (int slot : pinnedSlots) pinned[Index(slot)] = true;

    std::array<bool, kItemCount> required{};
    for (int key = 0; key < ItemRules::kMaxKey; ++key) {
        const ItemRules::KeyRule& rule = rules.Rule(key);
        Prepared::KeyMasks& masks = p.keyMasks[Index(key)];
        const int* items = rules.Items(rule.required);
        for (int i = 0; i < rule.required.count; ++i) {
            SetBit(masks.required, items[i]);
            required[Index(items[i])] = true;
        }
        masks.firstAlternative = static_cast<std::uint16_t>(p.alternatives.size());
        masks.alternativeCount = static_cast<std::uint16_t>(rule.alternativeCount);
        for (int a = 0; a < rule.alternativeCount; ++a) {
            const ItemRules::List& list = rules.Alternative(rule.firstAlternative + a);
            ItemBits bits{};
            for (int i = 0; i < list.count; ++i) {
                SetBit(bits, rules.Items(list)[i]);
                required[Index(rules.Items(list)[i])] = true;
            }
            p.alternatives.push_back(bits);
        }
    }
    for (int item = 0; item < kItemCount; ++item)
        if (required[Index(item)]) p.requiredItems.push_back(item);
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (std::find(p.slotKeys.begin(), p.slotKeys.end(), rules.KeyOfSlot(slot)) == p.slotKeys.end())
            p.slotKeys.push_back(rules.KeyOfSlot(slot));

    // Where an item that no pin moves certainly rejects its deal: a forbidden
    // key, or a key that needs the item itself in its required list or in
    // every alternative.
    auto needsItself = [&](int key, int item) {
        if (key < 0 || key >= ItemRules::kMaxKey) return false;
        const Prepared::KeyMasks& masks = p.keyMasks[Index(key)];
        if (TestBit(masks.required, item)) return true;
        if (masks.alternativeCount == 0) return false;
        for (std::size_t a = masks.firstAlternative; a < masks.firstAlternative + masks.alternativeCount; ++a)
            if (!TestBit(p.alternatives[a], item)) return false;
        return true;
    };
    struct Candidate {
        int item = 0;
        int rejectingSlots = 0;
        std::array<std::uint8_t, kSlotCount> rejects{};
        bool needed = false; // the second pass must follow it
    };
    std::vector<Candidate> candidates;
    for (int item = 0; item < kSlotCount; ++item) {
        Candidate candidate;
        candidate.item = item;
        const bool forbiddenSomewhere = table.forbiddenLocations.count(item) != 0;
        if (forbiddenSomewhere) p.forbiddenItems.push_back(item);
        candidate.needed = pinned[Index(item)] || required[Index(item)] || forbiddenSomewhere;
        if (!pinned[Index(item)]) {
            for (int slot = 0; slot < kSlotCount; ++slot) {
                if (pinned[Index(slot)]) continue;
                const int key = rules.KeyOfSlot(slot);
                if (rules.IsForbidden(item, key) || needsItself(key, item)) {
                    candidate.rejects[Index(slot)] = 0xFF;
                    ++candidate.rejectingSlots;
                }
            }
        }
        if (candidate.needed || candidate.rejectingSlots > 0) candidates.push_back(candidate);
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.rejectingSlots > b.rejectingSlots; });

    auto add = [](Tracking& tracking, const Candidate& candidate) {
        const auto t = static_cast<std::size_t>(tracking.count++);
        tracking.item[t] = static_cast<std::uint8_t>(candidate.item);
        for (std::size_t slot = 0; slot < kSlotCount; ++slot) tracking.rejects[slot][t] = candidate.rejects[slot];
    };
    for (const Candidate& candidate : candidates) {
        if (candidate.rejectingSlots > 0 && p.firstPass.count < kFirstPassItems) add(p.firstPass, candidate);
        if ((candidate.needed || candidate.rejectingSlots > 0) && p.secondPass.count < kMaxTracked)
            add(p.secondPass, candidate);
    }
    p.secondPassComplete = std::none_of(candidates.begin(), candidates.end(), [&](const Candidate& c) {
        return c.needed && std::find(p.secondPass.item.begin(), p.secondPass.item.begin() + p.secondPass.count,
                                     static_cast<std::uint8_t>(c.item)) == p.secondPass.item.begin() + p.secondPass.count;
    });
    prepared_ = std::move(prepared);
}

FastItemSearch::~FastItemSearch() = default;

namespace {

// One thread's view of a stretch of deals; keeps the survivors of the first
// pass until 64 of them fill a second pass.
class ChunkSearch {
public:
    ChunkSearch(const FastItemSearch::Prepared& prepared, FastItemSearch::Funnel* funnel)
        : p_(prepared), validator_(prepared.rules), funnel_(funnel)
    {
    }

    // The index of the first accepted deal among `count` deals from `first`
    // (whose start state is `state`), or kNone.
    std::uint64_t Search(std::uint64_t first, std::uint32_t state, std::uint64_t count, std::uint64_t stopBelow)
    {
        static const Rng::Jump kLaneJump = Rng::JumpOf(kDrawsPerDeal);
        queued_ = 0;
        for (std::uint64_t batchFirst = first; batchFirst < first + count; batchFirst += kLanes) {
            if (batchFirst >= stopBelow) break;
            LaneStates states{};
            for (std::size_t lane = 0; lane < kLanes; ++lane) {
                states[lane] = state;
                state = kLaneJump.Apply(state);
            }
            std::uint64_t alive = ~DeadLanes(p_.firstPass, states);
            if (funnel_) funnel_->afterFirstPass += static_cast<std::uint64_t>(std::popcount(alive));
            while (alive != 0) {
                const auto lane = static_cast<std::size_t>(std::countr_zero(alive));
                alive &= alive - 1;
                queueIndex_[queued_] = batchFirst + lane;
                queueState_[queued_] = states[lane];
                if (++queued_ == kLanes) {
                    if (const std::uint64_t found = Flush(); found != kNone) return found;
                }
            }
        }
        return Flush();
    }

private:
    std::uint64_t Flush()
    {
        if (queued_ == 0) return kNone;
        const std::size_t used = queued_;
        queued_ = 0;
        std::uint64_t alive = used == kLanes ? ~std::uint64_t{0} : (std::uint64_t{1} << used) - 1;
        if (p_.secondPassComplete) {
            for (std::size_t lane = used; lane < kLanes; ++lane) queueState_[lane] = queueState_[0];
            alive &= ~DeadLanesWithLandings(p_.secondPass, queueState_, landings_);
        }
        if (funnel_) funnel_->afterSecondPass += static_cast<std::uint64_t>(std::popcount(alive));
        while (alive != 0) {
            const auto lane = static_cast<std::size_t>(std::countr_zero(alive));
            alive &= alive - 1;
            if (p_.secondPassComplete && !p_.MayPass(landings_, lane)) continue;
            if (funnel_) ++funnel_->validated;
            Rng rng(queueState_[lane]);
            ShuffleItems(p_.pinnedSlots, rng, assignment_);
            if (validator_.ValidatePlacement(assignment_)) return queueIndex_[lane];
        }
        return kNone;
    }

    const FastItemSearch::Prepared& p_;
    PlacementValidator validator_;
    FastItemSearch::Funnel* funnel_;
    SlotAssignment assignment_{};
    std::size_t queued_ = 0;
    std::array<std::uint64_t, kLanes> queueIndex_{};
    LaneStates queueState_{};
    Landings landings_{};
};

} // namespace

FastItemSearch::Funnel FastItemSearch::MeasureFunnel(std::uint32_t startState, std::uint64_t deals) const
{
    Funnel funnel;
    funnel.deals = deals;
    ChunkSearch search(*prepared_, &funnel);
    // Keep going after an accepted deal: the funnel counts every deal.
    std::uint64_t first = 0;
    std::uint32_t state = startState;
    while (first < deals) {
        const std::uint64_t found = search.Search(first, state, deals - first, kNone);
        if (found == kNone) break;
        first = found + 1;
        state = Rng::JumpOf(std::uint64_t{kDrawsPerDeal} * first).Apply(startState);
    }
    return funnel;
}

ItemSearchResult FastItemSearch::Run(std::uint32_t startState, unsigned threads, const StopFlag* stop,
                                     const RejectedDealsListener& onRejected) const
{
    const std::uint64_t chunkDeals = std::uint64_t{kLanes} * kBatchesPerChunk;
    std::atomic<std::uint64_t> nextChunk{0};
    std::atomic<std::uint64_t> best{kNone};
    std::atomic<bool> stopped{false};
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<bool> chunkDone;
    const unsigned workers = std::max(1u, threads);
    unsigned running = workers;

    auto worker = [&] {
        ChunkSearch search(*prepared_, nullptr);
        for (;;) {
            const std::uint64_t chunk = nextChunk.fetch_add(1);
            const std::uint64_t first = chunk * chunkDeals;
            if (first >= best.load() || stopped.load() || StopRequested(stop)) break;
            const std::uint32_t state = Rng::JumpOf(first * kDrawsPerDeal).Apply(startState);
            const std::uint64_t found = search.Search(first, state, chunkDeals, best.load());
            std::lock_guard lock(mutex);
            if (found != kNone) {
                std::uint64_t current = best.load();
                while (found < current && !best.compare_exchange_weak(current, found)) {
                }
            } else {
                if (chunkDone.size() <= chunk) chunkDone.resize(chunk + 1, false);
                chunkDone[chunk] = true;
            }
            changed.notify_all();
        }
        std::lock_guard lock(mutex);
        --running;
        changed.notify_all();
    };
    std::vector<std::thread> pool;
    for (unsigned i = 0; i < workers; ++i) pool.emplace_back(worker);

    // Report the rejected deals as the run of finished chunks from the first grows.
    {
        std::uint64_t finishedChunks = 0;
        std::unique_lock lock(mutex);
        for (;;) {
            while (finishedChunks < chunkDone.size() && chunkDone[finishedChunks]) ++finishedChunks;
            const std::uint64_t rejected = std::min(finishedChunks * chunkDeals, best.load());
            if (onRejected && rejected > 0) {
                lock.unlock();
                onRejected(rejected);
                lock.lock();
            }
            if (running == 0) break;
            if (StopRequested(stop)) stopped.store(true);
            changed.wait_for(lock, std::chrono::milliseconds(20));
        }
    }
    for (std::thread& thread : pool) thread.join();

    ItemSearchResult result;
    const std::uint64_t accepted = best.load();
    // After a stop request, deals below the best find may be unchecked: no verdict.
    if (stopped.load() || StopRequested(stop) || accepted == kNone) {
        result.stopped = true;
        return result;
    }
    result.attempts = accepted + 1;
    Rng rng(Rng::JumpOf(accepted * kDrawsPerDeal).Apply(startState));
    SlotAssignment assignment{};
    ShuffleItems(prepared_->pinnedSlots, rng, assignment);
    result.assignment.assign(assignment.begin(), assignment.end());
    result.stateAfter = rng.State();
    if (onRejected && accepted > 0) onRejected(accepted);
    return result;
}

} // namespace tarvenna
