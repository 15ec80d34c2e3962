#include "app/command_line.h"

#include <functional>

#include <gtest/gtest.h>

namespace tarvenna {
namespace {

using Arguments = std::vector<std::string>;

TEST(CommandLine, DefaultsAreTheDialogsDefaults)
{
    const ParseOutcome outcome = ParseCommandLine({});
    ASSERT_TRUE(outcome.commandLine);
    EXPECT_EQ(outcome.commandLine->settings, Settings{});
    EXPECT_FALSE(outcome.commandLine->seed);
    EXPECT_EQ(outcome.commandLine->outputDirectory, ".");
    EXPECT_EQ(outcome.commandLine->threads, 0u);
}

TEST(CommandLine, EveryDocumentedSpellingReachesItsSetting)
{
    const std::pair<Arguments, std::function<void(Settings&)>> cases[] = {
        {{"--character", "jill", "--difficulty", "normal", "--tyrant-spawns", "one", "--yawn-spawns", "one",
          "--lisa-spawns", "one", "--tyrant-type", "helipad"},
         [](Settings&) {}},
        {{"--character=chris"}, [](Settings& s) { s.character = Character::Chris; }},
        {{"--difficulty", "hard"}, [](Settings& s) { s.difficulty = Difficulty::Hard; }},
        {{"--tyrant-spawns", "many"}, [](Settings& s) { s.tyrantSpawns = SpawnCount::Many; }},
        {{"--yawn-spawns", "none"}, [](Settings& s) { s.yawnSpawns = SpawnCount::None; }},
        {{"--lisa-spawns", "many"}, [](Settings& s) { s.lisaSpawns = SpawnCount::Many; }},
        {{"--tyrant-type", "lab"}, [](Settings& s) { s.tyrantType = TyrantType::Lab; }},
        {{"--tyrant-type", "random"}, [](Settings& s) { s.tyrantType = TyrantType::Random; }},
        {{"--no-items", "--no-items"}, [](Settings& s) { s.randomizeItems = false; }},
        {{"--doors", "--enemies", "--no-zombies", "--no-elder-crimson-heads"},
         [](Settings& s) {
             s.randomizeDoors = s.randomizeEnemies = true;
             s.allowZombies = s.allowElderCrimsonHeads = false;
         }},
        {{"--locks", "--remove-healing", "--remove-ammo", "--remove-ink-ribbons", "--remove-defence",
          "--swap-self-defense-gun", "--fuel-capsule-armed", "--no-dogs", "--no-hunters", "--no-spiders", "--no-sharks",
          "--no-bees", "--no-chimera"},
         [](Settings& s) {
             s.randomizeLocks = s.removeHealingItems = s.removeAmmo = s.removeInkRibbons = s.removeDefenceItems = true;
             s.swapWithSelfDefenseGun = s.fuelCapsuleArmed = true;
             s.allowDogs = s.allowHunters = s.allowSpiders = s.allowSharks = s.allowBees = s.allowChimera = false;
         }}};
    for (const auto& [arguments, change] : cases) {
        Settings expected;
        change(expected);
        const ParseOutcome outcome = ParseCommandLine(arguments);
        ASSERT_TRUE(outcome.commandLine) << arguments[0] << ": " << outcome.err;
        EXPECT_EQ(outcome.commandLine->settings, expected) << arguments[0];
    }
}

TEST(CommandLine, NumbersAreDecimalWithinTheirRange)
{
    const auto parsed = [](const Arguments& arguments) { return *ParseCommandLine(arguments).commandLine; };
    const CommandLine highest = parsed({"--seed", "4294967295", "--threads", "1024", "--out", "/tmp/x"});
    EXPECT_EQ(*highest.seed, 4294967295u);
    EXPECT_EQ(highest.threads, 1024u);
    EXPECT_EQ(highest.outputDirectory, "/tmp/x");
    EXPECT_EQ(*parsed({"--seed", "0000000001"}).seed, 1u);
    const CommandLine lowest = parsed({"--seed=0", "--threads=1"});
    EXPECT_EQ(*lowest.seed, 0u);
    EXPECT_EQ(lowest.threads, 1u);
    EXPECT_EQ(parsed({"--threads", "010"}).threads, 10u); // not octal
}

TEST(CommandLine, BadValuesAreRefusedNamingWhatIsAccepted)
{
    const std::pair<Arguments, std::string> cases[] = {
        {{"--seed", "-1"}, "--seed must be a whole number from 0 to 4294967295, not '-1'"},
        {{"--seed", "4294967296"}, "--seed must be a whole number from 0 to 4294967295, not '4294967296'"},
        {{"--seed", "5 5"}, "--seed must be a whole number from 0 to 4294967295, not '5 5'"},
        {{"--seed", ""}, "--seed must be a whole number from 0 to 4294967295, not ''"},
        {{"--character", "bob"}, "--character must be jill or chris, not 'bob'"},
        {{"--character", "1"}, "--character must be jill or chris, not '1'"},
        {{"--character=Jill"}, "--character must be jill or chris, not 'Jill'"},
        {{"--difficulty", "0"}, "--difficulty must be normal or hard, not '0'"},
        {{"--difficulty", "easy"}, "--difficulty must be normal or hard, not 'easy'"},
        {{"--tyrant-spawns", "1"}, "--tyrant-spawns must be one, many or none, not '1'"},
        {{"--yawn-spawns", "two"}, "--yawn-spawns must be one, many or none, not 'two'"},
        {{"--lisa-spawns", "None"}, "--lisa-spawns must be one, many or none, not 'None'"},
        {{"--tyrant-type", "2"}, "--tyrant-type must be helipad, lab or random, not '2'"},
        {{"--threads", "0"}, "--threads must be a whole number from 1 to 1024, not '0'"},
        {{"--threads", "1025"}, "--threads must be a whole number from 1 to 1024, not '1025'"},
        {{"--threads", "0x10"}, "--threads must be a whole number from 1 to 1024, not '0x10'"},
        {{"--threads", "+4"}, "--threads must be a whole number from 1 to 1024, not '+4'"},
        {{"--out", ""}, "--out needs a folder name"},
        {{"--seed"}, "--seed needs a value: a whole number from 0 to 4294967295"},
        {{"--character="}, "--character needs a value: jill or chris"},
        {{"--out"}, "--out needs a value: a folder name"},
        {{"--seed", "1", "--seed", "1"}, "--seed may be given only once"},
        {{"--tyrant-type", "lab", "--tyrant-type=lab"}, "--tyrant-type may be given only once"},
        {{"--doors=false"}, "--doors takes no value, not 'false'"},
        {{"--no-bees=1"}, "--no-bees takes no value, not '1'"},
        {{"--frobnicate"}, "The following argument was not expected: --frobnicate"},
        {{"--Seed", "5"}, "The following arguments were not expected: --Seed 5"},
        {{"--doors", "--difficulty", "hard"},
         "--doors cannot be combined with --difficulty hard (door mode runs on Normal)"},
        {{"--doors", "--no-items"}, "--doors cannot be combined with --no-items"},
        {{"--doors", "--locks"}, "--doors cannot be combined with --locks"},
        {{"--locks", "--no-items"}, "--locks cannot be combined with --no-items"}};
    for (const auto& [arguments, message] : cases) {
        const ParseOutcome outcome = ParseCommandLine(arguments);
        EXPECT_FALSE(outcome.commandLine) << arguments[0];
        EXPECT_EQ(outcome.exitCode, 2) << arguments[0];
        EXPECT_EQ(outcome.err, "tarvenna: " + message + "\nRun with --help for more information.\n");
    }
}

TEST(CommandLine, HelpShowsTheSpellingsAUserTypes)
{
    // Help wins over a bad value, so that it can be asked for while fixing one.
    const ParseOutcome outcome = ParseCommandLine({"--character", "bob", "--help"});
    EXPECT_EQ(outcome.exitCode, 0);
    for (const char* shown : {"--seed N ", "--character jill|chris ", "--difficulty normal|hard ",
                              "--tyrant-spawns one|many|none ", "--lisa-spawns one|many|none ",
                              "--tyrant-type helipad|lab|random\n", "--out DIR ", "--threads N ", "Exit status: 0"})
        EXPECT_NE(outcome.out.find(shown), std::string::npos) << shown;
    for (const char* hidden : {"->", "UINT", "value in", "NAME", "COUNT"})
        EXPECT_EQ(outcome.out.find(hidden), std::string::npos) << hidden;
}

} // namespace
} // namespace tarvenna
