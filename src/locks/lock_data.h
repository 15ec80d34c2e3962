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
    std::vector<int> keyItems; // unused where opensWithOldKey: those keys depend on the character
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

// The lockable doors, by the rooms they join (the labels of the cheat sheet).
namespace lock {
inline constexpr int kStairwaySmallStoreroom = 0;   // West Wing Inner Stairway - Small Storeroom
inline constexpr int kStairwayNorthernCorridor = 1; // West Wing Inner Stairway - Northern Corridor / Tea Room
inline constexpr int kStairwayDiningRoom2F = 2;
inline constexpr int kStairwayOutsideBalcony = 3;
inline constexpr int kStairwayMirrorCorridor = 4;
inline constexpr int kStairwayTrophyRoom = 5;
inline constexpr int kTeaRoomNorthernCorridor = 6;
inline constexpr int kTeaRoomBar = 7;
inline constexpr int kTeaRoomKitchen = 8;
inline constexpr int kNorthernCorridorResearchersBedroom = 9;
inline constexpr int kMainHallCCorridor = 10;
inline constexpr int kMainHallOutsidePatio = 11;
inline constexpr int kMainHallLargeArtRoom = 12;
inline constexpr int kMainHallOutsideBalcony = 13;
inline constexpr int kArtRoomLCorridor = 14;
inline constexpr int kWindingCorridorDarkCorridor = 15;
inline constexpr int kWindingCorridorOutsideBoiler = 16;
inline constexpr int kDarkCorridorLargeGallery = 17;
inline constexpr int kDarkCorridorCourtyardStudy = 18;
inline constexpr int kGraveyardLargeGallery = 19;
inline constexpr int kDiningRoom2FMirrorCorridor = 20;
inline constexpr int kCCorridorPillarRoom = 21;
inline constexpr int kCCorridorEastWingStairway = 22;
inline constexpr int kCCorridorArmorRoom = 23;
inline constexpr int kEastWingStairwayDeerRoom = 24;
inline constexpr int kDeerRoomFishTankRoom = 25;
inline constexpr int kElevatorCorridorMirrorCorridor = 26;
inline constexpr int kLibraryDeathPassage = 27;
inline constexpr int kRestingRoomSlidingTrapRoom = 28; // Resting Room - Sliding Trap Room / Secret Passage
inline constexpr int kAtticEntryAttic = 29;
inline constexpr int kConcretePassageKitchen = 30;
inline constexpr int kEntryCorridorRoom001 = 31;
inline constexpr int kCentralCorridorGallery = 32;
inline constexpr int kCentralCorridorRoom002 = 33;
inline constexpr int kGalleryRoom003 = 34;
inline constexpr int kAquaRingWalkwayControlRoom = 35;
inline constexpr int kORoomElevatorEntry = 36;
inline constexpr int kORoomMorgue = 37;
} // namespace lock

// The lock-mode location keys of the item slot table, by the rooms of the
// slots that carry them. A few carry no slot: only other areas are reached
// through them.
namespace area {
inline constexpr int kDiningRoom = 70;
inline constexpr int kCryptCoffin = 71;
inline constexpr int kCryptMasks = 72;
inline constexpr int kLaboratory = 73;
inline constexpr int kLargeArtRoom = 74; // and the Mirror Room
inline constexpr int kBar = 75;
inline constexpr int kWestWingInnerStairway = 76; // no slot
inline constexpr int kSmallStoreroom = 77;
inline constexpr int kTrophyRoom = 78;
inline constexpr int kNorthernCorridor = 79;
inline constexpr int kTigerStatueBlueGem = 80;
inline constexpr int kTigerStatueYellowGem = 81;
inline constexpr int kGreenhouse = 82;
inline constexpr int kResearchersBedroom = 83;
inline constexpr int kLibrary = 84;
inline constexpr int kOutsidePatio = 85;
inline constexpr int kOutsideBalcony = 86;
inline constexpr int kEastWingStoreroom = 87; // and the Resting Room
inline constexpr int kOutsideBoiler = 88;
inline constexpr int kCourtyardStudy = 89;
inline constexpr int kLargeGallery = 90;
inline constexpr int kDeerRoom = 91; // and the Bedroom
inline constexpr int kFishTankRoom = 92;
inline constexpr int kFishTankLure = 93;
inline constexpr int kPillarRoom = 94; // and the Small Dining Room
inline constexpr int kSmallDiningRoomFire = 95;
inline constexpr int kArmorRoom = 96;
inline constexpr int kAttic = 97;
inline constexpr int kKitchen = 98;
inline constexpr int kConcretePassages = 99;  // and the Secret Passage
inline constexpr int kElevatorCorridor = 100; // and the Materials Room
inline constexpr int kMainGarden = 101;       // the Cabin and the Garden Shed
inline constexpr int kSmallHeadstoneArea = 102;
inline constexpr int kSmallHeadstoneCrests = 103;
inline constexpr int kResidence = 104;
inline constexpr int kRoom001 = 105; // and the Aqua Ring Entry
inline constexpr int kResidenceGallery = 106;
inline constexpr int kPlant42Room = 108;
inline constexpr int kAquaRing = 109; // and the Control Room
inline constexpr int kCaves = 110;    // the Enrico Room and the Generator Room
inline constexpr int kUndergroundPassages = 111;
inline constexpr int kLisasRoom = 112;
inline constexpr int kMorgue = 114;
inline constexpr int kPowerMaze = 115;
inline constexpr int kEastWingStoreroomShelf = 117; // reached past both the Balcony and the east wing
inline constexpr int kSlidingTrapRoom = 118;
inline constexpr int kLCorridor = 119;    // and the Bathroom
inline constexpr int kCCorridor = 121;    // and the Small Library
inline constexpr int kDarkCorridor = 122; // no slot
} // namespace area

// The items that the rules name themselves, by the slots they lie in.
namespace key_item {
inline constexpr int kLighter = 0;
inline constexpr int kBlueGemstone = 2;
inline constexpr int kMissingMusic = 15;
inline constexpr int kMaskWithoutEyes = 16;
inline constexpr int kMaskWithoutMouth = 18;
inline constexpr int kHerbicide = 28;
inline constexpr int kMetalObject = 34;
inline constexpr int kMedalOfEagle = 47;
inline constexpr int kGoldenArrow = 51;
inline constexpr int kBattery = 59;
inline constexpr int kYellowGemstone = 62;
inline constexpr int kMedalOfWolf = 66;
inline constexpr int kMusicMidPages = 74;
inline constexpr int kMaskWithoutNose = 77;
inline constexpr int kMaskWithoutAll = 79;
inline constexpr int kDogWhistle = 82;
inline constexpr int kFishhook = 89;
inline constexpr int kWindCrest = 92;
inline constexpr int kStoneAndMetalObject = 102;
inline constexpr int kMoonCrest = 103;
inline constexpr int kStarCrest = 104;
inline constexpr int kSunCrest = 105;
inline constexpr int kSquareCrank = 107;
inline constexpr int kHexagonCrank = 116;
inline constexpr int kCylinder = 122;
inline constexpr int kStoneRing = 129;
inline constexpr int kUnprintedBook = 142;
} // namespace key_item

// Requirement rules that have the same shape for several areas.

// An area behind a single lock from where the game starts.
struct SingleLockArea {
    int location;
    int lock;
};
extern const std::array<SingleLockArea, 5> kSingleLockAreas;

// An area one lock beyond another area: it needs what that area needs plus
// the lock's key, and is free when the lock is open and the area is.
struct AreaBeyondLock {
    int location;
    int reachedFrom;
    int lock;
};
extern const std::array<AreaBeyondLock, 3> kAreasBeyondWestLocks; // beyond the west wing's stairway and corridor
extern const std::array<AreaBeyondLock, 2> kAreasBeyondEastLocks; // beyond the C Corridor

// An area with fixed item gates: it starts as a copy of another
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

// Jill also needs her lighter at the Small Dining Room's fireplace.
inline constexpr int kLighterArea = area::kSmallDiningRoomFire;
inline constexpr int kLighter = key_item::kLighter;

} // namespace tarvenna
