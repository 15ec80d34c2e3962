#pragma once

#include <cstdint>

#include "core/settings.h"
#include "settings/settings_table.h"

namespace tarvenna {

// Settings from four bytes of a fuzzer's input: each setting takes the bits
// a share code gives it, in table order (a value past a choice's last reads
// as its first), then the dialog's couplings make them settings it can show.
inline Settings SettingsFromFuzzBytes(const std::uint8_t* bytes)
{
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = bits << 8 | bytes[i];
    Settings s;
    for (const SettingRow& row : kSettingsTable) {
        const int value = static_cast<int>(bits & ((1u << row.codeBits) - 1));
        bits >>= row.codeBits;
        SetValue(s, row, value < ValueCount(row) ? value : 0);
    }
    if (s.randomizeDoors) {
        s.difficulty = Difficulty::Normal;
        s.randomizeItems = true;
        s.randomizeLocks = false;
    }
    if (s.randomizeLocks) s.randomizeItems = true;
    return s;
}

} // namespace tarvenna
