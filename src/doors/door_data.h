#pragma once

#include <array>
#include <string_view>
#include <vector>

namespace tarvenna {

inline constexpr int kRoomCount = 120;
inline constexpr int kDoorIdCount = 264;  // door ids 0 to 263
inline constexpr int kNoPartner = -1;

// One door and the door on its far side in the unaltered game.
struct DoorLink {
    int door;
    int partner;
};

struct RoomDoors {
    std::string_view room;
    std::vector<DoorLink> doors;
};

// A door of a room and a value for it (a partner or a destination).
struct RoomDoorValue {
    std::string_view room;
    int door;
    int value;
};

struct DoorRef {
    std::string_view room;
    int door;
};

// Doors taken out of the draw before it starts, and the destinations fixed
// with them.
struct HeldBackStep {
    std::vector<DoorRef> heldBack;
    std::vector<RoomDoorValue> fixedDestinations;
};

inline constexpr std::string_view kTeaRoom = "Tea Room";
inline constexpr std::string_view kNorthernCorridor = "Northern Corridor";
// The dead end that evens out the door count when one dead end is left.
inline constexpr std::string_view kParityRoom = "Cell";

// Every room with its doors, in the order of the lowest door id.
extern const std::array<RoomDoors, kRoomCount> kRoomDoors;

extern const std::array<std::string_view, 42> kMultiDoorRooms;
extern const std::array<std::string_view, 2> kJillMultiDoorRooms;
extern const std::array<std::string_view, 37> kDeadEndRooms;
extern const std::array<std::string_view, 2> kStartRooms;
extern const std::array<std::string_view, 2> kChrisStartRooms;

extern const std::vector<HeldBackStep> kHeldBackSteps;
extern const HeldBackStep kChrisHeldBackStep;

// The held-back door that rejoins the draw once no room is left to connect.
extern const RoomDoorValue kReturnedDoor;

} // namespace tarvenna
