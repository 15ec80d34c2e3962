#include "spoiler/slot_rooms.h"

#include <charconv>
#include <string_view>

#include "core/generator_state.h"
#include "output/cheat_sheet_file.h"

namespace tarvenna {
namespace {

constexpr std::string_view kProbeMark = "#";

// Which slot each line of the cheat sheet describes is decided by its writer
// alone (moved lines, left-out slots, headings by difficulty). Rather than
// repeat those rules, write a sheet whose item names are the slot numbers
// and read back the heading above each line.
void ReadProbeSheet(const Settings& settings, std::array<SlotRoom, kSlotCount>& rooms, bool inCheatSheet)
{
    Settings probeSettings;
    probeSettings.character = settings.character;
    probeSettings.difficulty = settings.difficulty;
    GeneratorState probe;
    for (int item = 0; item < kItemCount; ++item) {
        std::string name(kProbeMark);
        name += std::to_string(item);
        probe.itemSlotTable.itemNames.push_back(std::move(name));
    }
    for (int slot = 0; slot < kSlotCount; ++slot) probe.slotAssignment.push_back(slot);

    const std::string sheet = CheatSheetText(probeSettings, probe);
    std::string_view heading;
    for (std::size_t start = 0; start < sheet.size();) {
        std::size_t end = sheet.find("\r\n", start);
        if (end == std::string::npos) end = sheet.size();
        const std::string_view line(sheet.data() + start, end - start);
        start = end + 2;
        if (!line.starts_with('\t')) {
            if (!line.empty()) heading = line;
            continue;
        }
        // "\t#12 is replaced with #12"
        const std::string_view name = line.substr(1 + kProbeMark.size());
        int slot = -1;
        std::from_chars(name.data(), name.data() + name.size(), slot);
        if (slot < 0 || slot >= kSlotCount) continue;
        SlotRoom& room = rooms[static_cast<std::size_t>(slot)];
        if (room.room.empty()) room = {std::string(heading), inCheatSheet};
    }
}

} // namespace

std::array<SlotRoom, kSlotCount> SlotRooms(const Settings& settings)
{
    std::array<SlotRoom, kSlotCount> rooms{};
    ReadProbeSheet(settings, rooms, true);
    Settings other = settings;
    other.difficulty = settings.difficulty == Difficulty::Hard ? Difficulty::Normal : Difficulty::Hard;
    ReadProbeSheet(other, rooms, false);
    return rooms;
}

} // namespace tarvenna
