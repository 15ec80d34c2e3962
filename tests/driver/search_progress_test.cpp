#include "driver/search_progress.h"

#include <gtest/gtest.h>

namespace tarvenna {
namespace {

constexpr std::uint64_t kCycle = std::uint64_t{1} << 30;

// Shown from 1 % of the cycle until the search ends; the share
// is rounded down, so 100 % means the whole cycle is ruled out.
TEST(SearchProgress, SaysHowMuchOfTheCycleIsRuledOutOnceItIsWorthShowing)
{
    EXPECT_FALSE(WorthShowing({(kCycle + 99) / 100 - 1, kCycle, 1, true}));
    EXPECT_TRUE(WorthShowing({(kCycle + 99) / 100, kCycle, 1, true}));
    EXPECT_FALSE(WorthShowing({kCycle, kCycle, 1, false}));
    EXPECT_FALSE(WorthShowing({5, 0, 1, true}));

    EXPECT_EQ(ProgressText({kCycle - 1, kCycle, 1, true}), "Checking the locks: 99 % of the item deals ruled out");
    EXPECT_EQ(ProgressText({kCycle, kCycle, 1, true}), "Checking the locks: 100 % of the item deals ruled out");
    EXPECT_EQ(ProgressText({kCycle / 4, kCycle, 3, true}),
              "Checking the locks dealt again (deal 3): 25 % of the item deals ruled out");
    EXPECT_EQ(ProgressText({kCycle / 2, kCycle, 0, true}), "Searching the item deals: 50 % ruled out");
    EXPECT_DOUBLE_EQ(RuledOutShare({kCycle / 2, kCycle, 0, true}), 0.5);
    EXPECT_DOUBLE_EQ(RuledOutShare({2 * kCycle, kCycle, 0, true}), 1.0);
}

} // namespace
} // namespace tarvenna
