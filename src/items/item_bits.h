#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tarvenna {

// A set of items 0..191, a bit each.
struct ItemBits {
    std::array<std::uint64_t, 3> words{};

    void Set(int item) { words[Word(item)] |= Bit(item); }
    void Reset(int item) { words[Word(item)] &= ~Bit(item); }
    bool Test(int item) const { return (words[Word(item)] & Bit(item)) != 0; }
    bool Intersects(const ItemBits& other) const
    {
        return ((words[0] & other.words[0]) | (words[1] & other.words[1]) | (words[2] & other.words[2])) != 0;
    }
    ItemBits& operator|=(const ItemBits& other)
    {
        for (std::size_t w = 0; w < words.size(); ++w) words[w] |= other.words[w];
        return *this;
    }
    ItemBits& operator&=(const ItemBits& other)
    {
        for (std::size_t w = 0; w < words.size(); ++w) words[w] &= other.words[w];
        return *this;
    }

private:
    static std::size_t Word(int item) { return static_cast<std::size_t>(item) / 64; }
    static std::uint64_t Bit(int item) { return std::uint64_t{1} << (static_cast<unsigned>(item) % 64); }
};

} // namespace tarvenna
