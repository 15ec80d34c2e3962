#include "output/door_index.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "output/cheat_sheet_file.h"
#include "output/item_list_file.h"
#include "support/scratch_folder.h"

namespace tarvenna {
namespace {

// The formats have no way to say that a door has no value: neither file may
// guess one.
TEST(DoorIndex, AMissingDoorIdIsAnErrorInBothFiles)
{
    Settings settings;
    settings.randomizeDoors = true;
    GeneratorState state = UnshuffledState(settings);
    for (int door = 0; door < kDoorCount; ++door) state.doors.doorResultTable[door % 2 ? "Odd" : "Even"][door] = -door;
    EXPECT_NO_THROW(ItemListText(settings, state));
    EXPECT_NO_THROW(CheatSheetText(settings, state));

    state.doors.doorResultTable["Odd"].erase(101);
    EXPECT_THROW(IndexDoorResults(state.doors.doorResultTable), std::logic_error);
    EXPECT_THROW(ItemListText(settings, state), std::logic_error);
    EXPECT_THROW(CheatSheetText(settings, state), std::logic_error);
}

} // namespace
} // namespace tarvenna
