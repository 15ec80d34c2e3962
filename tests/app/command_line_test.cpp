#include "app/command_line.h"

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

// Every field at each of its other values is the settings table's test,
// and the reference cases type each of those spellings; here the words of
// the defaults, a value after '=' and a switch given twice.
TEST(CommandLine, TheDefaultsCanBeSpelledOutAndASwitchGivenTwice)
{
    const std::pair<Arguments, Settings> cases[] = {
        {{"--character", "jill", "--difficulty", "normal", "--tyrant-spawns", "one", "--yawn-spawns", "one",
          "--lisa-spawns", "one", "--tyrant-type", "helipad"},
         Settings{}},
        {{"--character=chris"}, Settings{.character = Character::Chris}},
        {{"--no-items", "--no-items"}, Settings{.randomizeItems = false}}};
    for (const auto& [arguments, expected] : cases) {
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
    const CommandLine lowest = parsed({"--seed=0", "--threads=1", "--out", "--seed="});
    EXPECT_EQ(*lowest.seed, 0u);
    EXPECT_EQ(lowest.threads, 1u);
    EXPECT_EQ(lowest.outputDirectory, "--seed="); // a folder so named, not an option
}

TEST(CommandLine, BadValuesAreRefusedNamingWhatIsAccepted)
{
    const std::pair<Arguments, std::string> cases[] = {
        {{"--seed", "4294967296"}, "--seed must be a whole number from 0 to 4294967295, not '4294967296'"},
        {{"--seed", ""}, "--seed must be a whole number from 0 to 4294967295, not ''"},
        {{"--character", "bob"}, "--character must be jill or chris, not 'bob'"},
        {{"--character=Jill"}, "--character must be jill or chris, not 'Jill'"},
        {{"--difficulty", "0"}, "--difficulty must be normal or hard, not '0'"},
        {{"--tyrant-spawns", "1"}, "--tyrant-spawns must be one, many or none, not '1'"},
        {{"--tyrant-type", "2"}, "--tyrant-type must be helipad, lab or random, not '2'"},
        {{"--threads", "0"}, "--threads must be a whole number from 1 to 1024, not '0'"},
        {{"--threads", "1025"}, "--threads must be a whole number from 1 to 1024, not '1025'"},
        {{"--out", ""}, "--out needs a folder name"},
        {{"--seed"}, "--seed needs a value: a whole number from 0 to 4294967295"},
        {{"--character="}, "--character needs a value: jill or chris"},
        {{"--seed=", "2"}, "--seed needs a value: a whole number from 0 to 4294967295"},
        {{"--out"}, "--out needs a value: a folder name"},
        {{"--seed", "1", "--seed", "1"}, "--seed may be given only once"},
        {{"--tyrant-type", "lab", "--tyrant-type=lab"}, "--tyrant-type may be given only once"},
        {{"--doors=false"}, "--doors takes no value, not 'false'"},
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
