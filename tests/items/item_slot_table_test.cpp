#include "driver/generate_seed.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tarvenna {
namespace {

ItemSlotTable Build(Character character, Difficulty difficulty, bool locks = false)
{
    Settings settings;
    settings.character = character;
    settings.difficulty = difficulty;
    settings.randomizeLocks = locks;
    GeneratorState state;
    Rng rng(7);
    BuildItemTables(settings, state, rng);
    return state.itemSlotTable;
}

TEST(ItemSlotTable, SizesPerCharacterWithLocksOff)
{
    const ItemSlotTable jill = Build(Character::Jill, Difficulty::Normal);
    EXPECT_EQ(jill.itemNames.size(), 182u);
    EXPECT_EQ(jill.locationKeys.size(), 180u);
    EXPECT_EQ(jill.forbiddenLocations.size(), 43u);
    EXPECT_EQ(jill.requirements.size(), 34u);

    const ItemSlotTable chris = Build(Character::Chris, Difficulty::Normal);
    EXPECT_EQ(chris.forbiddenLocations.size(), 47u);
    EXPECT_EQ(chris.requirements.size(), 34u);
    EXPECT_EQ(jill.forbiddenLocations.count(0), 1u);
    EXPECT_EQ(chris.forbiddenLocations.count(0), 0u);
    for (int oldKey : {9, 32, 37, 85, 94}) {
        EXPECT_EQ(jill.forbiddenLocations.count(oldKey), 0u) << oldKey;
        const std::vector<int> expected = oldKey == 37 ? std::vector<int>{11, 36} : std::vector<int>{11, 12, 36};
        EXPECT_EQ(chris.forbiddenLocations.at(oldKey), expected) << oldKey;
    }
}

TEST(ItemSlotTable, ChrisHasOldKeysWhereJillHasOtherItems)
{
    const ItemSlotTable jill = Build(Character::Jill, Difficulty::Normal);
    const ItemSlotTable chris = Build(Character::Chris, Difficulty::Hard);
    EXPECT_EQ(jill.itemNames[0], "Lighter");
    EXPECT_EQ(chris.itemNames[0], "Jill's Handgun");
    for (int slot : {9, 32, 37, 85, 94}) {
        EXPECT_EQ(chris.itemNames[static_cast<std::size_t>(slot)], "Old Key") << slot;
        EXPECT_NE(jill.itemNames[static_cast<std::size_t>(slot)], "Old Key") << slot;
    }
    // The five old keys gate keys 11, 12, 13 and 36 for Chris only.
    for (int key : {11, 12, 13, 36}) {
        const std::vector<int>& chrisNeeds = chris.requirements.at(key).at(0);
        const std::vector<int>& jillNeeds = jill.requirements.at(key).at(0);
        for (int oldKey : {9, 32, 37, 85, 94}) {
            EXPECT_NE(std::find(chrisNeeds.begin(), chrisNeeds.end(), oldKey), chrisNeeds.end()) << key;
            EXPECT_EQ(std::find(jillNeeds.begin(), jillNeeds.end(), oldKey), jillNeeds.end()) << key;
        }
    }
    EXPECT_EQ(chris.requirements.at(38).at(0), (std::vector<int>{100, 48, 0}));
}

TEST(ItemSlotTable, DifficultyChangesOnlyNames)
{
    for (Character character : {Character::Jill, Character::Chris}) {
        const ItemSlotTable normal = Build(character, Difficulty::Normal);
        const ItemSlotTable hard = Build(character, Difficulty::Hard);
        EXPECT_EQ(normal.locationKeys, hard.locationKeys);
        EXPECT_EQ(normal.forbiddenLocations, hard.forbiddenLocations);
        EXPECT_EQ(normal.requirements, hard.requirements);
        std::vector<int> changed;
        for (std::size_t slot = 0; slot < normal.itemNames.size(); ++slot)
            if (normal.itemNames[slot] != hard.itemNames[slot]) changed.push_back(static_cast<int>(slot));
        const std::vector<int> expected = character == Character::Jill
                                              ? std::vector<int>{45, 46, 57, 60, 101, 117, 125, 153, 164, 165, 177}
                                              : std::vector<int>{45, 46, 57, 60, 101, 117, 125, 153, 164, 165};
        EXPECT_EQ(changed, expected);
    }
    EXPECT_EQ(Build(Character::Jill, Difficulty::Hard).itemNames[46], "Dagger (after getting plant 42 item)");
    EXPECT_EQ(Build(Character::Chris, Difficulty::Normal).itemNames[57], "Shotgun Shells (Right)");
}

TEST(ItemSlotTable, ChrisLocationKeysDifferAtEightSlots)
{
    const ItemSlotTable jill = Build(Character::Jill, Difficulty::Normal);
    const ItemSlotTable chris = Build(Character::Chris, Difficulty::Normal);
    std::vector<int> changed;
    for (std::size_t slot = 0; slot < 180; ++slot)
        if (jill.locationKeys[slot] != chris.locationKeys[slot]) changed.push_back(static_cast<int>(slot));
    EXPECT_EQ(changed, (std::vector<int>{0, 37, 72, 74, 75, 76, 85, 94}));
    EXPECT_EQ(chris.locationKeys[76], 17);
    // Only key 2 is open among the keys that slots use.
    for (int key : jill.locationKeys) EXPECT_TRUE(key == 2 || jill.requirements.count(key) == 1) << key;
}

TEST(ItemSlotTable, LockModeAddsTheOpenKeyOfUnplacedItemsAndForbidsNothing)
{
    const ItemSlotTable table = Build(Character::Jill, Difficulty::Normal, true);
    ASSERT_EQ(table.locationKeys.size(), 181u);
    EXPECT_EQ(table.locationKeys[180], 69);
    EXPECT_EQ(table.locationKeys[0], 121);
    EXPECT_TRUE(table.forbiddenLocations.empty());
    EXPECT_EQ(Build(Character::Chris, Difficulty::Normal, true).locationKeys[94], 98);
    EXPECT_EQ(table.itemNames[180], "Fuel Supply Capsule (ARMED)");
    EXPECT_EQ(table.itemNames[181], "Shotgun");
}

} // namespace
} // namespace tarvenna
