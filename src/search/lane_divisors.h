#pragma once

#include <array>
#include <cstdint>

#include "core/deal_divisors.h"

namespace tarvenna {

// The same remainders in 16-bit lanes, for n = 2..180: the quotient is the
// high half of x * m shifted right by s, with m < 2^16 and 2^s < n <= 2^(s+1),
// which keeps the rounding error below 1/n for every x < 2^15. (n = 1 always
// leaves 0.)
struct DealDivisors16 {
    std::array<std::uint16_t, kMaxDealDivisor + 1> multiplier{};
    std::array<std::uint16_t, kMaxDealDivisor + 1> shift{};
    constexpr DealDivisors16()
    {
        for (std::uint32_t n = 2; n <= kMaxDealDivisor; ++n) {
            std::uint32_t s = 0;
            while ((2u << s) < n) ++s;
            shift[n] = static_cast<std::uint16_t>(s);
            multiplier[n] = static_cast<std::uint16_t>(((std::uint32_t{1} << (16 + s)) + n - 1) / n);
        }
    }
    constexpr std::uint32_t Remainder(std::uint32_t x, std::uint32_t n) const
    {
        if (n == 1) return 0;
        const std::uint32_t quotient = ((x * multiplier[n]) >> 16) >> shift[n];
        return (x - quotient * n) & 0xFFFFu;
    }
};
inline constexpr DealDivisors16 kDealDivisors16{};

} // namespace tarvenna
