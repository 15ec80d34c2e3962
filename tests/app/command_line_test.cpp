#include "app/command_line.h"

#include <gtest/gtest.h>

namespace tarvenna {
namespace {

ParseOutcome Parse(std::vector<std::string> arguments)
{
    return ParseCommandLine(arguments);
}

TEST(CommandLine, DefaultsAreTheDialogsDefaults)
{
    const ParseOutcome outcome = Parse({});
    ASSERT_TRUE(outcome.commandLine);
    EXPECT_EQ(outcome.commandLine->settings, Settings{});
    EXPECT_FALSE(outcome.commandLine->seed);
    EXPECT_EQ(outcome.commandLine->outputDirectory, ".");
}

TEST(CommandLine, EveryOptionReachesItsSetting)
{
    const ParseOutcome outcome =
        Parse({"--seed", "4294967295", "--character", "chris", "--difficulty", "hard", "--enemies", "--locks",
               "--remove-healing", "--remove-ammo", "--remove-ink-ribbons", "--remove-defence",
               "--swap-self-defense-gun", "--fuel-capsule-armed", "--tyrant-spawns", "many", "--yawn-spawns", "none",
               "--lisa-spawns", "many", "--tyrant-type", "random", "--no-zombies", "--no-dogs", "--no-hunters",
               "--no-spiders", "--no-sharks", "--no-bees", "--no-chimera", "--no-elder-crimson-heads", "--out",
               "/tmp/x"});
    ASSERT_TRUE(outcome.commandLine) << outcome.err;
    const Settings& s = outcome.commandLine->settings;
    EXPECT_EQ(*outcome.commandLine->seed, 4294967295u);
    EXPECT_EQ(s.character, Character::Chris);
    EXPECT_EQ(s.difficulty, Difficulty::Hard);
    EXPECT_TRUE(s.randomizeItems && s.randomizeEnemies && s.randomizeLocks && !s.randomizeDoors);
    EXPECT_TRUE(s.removeHealingItems && s.removeAmmo && s.removeInkRibbons && s.removeDefenceItems &&
                s.swapWithSelfDefenseGun && s.fuelCapsuleArmed);
    EXPECT_EQ(s.tyrantSpawns, SpawnCount::Many);
    EXPECT_EQ(s.yawnSpawns, SpawnCount::None);
    EXPECT_EQ(s.lisaSpawns, SpawnCount::Many);
    EXPECT_EQ(s.tyrantType, TyrantType::Random);
    EXPECT_FALSE(s.allowZombies || s.allowDogs || s.allowHunters || s.allowSpiders || s.allowSharks ||
                 s.allowBees || s.allowChimera || s.allowElderCrimsonHeads);
    EXPECT_EQ(outcome.commandLine->outputDirectory, "/tmp/x");

    const ParseOutcome lab = Parse({"--tyrant-type", "lab", "--no-items", "--doors"});
    EXPECT_FALSE(lab.commandLine); // --doors needs items
    const ParseOutcome labOnly = Parse({"--tyrant-type", "lab", "--no-items"});
    ASSERT_TRUE(labOnly.commandLine);
    EXPECT_EQ(labOnly.commandLine->settings.tyrantType, TyrantType::Lab);
    EXPECT_FALSE(labOnly.commandLine->settings.randomizeItems);
}

TEST(CommandLine, CombinationsTheDialogCannotMakeAreErrors)
{
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--doors", "--difficulty", "hard"}, {"--doors", "--no-items"},
          {"--doors", "--locks"}, {"--locks", "--no-items"}}) {
        const ParseOutcome outcome = Parse(arguments);
        EXPECT_FALSE(outcome.commandLine) << arguments[0] << " " << arguments[1];
        EXPECT_EQ(outcome.exitCode, 2);
        EXPECT_NE(outcome.err.find("cannot be combined"), std::string::npos) << outcome.err;
    }
    EXPECT_TRUE(Parse({"--doors", "--enemies"}).commandLine);
}

TEST(CommandLine, MalformedValuesAreErrors)
{
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--seed", "-1"}, {"--seed", "4294967296"}, {"--seed", "12a"}, {"--seed", "0x10"},
          {"--seed", " 5"}, {"--seed", ""}, {"--character", "barry"}, {"--difficulty", "easy"},
          {"--tyrant-spawns", "two"}, {"--tyrant-type", "fast"}, {"--frobnicate"}, {"--seed"}, {"extra"}}) {
        const ParseOutcome outcome = Parse(arguments);
        EXPECT_FALSE(outcome.commandLine) << arguments[0];
        EXPECT_EQ(outcome.exitCode, 2) << arguments[0];
        EXPECT_FALSE(outcome.err.empty());
    }
    EXPECT_EQ(*Parse({"--seed", "0"}).commandLine->seed, 0u);
    EXPECT_EQ(*Parse({"--seed", "0000000001"}).commandLine->seed, 1u);
}

TEST(CommandLine, HelpAndVersionPrintAndStop)
{
    const ParseOutcome help = Parse({"--help"});
    EXPECT_FALSE(help.commandLine);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--seed", "--character", "--difficulty", "--no-items", "--enemies", "--doors", "--locks",
                               "--remove-healing", "--swap-self-defense-gun", "--fuel-capsule-armed", "--lisa-spawns",
                               "--tyrant-type", "--no-elder-crimson-heads", "--out", "--version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    const ParseOutcome version = Parse({"--version"});
    EXPECT_EQ(version.out, "Version 1.098 Beta\n");
    EXPECT_EQ(version.exitCode, 0);
}

} // namespace
} // namespace tarvenna
