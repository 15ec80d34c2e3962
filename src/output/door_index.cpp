#include "output/door_index.h"

#include <stdexcept>

namespace tarvenna {

std::array<DoorEntry, kDoorCount> IndexDoorResults(const RoomDoorTable& doorResultTable)
{
    std::array<DoorEntry, kDoorCount> index{};
    for (const auto& [room, doors] : doorResultTable)
        for (const auto& [door, value] : doors)
            if (door >= 0 && door < kDoorCount && index[static_cast<std::size_t>(door)].room == nullptr)
                index[static_cast<std::size_t>(door)] = DoorEntry{&room, value};
    for (int door = 0; door < kDoorCount; ++door)
        if (index[static_cast<std::size_t>(door)].room == nullptr)
            throw std::logic_error("internal error: door " + std::to_string(door) +
                                   " is missing from the door result table");
    return index;
}

} // namespace tarvenna
