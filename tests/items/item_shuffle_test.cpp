#include "items/item_shuffle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "driver/generate_seed.h"
#include "driver/item_stage.h"
#include "search/lane_divisors.h"
#include "items/sequential_item_search.h"

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

struct RunOutcome {
    GeneratorState state;
    std::string log;
};

RunOutcome RunItemStage(Settings settings, std::uint32_t seed)
{
    RunOutcome outcome;
    Rng rng(seed);
    StatusLog log;
    BuildItemTables(settings, outcome.state, rng);
    EXPECT_EQ(RandomizeItems(settings, outcome.state, rng, log, nullptr), ItemStageResult::Done);
    outcome.log = log.Text();
    return outcome;
}

TEST(ItemShuffle, PinningMovesTheDisplacedItemToWhereThePinnedItemWas)
{
    std::vector<int> assignment(180);
    std::iota(assignment.begin(), assignment.end(), 0);
    const std::vector<int> identity = assignment;
    std::swap(assignment[10], assignment[20]); // slot 10 holds 20, slot 20 holds 10
    plain::PinSlot(20, assignment);
    EXPECT_EQ(assignment, identity);
    plain::PinSlot(5, assignment); // already in place: nothing moves
    EXPECT_EQ(assignment, identity);
}

TEST(ItemShuffle, CompactDealEqualsThePlainDealWithItsPinOrder)
{
    for (Character character : {Character::Jill, Character::Chris}) {
        for (Difficulty difficulty : {Difficulty::Normal, Difficulty::Hard}) {
            Settings settings;
            settings.character = character;
            settings.difficulty = difficulty;
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
}

TEST(ItemShuffle, PinnedSlotsDependOnCharacterAndDifficulty)
{
    Settings settings;
    EXPECT_EQ(PinnedSlots(settings), (std::vector<int>{90, 91, 114, 48, 123, 147, 26, 27, 39}));
    settings.character = Character::Chris;
    EXPECT_EQ(PinnedSlots(settings), (std::vector<int>{90, 91, 114, 48, 123, 147}));
    settings.difficulty = Difficulty::Hard;
    const std::vector<int> chrisHard = PinnedSlots(settings);
    EXPECT_EQ(chrisHard.size(), 6u + 37u + 2u);
    EXPECT_EQ(chrisHard.back(), 76);
    settings.character = Character::Jill;
    const std::vector<int> jillHard = PinnedSlots(settings);
    EXPECT_EQ(std::count(jillHard.begin(), jillHard.end(), 27), 2); // 27 is also a Hard pin
    EXPECT_EQ(std::count(jillHard.begin(), jillHard.end(), 39), 0);
}

TEST(ItemShuffle, EveryDealIsAPermutationWithThePinsInPlaceAndUses180Draws)
{
    Settings settings;
    settings.character = Character::Chris;
    settings.difficulty = Difficulty::Hard;
    const std::vector<int> pinned = PinnedSlots(settings);
    Rng rng(99);
    SlotAssignment assignment{};
    for (int deal = 0; deal < 200; ++deal) {
        Rng expectedAfter = rng;
        for (int i = 0; i < 180; ++i) expectedAfter.Next();
        ShuffleItems(pinned, rng, assignment);
        EXPECT_EQ(rng.State(), expectedAfter.State());
        SlotAssignment sorted = assignment;
        std::sort(sorted.begin(), sorted.end());
        ASSERT_EQ(sorted, Identity());
        for (int slot : pinned) ASSERT_EQ(assignment[static_cast<std::size_t>(slot)], slot);
    }
}

TEST(ItemShuffle, DealTakesTheDrawnPoolEntryInOrder)
{
    // With no pins, slot s receives pool entry rand() % (180 - s) of the shrinking pool.
    Rng rng(2024);
    Rng replay = rng;
    SlotAssignment assignment{};
    ShuffleItems({}, rng, assignment);
    std::vector<int> pool(180);
    std::iota(pool.begin(), pool.end(), 0);
    for (std::size_t slot = 0; slot < 180; ++slot) {
        const auto k = static_cast<std::size_t>(replay.Next()) % pool.size();
        ASSERT_EQ(assignment[slot], pool[k]) << slot;
        pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(k));
    }
}

TEST(PlacementValidator, ForbiddenKeyRejectsEvenWhenEverythingIsReachable)
{
    ItemSlotTable table = OpenTable();
    table.locationKeys[7] = 3;
    table.forbiddenLocations[48] = {3};
    const ItemRules rules(table);
    PlacementValidator validator(rules);
    SlotAssignment assignment = Identity();
    EXPECT_TRUE(validator.ValidatePlacement(assignment));
    std::swap(assignment[7], assignment[48]); // item 48 now lies in key 3
    EXPECT_FALSE(validator.ValidatePlacement(assignment));
}

TEST(PlacementValidator, RequiredListAndAlternatives)
{
    ItemSlotTable table = OpenTable();
    table.locationKeys[0] = 19;
    table.locationKeys[1] = 20;
    // Key 19 needs item 100 and then either 102 alone or both 34 and 129.
    table.requirements[19] = {{0, {100}}, {1, {102}}, {2, {34, 129}}};
    // Key 20 locks 102, 34 and 129 away unless item 0 is reachable: a cycle through key 19.
    table.requirements[20] = {{0, {0}}};
    const ItemRules rules(table);
    PlacementValidator validator(rules);

    SlotAssignment assignment = Identity();
    EXPECT_TRUE(validator.ValidatePlacement(assignment));

    SlotAssignment required = Identity();
    std::swap(required[0], required[100]); // item 100 now lies behind key 19, which needs it
    EXPECT_FALSE(validator.ValidatePlacement(required));

    // 102 behind key 20: the first alternative fails through the cycle and
    // the second opens key 19, but the failed test left 102 on the check
    // stack, the success popped it instead of 0, and key 20 then finds item 0
    // "in progress": rejected although every item could be reached.
    SlotAssignment behind = Identity();
    std::swap(behind[1], behind[102]);
    EXPECT_FALSE(validator.ValidatePlacement(behind));

    // With 102 behind a key that needs only an open item, alternative 1 holds.
    table.requirements[20] = {{0, {50}}};
    const ItemRules open(table);
    PlacementValidator openValidator(open);
    EXPECT_TRUE(openValidator.ValidatePlacement(behind));
}

TEST(PlacementValidator, ItemInsideItsOwnRequiredKeyIsUnreachable)
{
    ItemSlotTable table = OpenTable();
    table.locationKeys[5] = 30;
    table.requirements[30] = {{0, {5}}};
    const ItemRules rules(table);
    PlacementValidator validator(rules);
    EXPECT_FALSE(validator.ValidatePlacement(Identity()));
}

// A failed nested test leaves its item on the check stack and a later
// success pops only the last entry, so an item that finished can still count
// as in progress for the next items of the same pass.
TEST(PlacementValidator, LeftOverCheckStackEntriesRejectAReachableDeal)
{
    ItemSlotTable table = OpenTable();
    table.locationKeys[0] = 10;
    table.locationKeys[1] = 11;
    table.requirements[10] = {{1, {1}}, {2, {2}}}; // item 0: through item 1 or item 2
    table.requirements[11] = {{0, {0}}};           // item 1: needs item 0
    const ItemRules rules(table);
    PlacementValidator validator(rules);
    // Every item is reachable (0 through 2, then 1 through 0), yet testing 0
    // leaves 0 on the stack and the test of 1 then finds 0 "in progress".
    EXPECT_FALSE(validator.ValidatePlacement(Identity()));

    // The rejection emptied the stack: a deal without the trap passes next.
    table.requirements[10] = {{1, {2}}};
    const ItemRules plain(table);
    PlacementValidator plainValidator(plain);
    EXPECT_TRUE(plainValidator.ValidatePlacement(Identity()));
    EXPECT_FALSE(validator.ValidatePlacement(Identity()));
    EXPECT_FALSE(validator.ValidatePlacement(Identity()));
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
            Rng rng(static_cast<std::uint32_t>(source.Next()) << 15 ^ static_cast<std::uint32_t>(source.Next()));
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

TEST(PlacementValidator, AnEmptyAlternativeEndsTheAlternatives)
{
    ItemSlotTable table = OpenTable();
    table.locationKeys[0] = 10;
    table.locationKeys[9] = 12;
    table.requirements[12] = {{0, {9}}}; // item 9 is unreachable
    // List 2 is empty, so list 3 is no alternative: only item 9 could open key 10.
    table.requirements[10] = {{1, {9}}, {2, {}}, {3, {4}}};
    const ItemRules rules(table);
    PlacementValidator validator(rules);
    SlotAssignment assignment = Identity();
    EXPECT_FALSE(validator.ValidatePlacement(assignment));
}

TEST(RandomizeItems, AcceptedDealsKeepEveryPinnedSlotAndPassValidation)
{
    for (Character character : {Character::Jill, Character::Chris}) {
        for (Difficulty difficulty : {Difficulty::Normal, Difficulty::Hard}) {
            Settings settings;
            settings.character = character;
            settings.difficulty = difficulty;
            for (std::uint32_t seed : {3u, 4u}) {
                RunOutcome outcome = RunItemStage(settings, seed);
                const auto& slots = outcome.state.slotAssignment;
                ASSERT_EQ(slots.size(), 180u);
                for (int slot : PinnedSlots(settings)) EXPECT_EQ(slots[static_cast<std::size_t>(slot)], slot);
                SlotAssignment accepted{};
                std::copy(slots.begin(), slots.end(), accepted.begin());
                const ItemRules rules(outcome.state.itemSlotTable);
                PlacementValidator validator(rules);
                EXPECT_TRUE(validator.ValidatePlacement(accepted));
            }
        }
    }
}

TEST(RandomizeItems, ProgressMarksFollowTheAttemptCount)
{
    Settings settings;
    settings.character = Character::Chris;
    settings.difficulty = Difficulty::Hard;
    const RunOutcome outcome = RunItemStage(settings, 1);
    const std::uint64_t attempts = outcome.state.itemAttempts;
    ASSERT_GT(attempts, 20003u); // long enough for two marks
    // The first mark comes before attempt 10002, each further one 10001 attempts later.
    const std::uint64_t marks = (attempts - 10002) / 10001 + 1;
    EXPECT_EQ(outcome.log, "Randomizing Items. . ." + [&] {
        std::string dots;
        for (std::uint64_t i = 0; i < marks; ++i) dots += " .";
        return dots;
    }() + "done after " + std::to_string(attempts) + " attempts!\n");
}

TEST(RandomizeItems, SameSeedSameDealAndAStopRequestEndsTheSearch)
{
    Settings settings;
    const RunOutcome first = RunItemStage(settings, 77);
    const RunOutcome second = RunItemStage(settings, 77);
    EXPECT_EQ(first.state.slotAssignment, second.state.slotAssignment);
    EXPECT_EQ(first.state.itemAttempts, second.state.itemAttempts);

    settings.character = Character::Chris;
    GeneratorState state;
    Rng rng(1);
    StatusLog log;
    BuildItemTables(settings, state, rng);
    StopFlag stop{true};
    EXPECT_EQ(RandomizeItems(settings, state, rng, log, &stop), ItemStageResult::Stopped);
    EXPECT_TRUE(state.slotAssignment.empty());
}

} // namespace
} // namespace tarvenna

namespace tarvenna {
namespace {

TEST(DealDivisors, EqualTheRemainderForEveryValueAndDivisorOfADeal)
{
    for (std::uint32_t n = 1; n <= 180; ++n)
        for (std::uint32_t x = 0; x <= 32767; ++x) {
            ASSERT_EQ(kDealDivisors.Remainder(x, n), x % n) << x << " % " << n;
            ASSERT_EQ(kDealDivisors16.Remainder(x, n), x % n) << x << " % " << n << " in 16 bits";
        }
}

} // namespace
} // namespace tarvenna
