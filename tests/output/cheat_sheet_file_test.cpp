#include "output/cheat_sheet_file.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "output/output_test_support.h"

namespace tarvenna {
namespace {

std::vector<std::string> CheatSheetLines(const Settings& settings, const GeneratorState& state)
{
    return SplitCrLfLines(CheatSheetText(settings, state));
}

std::vector<std::string> CheatSheetLines(Character character, Difficulty difficulty)
{
    Settings settings;
    settings.character = character;
    settings.difficulty = difficulty;
    return CheatSheetLines(settings, UnshuffledState(settings));
}

std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& line)
{
    const auto found = std::find(lines.begin(), lines.end(), line);
    EXPECT_NE(found, lines.end()) << line;
    return static_cast<std::size_t>(found - lines.begin());
}

bool Has(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(CheatSheet, ItemSectionLineCountsPerCharacterAndDifficulty)
{
    struct Case {
        Character character;
        Difficulty difficulty;
        std::size_t lines;
        std::size_t slotLines;
    };
    for (const Case& c : {Case{Character::Chris, Difficulty::Normal, 266, 180},
                          Case{Character::Chris, Difficulty::Hard, 220, 141},
                          Case{Character::Jill, Difficulty::Normal, 266, 179},
                          Case{Character::Jill, Difficulty::Hard, 222, 143}}) {
        const auto lines = CheatSheetLines(c.character, c.difficulty);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[0], "Version 1.098 Beta");
        EXPECT_EQ(lines[1].rfind("Room names are taken from https://", 0), 0u);
        EXPECT_EQ(lines.size() - 2, c.lines);
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l[0] == '\t'; }),
                  static_cast<std::ptrdiff_t>(c.slotLines));
        // The sheet ends with the last room and slot 179, whatever the character.
        EXPECT_EQ(lines[lines.size() - 2], "POWER MAZE B");
        const std::string last = c.character == Character::Chris ? "Flash Grenade" : "Battery Pack";
        EXPECT_EQ(lines.back(), "\t" + last + " is replaced with " + last);
    }
}

TEST(CheatSheet, ChrisStartsInTheMainHallAndHardDropsRooms)
{
    const auto normal = CheatSheetLines(Character::Chris, Difficulty::Normal);
    const std::vector<std::string> normalStart = {
        "MAIN HALL", "\tJill's Handgun is replaced with Jill's Handgun", "DINING ROOM"};
    EXPECT_TRUE(std::equal(normalStart.begin(), normalStart.end(), normal.begin() + 2));
    EXPECT_EQ(normal[IndexOf(normal, "NORTHERN CORRIDOR") + 1], "\tFlash Grenade is replaced with Flash Grenade");

    const auto hard = CheatSheetLines(Character::Chris, Difficulty::Hard);
    // Slots 4, 5 and 7 are absent on Hard, and so is the heading of 7.
    EXPECT_EQ(hard[IndexOf(hard, "WEST WING OUTER STAIRWAY") + 2], "RESEARCHER'S BEDROOM");
    for (const char* absent : {"NORTHERN CORRIDOR", "DINING ROOM 2F", "SLIDING TRAP ROOM", "MAIN GARDEN",
                               "ZIGZAG PATH", "CONTROL ROOM", "AQUA RING EXIT", "ATTIC ENTRY"})
        EXPECT_FALSE(Has(hard, absent)) << absent;
    // Chris's slots 75 and 76 vanish on Hard; the room heading stays.
    const std::size_t attic = IndexOf(hard, "ATTIC");
    EXPECT_EQ(hard[attic - 1], "\tMusic, mid-pages is replaced with Music, mid-pages"); // slot 74; 75 is gone
    EXPECT_EQ(hard[attic + 1], "\tMask w/out Nose is replaced with Mask w/out Nose");   // slot 77; 76 is gone
    EXPECT_EQ(hard[attic + 2], "C CORRIDOR");
}

TEST(CheatSheet, JillsMovedSlotsAndNormalOnlyLines)
{
    const auto normal = CheatSheetLines(Character::Jill, Difficulty::Normal);
    EXPECT_EQ(normal[2], "DINING ROOM");
    EXPECT_EQ(normal[IndexOf(normal, "ATTIC ENTRY") + 1], "ATTIC");
    EXPECT_EQ(normal[IndexOf(normal, "PILLAR ROOM") - 1], "\tGrenade Launcher is replaced with Grenade Launcher");
    EXPECT_EQ(normal[IndexOf(normal, "BEDROOM") - 1], "\tLighter is replaced with Lighter");
    const std::size_t medical = IndexOf(normal, "RESIDENCE MEDICAL ROOM");
    EXPECT_EQ(normal[medical + 1], "\tBottle #1 is replaced with Bottle #1");
    EXPECT_EQ(normal[medical + 4], "\tBottle #4 is replaced with Bottle #4");
    EXPECT_EQ(normal[medical + 5], "PLANT 42 ROOM");
    // Slot 39 has no line on Normal: its room shows slots 38 and 40 only.
    const std::size_t storeroom = IndexOf(normal, "EAST WING STOREROOM");
    EXPECT_EQ(normal[storeroom + 2], "\tFirst Aid Spray is replaced with First Aid Spray");
    EXPECT_EQ(normal[storeroom + 3], "\tIncendiary Shells is replaced with Incendiary Shells");
    const auto hard = CheatSheetLines(Character::Jill, Difficulty::Hard);
    EXPECT_EQ(hard[IndexOf(hard, "KITCHEN") + 1], "CONCRETE PASSAGE 2");
    EXPECT_EQ(hard[IndexOf(hard, "PILLAR ROOM") - 1], "\tGrenade Launcher is replaced with Grenade Launcher");
}

TEST(CheatSheet, SlotLinesNameTheOriginalAndThePlacedItem)
{
    const Settings settings;
    GeneratorState state = UnshuffledState(settings);
    state.slotAssignment[12] = 40;
    state.slotAssignment[13] = 180;
    const auto lines = CheatSheetLines(settings, state);
    EXPECT_TRUE(Has(lines, "\tInk Ribbon is replaced with Incendiary Shells"));
    EXPECT_TRUE(Has(lines, "\tShotgun Shells is replaced with Fuel Supply Capsule (ARMED)"));
}

TEST(CheatSheet, StageSectionsAndTheirBlankLines)
{
    Settings settings;
    settings.randomizeEnemies = true;
    settings.randomizeLocks = true;
    GeneratorState state = UnshuffledState(settings);
    for (auto& [room, kinds] : state.roomEnemyTable) kinds = {6};
    state.lockKinds.assign(38, 12);
    const std::string text = CheatSheetText(settings, state);
    EXPECT_NE(text.find("Battery Pack\r\n\r\n\r\nENEMY RANDO POSITIONS\r\n\r\nAqua Ring Walkway:ZOMBIES\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("X-Ray Room B:ZOMBIES\r\nLOCK RANDO:\r\n"
                        "West Wing Inner Stairway -> Small Storeroom : Room 003 Key\r\n"),
              std::string::npos);
    const auto lines = SplitCrLfLines(text);
    EXPECT_EQ(lines.back(), "O Room -> Morgue : Room 003 Key");

    settings.randomizeEnemies = false;
    settings.randomizeLocks = false;
    settings.randomizeDoors = true;
    for (int door = 0; door < 264; ++door) state.doors.doorResultTable[door < 2 ? "Main Hall" : "Cell"][door] = -door;
    const std::string doors = CheatSheetText(settings, state);
    EXPECT_NE(doors.find("Battery Pack\r\nDOOR RANDO:\r\nDoor rando cheat sheet is a work in progress and is "
                         "currently difficult to understand, sorry!\r\nMain Hall:0:0\r\nMain Hall:1:-1\r\nCell:2:-2\r\n"),
              std::string::npos);
    EXPECT_EQ(SplitCrLfLines(doors).back(), "Cell:263:-263");
}

} // namespace
} // namespace tarvenna
