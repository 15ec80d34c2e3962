#include "search/fast_item_search.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "search/deal_lanes.h"
#include "items/item_bits.h"

namespace tarvenna {
namespace {

using lanes::kGroup;
using lanes::kLanes;
constexpr std::uint32_t kDrawsPerDeal = kSlotCount;
// A thread claims a chunk of deals at a time: small ones first, as most
// searches end early, then large ones, as each chunk ends with part-filled
// batches.
constexpr std::uint64_t kSmallChunk = 4096;
constexpr std::uint64_t kSmallChunks = 8;
constexpr std::uint64_t kLargeChunk = 16384;
std::uint64_t ChunkStart(std::uint64_t chunk)
{
    return chunk <= kSmallChunks ? chunk * kSmallChunk
                                 : kSmallChunks * kSmallChunk + (chunk - kSmallChunks) * kLargeChunk;
}
constexpr std::size_t kStagedPasses = 2;
constexpr double kSegmentCost = 12;    // the work of a segment's start and end, in draws
constexpr double kSurvivorCost = 300; // the later work for a deal that survives a staged pass, in draws
constexpr std::uint64_t kNone = ~std::uint64_t{0};
// A pair whose waiting slots make a cycle likelier than this, as the
// product of their counts (out of 180 * 180), earns a test in the full pass.
constexpr int kLeastPairWeight = 24;

std::size_t Index(int value) { return static_cast<std::size_t>(value); }

// The work of one draw in a staged pass that follows `width` items, as a
// share of that of a full group: the draw itself costs about four times the
// counting for one item, as measured (its multiplies overlap the counting).
double DrawWork(std::size_t width)
{
    constexpr double kDraw = 4;
    return (kDraw + static_cast<double>(width)) / (kDraw + static_cast<double>(kGroup));
}


} // namespace

struct FastItemSearch::Prepared {
    ItemRules rules;
    std::vector<int> pinnedSlots;
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
    std::vector<lanes::ClauseBlock> clauses;          // a rule's required items and one alternative
    std::uint64_t slotRules = 0;                      // every rule some slot has
    std::uint64_t allRequired = 0;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> requiredFollowed; // followed index, dense bit
    lanes::RuleOfItem requiredRules{}; // of the required items past the slots; the others' vary
    int testedFirst = 0;               // items 0 .. testedFirst - 1 are followed, and all they need
    struct Forbidden {
        std::uint8_t followed;
        std::array<std::uint64_t, 3> slots; // where the item is forbidden
    };
    std::vector<Forbidden> forbidden;

    explicit Prepared(const ItemSlotTable& table) : rules(table) {}

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
};

FastItemSearch::FastItemSearch(const ItemSlotTable& table, const std::vector<int>& pinnedSlots, Kernels kernels)
{
    auto prepared = std::make_unique<Prepared>(table);
    Prepared& p = *prepared;
    const ItemRules& rules = p.rules;
    p.pinnedSlots = pinnedSlots;
    p.kernels = kernels == Kernels::Fastest && lanes::Avx512Kernels() ? lanes::Avx512Kernels()
                                                                       : &lanes::PortableKernels();
    std::array<bool, kSlotCount> pinned{};
    for (int slot : pinnedSlots) pinned[Index(slot)] = true;

    // Requirement lists as item sets, to find the items each key needs.
    struct KeyMasks {
        ItemBits required{};
        std::vector<ItemBits> alternatives;
    };
    std::vector<KeyMasks> keyMasks(ItemRules::kMaxKey);
    std::array<bool, kItemCount> required{};
    for (int key = 0; key < ItemRules::kMaxKey; ++key) {
        const ItemRules::KeyRule& rule = rules.Rule(key);
        KeyMasks& masks = keyMasks[Index(key)];
        const int* items = rules.Items(rule.required);
        for (int i = 0; i < rule.required.count; ++i) {
            masks.required.Set(items[i]);
            required[Index(items[i])] = true;
        }
        for (int a = 0; a < rule.alternativeCount; ++a) {
            const ItemRules::List& list = rules.Alternative(rule.firstAlternative + a);
            ItemBits bits{};
            for (int i = 0; i < list.count; ++i) {
                bits.Set(rules.Items(list)[i]);
                required[Index(rules.Items(list)[i])] = true;
            }
            masks.alternatives.push_back(bits);
        }
    }

    // What a key needs whatever alternative opens it: its required items and
    // the items that every alternative names.
    std::vector<ItemBits> strictNeeds(ItemRules::kMaxKey);
    for (std::size_t key = 0; key < strictNeeds.size(); ++key) {
        const KeyMasks& masks = keyMasks[key];
        ItemBits common{};
        if (!masks.alternatives.empty()) common = masks.alternatives.front();
        for (const ItemBits& alternative : masks.alternatives) common &= alternative;
        strictNeeds[key] = masks.required;
        strictNeeds[key] |= common;
    }
    auto strictlyNeeds = [&](int key, int item) {
        return key >= 0 && key < ItemRules::kMaxKey && strictNeeds[Index(key)].Test(item);
    };
    // The slots that no pin touches whose key strictly needs each item: an
    // item there waits for it. Two items that wait for each other are never
    // reached, and neither is an item that waits for itself.
    using SlotSet = std::array<bool, kSlotCount>;
    std::vector<SlotSet> waitingSlots(kItemCount);
    std::vector<int> waitingSlotCount(kItemCount);
    for (int item = 0; item < kItemCount; ++item) {
        for (int slot = 0; slot < kSlotCount; ++slot) {
            if (pinned[Index(slot)] || !strictlyNeeds(rules.KeyOfSlot(slot), item)) continue;
            waitingSlots[Index(item)][Index(slot)] = true;
            ++waitingSlotCount[Index(item)];
        }
    }
    // Items whose place every deal fixes: the pinned ones and those past the slots.
    std::vector<std::pair<int, int>> fixedItems; // item, key it lies behind
    for (int item = 0; item < kItemCount; ++item)
        if (item >= kSlotCount || pinned[Index(item)]) fixedItems.emplace_back(item, rules.KeyOfSlot(std::min(item, kSlotCount)));

    // Where an item that no pin moves certainly rejects its deal by itself:
    // a forbidden key, a key that strictly needs the item itself, or one that
    // strictly needs a fixed item whose own key strictly needs this one.
    struct Candidate {
        int item = 0;
        int rejectingSlots = 0;
        SlotSet rejects{};
        bool forbiddenSomewhere = false;
        bool needed = false; // the full pass must follow it
    };
    std::vector<Candidate> candidates;
    for (int item = 0; item < kSlotCount; ++item) {
        Candidate candidate;
        candidate.item = item;
        candidate.forbiddenSomewhere = table.forbiddenLocations.count(item) != 0;
        candidate.needed = pinned[Index(item)] || required[Index(item)] || candidate.forbiddenSomewhere;
        if (!pinned[Index(item)]) {
            std::vector<int> waitedForBy; // fixed items that wait for this one
            for (const auto& [fixed, key] : fixedItems)
                if (strictlyNeeds(key, item)) waitedForBy.push_back(fixed);
            for (int slot = 0; slot < kSlotCount; ++slot) {
                if (pinned[Index(slot)]) continue;
                bool rejects = rules.IsForbidden(item, rules.KeyOfSlot(slot)) || waitingSlots[Index(item)][Index(slot)];
                for (int fixed : waitedForBy) rejects = rejects || waitingSlots[Index(fixed)][Index(slot)];
                candidate.rejects[Index(slot)] = rejects;
                candidate.rejectingSlots += rejects ? 1 : 0;
            }
        }
        if (candidate.needed || candidate.rejectingSlots > 0) candidates.push_back(candidate);
    }
    auto canWaitFor = [&](const Candidate& a, const Candidate& b) {
        return &a != &b && !pinned[Index(a.item)] && !pinned[Index(b.item)] &&
               waitingSlotCount[Index(a.item)] > 0 && waitingSlotCount[Index(b.item)] > 0;
    };

    // The staged passes, eight items each, picked greedily to make a pass
    // cheap: the work of a deal is the draws it lives through, plus what
    // comes after for the deals that survive. Each item lands in any slot as
    // likely as in any other, so the share of deals alive after d draws
    // follows from the slots before d where items reject alone or in pairs.
    // Sampled every few draws, which is plenty for choosing.
    constexpr std::uint32_t kStep = 4;
    constexpr std::size_t kPoints = kDrawsPerDeal / kStep + 1; // the last one: after every draw
    auto drawAt = [](std::size_t point) { return std::min<std::uint32_t>(static_cast<std::uint32_t>(point) * kStep, kDrawsPerDeal); };
    using Curve = std::array<double, kPoints>;
    auto countBefore = [&](const SlotSet& slots) {
        Curve share{};
        int before = 0;
        for (std::uint32_t slot = 0, point = 0; point < kPoints; ++point) {
            for (; slot < drawAt(point); ++slot) before += slots[slot] ? 1 : 0;
            share[point] = before / double{kSlotCount};
        }
        return share;
    };
    std::vector<Curve> rejectingShare(candidates.size());
    std::vector<Curve> waitingShare(candidates.size());
    for (std::size_t c = 0; c < candidates.size(); ++c) {
        rejectingShare[c] = countBefore(candidates[c].rejects);
        waitingShare[c] = countBefore(waitingSlots[Index(candidates[c].item)]);
    }
    auto workOf = [&](const Curve& share, std::size_t width) {
        double total = 0;
        for (std::size_t point = 0; point + 1 < kPoints; ++point) total += share[point] * kStep;
        return total * DrawWork(width) + share[kPoints - 1] * kSurvivorCost;
    };
    std::vector<bool> picked(candidates.size());
    for (std::size_t passIndex = 0; passIndex < kStagedPasses; ++passIndex) {
        std::vector<std::size_t> members;
        Curve survival;
        survival.fill(1);
        // With c added: what it rejects alone (an item from an earlier pass
        // only counts in new pairs), and its pairs with the members.
        auto aliveWith = [&](std::size_t c) {
            Curve result = survival;
            if (!picked[c])
                for (std::size_t point = 0; point < kPoints; ++point) result[point] *= 1 - rejectingShare[c][point];
            for (std::size_t m : members) {
                if (!canWaitFor(candidates[c], candidates[m])) continue;
                for (std::size_t point = 0; point < kPoints; ++point)
                    result[point] *= 1 - waitingShare[c][point] * waitingShare[m][point];
            }
            return result;
        };
        double passWork = workOf(survival, kGroup);
        std::vector<Curve> survivalAfter; // each member added
        while (members.size() < kGroup) {
            std::size_t best = candidates.size();
            for (std::size_t c = 0; c < candidates.size(); ++c) {
                if (std::find(members.begin(), members.end(), c) != members.end()) continue;
                const double withIt = workOf(aliveWith(c), kGroup);
                if (withIt < passWork) {
                    passWork = withIt;
                    best = c;
                }
            }
            if (best == candidates.size()) break;
            survival = aliveWith(best);
            members.push_back(best);
            survivalAfter.push_back(survival);
        }
        if (members.empty()) break;
        // Fewer items draw for less: the first few alone may do better.
        std::size_t width = kGroup;
        if (members.size() <= lanes::kNarrowGroup ||
            workOf(survivalAfter[lanes::kNarrowGroup - 1], lanes::kNarrowGroup) < passWork) {
            width = lanes::kNarrowGroup;
            members.resize(std::min(members.size(), width));
        }
        // Ascending items, padding (item 0, meaning nothing) included: the
        // trackers want those that count from the top last.
        auto itemOf = [](const Candidate* c) { return c ? c->item : 0; };
        std::vector<const Candidate*> sorted(width);
        for (std::size_t g = 0; g < members.size(); ++g) {
            sorted[g] = &candidates[members[g]];
            picked[members[g]] = true;
        }
        std::sort(sorted.begin(), sorted.end(), [&](const Candidate* a, const Candidate* b) { return itemOf(a) < itemOf(b); });
        std::array<const Candidate*, kGroup> group{};
        std::copy(sorted.begin(), sorted.end(), group.begin());

        lanes::StagedPass pass;
        pass.width = width;
        for (std::size_t g = 0; g < kGroup; ++g) pass.item[g] = static_cast<std::uint8_t>(itemOf(group[g]));
        lanes::StartTrackers(pass);
        for (std::size_t g = 0; g < kGroup; ++g)
            for (std::size_t h = g + 1; h < kGroup; ++h)
                if (group[g] && group[h] && canWaitFor(*group[g], *group[h]))
                    pass.pairs.push_back({static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(h)});
        lanes::Meanings meaning{};
        for (std::size_t slot = 0; slot < kSlotCount; ++slot)
            for (std::size_t g = 0; g < kGroup; ++g)
                meaning[slot][g] = static_cast<std::uint8_t>(group[g] && group[g]->rejects[slot] ? 1u << g : 0u);
        for (const auto& [a, b] : pass.pairs) {
            for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
                if (waitingSlots[Index(group[b]->item)][slot]) meaning[slot][a] |= static_cast<std::uint8_t>(1u << b);
                if (waitingSlots[Index(group[a]->item)][slot]) meaning[slot][b] |= static_cast<std::uint8_t>(1u << a);
            }
        }
        auto needsAt = [&](std::size_t g, std::uint32_t slot) { return meaning[slot][g]; };
        // Where segments end: each costs its draws and a fixed amount for
        // the deals that enter it, and fewer enter later ones. Every item
        // lands in any slot as likely as in any other, so the share still
        // alive after some draws follows from the slots that reject alone.
        std::array<double, kDrawsPerDeal + 1> alive{};
        std::array<int, kGroup> rejecting{};
        for (std::uint32_t slot = 0; slot <= kDrawsPerDeal; ++slot) {
            alive[slot] = 1;
            for (std::size_t g = 0; g < kGroup; ++g) alive[slot] *= 1 - rejecting[g] / double{kSlotCount};
            for (std::size_t g = 0; g < kGroup && slot < kDrawsPerDeal; ++g)
                rejecting[g] += static_cast<int>((unsigned{needsAt(g, slot)} >> g) & 1u);
        }
        std::array<double, kDrawsPerDeal + 1> cost{};
        std::array<std::uint32_t, kDrawsPerDeal + 1> segmentStart{};
        for (std::uint32_t end = 1; end <= kDrawsPerDeal; ++end) {
            cost[end] = -1;
            for (std::uint32_t first = end > kLanes ? end - kLanes : 0; first < end; ++first) {
                const double total = cost[first] + alive[first] * (end - first + kSegmentCost);
                if (cost[end] < 0 || total < cost[end]) {
                    cost[end] = total;
                    segmentStart[end] = first;
                }
            }
        }
        // Past the last slot where a landing means something, nothing more
        // can be learnt: the pass ends there.
        std::uint32_t passEnd = kDrawsPerDeal;
        while (passEnd > 1 && meaning[passEnd - 1] == lanes::Meanings::value_type{}) --passEnd;
        for (std::uint32_t end = passEnd; end > 0; end = segmentStart[end])
            pass.segments.insert(pass.segments.begin(), lanes::MakeSegment(segmentStart[end], end, meaning, pass.pairs));
        p.stagedPasses.push_back(pass);
    }

    // The full pass: every candidate, padded to whole groups. It follows
    // first the items that reject the most deals the staged passes let
    // through, alone or in new pairs: its lead stage tests those alone.
    std::vector<ItemBits> testedWith(kItemCount); // pairs a staged pass tests
    for (const lanes::StagedPass& pass : p.stagedPasses) {
        for (const auto& [g, h] : pass.pairs) {
            testedWith[pass.item[g]].Set(pass.item[h]);
            testedWith[pass.item[h]].Set(pass.item[g]);
        }
    }
    auto testedInAStagedPass = [&](int a, int b) { return testedWith[Index(a)].Test(b); };
    {
        std::vector<Candidate> ordered;
        std::vector<bool> taken(candidates.size());
        double alive = 1;
        while (ordered.size() < lanes::kLeadGroups * kGroup && ordered.size() < candidates.size()) {
            std::size_t best = 0;
            double bestAlive = 2;
            for (std::size_t c = 0; c < candidates.size(); ++c) {
                if (taken[c]) continue;
                double with = alive * (picked[c] ? 1 : 1 - candidates[c].rejectingSlots / double{kSlotCount});
                for (const Candidate& other : ordered) {
                    if (!canWaitFor(candidates[c], other) || testedInAStagedPass(candidates[c].item, other.item)) continue;
                    with *= 1 - waitingSlotCount[Index(candidates[c].item)] * waitingSlotCount[Index(other.item)] /
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
        candidates = std::move(ordered);
    }
    lanes::FullPass& full = p.fullPass;
    for (const Candidate& candidate : candidates) {
        if (full.count == lanes::kMaxFollowed) break;
        const std::size_t t = full.count++;
        full.item[t] = static_cast<std::uint8_t>(candidate.item);
        for (std::size_t slot = 0; slot < kSlotCount; ++slot) full.rejects[t][slot] = candidate.rejects[slot] ? 0xFF : 0;
    }
    p.fullPassComplete = full.count == candidates.size();
    std::array<int, kItemCount> followedOf{};
    followedOf.fill(-1);
    for (std::size_t t = 0; t < full.count; ++t) followedOf[full.item[t]] = static_cast<int>(t);
    // The rest of the last group follows the first items nobody else does,
    // which rejects nothing but lets the exact test of the first items run
    // on the landings alone.
    for (int item = 0; full.count % kGroup != 0 && item < kSlotCount; ++item) {
        if (followedOf[Index(item)] >= 0) continue;
        followedOf[Index(item)] = static_cast<int>(full.count);
        full.item[full.count++] = static_cast<std::uint8_t>(item);
    }
    p.followedCount = full.count;
    while (full.count % kGroup != 0) full.count++; // follows item 0, rejects nothing
    while (p.testedFirst < kSlotCount && followedOf[Index(p.testedFirst)] >= 0) ++p.testedFirst;

    // The pairs that can wait for each other, but for those a staged pass
    // tests and those too unlikely to be worth a test.
    std::vector<int> waiters; // items
    for (std::size_t t = 0; t < p.followedCount && waiters.size() < lanes::kMaxWaiters; ++t) {
        const int item = full.item[t];
        if (!pinned[Index(item)] && waitingSlotCount[Index(item)] > 0) {
            full.waiters.push_back(static_cast<std::uint8_t>(t));
            waiters.push_back(item);
        }
    }
    // The lead stage, where enough items follow it.
    if (full.count >= (lanes::kLeadGroups + 1) * kGroup) {
        full.lead = lanes::kLeadGroups * kGroup;
        while (full.leadWaiters < full.waiters.size() && full.waiters[full.leadWaiters] < full.lead) ++full.leadWaiters;
    }
    for (std::size_t w = 0; w < waiters.size(); ++w) {
        for (std::size_t v = w + 1; v < waiters.size(); ++v)
            if (!testedInAStagedPass(waiters[w], waiters[v]) &&
                waitingSlotCount[Index(waiters[w])] * waitingSlotCount[Index(waiters[v])] >= kLeastPairWeight)
                full.waitPairs.push_back({static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(v)});
        if (w % kGroup == 0) full.waitTables.emplace_back();
        for (std::size_t slot = 0; slot < kSlotCount; ++slot)
            if (waitingSlots[Index(waiters[w])][slot]) full.waitTables.back()[slot] |= static_cast<std::uint8_t>(1u << (w % kGroup));
    }
    for (const auto& pair : full.waitPairs)
        if (pair[1] < full.leadWaiters) full.leadPairs.push_back(pair);

    // The checks on its landings.
    std::array<int, kItemCount> denseOf{};
    denseOf.fill(-1);
    std::vector<std::size_t> unplaced; // dense bits of required items past the slots
    int denseCount = 0;
    for (int item = 0; item < kItemCount && p.fullPassComplete; ++item) {
        if (!required[Index(item)]) continue;
        if (denseCount == 64 || (item < kSlotCount && followedOf[Index(item)] < 0)) {
            p.fullPassComplete = false;
            break;
        }
        denseOf[Index(item)] = denseCount;
        if (item < kSlotCount)
            p.requiredFollowed.emplace_back(static_cast<std::uint8_t>(followedOf[Index(item)]),
                                            static_cast<std::uint8_t>(denseCount));
        else unplaced.push_back(static_cast<std::size_t>(denseCount));
        p.allRequired |= std::uint64_t{1} << denseCount;
        ++denseCount;
    }
    auto dense = [&](const ItemRules::List& list) {
        std::uint64_t bits = 0;
        for (int i = 0; i < list.count; ++i)
            if (denseOf[Index(rules.Items(list)[i])] >= 0) bits |= std::uint64_t{1} << denseOf[Index(rules.Items(list)[i])];
        return bits;
    };
    std::vector<std::pair<std::uint64_t, std::uint64_t>> clauses{{0, 1}}; // items, rules; rule 0 needs nothing
    std::array<std::size_t, ItemRules::kMaxKey> ruleOfKey{};
    for (int slot = 0; slot <= kSlotCount; ++slot) {
        const int key = rules.KeyOfSlot(slot); // slot 180: where the items past the slots are
        std::size_t rule = 0;
        if (key >= 0 && key < ItemRules::kMaxKey) {
            const ItemRules::KeyRule& keyRule = rules.Rule(key);
            if (keyRule.required.count != 0 || keyRule.alternativeCount != 0) {
                if (ruleOfKey[Index(key)] == 0 && p.ruleCount == 64) p.fullPassComplete = false;
                if (ruleOfKey[Index(key)] == 0 && p.ruleCount < 64) {
                    ruleOfKey[Index(key)] = p.ruleCount;
                    const std::uint64_t ruleBit = std::uint64_t{1} << p.ruleCount++;
                    const std::uint64_t requiredItems = dense(keyRule.required);
                    if (keyRule.alternativeCount == 0) clauses.emplace_back(requiredItems, ruleBit);
                    for (int a = 0; a < keyRule.alternativeCount; ++a)
                        clauses.emplace_back(requiredItems | dense(rules.Alternative(keyRule.firstAlternative + a)), ruleBit);
                }
                rule = ruleOfKey[Index(key)];
            }
        }
        p.ruleOfSlot[Index(slot)] = static_cast<std::uint8_t>(rule);
        if (slot < kSlotCount) p.slotRules |= std::uint64_t{1} << rule;
    }
    for (std::size_t bit : unplaced) p.requiredRules[bit] = p.ruleOfSlot[kSlotCount];
    for (std::size_t c = 0; c < clauses.size(); c += 8) {
        lanes::ClauseBlock block; // padding: rule 0 again
        for (std::size_t i = 0; i < 8 && c + i < clauses.size(); ++i) {
            block.items[i] = clauses[c + i].first;
            block.rules[i] = clauses[c + i].second;
        }
        p.clauses.push_back(block);
    }
    // A pin named twice finds its item home the second time.
    for (int slot : pinnedSlots) {
        if (followedOf[Index(slot)] < 0) p.fullPassComplete = false;
        const std::array<std::uint8_t, 2> pin{static_cast<std::uint8_t>(slot),
                                              static_cast<std::uint8_t>(std::max(0, followedOf[Index(slot)]))};
        if (std::find(full.pins.begin(), full.pins.end(), pin) == full.pins.end()) full.pins.push_back(pin);
    }
    for (const Candidate& candidate : candidates) {
        if (!candidate.forbiddenSomewhere) continue;
        Prepared::Forbidden f{static_cast<std::uint8_t>(std::max(0, followedOf[Index(candidate.item)])), {}};
        if (followedOf[Index(candidate.item)] < 0) p.fullPassComplete = false;
        for (int slot = 0; slot < kSlotCount; ++slot)
            if (rules.IsForbidden(candidate.item, rules.KeyOfSlot(slot))) f.slots[Index(slot / 64)] |= std::uint64_t{1} << (slot % 64);
        p.forbidden.push_back(f);
    }
    if (!p.fullPassComplete) {
        full.pins.clear();  // the landings stay those of the draws
        p.testedFirst = 0;  // the tests may ask about items nobody follows
    }
    prepared_ = std::move(prepared);
}

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
        for (std::size_t lane = 0; lane < kLanes; ++lane) laneJump_[lane] = Rng::JumpOf(kDrawsPerDeal * lane);
    }

    // The index of the first accepted deal among `count` deals from `first`
    // (whose start state is `state`), or kNone. Deals from `stopBelow` on
    // need no verdict; with `everyDeal`, deals after an accepted one do.
    std::uint64_t Search(std::uint64_t first, std::uint32_t state, std::uint64_t count, std::uint64_t stopBelow,
                         bool everyDeal = false)
    {
        static const Rng::Jump kBatchJump = Rng::JumpOf(std::uint64_t{kDrawsPerDeal} * kLanes);
        first_ = first;
        found_ = kNone;
        for (std::uint64_t batch = 0; batch < count; batch += kLanes) {
            if (first + batch >= stopBelow || (!everyDeal && first + batch > found_)) break;
            Feed(state, static_cast<std::uint32_t>(batch), std::min<std::uint64_t>(kLanes, count - batch));
            state = kBatchJump.Apply(state);
            Drain(false);
        }
        Drain(true);
        return found_;
    }

private:
    void Feed(std::uint32_t state, std::uint32_t batch, std::uint64_t lanesUsed)
    {
        lanes::LaneQueue& queue = queues_.front();
        const std::size_t at = queue.count;
        const bool staged = !p_.stagedPasses.empty();
        for (std::size_t lane = 0; lane < lanesUsed; ++lane) {
            const std::uint32_t start = laneJump_[lane].Apply(state);
            queue.state[at + lane] = start;
            queue.dealStart[at + lane] = start;
            queue.deal[at + lane] = batch + static_cast<std::uint32_t>(lane);
        }
        if (staged) {
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
        if (lastOfPass && pass + 1 < p_.stagedPasses.size()) restart = &p_.stagedPasses[pass + 1].start;
        else if (lastOfPass) restart = &p_.stagedPasses[pass].start; // the full pass ignores them
        const std::size_t before = next.count;
        const std::size_t from = BatchStart(queue);
        p_.kernels->runSegment(p_.stagedPasses[pass], *segmentOfQueue_[q], queue, from, LiveLanes(queue), next,
                               restart);
        if (funnel_) funnel_->batchDraws += segmentOfQueue_[q]->end - segmentOfQueue_[q]->first;
        if (funnel_ && lastOfPass) {
            for (std::size_t later = pass; later < funnel_->afterStagedPass.size(); ++later)
                if (later == pass || pass + 1 == p_.stagedPasses.size()) funnel_->afterStagedPass[later] += next.count - before;
        }
        queue.count = from;
    }

    void RunLead(std::size_t q)
    {
        lanes::LaneQueue& queue = queues_[q];
        const std::size_t from = BatchStart(queue);
        p_.kernels->landLead(p_.fullPass, queue, from, LiveLanes(queue), queues_[q + 1]);
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
        alive &= ~p_.kernels->landAll(p_.fullPass, queue, from, landings_, waits_);
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
        queue.count = from;
    }

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
    std::vector<lanes::LaneQueue> queues_;             // per segment of the staged passes, then the full pass
    std::vector<const lanes::Segment*> segmentOfQueue_;
    std::vector<std::size_t> passOfQueue_;
    std::vector<std::size_t> firstQueueOfPass_;
    std::size_t leadQueue_ = kNone;
    std::array<Rng::Jump, kLanes> laneJump_{};
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
    search.Search(0, startState, deals, kNone, true);
    return funnel;
}

ItemSearchResult FastItemSearch::Run(std::uint32_t startState, unsigned threads, const StopFlag* stop,
                                     const RejectedDealsListener& onRejected, std::uint64_t dealLimit) const
{
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
            const std::uint64_t first = ChunkStart(chunk);
            if (first >= std::min(best.load(), dealLimit) || stopped.load() || StopRequested(stop)) break;
            const std::uint32_t state = Rng::JumpOf(first * kDrawsPerDeal).Apply(startState);
            const std::uint64_t count = std::min(ChunkStart(chunk + 1), dealLimit) - first;
            const std::uint64_t found = search.Search(first, state, count, best.load());
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
            const std::uint64_t rejected = std::min({ChunkStart(finishedChunks), best.load(), dealLimit});
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
    if (stopped.load() || StopRequested(stop)) {
        result.stopped = true;
        return result;
    }
    if (accepted == kNone) {
        result.neverAccepted = true;
        result.attempts = dealLimit;
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
