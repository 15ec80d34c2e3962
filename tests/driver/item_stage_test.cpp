#include "driver/item_stage.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "driver/generate_seed.h"
#include "items/item_shuffle.h"
#include "core/settings_test_support.h"

namespace tarvenna {
namespace {

// The item stage as the driver runs it; the log goes to `log`.
GeneratorState RunItemStage(const Settings& settings, std::uint32_t seed, unsigned threads, StatusLog& log)
{
    GeneratorState state;
    Rng rng(seed);
    BuildItemTables(settings, state, rng);
    EXPECT_EQ(RandomizeItems(settings, state, rng, log, nullptr, threads), ItemStageResult::Done);
    return state;
}

TEST(RandomizeItems, AcceptedDealsKeepEveryPinnedSlotAndPassValidation)
{
    for (const Settings& settings : EveryCharacterAndDifficulty()) {
        for (std::uint32_t seed : {3u, 4u}) {
            StatusLog log;
            const GeneratorState state = RunItemStage(settings, seed, seed - 2, log);
            const std::vector<int>& slots = state.slotAssignment;
            ASSERT_EQ(slots.size(), 180u);
            for (int slot : PinnedSlots(settings)) EXPECT_EQ(slots[static_cast<std::size_t>(slot)], slot);
            SlotAssignment accepted{};
            std::copy(slots.begin(), slots.end(), accepted.begin());
            const ItemRules rules(state.itemSlotTable);
            PlacementValidator validator(rules);
            EXPECT_TRUE(validator.ValidatePlacement(accepted));
        }
    }
}

TEST(RandomizeItems, ThreadsGiveTheSameDealAndAStopRequestEndsTheSearch)
{
    Settings settings;
    StatusLog firstLog;
    StatusLog secondLog;
    const GeneratorState first = RunItemStage(settings, 77, 1, firstLog);
    const GeneratorState second = RunItemStage(settings, 77, 2, secondLog);
    EXPECT_EQ(first.slotAssignment, second.slotAssignment);
    EXPECT_EQ(first.itemAttempts, second.itemAttempts);
    EXPECT_EQ(firstLog.Text(), secondLog.Text());

    settings.character = Character::Chris;
    GeneratorState state;
    Rng rng(1);
    StatusLog log;
    BuildItemTables(settings, state, rng);
    StopFlag stop{true};
    EXPECT_EQ(RandomizeItems(settings, state, rng, log, &stop, 2), ItemStageResult::Stopped);
    EXPECT_TRUE(state.slotAssignment.empty());
}

} // namespace
} // namespace tarvenna
