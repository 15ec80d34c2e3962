#include "search/search_plan.h"

#include <algorithm>
#include <bit>
#include <sstream>
#include <utility>

#include "core/index.h"
#include "items/item_bits.h"

namespace tarvenna {
namespace {

using lanes::kGroup;
constexpr std::uint32_t kDrawsPerDeal = kSlotCount;
constexpr std::size_t kStagedPasses = 2;
constexpr double kSegmentCost = 12;   // the work of a segment's start and end, in draws
constexpr double kSurvivorCost = 300; // the later work for a deal that survives a staged pass, in draws
constexpr std::uint32_t kLongestSegment = 64; // a segment's run ends are bits of one word
// A pair whose waiting slots make a cycle likelier than this, as the
// product of their counts (out of 180 * 180), earns a test in the full pass.
constexpr int kLeastPairWeight = 24;


// What a key needs whatever alternative opens it: its required items and
// the items that every alternative names.
std::vector<ItemBits> StrictNeeds(const ItemRules& rules, std::array<bool, kItemCount>& required)
{
    std::vector<ItemBits> needs(ItemRules::kMaxKey);
    for (int key = 0; key < ItemRules::kMaxKey; ++key) {
        const ItemRules::KeyRule& rule = rules.Rule(key);
        ItemBits& strict = needs[Index(key)];
        for (int i = 0; i < rule.required.count; ++i) {
            strict.Set(rules.Items(rule.required)[i]);
            required[Index(rules.Items(rule.required)[i])] = true;
        }
        ItemBits common{};
        for (int a = 0; a < rule.alternativeCount; ++a) {
            const ItemRules::List& list = rules.Alternative(rule.firstAlternative + a);
            ItemBits bits{};
            for (int i = 0; i < list.count; ++i) {
                bits.Set(rules.Items(list)[i]);
                required[Index(rules.Items(list)[i])] = true;
            }
            if (a == 0) common = bits;
            common &= bits;
        }
        strict |= common;
    }
    return needs;
}

// The items past the slots and the pinned ones, with the key each lies behind.
std::vector<std::pair<int, int>> FixedItems(const ItemRules& rules, const ItemFacts& facts)
{
    std::vector<std::pair<int, int>> fixed;
    for (int item = 0; item < kItemCount; ++item)
        if (item >= kSlotCount || facts.pinned[Index(item)])
            fixed.emplace_back(item, rules.KeyOfSlot(std::min(item, kSlotCount)));
    return fixed;
}

// What must be reached before an item behind `key` can be, whatever the
// deal: the key's required items and those common to the alternatives that
// could open it first, with all that the fixed items among them need in
// turn. An alternative that names the item itself, or a fixed item that
// needs it, never opens the key first. With no such alternative left, the
// item can never be reached: `never` says so.
//
// Reasoning::Direct stops after one fixed item and counts every alternative.
class NeedsBehind {
public:
    NeedsBehind(const ItemRules& rules, const std::vector<ItemBits>& strict, std::vector<std::pair<int, int>> fixed,
                Reasoning reasoning)
        : rules_(rules), strict_(strict), fixed_(std::move(fixed)), fixedNeeds_(kItemCount),
          chained_(reasoning == Reasoning::Chained)
    {
        if (!chained_) {
            for (const auto& [item, key] : fixed_)
                if (key >= 0 && key < ItemRules::kMaxKey) fixedNeeds_[Index(item)] = strict_[Index(key)];
            return;
        }
        // Needs only grow and alternatives only drop out, so this settles.
        for (bool changed = true; changed;) {
            changed = false;
            for (const auto& [item, key] : fixed_) {
                bool never = false;
                const ItemBits needs = Of(key, item, never);
                ItemBits grown = fixedNeeds_[Index(item)];
                grown |= needs;
                if (grown.words != fixedNeeds_[Index(item)].words) {
                    fixedNeeds_[Index(item)] = grown;
                    changed = true;
                }
            }
        }
    }

    // The needs of `item` placed behind `key` (negative: the key's own).
    ItemBits Of(int key, int item, bool& never) const
    {
        never = false;
        if (key < 0 || key >= ItemRules::kMaxKey) return {};
        const ItemRules::KeyRule& rule = rules_.Rule(key);
        ItemBits needs = strict_[Index(key)];
        if (!chained_) {
            if (item < 0) return needs; // the waiting slots: the key's own needs
            ItemBits withFixed = needs;
            for (const auto& [fixed, fixedKey] : fixed_)
                if (needs.Test(fixed)) withFixed |= fixedNeeds_[Index(fixed)];
            return withFixed;
        }
        if (item >= 0 && rule.alternativeCount > 0) {
            ItemBits common{};
            bool any = false;
            for (int a = 0; a < rule.alternativeCount; ++a) {
                const ItemRules::List& list = rules_.Alternative(rule.firstAlternative + a);
                ItemBits bits{};
                bool opensFirst = true;
                for (int i = 0; i < list.count; ++i) {
                    const int named = rules_.Items(list)[i];
                    bits.Set(named);
                    opensFirst = opensFirst && named != item && !fixedNeeds_[Index(named)].Test(item);
                }
                if (!opensFirst) continue;
                if (!any) common = bits;
                common &= bits;
                any = true;
            }
            never = !any;
            if (any) needs |= common;
        }
        return WithFixedNeeds(needs);
    }

private:
    ItemBits WithFixedNeeds(ItemBits needs) const
    {
        for (bool changed = true; changed;) {
            changed = false;
            for (const auto& [fixed, key] : fixed_) {
                if (!needs.Test(fixed) || !fixedNeeds_[Index(fixed)].Intersects(Complement(needs))) continue;
                needs |= fixedNeeds_[Index(fixed)];
                changed = true;
            }
        }
        return needs;
    }

    static ItemBits Complement(ItemBits bits)
    {
        for (std::uint64_t& word : bits.words) word = ~word;
        return bits;
    }

    const ItemRules& rules_;
    const std::vector<ItemBits>& strict_;
    const std::vector<std::pair<int, int>> fixed_;
    std::vector<ItemBits> fixedNeeds_; // [item], fixed items only
    bool chained_;
};

// An item waits for another in the slots no pin touches whose key needs
// that one, directly or through fixed items.
void FindWaitingSlots(const ItemRules& rules, const NeedsBehind& needsBehind, ItemFacts& facts)
{
    std::array<ItemBits, ItemRules::kMaxKey> needsOfKey{};
    for (int key = 0; key < ItemRules::kMaxKey; ++key) {
        bool never = false;
        needsOfKey[Index(key)] = needsBehind.Of(key, -1, never);
    }
    facts.waitingSlots.assign(kItemCount, SlotSet{});
    facts.waitingSlotCount.assign(kItemCount, 0);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const int key = rules.KeyOfSlot(slot);
        if (facts.pinned[Index(slot)] || key < 0 || key >= ItemRules::kMaxKey) continue;
        for (int item = 0; item < kItemCount; ++item) {
            if (!needsOfKey[Index(key)].Test(item)) continue;
            facts.waitingSlots[Index(item)][Index(slot)] = true;
            ++facts.waitingSlotCount[Index(item)];
        }
    }
}

// Where an item that no pin moves certainly rejects its deal by itself: a
// forbidden key, or one that cannot be opened before the item is reached.
void FindRejectingSlots(const ItemRules& rules, const NeedsBehind& needsBehind, ItemFacts& facts)
{
    facts.rejects.assign(kSlotCount, SlotSet{});
    facts.rejectingSlots.assign(kSlotCount, 0);
    for (int item = 0; item < kSlotCount; ++item) {
        if (facts.pinned[Index(item)]) continue;
        std::array<std::int8_t, ItemRules::kMaxKey> behind{}; // by key: 0 unknown, 1 rejects, -1 does not
        for (int slot = 0; slot < kSlotCount; ++slot) {
            const int key = rules.KeyOfSlot(slot);
            if (facts.pinned[Index(slot)]) continue;
            bool rejects = rules.IsForbidden(item, key);
            if (!rejects && key >= 0 && key < ItemRules::kMaxKey) {
                std::int8_t& known = behind[Index(key)];
                if (known == 0) {
                    bool never = false;
                    known = needsBehind.Of(key, item, never).Test(item) || never ? 1 : -1;
                }
                rejects = known > 0;
            }
            facts.rejects[Index(item)][Index(slot)] = rejects;
            facts.rejectingSlots[Index(item)] += rejects ? 1 : 0;
        }
    }
}

ItemFacts FactsOf(const ItemSlotTable& table, const ItemRules& rules, const std::vector<int>& pinnedSlots,
                  Reasoning reasoning)
{
    ItemFacts facts;
    for (int slot : pinnedSlots) facts.pinned[Index(slot)] = true;
    const std::vector<ItemBits> strict = StrictNeeds(rules, facts.required);
    const NeedsBehind needsBehind(rules, strict, FixedItems(rules, facts), reasoning);
    FindWaitingSlots(rules, needsBehind, facts);
    FindRejectingSlots(rules, needsBehind, facts);
    for (int item = 0; item < kSlotCount; ++item) {
        facts.forbiddenSomewhere[Index(item)] = table.forbiddenLocations.count(item) != 0;
        const bool needed =
            facts.pinned[Index(item)] || facts.required[Index(item)] || facts.forbiddenSomewhere[Index(item)];
        if (needed || facts.rejectingSlots[Index(item)] > 0) facts.candidates.push_back(item);
    }
    return facts;
}

// The cost model of a staged pass: the work of a deal is the draws it lives
// through, plus what comes after for the deals that survive. Each item lands
// in any slot as likely as in any other, so the share of deals alive after d
// draws follows from the slots before d where items reject alone or in
// pairs. Sampled every few draws, which is plenty for choosing.
constexpr std::uint32_t kStep = 4;
constexpr std::size_t kPoints = kDrawsPerDeal / kStep + 1; // the last one: after every draw
using Curve = std::array<double, kPoints>;

std::uint32_t DrawAt(std::size_t point)
{
    return std::min<std::uint32_t>(static_cast<std::uint32_t>(point) * kStep, kDrawsPerDeal);
}

// The share of the slots in `slots` before each point.
Curve ShareBefore(const SlotSet& slots)
{
    Curve share{};
    int before = 0;
    for (std::uint32_t slot = 0, point = 0; point < kPoints; ++point) {
        for (; slot < DrawAt(point); ++slot) before += slots[slot] ? 1 : 0;
        share[point] = before / double{kSlotCount};
    }
    return share;
}

// The work of one draw in a staged pass that follows `width` items, as a
// share of that of a full group: the draw itself costs about four times the
// counting for one item, as measured (its multiplies overlap the counting).
double DrawWork(std::size_t width)
{
    constexpr double kDraw = 4;
    return (kDraw + static_cast<double>(width)) / (kDraw + static_cast<double>(kGroup));
}

double WorkOf(const Curve& survival, std::size_t width)
{
    double total = 0;
    for (std::size_t point = 0; point + 1 < kPoints; ++point) total += survival[point] * kStep;
    return total * DrawWork(width) + survival[kPoints - 1] * kSurvivorCost;
}

// The greedy choice of the staged passes' items, by candidate index.
class StagedChoice {
public:
    explicit StagedChoice(const ItemFacts& facts) : facts_(facts), picked_(facts.candidates.size())
    {
        for (int item : facts.candidates) {
            rejectingShare_.push_back(ShareBefore(facts.rejects[Index(item)]));
            waitingShare_.push_back(ShareBefore(facts.waitingSlots[Index(item)]));
        }
    }

    // The next pass's members, best first, and its width; no members where
    // no item makes a pass worth its draws.
    std::vector<std::size_t> PickPass(std::size_t& width)
    {
        std::vector<std::size_t> members;
        Curve survival;
        survival.fill(1);
        double passWork = WorkOf(survival, kGroup);
        std::vector<Curve> survivalAfter; // each member added
        while (members.size() < kGroup) {
            std::size_t best = picked_.size();
            for (std::size_t c = 0; c < picked_.size(); ++c) {
                if (std::find(members.begin(), members.end(), c) != members.end()) continue;
                const double withIt = WorkOf(AliveWith(c, survival, members), kGroup);
                if (withIt < passWork) {
                    passWork = withIt;
                    best = c;
                }
            }
            if (best == picked_.size()) break;
            survival = AliveWith(best, survival, members);
            members.push_back(best);
            survivalAfter.push_back(survival);
        }
        // Fewer items draw for less: the first few alone may do better.
        width = kGroup;
        if (!members.empty() && (members.size() <= lanes::kNarrowGroup ||
                                 WorkOf(survivalAfter[lanes::kNarrowGroup - 1], lanes::kNarrowGroup) < passWork)) {
            width = lanes::kNarrowGroup;
            members.resize(std::min(members.size(), width));
        }
        for (std::size_t c : members) picked_[c] = true;
        return members;
    }

    // Whether a staged pass follows each candidate.
    const std::vector<bool>& Picked() const { return picked_; }

private:
    // With c added: what it rejects alone (an item from an earlier pass
    // only counts in new pairs), and its pairs with the members.
    Curve AliveWith(std::size_t c, const Curve& survival, const std::vector<std::size_t>& members) const
    {
        Curve result = survival;
        if (!picked_[c])
            for (std::size_t point = 0; point < kPoints; ++point) result[point] *= 1 - rejectingShare_[c][point];
        for (std::size_t m : members) {
            if (!facts_.CanWaitFor(facts_.candidates[c], facts_.candidates[m])) continue;
            for (std::size_t point = 0; point < kPoints; ++point)
                result[point] *= 1 - waitingShare_[c][point] * waitingShare_[m][point];
        }
        return result;
    }

    const ItemFacts& facts_;
    std::vector<bool> picked_;
    std::vector<Curve> rejectingShare_;
    std::vector<Curve> waitingShare_;
};

// Ascending items, padding (item 0, meaning nothing) included: the trackers
// want those that count from the top last. And the pairs among them.
StagedPassPlan StagedPassOf(const ItemFacts& facts, const std::vector<std::size_t>& members, std::size_t width)
{
    constexpr int kPadding = -1;
    auto itemOf = [&](int c) { return c == kPadding ? 0 : facts.candidates[Index(c)]; };
    std::vector<int> sorted(width, kPadding);
    for (std::size_t g = 0; g < members.size(); ++g) sorted[g] = static_cast<int>(members[g]);
    std::sort(sorted.begin(), sorted.end(), [&](int a, int b) { return itemOf(a) < itemOf(b); });
    StagedPassPlan pass;
    pass.width = width;
    for (std::size_t g = 0; g < width; ++g) {
        pass.items[g] = static_cast<std::uint8_t>(itemOf(sorted[g]));
        if (sorted[g] != kPadding) pass.members |= static_cast<std::uint8_t>(1u << g);
    }
    for (std::size_t g = 0; g < kGroup; ++g)
        for (std::size_t h = g + 1; h < kGroup; ++h)
            if (((unsigned{pass.members} >> g) & (unsigned{pass.members} >> h) & 1u) &&
                facts.CanWaitFor(pass.items[g], pass.items[h]))
                pass.pairs.push_back({static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(h)});
    return pass;
}

// Where segments end: each costs its draws and a fixed amount for the deals
// that enter it, and fewer enter later ones. Every item lands in any slot as
// likely as in any other, so the share still alive after some draws follows
// from the slots that reject alone.
std::vector<std::uint32_t> SegmentEnds(const lanes::Meanings& meaning)
{
    std::array<double, kDrawsPerDeal + 1> alive{};
    std::array<int, kGroup> rejecting{};
    for (std::uint32_t slot = 0; slot <= kDrawsPerDeal; ++slot) {
        alive[slot] = 1;
        for (std::size_t g = 0; g < kGroup; ++g) alive[slot] *= 1 - rejecting[g] / double{kSlotCount};
        for (std::size_t g = 0; g < kGroup && slot < kDrawsPerDeal; ++g)
            rejecting[g] += static_cast<int>((unsigned{meaning[slot][g]} >> g) & 1u);
    }
    std::array<double, kDrawsPerDeal + 1> cost{};
    std::array<std::uint32_t, kDrawsPerDeal + 1> segmentStart{};
    for (std::uint32_t end = 1; end <= kDrawsPerDeal; ++end) {
        cost[end] = -1;
        for (std::uint32_t first = end > kLongestSegment ? end - kLongestSegment : 0; first < end; ++first) {
            const double total = cost[first] + alive[first] * (end - first + kSegmentCost);
            if (cost[end] < 0 || total < cost[end]) {
                cost[end] = total;
                segmentStart[end] = first;
            }
        }
    }
    // Past the last slot where a landing means something, nothing more can
    // be learnt: the pass ends there.
    std::uint32_t passEnd = kDrawsPerDeal;
    while (passEnd > 1 && meaning[passEnd - 1] == lanes::Meanings::value_type{}) --passEnd;
    std::vector<std::uint32_t> ends;
    for (std::uint32_t end = passEnd; end > 0; end = segmentStart[end]) ends.push_back(end);
    std::reverse(ends.begin(), ends.end());
    return ends;
}

std::vector<StagedPassPlan> PlanStagedPasses(const ItemFacts& facts, std::vector<bool>& picked)
{
    StagedChoice choice(facts);
    std::vector<StagedPassPlan> passes;
    for (std::size_t passIndex = 0; passIndex < kStagedPasses; ++passIndex) {
        std::size_t width = kGroup;
        const std::vector<std::size_t> members = choice.PickPass(width);
        if (members.empty()) break;
        StagedPassPlan pass = StagedPassOf(facts, members, width);
        pass.segmentEnds = SegmentEnds(MeaningsOf(facts, pass));
        passes.push_back(std::move(pass));
    }
    picked = choice.Picked();
    return passes;
}

// The pairs a staged pass tests, as item sets.
std::vector<ItemBits> TestedPairs(const std::vector<StagedPassPlan>& passes)
{
    std::vector<ItemBits> testedWith(kItemCount);
    for (const StagedPassPlan& pass : passes) {
        for (const auto& [g, h] : pass.pairs) {
            testedWith[pass.items[g]].Set(pass.items[h]);
            testedWith[pass.items[h]].Set(pass.items[g]);
        }
    }
    return testedWith;
}

// The candidates in the full pass's order: first, greedily, those that
// reject the most deals the staged passes let through, alone or in new
// pairs (the lead stage tests those alone), then the rest as they come.
std::vector<int> FullPassOrder(const ItemFacts& facts, const std::vector<bool>& picked,
                               const std::vector<ItemBits>& testedWith)
{
    const std::vector<int>& candidates = facts.candidates;
    std::vector<int> ordered;
    std::vector<bool> taken(candidates.size());
    double alive = 1;
    while (ordered.size() < lanes::kLeadGroups * kGroup && ordered.size() < candidates.size()) {
        std::size_t best = 0;
        double bestAlive = 2;
        for (std::size_t c = 0; c < candidates.size(); ++c) {
            if (taken[c]) continue;
            const int item = candidates[c];
            double with = alive * (picked[c] ? 1 : 1 - facts.rejectingSlots[Index(item)] / double{kSlotCount});
            for (int other : ordered) {
                if (!facts.CanWaitFor(item, other) || testedWith[Index(item)].Test(other)) continue;
                with *= 1 - facts.waitingSlotCount[Index(item)] * facts.waitingSlotCount[Index(other)] /
                                double{kSlotCount * kSlotCount};
            }
            if (with < bestAlive) {
                bestAlive = with;
                best = c;
            }
        }
        taken[best] = true;
        alive = bestAlive;
        ordered.push_back(candidates[best]);
    }
    for (std::size_t c = 0; c < candidates.size(); ++c)
        if (!taken[c]) ordered.push_back(candidates[c]);
    return ordered;
}

// The candidates that fit; the rest of the last group follows the first
// items nobody else does, which rejects nothing but lets the exact test of
// the first items run on the landings alone.
void FollowItems(const std::vector<int>& order, FullPassPlan& full)
{
    std::array<bool, kSlotCount> followed{};
    for (int item : order) {
        if (full.items.size() == lanes::kMaxFollowed) break;
        full.items.push_back(static_cast<std::uint8_t>(item));
        followed[Index(item)] = true;
    }
    full.candidates = full.items.size();
    full.everyCandidate = full.candidates == order.size();
    for (int item = 0; full.items.size() % kGroup != 0 && item < kSlotCount; ++item)
        if (!followed[Index(item)]) full.items.push_back(static_cast<std::uint8_t>(item));
}

// The lead stage, where enough items follow, and the pairs that can wait
// for each other, but for those a staged pass tests and those too unlikely
// to be worth a test.
void PlanWaits(const ItemFacts& facts, const std::vector<ItemBits>& testedWith, FullPassPlan& full)
{
    for (std::size_t t = 0; t < full.items.size() && full.waiters.size() < lanes::kMaxWaiters; ++t) {
        const int item = full.items[t];
        if (!facts.pinned[Index(item)] && facts.waitingSlotCount[Index(item)] > 0)
            full.waiters.push_back(static_cast<std::uint8_t>(t));
    }
    const std::size_t lanesFollowed = (full.items.size() + kGroup - 1) / kGroup * kGroup;
    if (lanesFollowed >= (lanes::kLeadGroups + 1) * kGroup) {
        full.lead = lanes::kLeadGroups * kGroup;
        while (full.leadWaiters < full.waiters.size() && full.waiters[full.leadWaiters] < full.lead) ++full.leadWaiters;
    }
    for (std::size_t w = 0; w < full.waiters.size(); ++w) {
        const int a = full.items[full.waiters[w]];
        for (std::size_t v = w + 1; v < full.waiters.size(); ++v) {
            const int b = full.items[full.waiters[v]];
            if (!testedWith[Index(a)].Test(b) &&
                facts.waitingSlotCount[Index(a)] * facts.waitingSlotCount[Index(b)] >= kLeastPairWeight)
                full.waitPairs.push_back({static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(v)});
        }
    }
}

void DescribeItems(std::ostream& out, const char* label, const std::vector<std::uint8_t>& items, std::size_t first,
                   std::size_t end)
{
    if (first >= end) return;
    out << "    " << label << ":";
    for (std::size_t t = first; t < end; ++t) out << ' ' << int{items[t]};
    out << '\n';
}

} // namespace

bool ItemFacts::CanWaitFor(int a, int b) const
{
    return a != b && !pinned[Index(a)] && !pinned[Index(b)] && waitingSlotCount[Index(a)] > 0 &&
           waitingSlotCount[Index(b)] > 0;
}

lanes::Meanings MeaningsOf(const ItemFacts& facts, const StagedPassPlan& pass)
{
    lanes::Meanings meaning{};
    for (std::size_t g = 0; g < kGroup; ++g) {
        if (((unsigned{pass.members} >> g) & 1u) == 0) continue;
        for (std::size_t slot = 0; slot < kSlotCount; ++slot)
            meaning[slot][g] = static_cast<std::uint8_t>(facts.rejects[pass.items[g]][slot] ? 1u << g : 0u);
    }
    for (const auto& [a, b] : pass.pairs) {
        for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
            if (facts.waitingSlots[pass.items[b]][slot]) meaning[slot][a] |= static_cast<std::uint8_t>(1u << b);
            if (facts.waitingSlots[pass.items[a]][slot]) meaning[slot][b] |= static_cast<std::uint8_t>(1u << a);
        }
    }
    return meaning;
}

SearchPlan MakeSearchPlan(const ItemSlotTable& table, const ItemRules& rules, const std::vector<int>& pinnedSlots,
                          Reasoning reasoning)
{
    SearchPlan plan;
    plan.facts = FactsOf(table, rules, pinnedSlots, reasoning);
    std::vector<bool> picked;
    plan.stagedPasses = PlanStagedPasses(plan.facts, picked);
    const std::vector<ItemBits> testedWith = TestedPairs(plan.stagedPasses);
    FollowItems(FullPassOrder(plan.facts, picked, testedWith), plan.fullPass);
    PlanWaits(plan.facts, testedWith, plan.fullPass);
    return plan;
}

std::string Describe(const SearchPlan& plan)
{
    std::ostringstream out;
    for (std::size_t s = 0; s < plan.stagedPasses.size(); ++s) {
        const StagedPassPlan& pass = plan.stagedPasses[s];
        out << "staged pass " << s + 1 << ", " << pass.width << " wide: items";
        for (std::size_t g = 0; g < pass.width; ++g)
            if ((unsigned{pass.members} >> g) & 1u) out << ' ' << int{pass.items[g]};
        const auto members = static_cast<std::size_t>(std::popcount(pass.members));
        const bool everyPair = members > 1 && pass.pairs.size() == members * (members - 1) / 2;
        out << "\n    pairs:" << (everyPair ? " every one" : "");
        for (const auto& [g, h] : pass.pairs)
            if (!everyPair) out << ' ' << int{pass.items[g]} << '-' << int{pass.items[h]};
        out << "\n    segments end at draws:";
        for (std::uint32_t end : pass.segmentEnds) out << ' ' << end;
        out << '\n';
    }
    const FullPassPlan& full = plan.fullPass;
    out << "full pass: " << full.candidates << " of " << plan.facts.candidates.size() << " candidates"
        << (full.everyCandidate ? "" : " (not every one fits)") << "; lead stage: " << full.lead << " items, "
        << full.leadWaiters << " waiters\n";
    const std::size_t lead = std::min(full.lead, full.candidates);
    DescribeItems(out, "lead", full.items, 0, lead);
    DescribeItems(out, "then", full.items, lead, full.candidates);
    DescribeItems(out, "for the first items' test", full.items, full.candidates, full.items.size());
    std::vector<std::uint8_t> waiters;
    for (std::uint8_t t : full.waiters) waiters.push_back(full.items[t]);
    DescribeItems(out, "waiters", waiters, 0, waiters.size());
    out << "    " << full.waitPairs.size() << " wait pairs, by first waiter (*: the lead stage tests it too):";
    for (std::size_t p = 0; p < full.waitPairs.size(); ++p) {
        const auto [w, v] = full.waitPairs[p];
        if (p == 0 || full.waitPairs[p - 1][0] != w) out << "\n        " << int{waiters[w]} << ":";
        out << ' ' << int{waiters[v]} << (v < full.leadWaiters ? "*" : "");
    }
    out << '\n';
    return out.str();
}

} // namespace tarvenna
