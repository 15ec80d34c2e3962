#pragma once

#include <array>
#include <string>

#include "core/generator_state.h"
#include "doors/door_data.h"

namespace tarvenna {

inline constexpr int kDoorCount = kDoorIdCount;

struct DoorEntry {
    const std::string* room = nullptr; // null: the door id is in no room
    int value = -1;
};

// The door result table by door id. Throws std::logic_error when a door id
// is missing: the format has no way to say so and must not guess.
std::array<DoorEntry, kDoorCount> IndexDoorResults(const RoomDoorTable& doorResultTable);

} // namespace tarvenna
