#include "doors/door_table.h"

#include <string>

#include "doors/door_data.h"

namespace tarvenna {
namespace {

template <typename Rooms>
void AppendRooms(const Rooms& rooms, std::vector<std::string>& list)
{
    for (std::string_view room : rooms) list.emplace_back(room);
}

void HoldBack(const HeldBackStep& step, DoorTables& tables)
{
    for (const DoorRef& held : step.heldBack) tables.openDoorTable[std::string(held.room)].erase(held.door);
    for (const RoomDoorValue& fixed : step.fixedDestinations)
        tables.doorResultTable[std::string(fixed.room)][fixed.door] = fixed.value;
}

} // namespace

void BuildDoorTables(Character character, DoorTables& tables)
{
    tables = DoorTables{};
    const bool chris = character == Character::Chris;

    AppendRooms(kMultiDoorRooms, tables.multiDoorRooms);
    if (!chris) AppendRooms(kJillMultiDoorRooms, tables.multiDoorRooms);
    AppendRooms(kDeadEndRooms, tables.deadEndRooms);

    for (const RoomDoors& row : kRoomDoors) {
        auto& doors = tables.doorTable[std::string(row.room)];
        for (const DoorLink& link : row.doors) doors[link.door] = link.partner;
    }
    tables.openDoorTable = tables.doorTable;
    tables.doorResultTable = tables.doorTable;

    AppendRooms(kStartRooms, tables.connectedRooms);
    for (const HeldBackStep& step : kHeldBackSteps) HoldBack(step, tables);

    if (chris) {
        HoldBack(kChrisHeldBackStep, tables);
        AppendRooms(kChrisStartRooms, tables.connectedRooms);
    }
}

} // namespace tarvenna
