#pragma once

#include <array>
#include <string>

#include "core/settings.h"
#include "items/item_slot_data.h"

namespace tarvenna {

struct SlotRoom {
    std::string room;          // a heading of the cheat sheet, "DINING ROOM"
    bool inCheatSheet = false; // false: the cheat sheet of these settings leaves the slot out
};

// The room of every slot as the cheat sheet shows it: the heading its line
// stands under. A slot that this character's cheat sheet leaves out on one
// difficulty (the slots that hold nothing on Hard, and a few pinned ones)
// takes its room from the other difficulty's sheet.
std::array<SlotRoom, kSlotCount> SlotRooms(const Settings& settings);

} // namespace tarvenna
