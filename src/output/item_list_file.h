#pragma once

#include <string>

#include "core/generator_state.h"
#include "core/settings.h"

namespace tarvenna {

// "ItemListJillNormal.txt" and its siblings.
std::string ItemListFileName(const Settings& settings);

// The trainer data sections, appended to `out` with CR LF line ends.
void WriteEnemySection(const Settings& settings, const RoomEnemyTable& roomEnemyTable, std::string& out);
// Throws std::logic_error if door mode left a door id without a value.
void WriteDoorSection(const Settings& settings, const RoomDoorTable& doorResultTable, std::string& out);
void WriteLockSection(const Settings& settings, const std::vector<int>& lockKinds, std::string& out);

// The whole item list file: 180 slot lines and the three sections.
std::string ItemListText(const Settings& settings, const GeneratorState& state);

} // namespace tarvenna
