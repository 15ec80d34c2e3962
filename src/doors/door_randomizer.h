#pragma once

#include <string>
#include <vector>

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"
#include "core/status_log.h"

namespace tarvenna {

// Builds the door tables and rewires the doors into one connected map; the
// result is state.doors.doorResultTable. Sets state.doorMapIncomplete when the
// stage had to stop early.
void RandomizeDoors(const Settings& settings, GeneratorState& state, Rng& rng, StatusLog& statusLog);

enum class DoorPhase { MultiDoor, DeadEnd, Closing };

// Two doors joined by one iteration: walking through either now leads to the
// front of the other.
struct DoorJoin {
    DoorPhase phase;
    std::string firstRoom;
    int firstDoor;
    std::string secondRoom;
    int secondDoor;
};

struct DoorConnection {
    bool complete = true;  // false: an error was logged and the map is broken
    std::vector<DoorJoin> joins;
};

// The iterations of the door stage over prepared tables: grows the connected
// room list from its rooms until no open door of a connected room is left.
// Every draw comes from rng, in the game's fixed order.
DoorConnection ConnectDoors(Character character, DoorTables& tables, Rng& rng, StatusLog& statusLog);

} // namespace tarvenna
