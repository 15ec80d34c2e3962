#include "app/command_line.h"

#include <gtest/gtest.h>

namespace tarvenna {
namespace {

TEST(CommandLine, DefaultsAreTheDialogsDefaults)
{
    const ParseOutcome outcome = ParseCommandLine({});
    ASSERT_TRUE(outcome.commandLine);
    EXPECT_EQ(outcome.commandLine->settings, Settings{});
    EXPECT_FALSE(outcome.commandLine->seed);
    EXPECT_EQ(outcome.commandLine->outputDirectory, ".");
    EXPECT_EQ(outcome.commandLine->threads, 0u);
}

TEST(CommandLine, EveryOptionReachesItsSetting)
{
    const ParseOutcome outcome = ParseCommandLine(
        {"--seed", "4294967295", "--character", "chris", "--difficulty", "hard", "--enemies", "--locks",
         "--remove-healing", "--remove-ammo", "--remove-ink-ribbons", "--remove-defence", "--swap-self-defense-gun",
         "--fuel-capsule-armed", "--tyrant-spawns", "many", "--yawn-spawns", "none", "--lisa-spawns", "many",
         "--tyrant-type", "random", "--no-zombies", "--no-dogs", "--no-hunters", "--no-spiders", "--no-sharks",
         "--no-bees", "--no-chimera", "--no-elder-crimson-heads", "--out", "/tmp/x", "--threads", "3"});
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
    EXPECT_EQ(outcome.commandLine->threads, 3u);

    EXPECT_EQ(*ParseCommandLine({"--seed", "0000000001"}).commandLine->seed, 1u);
    EXPECT_EQ(*ParseCommandLine({"--seed", "0"}).commandLine->seed, 0u);
    EXPECT_TRUE(ParseCommandLine({"--doors", "--enemies"}).commandLine);
}

TEST(CommandLine, CombinationsTheDialogCannotMakeAndMalformedValuesAreErrors)
{
    using Arguments = std::vector<std::string>;
    const Arguments combinations[] = {{"--doors", "--difficulty", "hard"}, {"--doors", "--no-items"},
                                      {"--doors", "--locks"}, {"--locks", "--no-items"}};
    const Arguments malformed[] = {{"--seed", "-1"}, {"--seed", "4294967296"}, {"--seed", "12a"}, {"--seed", "0x10"},
                                   {"--seed", " 5"}, {"--seed", ""}, {"--seed"}, {"--character", "barry"},
                                   {"--difficulty", "easy"}, {"--tyrant-spawns", "two"}, {"--tyrant-type", "fast"},
                                   {"--frobnicate"}, {"extra"}, {"--out", ""}, {"--threads", "0"}};
    auto rejected = [](const Arguments& arguments) {
        const ParseOutcome outcome = ParseCommandLine(arguments);
        EXPECT_FALSE(outcome.commandLine) << arguments[0];
        EXPECT_EQ(outcome.exitCode, 2) << arguments[0];
        EXPECT_FALSE(outcome.err.empty()) << arguments[0];
        return outcome.err;
    };
    for (const Arguments& arguments : combinations)
        EXPECT_NE(rejected(arguments).find("cannot be combined"), std::string::npos) << arguments[0];
    for (const Arguments& arguments : malformed) rejected(arguments);
}

} // namespace
} // namespace tarvenna
