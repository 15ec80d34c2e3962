#pragma once

#include <cstdint>

namespace tarvenna {

// The classic C runtime generator (srand/rand), reimplemented so that a seed
// gives the same files on every platform. Every random draw of every stage
// goes through one instance of this class.
class Rng {
public:
    static constexpr std::uint32_t kMultiplier = 214013u;
    static constexpr std::uint32_t kIncrement = 2531011u;
    static constexpr int kMax = 0x7FFF;

    explicit Rng(std::uint32_t seed = 1) : state_(seed) {}

    // srand
    void Seed(std::uint32_t seed) { state_ = seed; }

    // rand: 0 to 32767
    int Next()
    {
        state_ = state_ * kMultiplier + kIncrement;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

    // rand() % n taken as an unsigned remainder; n must be above 0.
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next()) % n; }

    // Coin flip from the parity of rand().
    bool Odd() { return (Next() & 1) != 0; }

    std::uint32_t State() const { return state_; }

    // The generator n draws later, in one step: x -> a^n x + c (a^(n-1) + ... + 1).
    struct Jump {
        std::uint32_t multiplier = 1;
        std::uint32_t increment = 0;
        std::uint32_t Apply(std::uint32_t state) const { return state * multiplier + increment; }
        // States whose low 16 bits are all `low` keep sharing them: the jump
        // takes a state H 2^16 + low to H' 2^16 + low', where low' is the new
        // `low` and H' = multiplier H + carry (mod 2^16), carry being bits
        // 16..31 of multiplier low + increment. Returns the carry; the
        // multiplier of H is HighMultiplier().
        constexpr std::uint16_t HighMultiplier() const { return static_cast<std::uint16_t>(multiplier); }
        constexpr std::uint16_t StepLowHalf(std::uint32_t& low) const
        {
            const std::uint32_t next = low * multiplier + increment;
            low = next & 0xFFFFu;
            return static_cast<std::uint16_t>(next >> 16);
        }
    };
    static constexpr Jump JumpOf(std::uint64_t draws)
    {
        Jump result;
        Jump power{kMultiplier, kIncrement}; // one draw
        for (; draws != 0; draws >>= 1) {
            if (draws & 1u) result = {result.multiplier * power.multiplier, result.increment * power.multiplier + power.increment};
            power = {power.multiplier * power.multiplier, power.increment * power.multiplier + power.increment};
        }
        return result;
    }
    void Advance(std::uint64_t draws) { state_ = JumpOf(draws).Apply(state_); }

private:
    std::uint32_t state_;
};

} // namespace tarvenna
