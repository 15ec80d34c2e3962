#include "output/item_list_file.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "output/output_test_support.h"

namespace tarvenna {
namespace {

TEST(ItemListFile, NamesFollowCharacterAndDifficulty)
{
    Settings settings;
    EXPECT_EQ(ItemListFileName(settings), "ItemListJillNormal.txt");
    settings.character = Character::Chris;
    settings.difficulty = Difficulty::Hard;
    EXPECT_EQ(ItemListFileName(settings), "ItemListChrisHard.txt");
}

TEST(ItemListFile, ItemsOnlyFileHas500LinesWithEmptySections)
{
    const Settings settings;
    GeneratorState state = UnshuffledState(settings);
    state.slotAssignment[3] = 180; // values are written as they are, never mapped
    const std::string text = ItemListText(settings, state);
    const auto lines = SplitCrLfLines(text);
    ASSERT_EQ(lines.size(), 500u);
    EXPECT_EQ(lines[0], "0");
    EXPECT_EQ(lines[3], "180");
    EXPECT_EQ(lines[179], "179");
    EXPECT_EQ(lines[180], "ENEMYRANDODATA");
    for (std::size_t i = 181; i < 234; ++i) EXPECT_EQ(lines[i], "-1") << i;
    EXPECT_EQ(lines[234], "DOORRANDODATA");
    for (std::size_t i = 235; i < 499; ++i) EXPECT_EQ(lines[i], "-1") << i;
    EXPECT_EQ(lines[499], "LOCKRANDODATA");
    EXPECT_NE(text.find("179\r\nENEMYRANDODATA\r\n"), std::string::npos);
}

TEST(ItemListFile, SectionsCarryTheStagesResults)
{
    Settings settings;
    settings.randomizeEnemies = true;
    settings.randomizeLocks = true;
    GeneratorState state = UnshuffledState(settings);
    int kind = 0;
    for (auto& [room, kinds] : state.roomEnemyTable) kinds = {kind++ % 12 + 1};
    state.lockKinds.assign(38, 15);
    state.lockKinds[0] = 5;
    state.lockKinds[37] = 0;
    const auto lines = SplitCrLfLines(ItemListText(settings, state));
    ASSERT_EQ(lines.size(), 538u);
    EXPECT_EQ(lines[181], "1");            // "Aqua Ring Walkway", the first room by name
    EXPECT_EQ(lines[233], std::to_string(52 % 12 + 1)); // "X-Ray Room B", the last
    EXPECT_EQ(lines[500], "5");
    EXPECT_EQ(lines[537], "0");
}

TEST(ItemListFile, DoorSectionInDoorIdOrderAndMissingDoorIsAnError)
{
    Settings settings;
    settings.randomizeDoors = true;
    GeneratorState state = UnshuffledState(settings);
    for (int door = 0; door < 264; ++door) state.doors.doorResultTable[door % 2 ? "Odd" : "Even"][door] = 263 - door;
    const auto lines = SplitCrLfLines(ItemListText(settings, state));
    ASSERT_EQ(lines.size(), 500u);
    EXPECT_EQ(lines[235], "263");
    EXPECT_EQ(lines[236], "262");
    EXPECT_EQ(lines[498], "0");

    state.doors.doorResultTable["Odd"].erase(101);
    EXPECT_THROW(ItemListText(settings, state), std::logic_error);
}

} // namespace
} // namespace tarvenna
