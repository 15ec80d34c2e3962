#include "core/deal_divisors.h"

#include <gtest/gtest.h>

#include "core/rng.h"
#include "search/lane_divisors.h"

namespace tarvenna {
namespace {

TEST(DealDivisors, EqualTheRemainderForEveryValueAndDivisorOfADeal)
{
    for (std::uint32_t n = 1; n <= kMaxDealDivisor; ++n)
        for (std::uint32_t x = 0; x <= static_cast<std::uint32_t>(Rng::kMax); ++x) {
            ASSERT_EQ(kDealDivisors.Remainder(x, n), x % n) << x << " % " << n;
            ASSERT_EQ(kDealDivisors16.Remainder(x, n), x % n) << x << " % " << n << " in 16 bits";
        }
}

} // namespace
} // namespace tarvenna
