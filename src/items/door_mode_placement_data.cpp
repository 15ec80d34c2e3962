// Door-mode placement data: the free slots, the item groups scattered over
// them, the slots closed to the second group and the weighted consumables.
// The order of every list matters: entries are picked by position.
#include "items/door_mode_placement_data.h"

namespace tarvenna {

// Shared by both characters; slot 0 (Chris) and slot 94 (Jill) join them.
const std::array<SlotRange, 21> kDoorModeFreeSlots = {{
    {1, 17},    {19, 25},   {28, 37},   {41, 43},   {49, 52},   {56, 79},   {81, 81},   {84, 89},
    {92, 92},   {95, 98},   {100, 106}, {110, 110}, {116, 116}, {119, 120}, {122, 122}, {126, 146},
    {148, 149}, {152, 154}, {156, 156}, {160, 163}, {165, 179},
}};

// Key items that may lie in any free slot.
const std::array<int, 5> kDoorModeGroup1 = {34, 47, 66, 102, 129};

// Gemstones, masks, music sheets, crests and other keys of the puzzles.
const std::array<int, 16> kDoorModeGroup2 = {2, 15, 16, 18, 77, 79, 28, 51, 62, 74, 89, 92, 103, 104, 105, 116};

// Places the second group must not end up in.
const std::array<int, 13> kClosedToGroup2 = {3, 13, 14, 16, 92, 100, 101, 102, 103, 104, 105, 106, 122};
const std::array<int, 2> kJillClosedToGroup2 = {72, 74};

// Weapons and special items; repeated entries place the item several times.
const std::array<int, 10> kJillGroup3 = {37, 40, 57, 60, 60, 60, 75, 76, 85, 94};
const std::array<int, 1> kChrisGroup3 = {0};
const std::array<int, 10> kGroup3Tail = {181, 106, 165, 165, 165, 36, 78, 166, 167, 168};

// Weights 25, 13, 13, 11, 9, 12, 7, 8, 7 out of 105.
const std::array<ConsumableBand, 9> kConsumableBands = {{
    {25, 50},   // Green Herb
    {38, 52},   // Handgun Magazine
    {51, 99},   // Shotgun Shells
    {62, 63},   // Dagger
    {71, 86},   // Ink Ribbon
    {83, 58},   // Battery Pack (Jill), Flash Grenade (Chris)
    {90, 43},   // First Aid Spray
    {98, 130},  // Blue Herb
    {105, 110}, // Red Herb
}};

} // namespace tarvenna
