// Lock data: the lock kinds with their names and keys, the locks of the
// unaltered game, and the data of the lock-mode requirement rules. Tables
// only; lock_randomizer.cpp and lock_requirements.cpp use them.
#include "locks/lock_data.h"

namespace tarvenna {

const std::array<LockKindRow, kLockKindCount> kLockKinds = {{
    {"Armor Key", {48}, false},                          // 0
    {"Control Room Key", {139}, false},                  // 1
    {"Spencer Key", {24, 61}, false},                    // 2
    {"Gallery Key", {154}, false},                       // 3
    {"Helmet Key", {150}, false},                        // 4
    {"Old Key / Lockpick", {}, true},                    // 5
    {"One-way Door", {}, false},                         // 6
    {"One-way Door", {}, false},                         // 7, reversed 6
    {"One-way Door / Lockpick / Old Key mix", {}, true}, // 8
    {"One-way Door / Lockpick / Old Key mix", {}, true}, // 9, reversed 8
    {"Power Area Key", {163}, false},                    // 10
    {"Room 001 Key", {145}, false},                      // 11
    {"Room 003 Key", {148}, false},                      // 12
    {"Shield Key", {3}, false},                          // 13
    {"Sword Key", {100}, false},                         // 14
    {"Unlocked", {}, false},                             // 15
}};

const std::vector<int> kJillOldKeyItems = {180};
const std::vector<int> kChrisOldKeyItems = {9, 32, 37, 85, 94};

const std::array<int, kLockCount> kVanillaLockKinds = {
    5,  // 0: West Wing Inner Stairway - Small Storeroom
    0,  // 1: West Wing Inner Stairway - Northern Corridor / Tea Room
    14, // 2: West Wing Inner Stairway - Dining Room 2F
    5,  // 3: West Wing Inner Stairway - Outside Balcony
    6,  // 4: West Wing Inner Stairway - Mirror Corridor
    4,  // 5: West Wing Inner Stairway - Trophy Room
    6,  // 6: Tea Room - Northern Corridor
    0,  // 7: Tea Room - Bar
    14, // 8: Tea Room - Kitchen
    15, // 9: Northern Corridor - Researcher's Bedroom
    14, // 10: Main Hall - C Corridor
    0,  // 11: Main Hall - Outside Patio
    4,  // 12: Main Hall - Large Art Room
    6,  // 13: Main Hall - Outside Balcony
    14, // 14: Art Room - L Corridor
    15, // 15: Winding Corridor - Dark Corridor
    5,  // 16: Winding Corridor - Outside Boiler
    0,  // 17: Dark Corridor - Large Gallery
    2,  // 18: Dark Corridor - Courtyard Study
    8,  // 19: Graveyard / Crypt - Large Gallery
    6,  // 20: Dining Room 2F - Mirror Corridor
    0,  // 21: C Corridor - Pillar Room
    6,  // 22: C Corridor - East Wing Stairway
    0,  // 23: C Corridor - Armor Room
    0,  // 24: East Wing Stairway - Deer Room
    5,  // 25: Deer Room - Fish Tank Room
    6,  // 26: Elevator Corridor - Mirror Corridor
    4,  // 27: Library - Death Passage
    4,  // 28: Resting Room - Sliding Trap Room / Secret Passage
    13, // 29: Attic Entry - Attic
    6,  // 30: Concrete Passage 2 - Kitchen
    11, // 31: Entry Corridor - Room 001
    3,  // 32: Central Corridor - Gallery
    15, // 33: Central Corridor - Room 002
    12, // 34: Gallery - Room 003
    1,  // 35: Aqua Ring Walkway - Control Room
    10, // 36: O Room - Elevator Entry
    10, // 37: O Room - Morgue
};

const std::array<int, 10> kFlipSetLocks = {1, 2, 3, 4, 6, 8, 10, 13, 19, 26};

using namespace area;
using namespace key_item;
using namespace lock;

const std::array<SingleLockArea, 5> kSingleLockAreas = {{
    {kLargeArtRoom, kMainHallLargeArtRoom},
    {kBar, kTeaRoomBar},
    {kLibrary, kLibraryDeathPassage},
    {kOutsidePatio, kMainHallOutsidePatio},
    {kLCorridor, kArtRoomLCorridor},
}};

// The Small Storeroom asks for the Tea Room-Bar lock, as the game's rules
// have it, not the stairway's own storeroom lock (0).
const std::array<AreaBeyondLock, 3> kAreasBeyondWestLocks = {{
    {kSmallStoreroom, kWestWingInnerStairway, kTeaRoomBar},
    {kTrophyRoom, kWestWingInnerStairway, kStairwayTrophyRoom},
    {kResearchersBedroom, kNorthernCorridor, kNorthernCorridorResearchersBedroom},
}};

const std::array<AreaBeyondLock, 2> kAreasBeyondEastLocks = {{
    {kArmorRoom, kCCorridor, kCCorridorArmorRoom},
    {kPillarRoom, kCCorridor, kCCorridorPillarRoom},
}};

// In build order: later rows copy earlier ones. Room 001 asks for the
// Resting Room's lock, as the game's rules have it, not its own (31).
const std::vector<GatedArea> kGatedAreas = {
    {kDiningRoom, kOwnEntry, {kMissingMusic, kMusicMidPages}, {}, {}},
    {kCryptCoffin, kOwnEntry, {kGoldenArrow}, {}, {}},
    {kCryptMasks,
     kOwnEntry,
     {kGoldenArrow, kMaskWithoutEyes, kMaskWithoutMouth, kMaskWithoutNose, kMaskWithoutAll},
     {},
     {}},
    {kLaboratory, kOwnEntry, {kStoneAndMetalObject, kMetalObject, kStoneRing, kMedalOfWolf, kMedalOfEagle}, {}, {}},
    {kTigerStatueBlueGem, kNorthernCorridor, {kBlueGemstone}, {}, {}},
    {kTigerStatueYellowGem, kNorthernCorridor, {kYellowGemstone}, {}, {}},
    {kGreenhouse, kNorthernCorridor, {kHerbicide}, {}, {}},
    {kSmallDiningRoomFire, kPillarRoom, {}, {}, {}},
    {kFishTankLure, kFishTankRoom, {kFishhook}, {}, {}},
    {kMainGarden, kDarkCorridor, {}, {}, {{kStoneRing, kMetalObject}, {kStoneAndMetalObject}}},
    {kSmallHeadstoneArea, kMainGarden, {kWindCrest}, {}, {}},
    {kSmallHeadstoneCrests, kSmallHeadstoneArea, {kMoonCrest, kStarCrest, kSunCrest}, {}, {}},
    {kResidence, kMainGarden, {kSquareCrank}, {}, {}},
    {kRoom001, kResidence, {}, {kRestingRoomSlidingTrapRoom}, {}},
    {kResidenceGallery, kResidence, {}, {kCentralCorridorGallery}, {}},
    {kPlant42Room, kResidenceGallery, {kUnprintedBook, kDogWhistle}, {kGalleryRoom003}, {}},
    {kAquaRing, kResidence, {}, {kCentralCorridorRoom002, kAquaRingWalkwayControlRoom}, {}},
    {kCaves, kResidence, {kBattery}, {}, {}},
    {kUndergroundPassages, kCaves, {kHexagonCrank}, {}, {}},
    {kLisasRoom, kCaves, {kCylinder}, {}, {}},
    {kMorgue, kLaboratory, {}, {kORoomMorgue}, {}},
    {kPowerMaze, kLaboratory, {}, {kORoomElevatorEntry}, {}},
};

} // namespace tarvenna
