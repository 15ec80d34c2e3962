#include "search/deal_lanes.h"

#include <bit>

namespace tarvenna::lanes {

std::uint64_t OpenedRules(const std::vector<ClauseBlock>& blocks, std::uint64_t reached)
{
    std::uint64_t opened = 0;
    for (const ClauseBlock& block : blocks)
        for (std::size_t i = 0; i < block.items.size(); ++i)
            opened |= block.rules[i] & (std::uint64_t{0} - std::uint64_t{(block.items[i] & ~reached) == 0});
    return opened;
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

void SetSlotBits(FullPass& pass)
{
    pass.waitBits.assign(pass.waiters.size(), {});
    for (std::size_t slot = 0; slot < kDraws; ++slot) {
        const auto bit = static_cast<std::uint8_t>(1u << (slot % 8));
        for (std::size_t t = 0; t < pass.count; ++t)
            if (pass.rejects[t][slot] != 0) pass.rejectBits[t][slot / 8] |= bit;
        for (std::size_t w = 0; w < pass.waiters.size(); ++w)
            if ((unsigned{pass.waitTables[w / kGroup][slot]} >> (w % kGroup)) & 1u) pass.waitBits[w][slot / 8] |= bit;
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

} // namespace tarvenna::lanes
