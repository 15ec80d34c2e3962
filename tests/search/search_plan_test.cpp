#include "search/search_plan.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "items/item_shuffle.h"
#include "core/index.h"
#include "items/sequential_item_search.h"
#include "search/fast_item_search.h"

namespace tarvenna {
namespace {

const Settings kChris{.character = Character::Chris};

// The slower checked builds (Debug, sanitizers) try fewer random tables.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
constexpr int kTables = 120;
#else
constexpr int kTables = 30;
#endif

// Chris's pins on Normal (48, 90, 91, 114, 123, 147) lie behind keys like
// any other slot, so rules that name them chain through them.
ItemSlotTable FreeTable()
{
    ItemSlotTable table;
    table.locationKeys.assign(kSlotCount, -1);
    return table;
}

void PutBehind(ItemSlotTable& table, int key, int firstSlot, int endSlot)
{
    for (int slot = firstSlot; slot < endSlot; ++slot) table.locationKeys[Index(slot)] = key;
}

SearchPlan PlanOf(const ItemSlotTable& table)
{
    const ItemRules rules(table);
    return MakeSearchPlan(table, rules, PinnedSlots(kChris));
}

// An item rejects its deal where the key cannot be opened before the item
// is reached: directly, through a pinned item that needs it, or because
// every alternative that opens the key names the item or such a pin.
TEST(SearchPlan, AnItemRejectsBehindAKeyThatNeedsItFirst)
{
    ItemSlotTable table = FreeTable();
    PutBehind(table, 1, 0, 40);    // pin 48 lies behind key 2 (slots 40..59)
    PutBehind(table, 2, 40, 60);   // key 1 needs pin 48
    PutBehind(table, 3, 60, 80);   // key 3 needs item 7 unless 48 and 9 are held
    PutBehind(table, 4, 85, 95);   // pin 90 lies here; key 4 needs item 11
    PutBehind(table, 5, 100, 120); // key 5 needs pin 90
    table.requirements[1] = {{0, {48}}};
    // Pin 48 needs 20, and [48, 21] never opens its key first: it names 48.
    table.requirements[2] = {{0, {20}}, {1, {48, 21}}, {2, {22, 21}}, {3, {21, 22, 23}}};
    table.requirements[3] = {{1, {7}}, {2, {48, 9}}};
    table.requirements[4] = {{0, {11}}};
    table.requirements[5] = {{0, {90}}};
    const ItemFacts facts = PlanOf(table).facts;

    for (int item : {20, 21, 22}) {
        EXPECT_TRUE(facts.rejects[Index(item)][10]) << item << " behind key 1, which needs pin 48, which needs it";
        EXPECT_FALSE(facts.rejects[Index(item)][150]) << item << " in a free slot";
    }
    EXPECT_FALSE(facts.rejects[23][10]) << "23 is only one way to open pin 48's key";
    EXPECT_TRUE(facts.rejects[11][110]) << "key 5 needs pin 90, which needs 11";
    EXPECT_FALSE(facts.rejects[11][10]);
    // Behind key 3, item 7 can only be reached through [48, 9]; 9 through [7].
    EXPECT_FALSE(facts.rejects[7][70] || facts.rejects[9][70]);
    EXPECT_FALSE(facts.rejects[20][70]) << "[7] opens key 3 before pin 48, which needs 20";
    table.requirements[3] = {{1, {7}}, {2, {7, 9}}};
    const ItemFacts selfNamed = PlanOf(table).facts;
    EXPECT_TRUE(selfNamed.rejects[7][70]) << "every alternative of key 3 names item 7";
    EXPECT_FALSE(selfNamed.rejects[9][70]);
    // Waiting slots chain through pins too: key 1's slots wait for 20.
    EXPECT_TRUE(facts.waitingSlots[20][10] && !facts.waitingSlots[20][150]);
}

// Small random rule tables, where many deals pass: no deal the exact test
// accepts has an item where the facts say it rejects, or two items that
// wait for each other; and the fast search finds the plain search's deals.
TEST(SearchPlan, RandomRulesNeverRejectAnAcceptedDeal)
{
    Rng rng(2026);
    const auto below = [&rng](int n) { return static_cast<int>(rng.Next() % n); };
    const std::vector<int> pins = PinnedSlots(kChris);
    const std::vector<int> named = {48, 90, 114, 147, 3, 7, 9, 20, 33, 61, 77, 101, 130, 162, 175};
    const auto someItems = [&](int most) {
        std::vector<int> items;
        for (int n = below(most + 1); n > 0; --n) items.push_back(named[Index(below(static_cast<int>(named.size())))]);
        return items;
    };
    int accepted = 0;
    int rejectingFacts = 0;
    for (int t = 0; t < kTables; ++t) {
        ItemSlotTable table = FreeTable();
        for (int& key : table.locationKeys) key = below(10) < 6 ? -1 : below(8);
        for (int key = 0; key < 8; ++key) {
            RequirementLists& lists = table.requirements[key];
            lists[0] = someItems(1);
            for (int a = 1, alternatives = below(4); a <= alternatives; ++a) lists[a] = someItems(2);
            if (lists[1].empty()) lists.erase(1);
        }
        if (below(2) == 0) table.forbiddenLocations[named[Index(below(15))]] = {below(8)};
        const ItemRules rules(table);
        const SearchPlan plan = MakeSearchPlan(table, rules, pins);
        for (int item = 0; item < kSlotCount; ++item) rejectingFacts += plan.facts.rejectingSlots[Index(item)];

        PlacementValidator validator(rules);
        SlotAssignment deal{};
        for (int d = 0; d < 400; ++d) {
            ShuffleItems(pins, rng, deal);
            if (!validator.ValidatePlacement(deal)) continue;
            ++accepted;
            std::array<int, kSlotCount> slotOf{};
            for (int slot = 0; slot < kSlotCount; ++slot) {
                const int item = deal[Index(slot)];
                slotOf[Index(item)] = slot;
                ASSERT_FALSE(plan.facts.rejects[Index(item)][Index(slot)])
                    << "table " << t << ": item " << item << " in slot " << slot;
            }
            for (int a : named) {
                for (int b : named) {
                    ASSERT_FALSE(plan.facts.CanWaitFor(a, b) && plan.facts.waitingSlots[Index(b)][Index(slotOf[Index(a)])] &&
                                 plan.facts.waitingSlots[Index(a)][Index(slotOf[Index(b)])])
                        << "table " << t << ": items " << a << " and " << b;
                }
            }
        }

        const std::uint32_t start = rng.State();
        StopFlag tooLong{false};
        const ItemSearchResult plain =
            SequentialItemSearch(table, kChris, start, &tooLong, [&](std::uint64_t n) { tooLong = n > 3000; });
        const ItemSearchResult quick = FastItemSearch(table, pins).Run(start, 2, nullptr, nullptr, 3000);
        if (plain.stopped) {
            EXPECT_TRUE(quick.neverAccepted) << "table " << t;
        } else {
            EXPECT_EQ(std::tie(quick.attempts, quick.assignment, quick.stateAfter),
                      std::tie(plain.attempts, plain.assignment, plain.stateAfter))
                << "table " << t;
        }
    }
    EXPECT_GT(accepted, 15 * kTables);
    EXPECT_GT(rejectingFacts, 25 * kTables);
}

} // namespace
} // namespace tarvenna
