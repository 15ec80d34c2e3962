#pragma once

#include <array>
#include <vector>

namespace tarvenna {

inline constexpr int kSlotCount = 180;
inline constexpr int kItemCount = 182;          // 180 slot items, the armed capsule and the shotgun
inline constexpr int kArmedFuelCapsule = 180;
inline constexpr int kShotgun = 181;
inline constexpr int kOpenLockModeKey = 69;     // key of an item that no slot holds, in lock mode

// One slot as it is for Jill on Normal.
struct ItemRow {
    const char* name;
    int keyLocksOff;
    int keyLocksOn;
};

// Slot names that depend on character and difficulty.
struct NameVariant {
    int slot;
    const char* jillNormal;
    const char* jillHard;
    const char* chrisNormal;
    const char* chrisHard;
};

// Location keys that differ for Chris.
struct KeyVariant {
    int slot;
    int locksOffJill;
    int locksOffChris;
    int locksOnJill;
    int locksOnChris;
};

// Keys where an item must never lie (Locks off); an empty list means no entry.
struct ForbiddenRow {
    int item;
    std::vector<int> jill;
    std::vector<int> chris;
};

// Requirement lists of one key (Locks off); an empty chris means "as Jill".
struct RequirementRow {
    int key;
    std::vector<std::vector<int>> jill;
    std::vector<std::vector<int>> chris;
};

// Slots that hold nothing on Hard: every deal puts their own items back, and
// the cheat sheet leaves them out.
inline constexpr std::array<int, 37> kHardEmptySlots = {4,   5,   7,   21,  27,  40,  49,  55,  64,  65,  68,  69, 72,
                                                        80,  84,  93,  95,  98,  108, 109, 110, 113, 119, 126, 132,
                                                        134, 138, 141, 144, 152, 155, 158, 160, 162, 170, 172, 173};

extern const std::array<ItemRow, kSlotCount> kItemRows;
extern const std::array<NameVariant, 31> kNameVariants;
extern const std::array<KeyVariant, 8> kKeyVariants;
extern const std::vector<ForbiddenRow> kForbiddenRows;
extern const std::vector<RequirementRow> kRequirementRows;

} // namespace tarvenna
