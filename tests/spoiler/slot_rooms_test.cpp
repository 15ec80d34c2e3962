#include "spoiler/slot_rooms.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "core/generator_state.h"
#include "core/rng.h"
#include "support/settings.h"
#include "driver/generate_seed.h"
#include "items/sequential_item_search.h"
#include "output/cheat_sheet_file.h"

namespace tarvenna {
namespace {

using LinesByRoom = std::map<std::string, std::multiset<std::string>>;

LinesByRoom ReadCheatSheet(const std::string& sheet, int& slotLines)
{
    LinesByRoom rooms;
    std::string heading;
    for (std::size_t start = 0; start < sheet.size();) {
        const std::size_t end = sheet.find("\r\n", start);
        const std::string line = sheet.substr(start, end - start);
        start = end + 2;
        if (line.starts_with('\t')) {
            rooms[heading].insert(line);
            ++slotLines;
        } else if (!line.empty()) {
            heading = line;
        }
    }
    return rooms;
}

// For a shuffled deal with the real names, each room's lines in the cheat
// sheet are exactly those of the slots given that room.
TEST(SlotRooms, EachSlotStandsUnderItsCheatSheetHeading)
{
    for (const Settings& settings : EveryCharacterAndDifficulty()) {
        SCOPED_TRACE(std::string(CharacterName(settings.character)) + DifficultyName(settings.difficulty));
        GeneratorState state;
        Rng rng(5);
        BuildItemTables(settings, state, rng);
        plain::ShuffleItems(settings, rng, state.slotAssignment);
        int slotLines = 0;
        const LinesByRoom fromSheet = ReadCheatSheet(CheatSheetText(settings, state), slotLines);

        const std::array<SlotRoom, kSlotCount> rooms = SlotRooms(settings);
        const std::vector<std::string>& names = state.itemSlotTable.itemNames;
        LinesByRoom fromRooms;
        int leftOut = 0;
        for (std::size_t slot = 0; slot < rooms.size(); ++slot) {
            EXPECT_FALSE(rooms[slot].room.empty()) << slot;
            if (!rooms[slot].inCheatSheet) {
                ++leftOut;
                continue;
            }
            const auto placed = static_cast<std::size_t>(state.slotAssignment[slot]);
            fromRooms[rooms[slot].room].insert("\t" + names[slot] + " is replaced with " + names[placed]);
        }
        EXPECT_EQ(leftOut, kSlotCount - slotLines);
        EXPECT_EQ(fromRooms, fromSheet);
    }
}

} // namespace
} // namespace tarvenna
