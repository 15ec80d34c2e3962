#include "search/fast_item_search.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>

#include "core/index.h"
#include "search/deal_lanes.h"
#include "search/kernel_choice.h"
#include "search/search_plan.h"

namespace tarvenna {
namespace {

using lanes::kGroup;
using lanes::kLanes;
constexpr std::uint32_t kDrawsPerDeal = kSlotCount;
constexpr std::uint64_t kLaneStride = FastItemSearch::kLaneStride;
constexpr std::uint64_t kStridedBlock = FastItemSearch::kStridedBlock;
constexpr std::uint64_t kStridedFrom = FastItemSearch::kStridedFrom;
static_assert(kStridedFrom % kStridedBlock == 0);
// A thread claims a chunk of deals at a time: small ones first, as most
// searches end early, then large ones, as each chunk ends with part-filled
// batches, and strided blocks once they begin.
constexpr std::uint64_t kSmallChunk = 4096;
constexpr std::uint64_t kSmallChunks = 8;
constexpr std::uint64_t kLargeChunk = 16384;
constexpr std::uint64_t kLargeChunks = (kStridedFrom - kSmallChunks * kSmallChunk) / kLargeChunk;
std::uint64_t ChunkStart(std::uint64_t chunk)
{
    if (chunk <= kSmallChunks) return chunk * kSmallChunk;
    if (chunk <= kSmallChunks + kLargeChunks) return kSmallChunks * kSmallChunk + (chunk - kSmallChunks) * kLargeChunk;
    return kStridedFrom + (chunk - kSmallChunks - kLargeChunks) * kStridedBlock;
}
constexpr std::uint64_t kNone = ~std::uint64_t{0};


lanes::StagedPass StagedPassOf(const ItemFacts& facts, const StagedPassPlan& plan)
{
    lanes::StagedPass pass;
    pass.width = plan.width;
    pass.item = plan.items;
    lanes::StartTrackers(pass);
    pass.pairs = plan.pairs;
    const lanes::Meanings meaning = MeaningsOf(facts, plan);
    std::uint32_t first = 0;
    for (std::uint32_t end : plan.segmentEnds) {
        pass.segments.push_back(lanes::MakeSegment(first, end, meaning, pass.pairs));
        first = end;
    }
    return pass;
}

lanes::FullPass FullPassOf(const ItemFacts& facts, const FullPassPlan& plan)
{
    lanes::FullPass full;
    for (std::uint8_t item : plan.items) {
        const std::size_t t = full.count++;
        full.item[t] = item;
        for (std::size_t slot = 0; slot < kSlotCount; ++slot)
            full.rejects[t][slot] = facts.rejects[item][slot] ? 0xFF : 0;
    }
    while (full.count % kGroup != 0) full.count++; // follows item 0, rejects nothing
    full.waiters = plan.waiters;
    for (std::size_t w = 0; w < plan.waiters.size(); ++w) {
        if (w % kGroup == 0) full.waitTables.emplace_back();
        const SlotSet& waiting = facts.waitingSlots[plan.items[plan.waiters[w]]];
        for (std::size_t slot = 0; slot < kSlotCount; ++slot)
            if (waiting[slot]) full.waitTables.back()[slot] |= static_cast<std::uint8_t>(1u << (w % kGroup));
    }
    full.waitPairs = plan.waitPairs;
    full.lead = plan.lead;
    full.leadWaiters = plan.leadWaiters;
    for (const auto& pair : full.waitPairs)
        if (pair[1] < full.leadWaiters) full.leadPairs.push_back(pair);
    lanes::SetSlotBits(full);
    return full;
}

} // namespace

// The lane tables of a plan, and the checks on the full pass's landings.
struct FastItemSearch::Prepared {
    ItemRules rules;
    std::vector<int> pinnedSlots;
    SearchPlan plan;
    const lanes::Kernels* kernels = nullptr;
    std::vector<lanes::StagedPass> stagedPasses;
    lanes::FullPass fullPass;
    std::size_t followedCount = 0; // before the padding
    bool fullPassComplete = false; // it follows every item the checks below need

    // The checks on the full pass's landings. Slots map to rules (rule 0:
    // a key with nothing to open); the required items are numbered densely.
    // Both stay below 64, so that a set of either is one word.
    std::array<std::uint8_t, kSlotCount + 1> ruleOfSlot{};
    std::size_t ruleCount = 1;
    std::vector<lanes::ClauseBlock> clauses; // a rule's required items and one alternative
    std::uint64_t slotRules = 0;             // every rule some slot has
    std::uint64_t allRequired = 0;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> requiredFollowed; // followed index, dense bit
    lanes::RuleOfItem requiredRules{}; // of the required items past the slots; the others' vary
    int testedFirst = 0;               // items 0 .. testedFirst - 1 are followed, and all they need
    struct Forbidden {
        std::uint8_t followed;
        std::array<std::uint64_t, 3> slots; // where the item is forbidden
    };
    std::vector<Forbidden> forbidden;

    Prepared(const ItemSlotTable& table, const std::vector<int>& pins, const lanes::Kernels* choice,
             Reasoning reasoning)
        : rules(table), pinnedSlots(pins), plan(MakeSearchPlan(table, rules, pins, reasoning)),
          kernels(choice ? choice : &lanes::ChosenKernels())
    {
        for (const StagedPassPlan& pass : plan.stagedPasses) stagedPasses.push_back(StagedPassOf(plan.facts, pass));
        fullPass = FullPassOf(plan.facts, plan.fullPass);
        followedCount = plan.fullPass.items.size();
        fullPassComplete = plan.fullPass.everyCandidate;
        std::array<int, kItemCount> followedOf{};
        followedOf.fill(-1);
        for (std::size_t t = 0; t < followedCount; ++t) followedOf[fullPass.item[t]] = static_cast<int>(t);
        while (testedFirst < kSlotCount && followedOf[Index(testedFirst)] >= 0) ++testedFirst;
        NumberRequiredItems(followedOf);
        NumberRules();
        PlacePinsAndForbidden(followedOf);
        if (!fullPassComplete) {
            fullPass.pins.clear(); // the landings stay those of the draws
            testedFirst = 0;       // the tests may ask about items nobody follows
        }
    }

    // With the full pass's landings of one lane, pins put back: do the
    // forbidden keys and the keys that can be opened at all let this deal
    // through? The check stack aside.
    bool MayPass(const lanes::Landings& landings, std::size_t lane) const
    {
        for (const Forbidden& f : forbidden) {
            const std::uint8_t slot = landings[f.followed][lane];
            if ((f.slots[slot / 64u] >> (slot % 64u)) & 1u) return false;
        }
        lanes::RuleOfItem ruleOf = requiredRules;
        for (const auto& [t, bit] : requiredFollowed) ruleOf[bit] = ruleOfSlot[landings[t][lane]];
        const lanes::Openable openable = kernels->openAll(clauses, ruleOf, allRequired);
        // Every required item reached, and every slot's key opened.
        return openable.reached == allRequired && (slotRules & ~openable.rules) == 0;
    }

private:
    std::array<int, kItemCount> denseOf_{};
    std::vector<std::size_t> unplaced_; // dense bits of required items past the slots

    // Required items get dense bits; those in slots must be followed.
    void NumberRequiredItems(const std::array<int, kItemCount>& followedOf)
    {
        denseOf_.fill(-1);
        int denseCount = 0;
        for (int item = 0; item < kItemCount && fullPassComplete; ++item) {
            if (!plan.facts.required[Index(item)]) continue;
            if (denseCount == 64 || (item < kSlotCount && followedOf[Index(item)] < 0)) {
                fullPassComplete = false;
                break;
            }
            denseOf_[Index(item)] = denseCount;
            if (item < kSlotCount)
                requiredFollowed.emplace_back(static_cast<std::uint8_t>(followedOf[Index(item)]),
                                              static_cast<std::uint8_t>(denseCount));
            else
                unplaced_.push_back(static_cast<std::size_t>(denseCount));
            allRequired |= std::uint64_t{1} << denseCount;
            ++denseCount;
        }
    }

    std::uint64_t Dense(const ItemRules::List& list) const
    {
        std::uint64_t bits = 0;
        for (int i = 0; i < list.count; ++i) {
            const int dense = denseOf_[Index(rules.Items(list)[i])];
            if (dense >= 0) bits |= std::uint64_t{1} << dense;
        }
        return bits;
    }

    // Each key that needs something gets a rule, and its clauses.
    void NumberRules()
    {
        std::vector<std::pair<std::uint64_t, std::uint64_t>> ruleClauses{{0, 1}}; // items, rules; rule 0 needs nothing
        std::array<std::size_t, ItemRules::kMaxKey> ruleOfKey{};
        for (int slot = 0; slot <= kSlotCount; ++slot) {
            const int key = rules.KeyOfSlot(slot); // slot 180: where the items past the slots are
            std::size_t rule = 0;
            if (key >= 0 && key < ItemRules::kMaxKey) {
                const ItemRules::KeyRule& keyRule = rules.Rule(key);
                if (keyRule.required.count != 0 || keyRule.alternativeCount != 0) {
                    if (ruleOfKey[Index(key)] == 0 && ruleCount == 64) fullPassComplete = false;
                    if (ruleOfKey[Index(key)] == 0 && ruleCount < 64) {
                        ruleOfKey[Index(key)] = ruleCount;
                        const std::uint64_t ruleBit = std::uint64_t{1} << ruleCount++;
                        const std::uint64_t requiredItems = Dense(keyRule.required);
                        if (keyRule.alternativeCount == 0) ruleClauses.emplace_back(requiredItems, ruleBit);
                        for (int a = 0; a < keyRule.alternativeCount; ++a) {
                            const ItemRules::List& alternative = rules.Alternative(keyRule.firstAlternative + a);
                            ruleClauses.emplace_back(requiredItems | Dense(alternative), ruleBit);
                        }
                    }
                    rule = ruleOfKey[Index(key)];
                }
            }
            ruleOfSlot[Index(slot)] = static_cast<std::uint8_t>(rule);
            if (slot < kSlotCount) slotRules |= std::uint64_t{1} << rule;
        }
        for (std::size_t bit : unplaced_) requiredRules[bit] = ruleOfSlot[kSlotCount];
        for (std::size_t c = 0; c < ruleClauses.size(); c += 8) {
            lanes::ClauseBlock block; // padding: rule 0 again
            for (std::size_t i = 0; i < 8 && c + i < ruleClauses.size(); ++i) {
                block.items[i] = ruleClauses[c + i].first;
                block.rules[i] = ruleClauses[c + i].second;
            }
            clauses.push_back(block);
        }
    }

    void PlacePinsAndForbidden(const std::array<int, kItemCount>& followedOf)
    {
        // A pin named twice finds its item home the second time.
        for (int slot : pinnedSlots) {
            if (followedOf[Index(slot)] < 0) fullPassComplete = false;
            const std::array<std::uint8_t, 2> pin{static_cast<std::uint8_t>(slot),
                                                  static_cast<std::uint8_t>(std::max(0, followedOf[Index(slot)]))};
            if (std::find(fullPass.pins.begin(), fullPass.pins.end(), pin) == fullPass.pins.end())
                fullPass.pins.push_back(pin);
        }
        // Candidates the full pass cannot follow leave it incomplete already.
        for (std::size_t t = 0; t < plan.fullPass.candidates; ++t) {
            const int item = plan.fullPass.items[t];
            if (!plan.facts.forbiddenSomewhere[Index(item)]) continue;
            Forbidden f{static_cast<std::uint8_t>(t), {}};
            for (int slot = 0; slot < kSlotCount; ++slot)
                if (rules.IsForbidden(item, rules.KeyOfSlot(slot)))
                    f.slots[Index(slot / 64)] |= std::uint64_t{1} << (slot % 64);
            forbidden.push_back(f);
        }
    }
};

FastItemSearch::FastItemSearch(const ItemSlotTable& table, const std::vector<int>& pinnedSlots,
                               const lanes::Kernels* kernels, Reasoning reasoning)
    : prepared_(std::make_unique<const Prepared>(table, pinnedSlots, kernels, reasoning))
{
}

const SearchPlan& FastItemSearch::Plan() const { return prepared_->plan; }

FastItemSearch::~FastItemSearch() = default;

namespace {

// One thread's view of a stretch of deals. Deals wait in one queue per
// segment of each staged pass, then in one for the full pass's lead stage
// (if it has one) and one for the full pass; a queue runs whenever it holds
// a whole batch, and the rest at the end of the stretch.
class ChunkSearch {
public:
    ChunkSearch(const FastItemSearch::Prepared& prepared, FastItemSearch::Funnel* funnel)
        : p_(prepared), validator_(prepared.rules), funnel_(funnel)
    {
        for (std::size_t pass = 0; pass < p_.stagedPasses.size(); ++pass) {
            firstQueueOfPass_.push_back(segmentOfQueue_.size());
            for (const lanes::Segment& segment : p_.stagedPasses[pass].segments) {
                segmentOfQueue_.push_back(&segment);
                passOfQueue_.push_back(pass);
            }
        }
        firstQueueOfPass_.push_back(segmentOfQueue_.size()); // the full pass, its lead stage first if any
        if (p_.fullPass.lead > 0) leadQueue_ = segmentOfQueue_.size();
        queues_.resize(segmentOfQueue_.size() + (p_.fullPass.lead > 0 ? 2 : 1));
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            laneJump_[lane] = Rng::JumpOf(kDrawsPerDeal * lane);
            strideJump_[lane] = Rng::JumpOf(kDrawsPerDeal * kLaneStride * lane);
        }
    }

    // The index of the first accepted deal among `count` deals from `first`
    // (whose start state is `state`), or kNone. Deals from `stopBelow` on
    // need no verdict; with `everyDeal`, deals after an accepted one do.
    std::uint64_t Search(std::uint64_t first, std::uint32_t state, std::uint64_t count, std::uint64_t stopBelow,
                         bool everyDeal = false)
    {
        first_ = first;
        found_ = kNone;
        const std::uint64_t end = first + count;
        // Stretches in rising order: a deal found in one beats every later one.
        for (std::uint64_t at = first; at < end;) {
            const bool strided = at >= kStridedFrom && at % kStridedBlock == 0 && end - at >= kStridedBlock;
            const std::uint64_t length =
                strided ? kStridedBlock : std::min(end, (at / kStridedBlock + 1) * kStridedBlock) - at;
            if (!(strided ? SearchStrided(at, state, stopBelow, everyDeal)
                          : SearchLinear(at, state, length, stopBelow, everyDeal)))
                break;
            state = Rng::JumpOf(length * kDrawsPerDeal).Apply(state);
            at += length;
        }
        Drain(true);
        return found_;
    }

private:
    // Whether deals from `deal` on need no verdict: from `stopBelow` on, or
    // past an accepted one.
    bool Done(std::uint64_t deal, std::uint64_t stopBelow, bool everyDeal) const
    {
        return deal >= stopBelow || (!everyDeal && deal > found_);
    }

    // Deals [at, at + count) in order, 64 a batch; false where the rest need no verdict.
    bool SearchLinear(std::uint64_t at, std::uint32_t state, std::uint64_t count, std::uint64_t stopBelow,
                      bool everyDeal)
    {
        static const Rng::Jump kBatchJump = Rng::JumpOf(std::uint64_t{kDrawsPerDeal} * kLanes);
        for (std::uint64_t batch = 0; batch < count; batch += kLanes) {
            if (Done(at + batch, stopBelow, everyDeal)) return false;
            for (std::size_t lane = 0; lane < kLanes; ++lane) starts_[lane] = laneJump_[lane].Apply(state);
            Feed(starts_.data(), at - first_ + batch, static_cast<std::size_t>(std::min<std::uint64_t>(kLanes, count - batch)), 1);
            state = kBatchJump.Apply(state);
            Drain(false);
        }
        return true;
    }

    // The strided block from `at`: batch t holds deals at + j 2^14 + t, the
    // lowest in lane 0. Their start states share the low half, so that the
    // next batch's take one 16-bit step each.
    bool SearchStrided(std::uint64_t at, std::uint32_t state, std::uint64_t stopBelow, bool everyDeal)
    {
        static const Rng::Jump kDealJump = Rng::JumpOf(kDrawsPerDeal);
        while (queues_.front().count > 0) Run(0); // so that its batches are whole strided ones
        std::array<std::uint16_t, kLanes> high;
        for (std::size_t lane = 0; lane < kLanes; ++lane)
            high[lane] = static_cast<std::uint16_t>(strideJump_[lane].Apply(state) >> 16);
        std::uint32_t low = state & 0xFFFFu;
        const std::uint16_t multiplier = kDealJump.HighMultiplier();
        sharedLow_ = true;
        bool whole = true;
        for (std::uint64_t t = 0; t < kLaneStride; ++t) {
            if (Done(at + t, stopBelow, everyDeal)) {
                whole = false;
                break;
            }
            for (std::size_t lane = 0; lane < kLanes; ++lane) starts_[lane] = std::uint32_t{high[lane]} << 16 | low;
            Feed(starts_.data(), at - first_ + t, kLanes, kLaneStride);
            const std::uint16_t carry = kDealJump.StepLowHalf(low);
            for (std::uint16_t& h : high) h = static_cast<std::uint16_t>(h * multiplier + carry);
            Drain(false);
        }
        sharedLow_ = false;
        return whole;
    }

    // Appends deals to the first queue: lane j takes deal `deal` + j `step`
    // (counted from first_), which starts at starts[j].
    void Feed(const std::uint32_t* starts, std::uint64_t deal, std::size_t lanesUsed, std::uint64_t step)
    {
        lanes::LaneQueue& queue = queues_.front();
        const std::size_t at = queue.count;
        std::memcpy(queue.state.data() + at, starts, lanesUsed * sizeof *starts);
        std::memcpy(queue.dealStart.data() + at, starts, lanesUsed * sizeof *starts);
        for (std::size_t lane = 0; lane < lanesUsed; ++lane)
            queue.deal[at + lane] = static_cast<std::uint32_t>(deal + lane * step);
        if (!p_.stagedPasses.empty()) {
            for (std::size_t g = 0; g < kGroup; ++g) {
                std::memset(queue.tracker[g].data() + at, p_.stagedPasses.front().start[g], kLanes);
                std::memset(queue.needs[g].data() + at, 0, kLanes);
            }
        }
        queue.count += lanesUsed;
        if (funnel_) funnel_->deals += lanesUsed;
    }

    void Drain(bool flush)
    {
        for (std::size_t q = 0; q < queues_.size(); ++q)
            while (queues_[q].count >= kLanes || (flush && queues_[q].count > 0)) Run(q);
    }

    // Runs the batch at the front of a queue, once the next has room for it.
    void Run(std::size_t q)
    {
        if (q + 1 == queues_.size()) return RunFullPass();
        while (queues_[q + 1].count >= kLanes) Run(q + 1);
        if (q == leadQueue_) return RunLead(q);
        RunSegment(q);
    }

    // The batch a queue runs next: its last 64 deals, or all it has.
    static std::size_t BatchStart(const lanes::LaneQueue& queue) { return queue.count - std::min(queue.count, kLanes); }
    static std::uint64_t LiveLanes(const lanes::LaneQueue& queue)
    {
        return queue.count >= kLanes ? ~std::uint64_t{0} : (std::uint64_t{1} << queue.count) - 1;
    }

    void RunSegment(std::size_t q)
    {
        lanes::LaneQueue& queue = queues_[q];
        lanes::LaneQueue& next = queues_[q + 1];
        const std::size_t pass = passOfQueue_[q];
        const bool lastOfPass = q + 1 == firstQueueOfPass_[pass + 1];
        const std::array<std::uint8_t, kGroup>* restart = nullptr;
        if (lastOfPass && pass + 1 < p_.stagedPasses.size())
            restart = &p_.stagedPasses[pass + 1].start;
        else if (lastOfPass)
            restart = &p_.stagedPasses[pass].start; // the full pass ignores them
        const std::size_t before = next.count;
        const std::size_t from = BatchStart(queue);
        const Clock::time_point started = Now();
        const bool shared = q == 0 && sharedLow_ && queue.count == kLanes;
        (shared ? p_.kernels->runSharedSegment : p_.kernels->runSegment)(
            p_.stagedPasses[pass], *segmentOfQueue_[q], queue, from, LiveLanes(queue), next, restart);
        if (funnel_) funnel_->stagedSeconds[std::min(pass, funnel_->stagedSeconds.size() - 1)] += Since(started);
        if (funnel_) funnel_->batchDraws += segmentOfQueue_[q]->end - segmentOfQueue_[q]->first;
        if (funnel_ && lastOfPass) {
            for (std::size_t later = pass; later < funnel_->afterStagedPass.size(); ++later)
                if (later == pass || pass + 1 == p_.stagedPasses.size())
                    funnel_->afterStagedPass[later] += next.count - before;
        }
        queue.count = from;
    }

    void RunLead(std::size_t q)
    {
        lanes::LaneQueue& queue = queues_[q];
        const std::size_t from = BatchStart(queue);
        const Clock::time_point started = Now();
        p_.kernels->landLead(p_.fullPass, queue, from, LiveLanes(queue), queues_[q + 1]);
        if (funnel_) funnel_->landingSeconds += Since(started);
        queue.count = from;
    }

    void RunFullPass()
    {
        lanes::LaneQueue& queue = queues_.back();
        const std::size_t from = BatchStart(queue);
        const std::size_t used = queue.count - from;
        if (funnel_ && p_.stagedPasses.empty()) {
            for (std::uint64_t& after : funnel_->afterStagedPass) after += used;
        }
        std::uint64_t alive = LiveLanes(queue);
        const std::uint32_t* dealStart = queue.dealStart.data() + from;
        // Padding lanes: a real start, and slots inside the tables.
        for (std::size_t lane = used; lane < kLanes; ++lane) {
            queue.dealStart[from + lane] = dealStart[0];
            for (std::size_t g = 0; g < kGroup; ++g) queue.tracker[g][from + lane] = queue.needs[g][from + lane] = 0;
        }
        const Clock::time_point landing = Now();
        alive &= ~p_.kernels->landAll(p_.fullPass, queue, from, landings_, waits_);
        const Clock::time_point checking = Now();
        if (funnel_) funnel_->landingSeconds += std::chrono::duration<double>(checking - landing).count();
        if (funnel_) funnel_->afterLandings += static_cast<std::uint64_t>(std::popcount(alive));
        for (; alive != 0; alive &= alive - 1) {
            const auto lane = static_cast<std::size_t>(std::countr_zero(alive));
            if (p_.fullPassComplete && !p_.MayPass(landings_, lane)) continue;
            // Each deal's test starts from an empty check stack, whatever
            // the deal tested before it left.
            if (!FirstItemsReachable(lane)) continue;
            if (funnel_) ++funnel_->validated;
            Deal(dealStart[lane]);
            if (!validator_.ValidatePlacement(assignment_)) continue;
            if (funnel_) ++funnel_->accepted;
            found_ = std::min(found_, first_ + queue.deal[from + lane]);
        }
        if (funnel_) funnel_->checkSeconds += Since(checking);
        queue.count = from;
    }

    // The clock only runs for a funnel's measurement.
    using Clock = std::chrono::steady_clock;
    Clock::time_point Now() const { return funnel_ ? Clock::now() : Clock::time_point{}; }
    static double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

    // The exact test's start, on the landings: its first items, and the
    // required items their tests ask about, are all followed.
    bool FirstItemsReachable(std::size_t lane)
    {
        if (p_.testedFirst > 0)
            for (std::size_t t = 0; t < p_.followedCount; ++t) slotOfItem_[p_.fullPass.item[t]] = landings_[t][lane];
        return validator_.FirstItemsReachable(slotOfItem_, p_.testedFirst);
    }

    void Deal(std::uint32_t dealStart)
    {
        if (p_.kernels->dealWhole == nullptr) {
            Rng rng(dealStart);
            return ShuffleItems(p_.pinnedSlots, rng, assignment_);
        }
        std::array<std::uint8_t, kDrawsPerDeal> itemOfSlot;
        std::array<std::uint8_t, kSlotCount> slotOfItem;
        p_.kernels->dealWhole(dealStart, itemOfSlot);
        for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
            assignment_[slot] = itemOfSlot[slot];
            slotOfItem[itemOfSlot[slot]] = static_cast<std::uint8_t>(slot);
        }
        PutPinsBack(p_.pinnedSlots, assignment_, slotOfItem);
    }

    const FastItemSearch::Prepared& p_;
    PlacementValidator validator_;
    FastItemSearch::Funnel* funnel_;
    std::vector<lanes::LaneQueue> queues_; // per segment of the staged passes, then the full pass
    std::vector<const lanes::Segment*> segmentOfQueue_;
    std::vector<std::size_t> passOfQueue_;
    std::vector<std::size_t> firstQueueOfPass_;
    std::size_t leadQueue_ = ~std::size_t{0}; // none without a lead stage
    std::array<Rng::Jump, kLanes> laneJump_{};   // to the deals of a batch of consecutive ones
    std::array<Rng::Jump, kLanes> strideJump_{}; // to those of a strided batch
    bool sharedLow_ = false; // the first queue's batches are strided ones
    alignas(64) std::array<std::uint32_t, kLanes> starts_{}; // of the batch being fed
    lanes::Landings landings_{};
    lanes::WaitBytes waits_{};
    SlotAssignment assignment_{};
    PlacementValidator::SlotsOfItems slotOfItem_ = PlacementValidator::NoSlots();
    std::uint64_t first_ = 0;
    std::uint64_t found_ = kNone;
};

} // namespace

FastItemSearch::Funnel FastItemSearch::MeasureFunnel(std::uint32_t startState, std::uint64_t deals) const
{
    Funnel funnel;
    ChunkSearch search(*prepared_, &funnel);
    search.Search(kStridedFrom, startState, deals, kNone, true);
    return funnel;
}

namespace {

ItemSearchResult ResultOfAccepted(const FastItemSearch::Prepared& prepared, std::uint32_t startState,
                                  std::uint64_t accepted, const RejectedDealsListener& onRejected)
{
    ItemSearchResult result;
    result.attempts = accepted + 1;
    Rng rng(Rng::JumpOf(accepted * kDrawsPerDeal).Apply(startState));
    SlotAssignment assignment{};
    ShuffleItems(prepared.pinnedSlots, rng, assignment);
    result.assignment.assign(assignment.begin(), assignment.end());
    result.stateAfter = rng.State();
    if (onRejected && accepted > 0) onRejected(accepted);
    return result;
}

} // namespace

namespace {

// One search of the cycle in chunks, shared by the threads that take them in
// turn: the lowest accepted deal so far, which chunks are finished, and the
// progress report that grows with the run of finished chunks from the first.
class ChunkRun {
public:
    ChunkRun(const FastItemSearch::Prepared& prepared, std::uint32_t startState, const StopFlag* stop,
             const RejectedDealsListener& onRejected, std::uint64_t dealLimit)
        : prepared_(prepared), startState_(startState), stop_(stop), onRejected_(onRejected), dealLimit_(dealLimit),
          searchEnd_(std::min(dealLimit, FastItemSearch::kDistinctDeals))
    {
    }

    // On the caller's thread alone.
    void OnCaller()
    {
        ChunkSearch search(prepared_, nullptr);
        while (SearchNext(search)) {
            std::unique_lock lock(mutex_);
            Report(lock);
        }
    }

    // On `workers` threads while the caller reports; a thread the system will
    // not start means fewer of them, and with none started the caller's own
    // thread searches.
    void OnThreads(unsigned workers)
    {
        std::vector<std::thread> pool;
        pool.reserve(workers);
        for (unsigned i = 0; i < workers; ++i) {
            {
                std::lock_guard lock(mutex_);
                ++running_;
            }
            try {
                pool.emplace_back([this] { Work(); });
            } catch (...) { // the system's refusal, or no memory for the thread's own state
                std::lock_guard lock(mutex_);
                --running_;
                break;
            }
        }
        if (pool.empty()) {
            running_ = 1;
            Work();
        }
        ReportUntilFinished();
        for (std::thread& thread : pool) thread.join();
        if (failure_) std::rethrow_exception(failure_);
    }

    ItemSearchResult Result() const
    {
        ItemSearchResult result;
        const std::uint64_t accepted = best_.load();
        // After a stop request, deals below the best find may be unchecked: no verdict.
        if (stopped_.load() || StopRequested(stop_)) {
            result.stopped = true;
            return result;
        }
        if (accepted == kNone) {
            result.neverAccepted = true;
            result.attempts = dealLimit_;
            return result;
        }
        return ResultOfAccepted(prepared_, startState_, accepted, onRejected_);
    }

private:
    // Searches the next chunk; false once there is none left to search.
    bool SearchNext(ChunkSearch& search)
    {
        const std::size_t chunk = nextChunk_.fetch_add(1);
        const std::uint64_t first = ChunkStart(chunk);
        if (first >= std::min(best_.load(), searchEnd_) || stopped_.load() || StopRequested(stop_)) return false;
        const std::uint32_t state = Rng::JumpOf(first * kDrawsPerDeal).Apply(startState_);
        const std::uint64_t count = std::min(ChunkStart(chunk + 1), searchEnd_) - first;
        const std::uint64_t found = search.Search(first, state, count, best_.load());
        std::lock_guard lock(mutex_);
        if (found != kNone) {
            std::uint64_t current = best_.load();
            while (found < current && !best_.compare_exchange_weak(current, found)) {
            }
        } else {
            if (chunkDone_.size() <= chunk) chunkDone_.resize(chunk + 1, false);
            chunkDone_[chunk] = true;
        }
        changed_.notify_all();
        return true;
    }

    // Reports the rejected deals as the run of finished chunks from the first grows.
    void Report(std::unique_lock<std::mutex>& lock)
    {
        while (finishedChunks_ < chunkDone_.size() && chunkDone_[finishedChunks_]) ++finishedChunks_;
        std::uint64_t rejected = std::min({ChunkStart(finishedChunks_), best_.load(), searchEnd_});
        // Their twins went with the last of them.
        if (rejected == searchEnd_ && best_.load() == kNone) rejected = dealLimit_;
        if (onRejected_ && rejected > 0) {
            lock.unlock();
            onRejected_(rejected);
            lock.lock();
        }
    }

    // A worker's whole life: chunks until none is left, the first thing that
    // went wrong kept for the caller to throw again.
    void Work()
    {
        try {
            ChunkSearch search(prepared_, nullptr);
            while (SearchNext(search)) {
            }
        } catch (...) {
            std::lock_guard lock(mutex_);
            if (!failure_) failure_ = std::current_exception();
            stopped_.store(true);
        }
        std::lock_guard lock(mutex_);
        --running_;
        changed_.notify_all();
    }

    void ReportUntilFinished()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            // Read before the count: the workers may finish while the
            // report runs unlocked, and the last report must count every chunk.
            const bool finished = running_ == 0;
            Report(lock);
            if (finished) break;
            if (StopRequested(stop_)) stopped_.store(true);
            changed_.wait_for(lock, std::chrono::milliseconds(20));
        }
    }

    const FastItemSearch::Prepared& prepared_;
    const std::uint32_t startState_;
    const StopFlag* const stop_;
    const RejectedDealsListener& onRejected_;
    const std::uint64_t dealLimit_;
    const std::uint64_t searchEnd_; // the deals past it are twins of deals below it
    std::atomic<std::size_t> nextChunk_{0}; // the cycle has fewer than 2^17 chunks
    std::atomic<std::uint64_t> best_{kNone};
    std::atomic<bool> stopped_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<bool> chunkDone_;
    std::size_t finishedChunks_ = 0;
    unsigned running_ = 0;
    std::exception_ptr failure_;
};

} // namespace

ItemSearchResult FastItemSearch::Run(std::uint32_t startState, unsigned threads, const StopFlag* stop,
                                     const RejectedDealsListener& onRejected, std::uint64_t dealLimit) const
{
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    threads = 1; // a build without threads cannot start one; the result is the same
#endif
    ChunkRun run(*prepared_, startState, stop, onRejected, dealLimit);
    if (threads <= 1)
        run.OnCaller();
    else
        run.OnThreads(threads);
    return run.Result();
}

std::optional<std::uint64_t> FastItemSearch::FirstAcceptedIn(std::uint32_t startState, std::uint64_t firstDeal,
                                                             std::uint64_t count) const
{
    count = std::min(count, kDealCycle - std::min(firstDeal, kDealCycle));
    ChunkSearch search(*prepared_, nullptr);
    const std::uint32_t state = Rng::JumpOf(firstDeal * kDrawsPerDeal).Apply(startState);
    const std::uint64_t found = search.Search(firstDeal, state, count, kNone);
    if (found == kNone) return std::nullopt;
    return found;
}

std::optional<ItemSearchResult> FastItemSearch::ResultOfDeal(std::uint32_t startState, std::uint64_t index,
                                                             const RejectedDealsListener& onRejected) const
{
    if (FirstAcceptedIn(startState, index, 1) != index) return std::nullopt;
    return ResultOfAccepted(*prepared_, startState, index, onRejected);
}

} // namespace tarvenna
