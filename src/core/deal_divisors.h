#pragma once

#include <array>
#include <cstdint>

namespace tarvenna {

// The largest divisor a deal draws with: the 180 item slots.
inline constexpr std::uint32_t kMaxDealDivisor = 180;

// rand() % n for the deal's divisors n = 1..180 as (x * m) >> s with 32-bit
// products: x < 2^15, m <= 2^16, and the rounding error stays below 1/n, so
// the result is exact. Vector lanes use the same tables.
struct DealDivisors {
    std::array<std::uint32_t, kMaxDealDivisor + 1> multiplier{};
    std::array<std::uint32_t, kMaxDealDivisor + 1> shift{};
    constexpr DealDivisors()
    {
        for (std::uint32_t n = 1; n <= kMaxDealDivisor; ++n) {
            std::uint32_t bits = 0;
            while ((1u << bits) < n) ++bits;
            const bool powerOfTwo = (1u << bits) == n;
            shift[n] = powerOfTwo ? 16 + bits : 15 + bits;
            multiplier[n] = static_cast<std::uint32_t>(((std::uint64_t{1} << shift[n]) + n - 1) / n);
        }
    }
    constexpr std::uint32_t Remainder(std::uint32_t x, std::uint32_t n) const
    {
        return x - ((x * multiplier[n]) >> shift[n]) * n;
    }
};
inline constexpr DealDivisors kDealDivisors{};

} // namespace tarvenna
