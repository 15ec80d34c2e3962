#pragma once

#include <array>
#include <vector>

namespace tarvenna {

inline constexpr int kLockCount = 38;
inline constexpr int kLockKindCount = 16;

// The lock kinds that the rules single out by code.
inline constexpr int kArmorKey = 0;
inline constexpr int kOldKeyLock = 5;
inline constexpr int kOneWayDoor = 6;
inline constexpr int kOneWayDoorReversed = 7;
inline constexpr int kOneWayOldKeyMix = 8;
inline constexpr int kOneWayOldKeyMixReversed = 9;
inline constexpr int kUnlocked = 15;

// A one-way door opens from its front only, its reversed variant from its
// back only. The old-key mixes are barred on the same side but need an old
// key on the other.
constexpr bool OpenFromFront(int kind) { return kind == kOneWayDoor || kind == kUnlocked; }
constexpr bool OpenFromBack(int kind) { return kind == kOneWayDoorReversed || kind == kUnlocked; }
constexpr bool BarredFromFront(int kind) { return kind == kOneWayDoorReversed || kind == kOneWayOldKeyMixReversed; }
constexpr bool BarredFromBack(int kind) { return kind == kOneWayDoor || kind == kOneWayOldKeyMix; }

struct LockKindRow {
    const char* name;
    std::vector<int> keyItems;  // unused where opensWithOldKey: those keys depend on the character
    bool opensWithOldKey;
};

// Kind code -> name and the items that open it.
extern const std::array<LockKindRow, kLockKindCount> kLockKinds;

// Jill picks these locks without any item; item 180 lies where every item is
// reachable, so needing it costs nothing.
extern const std::vector<int> kJillOldKeyItems;
// Chris needs all five old keys.
extern const std::vector<int> kChrisOldKeyItems;

// Lock -> kind in the unaltered game.
extern const std::array<int, kLockCount> kVanillaLockKinds;

// Locks whose one-way kinds may be dealt reversed, in ascending order.
extern const std::array<int, 10> kFlipSetLocks;

// Requirement rules that have the same shape for several areas. Location
// keys are the lock-mode keys of the item slot table.

// An area behind a single lock from the start region (rule 1).
struct SingleLockArea {
    int location;
    int lock;
};
extern const std::array<SingleLockArea, 5> kSingleLockAreas;

// An area one lock beyond another area (rules 10 to 12, and 15): it needs
// what that area needs plus the lock's key, and is free when the lock is
// open and the area is.
struct AreaBeyondLock {
    int location;
    int reachedFrom;
    int lock;
};
extern const std::array<AreaBeyondLock, 3> kAreasBeyondWestLocks;   // rules 10 to 12
extern const std::array<AreaBeyondLock, 2> kAreasBeyondEastLocks;   // rule 15

// An area with fixed item gates (rule 26): it starts as a copy of another
// area's entry (or its own), then needs the listed items and the keys of the
// listed locks that are not open from the front; alternatives become lists
// 1, 2, ...
inline constexpr int kOwnEntry = -1;
struct GatedArea {
    int location;
    int reachedFrom;
    std::vector<int> items;
    std::vector<int> locks;
    std::vector<std::vector<int>> alternatives;
};
extern const std::vector<GatedArea> kGatedAreas;

// Jill also needs her lighter at location 95 (rule 26).
inline constexpr int kLighterArea = 95;
inline constexpr int kLighter = 0;

} // namespace tarvenna
