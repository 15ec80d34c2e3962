#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tarvenna {

// Requirement list number (0: all needed; 1, 2, ...: alternatives) to items.
using RequirementLists = std::map<int, std::vector<int>>;

// The 180 item slots for one character and difficulty.
struct ItemSlotTable {
    std::vector<std::string> itemNames;                   // 182 entries: items 0..181
    std::vector<int> locationKeys;                        // 180 entries, 181 in lock mode
    std::map<int, std::vector<int>> forbiddenLocations;   // item -> keys it must not lie in
    std::map<int, RequirementLists> requirements;         // location key -> requirement lists
};

// Room name -> enemy kinds the room may hold (one kind after randomization).
using RoomEnemyTable = std::map<std::string, std::vector<int>>;

// Room name -> door id -> door id.
using RoomDoorTable = std::map<std::string, std::map<int, int>>;

struct DoorTables {
    RoomDoorTable doorTable;
    RoomDoorTable openDoorTable;
    RoomDoorTable doorResultTable;
    std::vector<std::string> multiDoorRooms;
    std::vector<std::string> deadEndRooms;
    std::vector<std::string> connectedRooms;
};

// Everything one run builds and decides. Filled once by GenerateSeed.
struct GeneratorState {
    RoomEnemyTable roomEnemyTable;
    ItemSlotTable itemSlotTable;
    std::vector<int> slotAssignment;     // item index per slot

    std::uint64_t itemAttempts = 0;      // deals made by the validated shuffle

    DoorTables doors;
    // Set when the door stage had to stop before every door was joined.
    bool doorMapIncomplete = false;

    std::map<int, int> vanillaLockKinds;  // lock -> kind in the unaltered game
    std::vector<int> lockKinds;           // lock -> drawn kind (lock mode only)
    std::uint64_t lockDeals = 0;          // deals drawn until one was accepted
};

// Set from another thread (Ctrl-C, closing the window) to make a long item
// search give up between attempts.
using StopFlag = std::atomic<bool>;

inline bool StopRequested(const StopFlag* stop)
{
    return stop != nullptr && stop->load(std::memory_order_relaxed);
}

} // namespace tarvenna
