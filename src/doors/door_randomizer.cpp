#include "doors/door_randomizer.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <string_view>

#include "doors/door_data.h"
#include "doors/door_table.h"

namespace tarvenna {
namespace {

constexpr int kUnset = -999;
constexpr std::string_view kNoRoom = "NONE";

constexpr std::string_view kSlotCountError = "SLOTCOUNT ERROR - TELL CORVEL HE FUCKED UP\n";
constexpr std::string_view kInvalidDoorError = "INVALID DOOR ERROR - TELL CORVEL HE FUCKED UP\n";

using OpenDoors = std::map<int, int>;

int Draw(Rng& rng, std::size_t n)
{
    return static_cast<int>(rng.Below(static_cast<std::uint32_t>(n)));
}

// An open door found by position or by index, or the placeholders when there
// was none.
struct DoorPick {
    std::string room{kNoRoom};
    int door = kUnset;
    int partner = kUnset;
};

void PickByIndex(const OpenDoors& doors, int index, DoorPick& pick)
{
    if (index < 0 || static_cast<std::size_t>(index) >= doors.size()) return;
    const auto found = std::next(doors.begin(), index);
    pick.door = found->first;
    pick.partner = found->second;
}

// The connected room list together with each entry's open doors, so that the
// many walks over it do not look every room up by name again.
class ConnectedRooms {
public:
    explicit ConnectedRooms(DoorTables& tables) : tables_(tables)
    {
        for (const std::string& room : tables.connectedRooms) doors_.push_back(&tables.openDoorTable[room]);
    }

    void Append(std::string_view room)
    {
        tables_.connectedRooms.emplace_back(room);
        doors_.push_back(&tables_.openDoorTable[tables_.connectedRooms.back()]);
    }

    bool Contains(std::string_view room) const
    {
        return std::find(tables_.connectedRooms.begin(), tables_.connectedRooms.end(), room) !=
               tables_.connectedRooms.end();
    }

    // A room listed twice counts its doors twice.
    int OpenDoorCount() const
    {
        std::size_t count = 0;
        for (const OpenDoors* doors : doors_) count += doors->size();
        return static_cast<int>(count);
    }

    // The open door at a position of the walk over the list, each room's doors
    // in ascending id.
    DoorPick At(int position) const
    {
        DoorPick pick;
        for (std::size_t entry = 0; entry < doors_.size(); ++entry) {
            const int size = static_cast<int>(doors_[entry]->size());
            if (position < size) {
                pick.room = tables_.connectedRooms[entry];
                PickByIndex(*doors_[entry], position, pick);
                return pick;
            }
            position -= size;
        }
        return pick;
    }

    // Whether some position below `positions`, other than `excluded`, holds a
    // door other than `door`; positions past the walk hold no door.
    bool HasOtherDoor(int positions, int excluded, int door) const
    {
        int position = 0;
        for (const OpenDoors* doors : doors_) {
            for (const auto& open : *doors) {
                if (position >= positions) return false;
                if (position != excluded && open.first != door) return true;
                ++position;
            }
        }
        const int unreached = positions - position;
        if (door == kUnset || unreached <= 0) return false;
        return unreached > 1 || excluded != position;
    }

private:
    DoorTables& tables_;
    std::vector<const OpenDoors*> doors_;
};

std::string TakeAt(std::vector<std::string>& rooms, int index)
{
    const auto entry = rooms.begin() + index;
    std::string room = std::move(*entry);
    rooms.erase(entry);
    return room;
}

void RemoveRoom(std::vector<std::string>& rooms, std::string_view room)
{
    const auto found = std::find(rooms.begin(), rooms.end(), room);
    if (found != rooms.end()) rooms.erase(found);
}

// Jill reaches the Tea Room and the Northern Corridor together: whichever is
// reached first brings the other in without using one of its doors.
void BringInTeaRoomPair(const DoorPick& first, const DoorPick& second, DoorTables& tables,
                        ConnectedRooms& connected)
{
    auto touches = [&](std::string_view room) { return first.room == room || second.room == room; };
    if (touches(kTeaRoom) && !connected.Contains(kNorthernCorridor)) {
        connected.Append(kNorthernCorridor);
        RemoveRoom(tables.multiDoorRooms, kNorthernCorridor);
    }
    if (touches(kNorthernCorridor) && !connected.Contains(kTeaRoom)) {
        connected.Append(kTeaRoom);
        RemoveRoom(tables.multiDoorRooms, kTeaRoom);
    }
}

} // namespace

DoorConnection ConnectDoors(Character character, DoorTables& tables, Rng& rng, StatusLog& statusLog)
{
    DoorConnection result;
    ConnectedRooms connected(tables);
    bool doorReturned = false;

    int count = connected.OpenDoorCount();
    while (count > 0) {
        // An odd count with one dead end left would strand a door; one more
        // dead end evens it out.
        if (tables.deadEndRooms.size() == 1 && count % 2 != 0) {
            tables.deadEndRooms.emplace_back(kParityRoom);
            continue;
        }

        const int r1 = Draw(rng, static_cast<std::size_t>(count));
        // Its index in the room stays valid below: the only door added to an
        // open room meanwhile (the returned door) sorts after the others.
        const DoorPick first = connected.At(r1);
        DoorPick second;
        DoorPhase phase = DoorPhase::Closing;

        if (!tables.multiDoorRooms.empty() || !tables.deadEndRooms.empty()) {
            phase = tables.multiDoorRooms.empty() ? DoorPhase::DeadEnd : DoorPhase::MultiDoor;
            auto& rooms = phase == DoorPhase::MultiDoor ? tables.multiDoorRooms : tables.deadEndRooms;
            second.room = TakeAt(rooms, Draw(rng, rooms.size()));
            const OpenDoors& doors = tables.openDoorTable[second.room];
            if (!doors.empty()) PickByIndex(doors, Draw(rng, doors.size()), second);
        } else {
            int positions = count;
            if (!doorReturned) {
                doorReturned = true;
                tables.openDoorTable[std::string(kReturnedDoor.room)][kReturnedDoor.door] = kReturnedDoor.value;
                ++positions;
            }
            // One door can stand at two positions (a room listed twice, or the
            // shift after the returned door); it must never be joined to itself.
            if (!connected.HasOtherDoor(positions, r1, first.door)) {
                statusLog.AppendStatus(kSlotCountError);
                result.complete = false;
                return result;
            }
            int r2 = 0;
            do {
                r2 = Draw(rng, static_cast<std::size_t>(positions));
                if (r2 != r1) second = connected.At(r2);
            } while (r2 == r1 || second.door == first.door);
        }

        connected.Append(second.room);
        if (character == Character::Jill) BringInTeaRoomPair(first, second, tables, connected);

        if (first.door == kUnset || first.partner == kUnset || second.door == kUnset || second.partner == kUnset) {
            statusLog.AppendStatus(kInvalidDoorError);
            result.complete = false;
        }
        tables.doorResultTable[first.room][first.door] = second.partner;
        tables.doorResultTable[second.room][second.door] = first.partner;
        tables.openDoorTable[first.room].erase(first.door);
        tables.openDoorTable[second.room].erase(second.door);
        result.joins.push_back(DoorJoin{phase, first.room, first.door, second.room, second.door});

        count = connected.OpenDoorCount();
    }
    return result;
}

void RandomizeDoors(const Settings& settings, GeneratorState& state, Rng& rng, StatusLog& statusLog)
{
    statusLog.AppendStatus("Randomizing Doors . . . ");
    BuildDoorTables(settings.character, state.doors);
    if (!ConnectDoors(settings.character, state.doors, rng, statusLog).complete) state.doorMapIncomplete = true;
    statusLog.AppendStatus("done!\n");
}

} // namespace tarvenna
