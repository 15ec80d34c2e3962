#include "core/rng.h"

#include <gtest/gtest.h>

namespace tarvenna {
namespace {

// First values of the classic C runtime generator, as any program linked
// against it prints them.
TEST(Rng, ReproducesTheClassicRuntimeSequence)
{
    Rng rng(1);
    EXPECT_EQ(rng.Next(), 41);
    EXPECT_EQ(rng.Next(), 18467);
    EXPECT_EQ(rng.Next(), 6334);
    EXPECT_EQ(rng.Next(), 26500);
    EXPECT_EQ(rng.Next(), 19169);

    rng.Seed(0);
    EXPECT_EQ(rng.Next(), 38);
    EXPECT_EQ(rng.Next(), 7719);
    EXPECT_EQ(rng.Next(), 21238);
}

TEST(Rng, StateWrapsAt32BitsAndValuesStayIn15Bits)
{
    Rng rng(0xFFFFFFFFu);
    // (2^32-1) * 214013 + 2531011 mod 2^32 = 2317000 -> value 35
    EXPECT_EQ(rng.Next(), static_cast<int>(((0xFFFFFFFFu * 214013u + 2531011u) >> 16) & 0x7FFFu));
    for (int i = 0; i < 100000; ++i) {
        const int value = rng.Next();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}

TEST(Rng, SeedingRestartsTheSequence)
{
    Rng a(12345);
    const int first = a.Next();
    a.Next();
    a.Seed(12345);
    EXPECT_EQ(a.Next(), first);
}

} // namespace
} // namespace tarvenna

namespace tarvenna {
namespace {

TEST(Rng, JumpAheadEqualsDrawingOneByOne)
{
    for (std::uint64_t draws : {0ull, 1ull, 2ull, 179ull, 180ull, 181ull, 180ull * 12345ull, 1000003ull}) {
        Rng stepped(987654321u);
        for (std::uint64_t i = 0; i < draws; ++i) stepped.Next();
        Rng jumped(987654321u);
        jumped.Advance(draws);
        EXPECT_EQ(jumped.State(), stepped.State()) << draws;
    }
    // Jumps compose: 180 draws twice is 360 draws.
    const Rng::Jump deal = Rng::JumpOf(180);
    EXPECT_EQ(deal.Apply(deal.Apply(5u)), Rng::JumpOf(360).Apply(5u));
}

// The item search relies on it: deal starts, 180 draws apart, come back
// after exactly 2^30 deals.
TEST(Rng, DealStartsRepeatAfterTwoToTheThirtyDeals)
{
    const Rng::Jump cycle = Rng::JumpOf(180ull << 30);
    EXPECT_EQ(cycle.multiplier, 1u);
    EXPECT_EQ(cycle.increment, 0u);
    const Rng::Jump half = Rng::JumpOf(180ull << 29);
    EXPECT_NE(half.Apply(12345u), 12345u);
}

} // namespace
} // namespace tarvenna
