#include "output/item_list_file.h"

#include "output/door_index.h"
#include "output/text_lines.h"

namespace tarvenna {

std::string ItemListFileName(const Settings& settings)
{
    return std::string("ItemList") + CharacterName(settings.character) + DifficultyName(settings.difficulty) + ".txt";
}

void WriteEnemySection(const Settings& settings, const RoomEnemyTable& roomEnemyTable, std::string& out)
{
    AppendLine(out, "ENEMYRANDODATA");
    for (const auto& [room, kinds] : roomEnemyTable)
        AppendLine(out, settings.randomizeEnemies && !kinds.empty() ? kinds.front() : -1);
}

void WriteDoorSection(const Settings& settings, const RoomDoorTable& doorResultTable, std::string& out)
{
    AppendLine(out, "DOORRANDODATA");
    if (!settings.randomizeDoors) {
        for (int door = 0; door < kDoorCount; ++door) AppendLine(out, -1);
        return;
    }
    for (const DoorEntry& entry : IndexDoorResults(doorResultTable)) AppendLine(out, entry.value);
}

void WriteLockSection(const Settings& settings, const std::vector<int>& lockKinds, std::string& out)
{
    AppendLine(out, "LOCKRANDODATA");
    if (!settings.randomizeLocks) return;
    for (int kind : lockKinds) AppendLine(out, kind);
}

std::string ItemListText(const Settings& settings, const GeneratorState& state)
{
    std::string out;
    out.reserve(4096);
    for (int value : state.slotAssignment) AppendLine(out, value);
    WriteEnemySection(settings, state.roomEnemyTable, out);
    WriteDoorSection(settings, state.doors.doorResultTable, out);
    WriteLockSection(settings, state.lockKinds, out);
    return out;
}

} // namespace tarvenna
