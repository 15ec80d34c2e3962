#include "output/cheat_sheet_file.h"

#include <algorithm>
#include <array>

#include "core/version.h"
#include "locks/lock_randomizer.h"
#include "items/item_slot_data.h"
#include "output/cheat_sheet_data.h"
#include "output/door_index.h"
#include "output/text_lines.h"

namespace tarvenna {
namespace {

// Jill's slots whose lines stand under another room than their slot number says.
constexpr std::array<int, 6> kJillMovedSlots = {0, 37, 75, 76, 85, 94};

template <std::size_t N>
bool Contains(const std::array<int, N>& slots, int slot)
{
    return std::find(slots.begin(), slots.end(), slot) != slots.end();
}

bool HeadingApplies(HeadingCondition condition, const Settings& settings)
{
    const bool normal = settings.difficulty == Difficulty::Normal;
    switch (condition) {
    case HeadingCondition::Always: return true;
    case HeadingCondition::NormalOnly: return normal;
    case HeadingCondition::JillNormalOnly: return normal && settings.character == Character::Jill;
    }
    return false;
}

class ItemSection {
public:
    ItemSection(const Settings& settings, const GeneratorState& state, std::string& out)
        : settings_(settings), state_(state), out_(out)
    {
    }

    void Write()
    {
        const bool jill = settings_.character == Character::Jill;
        const bool hard = settings_.difficulty == Difficulty::Hard;
        if (!jill) AppendLine(out_, "MAIN HALL");
        for (int slot = 0; slot < kSlotCount; ++slot) {
            if (jill) WriteJillMovedLines(slot);
            for (const SlotHeading& heading : kSlotHeadings)
                if (heading.slot == slot && HeadingApplies(heading.condition, settings_))
                    AppendLine(out_, heading.heading);
            const bool omitted = (jill && Contains(kJillMovedSlots, slot)) ||
                                 (hard && Contains(kHardEmptySlots, slot)) ||
                                 (!jill && hard && (slot == 75 || slot == 76)) || (jill && !hard && slot == 39);
            if (!omitted) WriteSlotLine(slot);
        }
    }

private:
    void WriteJillMovedLines(int slot)
    {
        if (slot == 70) WriteSlotLine(37);
        if (slot == 84) WriteSlotLine(0);
        if (slot == 150) {
            AppendLine(out_, "RESIDENCE MEDICAL ROOM");
            for (int moved : {94, 75, 76, 85}) WriteSlotLine(moved);
        }
    }

    void WriteSlotLine(int slot)
    {
        const auto& names = state_.itemSlotTable.itemNames;
        const int value = state_.slotAssignment[static_cast<std::size_t>(slot)];
        out_.push_back('\t');
        out_.append(names[static_cast<std::size_t>(slot)]);
        out_.append(" is replaced with ");
        // Values outside the name list cannot come from the stages; show them rather than crash.
        if (value >= 0 && static_cast<std::size_t>(value) < names.size())
            out_.append(names[static_cast<std::size_t>(value)]);
        else
            out_.append(std::to_string(value));
        AppendLine(out_);
    }

    const Settings& settings_;
    const GeneratorState& state_;
    std::string& out_;
};

void WriteEnemyPositions(const RoomEnemyTable& table, std::string& out)
{
    AppendLine(out);
    AppendLine(out);
    AppendLine(out, "ENEMY RANDO POSITIONS");
    AppendLine(out);
    for (const auto& [room, kinds] : table)
        AppendLine(out, room + ":" + EnemyKindName(kinds.empty() ? 0 : kinds.front()));
}

void WriteDoorList(const RoomDoorTable& doorResultTable, std::string& out)
{
    AppendLine(out, "DOOR RANDO:");
    AppendLine(out, "Door rando cheat sheet is a work in progress and is currently difficult to understand, sorry!");
    const auto index = IndexDoorResults(doorResultTable);
    for (int door = 0; door < kDoorCount; ++door) {
        const DoorEntry& entry = index[static_cast<std::size_t>(door)];
        AppendLine(out, *entry.room + ":" + std::to_string(door) + ":" + std::to_string(entry.value));
    }
}

void WriteLockList(const std::vector<int>& lockKinds, std::string& out)
{
    AppendLine(out, "LOCK RANDO:");
    for (std::size_t lock = 0; lock < kLockLabels.size(); ++lock) {
        const int kind = lock < lockKinds.size() ? lockKinds[lock] : -1;
        AppendLine(out, std::string(kLockLabels[lock]) + LockKindName(kind));
    }
}

} // namespace

const char* const kRoomNameSource = "https://www.vgmaps.com/";

std::string CheatSheetFileName(const Settings& settings)
{
    return std::string("CheatSheet") + CharacterName(settings.character) + DifficultyName(settings.difficulty) +
           ".txt";
}

const char* EnemyKindName(int kind)
{
    static constexpr std::array<const char*, 12> kNames = {
        "HUNTERS", "CHIMERAS", "TYRANTS", "DOGS", "SHARKS", "ZOMBIES",
        "YAWNS", "SPIDERS", "BEES", "LISA", "SLOW TYRANT", "ELDER CRIMSON HEAD"};
    if (kind < 1 || kind > 12) return "UNKNOWN";
    return kNames[static_cast<std::size_t>(kind - 1)];
}

std::string CheatSheetText(const Settings& settings, const GeneratorState& state)
{
    std::string out;
    out.reserve(16384);
    AppendLine(out, kVersionString);
    AppendLine(out, std::string("Room names are taken from ") + kRoomNameSource);
    ItemSection(settings, state, out).Write();
    if (settings.randomizeEnemies) WriteEnemyPositions(state.roomEnemyTable, out);
    if (settings.randomizeDoors) WriteDoorList(state.doors.doorResultTable, out);
    if (settings.randomizeLocks) WriteLockList(state.lockKinds, out);
    return out;
}

} // namespace tarvenna
