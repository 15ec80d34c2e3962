#include "items/item_shuffle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>

#include "items/sequential_item_search.h"
#include "support/settings.h"
#include "support/random_word.h"

namespace tarvenna {
namespace {

SlotAssignment Identity()
{
    SlotAssignment assignment{};
    std::iota(assignment.begin(), assignment.end(), 0);
    return assignment;
}

// A table where every slot holds key 2 (open) unless a test says otherwise.
ItemSlotTable OpenTable()
{
    ItemSlotTable table;
    table.locationKeys.assign(180, 2);
    return table;
}

TEST(ItemShuffle, CompactDealEqualsThePlainDealWithItsPinOrder)
{
    for (const Settings& settings : EveryCharacterAndDifficulty()) {
        const std::vector<int> pinned = PinnedSlots(settings);
        Rng compactRng(17);
        Rng plainRng(17);
        SlotAssignment compact{};
        std::vector<int> plainDeal;
        for (int deal = 0; deal < 300; ++deal) {
            ShuffleItems(pinned, compactRng, compact);
            plain::ShuffleItems(settings, plainRng, plainDeal);
            ASSERT_EQ(std::vector<int>(compact.begin(), compact.end()), plainDeal);
        }
    }
}

// Small tables on an open map, each judged on the deal that leaves every item
// in its own slot but for one trade of two slots' items.
TEST(PlacementValidator, SmallTablesGetTheirVerdict)
{
    struct Case {
        const char* what;
        std::map<int, int> slotKeys;
        std::map<int, RequirementLists> requirements;
        std::map<int, std::vector<int>> forbidden;
        std::size_t slotA = 0, slotB = 0;  // traded
        bool valid = false;
    };
    // Key 19 needs item 100 and then either 102 alone or both 34 and 129; key
    // 20 locks 102, 34 and 129 away unless item 0 is reachable: a cycle
    // through key 19.
    const std::map<int, int> cycleKeys = {{0, 19}, {1, 20}};
    const RequirementLists key19 = {{0, {100}}, {1, {102}}, {2, {34, 129}}};
    const std::map<int, RequirementLists> cycle = {{19, key19}, {20, {{0, {0}}}}};
    const Case kCases[] = {
        {"forbidden key, item elsewhere", {{7, 3}}, {}, {{48, {3}}}, 0, 0, true},
        {"forbidden key, although everything is reachable", {{7, 3}}, {}, {{48, {3}}}, 7, 48, false},
        {"item inside its own required key", {{5, 30}}, {{30, {{0, {5}}}}}, {}, 0, 0, false},
        // List 2 is empty, so list 3 is no alternative: only the unreachable item 9 could open key 10.
        {"an empty alternative ends the alternatives", {{0, 10}, {9, 12}},
         {{12, {{0, {9}}}}, {10, {{1, {9}}, {2, {}}, {3, {4}}}}}, {}, 0, 0, false},
        {"cycle, items in place", cycleKeys, cycle, {}, 0, 0, true},
        {"required item behind the key that needs it", cycleKeys, cycle, {}, 0, 100, false},
        // The first alternative fails through the cycle and the second opens
        // key 19, but the failed test left 102 on the check stack, the success
        // popped it instead of 0, and key 20 then finds item 0 "in progress":
        // rejected although every item could be reached.
        {"alternative behind the cycle", cycleKeys, cycle, {}, 1, 102, false},
        {"alternative behind an open requirement", cycleKeys, {{19, key19}, {20, {{0, {50}}}}}, {}, 1, 102, true},
        // Every item is reachable (0 through 2, then 1 through 0), yet testing
        // 0 leaves 0 on the stack and the test of 1 then finds 0 "in progress".
        {"left-over entry of a failed test", {{0, 10}, {1, 11}}, {{10, {{1, {1}}, {2, {2}}}}, {11, {{0, {0}}}}}, {},
         0, 0, false},
    };
    for (const Case& c : kCases) {
        ItemSlotTable table = OpenTable();
        for (const auto& [slot, key] : c.slotKeys) table.locationKeys[static_cast<std::size_t>(slot)] = key;
        table.requirements = c.requirements;
        table.forbiddenLocations = c.forbidden;
        SlotAssignment assignment = Identity();
        std::swap(assignment[c.slotA], assignment[c.slotB]);
        const ItemRules rules(table);
        PlacementValidator validator(rules);
        EXPECT_EQ(validator.ValidatePlacement(assignment), c.valid) << c.what;
        // A rejection empties the check stack: the same deal gets the same verdict again.
        EXPECT_TRUE(c.valid || !validator.ValidatePlacement(assignment)) << c.what;
    }
}

// An accepted deal can leave an entry on the check stack: item 1 needs 5,
// tested first through it; 5's own test then tries 1 first, fails on 5 in
// progress, and opens through 2, and the pop takes 1 instead of 5. The next
// deal tested with the same validator must start afresh, as in the search,
// where an acceptance ends the loop.
TEST(PlacementValidator, ATestOfFirstItemsStartsAndEndsWithAnEmptyStack)
{
    ItemSlotTable table = OpenTable();
    table.locationKeys[1] = 11;
    table.locationKeys[5] = 15;
    table.requirements[11] = {{0, {5}}};
    table.requirements[15] = {{1, {1}}, {2, {2}}};
    const ItemRules rules(table);
    PlacementValidator validator(rules);
    ASSERT_TRUE(validator.ValidatePlacement(Identity()));
    EXPECT_FALSE(validator.ValidatePlacement(Identity())) << "5 left in progress rejects the same deal";

    PlacementValidator::SlotsOfItems slots = PlacementValidator::NoSlots();
    for (std::int16_t item = 0; item <= 5; ++item) slots[static_cast<std::size_t>(item)] = item;
    ASSERT_TRUE(validator.ValidatePlacement(Identity())); // 5 left in progress again
    EXPECT_TRUE(validator.FirstItemsReachable(slots, 6)) << "from an empty stack";
    EXPECT_TRUE(validator.ValidatePlacement(Identity())) << "leaving none of 5's test behind";

    // Its verdict is that of the full test's first items.
    table.requirements[15] = {{0, {1}}};
    const ItemRules cycle(table);
    PlacementValidator cycleValidator(cycle);
    EXPECT_FALSE(cycleValidator.FirstItemsReachable(slots, 2)) << "1 needs 5, which needs 1";
    EXPECT_FALSE(cycleValidator.ValidatePlacement(Identity()));
}

// Random tables dense with shared requirements, cycles and alternatives, so
// that tests are asked about the same items in many states of the check
// stack: the compact validator, which keeps clean answers for the rest of a
// deal, must agree with the plain one deal after deal, left-overs and all.
TEST(PlacementValidator, AgreesWithThePlainValidationOnRandomTables)
{
    Rng source(2024);
    int accepted = 0;
    int rejected = 0;
    for (int tableNumber = 0; tableNumber < 40; ++tableNumber) {
        ItemSlotTable table = OpenTable();
        for (int& key : table.locationKeys) key = static_cast<int>(source.Below(12));
        auto someItems = [&](std::uint32_t most) {
            std::vector<int> items(source.Below(most + 1));
            for (int& item : items) item = static_cast<int>(source.Below(8)); // few items, much sharing
            return items;
        };
        for (int key = 0; key < 10; ++key) {
            RequirementLists lists;
            if (source.Odd()) lists[0] = someItems(1);
            const auto alternatives = static_cast<int>(source.Below(4));
            for (int a = 1; a <= alternatives; ++a) lists[a] = someItems(3);
            table.requirements[key] = lists;
        }
        const ItemRules rules(table);
        PlacementValidator compact(rules);
        std::vector<int> checkStack;
        for (int deal = 0; deal < 200; ++deal) {
            Rng rng(RandomWord(source));
            SlotAssignment assignment{};
            ShuffleItems({}, rng, assignment);
            const std::vector<int> plainAssignment(assignment.begin(), assignment.end());
            const bool expected = plain::ValidatePlacement(table, plainAssignment, checkStack);
            ASSERT_EQ(compact.ValidatePlacement(assignment), expected) << "table " << tableNumber << " deal " << deal;
            (expected ? accepted : rejected)++;
        }
    }
    // Both verdicts occur often enough to mean something.
    EXPECT_GT(accepted, 200);
    EXPECT_GT(rejected, 200);
}

} // namespace
} // namespace tarvenna
