#include "app/command_line.h"

#include <functional>

#include <CLI/CLI.hpp>

#include "core/utf8_path.h"
#include "core/version.h"
#include "settings/settings_table.h"
#include "share/share_code.h"

namespace tarvenna {
namespace {

// An option as CLI11 collects it (text only). Apply checks one occurrence's
// text and stores it, or returns what is wrong with it.
struct Option {
    std::string name;
    std::string placeholder; // in the help: "jill|chris", "N", "DIR"; empty for a flag
    std::string description;
    std::string accepted;    // in messages: "jill or chris"
    std::function<std::string(const std::string& text, CommandLine& line)> apply;
    bool setsGame = false;   // part of what a share code holds
};

std::string MustBe(const std::string& name, const std::string& accepted, const std::string& text)
{
    return name + " must be " + accepted + ", not '" + text + "'";
}

// CLI11 hands a flag "true" (also for "--doors=" and "--doors=true"), or the
// text after '='. "--doors=false" would otherwise switch it off: refused.
Option FlagOption(std::string name, std::function<void(CommandLine&)> set, std::string description)
{
    auto apply = [name, set = std::move(set)](const std::string& text, CommandLine& line) -> std::string {
        if (text != "true") return name + " takes no value, not '" + text + "'";
        set(line);
        return "";
    };
    return {name, "", std::move(description), "", apply};
}

// A switch's option sets its field to the value it does not have by default.
Option SwitchOption(const SettingRow& row)
{
    return FlagOption(
        OptionName(row), [&row](CommandLine& line) { SetValue(line.settings, row, OptionValue(row) ? 1 : 0); },
        row.help);
}

// The words of a choice, joined: "jill, chris" with "|" or ", " and " or ".
std::string Words(const SettingRow& row, const char* between, const char* beforeLast)
{
    std::string text;
    const int count = ValueCount(row);
    for (int value = 0; value < count; ++value) {
        if (value > 0) text += value + 1 == count ? beforeLast : between;
        text += row.values[static_cast<std::size_t>(value)].word;
    }
    return text;
}

Option ChoiceOption(const SettingRow& row)
{
    const std::string name = OptionName(row);
    const std::string accepted = Words(row, ", ", " or ");
    const char* byDefault = row.values[static_cast<std::size_t>(ValueOf(Settings{}, row))].word;
    auto apply = [name, accepted, &row](const std::string& text, CommandLine& line) -> std::string {
        for (int value = 0; value < ValueCount(row); ++value) {
            if (text == row.values[static_cast<std::size_t>(value)].word) {
                SetValue(line.settings, row, value);
                return "";
            }
        }
        return MustBe(name, accepted, text);
    };
    return {name, Words(row, "|", "|"), std::string(row.help) + ": " + accepted + " (default: " + byDefault + ")",
            accepted, apply};
}

// The seed, then every setting in the table's order.
void AddGameOptions(std::vector<Option>& options)
{
    const std::string seed = "a whole number from 0 to 4294967295";
    options.push_back({"--seed", "N", "Seed, decimal 0..4294967295 (default: the current time in seconds)", seed,
                       [seed](const std::string& text, CommandLine& line) -> std::string {
                           line.seed = ParseSeedText(text);
                           return line.seed ? "" : MustBe("--seed", seed, text);
                       }});
    for (const SettingRow& row : kSettingsTable) options.push_back(IsSwitch(row) ? SwitchOption(row) : ChoiceOption(row));
}

void AddRunOptions(std::vector<Option>& options)
{
    options.push_back({"--out", "DIR", "Folder for the output files (default: the current folder)", "a folder name",
                       [](const std::string& text, CommandLine& line) -> std::string {
                           if (text.empty()) return "--out needs a folder name";
                           line.outputDirectory = PathFromUtf8(text);
                           return "";
                       }});
    const std::string threads = "a whole number from 1 to " + std::to_string(CommandLine::kMaxThreads);
    options.push_back({"--threads", "N",
                       "Threads for the item search (default and most: every core; the files do not depend on it)",
                       threads,
                       [threads](const std::string& text, CommandLine& line) -> std::string {
                           // Decimal only, as the seed: "010" is ten, not eight.
                           const std::optional<std::uint32_t> count = ParseSeedText(text);
                           if (!count || *count < 1 || *count > CommandLine::kMaxThreads)
                               return MustBe("--threads", threads, text);
                           line.threads = *count;
                           return "";
                       }});
    options.push_back(FlagOption(
        "--spoiler", [](CommandLine& line) { line.spoiler = true; },
        "Also write Spoiler<Character><Difficulty>.json: every slot, enemy, door, lock and a playthrough"));
    const std::string count = "a whole number from 1 to " + std::to_string(CommandLine::kMaxCount);
    options.push_back({"--count", "N",
                       "Generate N seeds from --seed on, each into DIR/<seed>/, with DIR/summary.csv", count,
                       [count](const std::string& text, CommandLine& line) -> std::string {
                           const std::optional<std::uint32_t> n = ParseSeedText(text);
                           if (!n || *n < 1 || *n > CommandLine::kMaxCount) return MustBe("--count", count, text);
                           line.count = *n;
                           return "";
                       }});
    options.push_back({"--verify", "FILE",
                       "Check an item list file: is it a game of these settings that can be finished? (exit 0: "
                       "yes, 7: no, 2: not an item list)",
                       "a file name", [](const std::string& text, CommandLine& line) -> std::string {
                           if (text.empty()) return "--verify needs a file name";
                           line.verify = PathFromUtf8(text);
                           return "";
                       }});
    options.push_back({"--share", "CODE", "Make the game of a share code: its settings and seed", "a share code",
                       [](const std::string& text, CommandLine& line) -> std::string {
                           const ShareCodeReading reading = ReadShareCode(text);
                           if (reading.error != ShareCodeError::None) return "--share: " + reading.message;
                           line.settings = reading.game.settings;
                           line.seed = reading.game.seed;
                           line.expectedCheckValue = reading.game.checkValue;
                           return "";
                       }});
}

// In help order.
std::vector<Option> Options()
{
    std::vector<Option> options;
    AddGameOptions(options);
    for (Option& option : options) option.setsGame = true;
    AddRunOptions(options);
    return options;
}

ParseOutcome Failure(const std::string& message)
{
    ParseOutcome outcome;
    outcome.exitCode = 2;
    outcome.err = "tarvenna: " + message + "\nRun with --help for more information.\n";
    return outcome;
}

// A value option given twice is refused rather than letting one silently win:
// "--seed 1 ... --seed 2" is more likely a mistake than meant (CLI11 refused
// it too). A repeated flag changes nothing and is accepted.
std::string ApplyOptions(const CLI::App& app, const std::vector<Option>& options, CommandLine& line)
{
    const bool shared = app.get_option("--share")->count() > 0;
    for (const Option& option : options) {
        const std::vector<std::string>& given = app.get_option(option.name)->results();
        if (shared && option.setsGame && !given.empty())
            return "--share cannot be combined with " + option.name + ": the code holds the settings and the seed";
        if (given.size() > 1 && !option.placeholder.empty()) return option.name + " may be given only once";
        for (const std::string& text : given) {
            std::string complaint = option.apply(text, line);
            if (!complaint.empty()) return complaint;
        }
    }
    return "";
}

// The combinations that the dialog can never produce.
std::string CombinationComplaint(const Settings& s)
{
    if (s.randomizeDoors && s.difficulty == Difficulty::Hard)
        return "--doors cannot be combined with --difficulty hard (door mode runs on Normal)";
    if (s.randomizeDoors && !s.randomizeItems) return "--doors cannot be combined with --no-items";
    if (s.randomizeDoors && s.randomizeLocks) return "--doors cannot be combined with --locks";
    if (s.randomizeLocks && !s.randomizeItems) return "--locks cannot be combined with --no-items";
    return "";
}

std::string RunComplaint(const CommandLine& line)
{
    if (line.count && line.expectedCheckValue) return "--count cannot be combined with --share: a code is one game";
    if (line.verify && line.count) return "--verify cannot be combined with --count: it checks one file";
    if (line.verify && line.spoiler && !line.seed)
        return "--verify with --spoiler needs --seed or --share: a spoiler names its game's seed";
    if (line.count && !line.seed) return "--count needs --seed: the first seed of the batch";
    if (line.count && static_cast<std::uint64_t>(*line.seed) + *line.count - 1 > 0xFFFFFFFFu)
        return "--count goes past seed 4294967295";
    return "";
}

std::string NeedsValue(const Option& option) { return option.name + " needs a value: " + option.accepted; }

// CLI11 throws only for a value missing at the very end (it takes any next
// argument as the value), so the last argument names the option.
std::string MissingValue(const std::vector<std::string>& arguments, const std::vector<Option>& options,
                         const CLI::ParseError& error)
{
    const std::string last = arguments.empty() ? std::string() : arguments.back();
    for (const Option& option : options)
        if (!option.placeholder.empty() && last == option.name) return NeedsValue(option);
    return error.what();
}

// "--seed=" gives no value, where CLI11 would take the next argument as one
// ("--seed= 2" as seed 2). An option's separate value ("--out --seed=", a
// folder) is not an option.
std::string EmptyJoinedValue(const std::vector<std::string>& arguments, const std::vector<Option>& options)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        for (const Option& option : options) {
            if (option.placeholder.empty()) continue;
            if (arguments[i] == option.name + "=") return NeedsValue(option);
            if (arguments[i] == option.name) {
                ++i;
                break;
            }
        }
    }
    return "";
}

// CLI11 lists the unexpected arguments back to front.
std::string Unexpected(const CLI::App& app)
{
    const std::vector<std::string> extras = app.remaining();
    std::string text = extras.size() > 1 ? "The following arguments were not expected:"
                                         : "The following argument was not expected:";
    for (const std::string& extra : extras) text += " " + extra;
    return text;
}

} // namespace

ParseOutcome ParseCommandLine(const std::vector<std::string>& arguments)
{
    CLI::App app{"Tarvenna deals the game's item pick-ups anew (and, on request, enemies, doors and locks)\n"
                 "and writes the trainer's item list file and a cheat sheet.",
                 "tarvenna"};
    app.set_version_flag("--version", kVersionString, "Print the version string and exit");
    app.get_formatter()->column_width(34);

    const std::vector<Option> options = Options();
    for (const Option& option : options) {
        if (option.placeholder.empty()) {
            app.add_flag(option.name)->description(option.description);
        } else {
            // Every occurrence is kept, so that a repeated option can be refused.
            app.add_option(option.name)
                ->description(option.description)
                ->type_name(option.placeholder)
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        }
    }
    app.footer("Writes ItemList<Character><Difficulty>.txt and CheatSheet<Character><Difficulty>.txt.\n"
               "Standard error ends with the seed, the share code and four check words:\n"
               "two players with the same check words have the same game. On a terminal it\n"
               "also shows how much of the item deals a long search has ruled out (the\n"
               "status log on standard output stays the same).\n"
               "Exit status: 0 success, 1 an output file could not be written (or the folder\n"
               "holds something Tarvenna leaves alone), 2 bad options, 3 the door map is\n"
               "incomplete, 4 internal error, 6 the game differs from the share code's (files\n"
               "kept), 130 interrupted by Ctrl-C, SIGTERM or SIGHUP (no file is written),\n"
               "141 standard output was closed (the run stops as if interrupted);\n"
               "with --verify: 0 a finishable game, 7 not finishable, 2 not an item list.\n"
               "Environment: TARVENNA_KERNELS=avx512|avx2|sse4|baseline makes the item search\n"
               "use that kernel set rather than the widest this processor runs (the files do\n"
               "not depend on it; a set the processor lacks is refused with status 2);\n"
               "--version names the set in use.");

    if (const std::string empty = EmptyJoinedValue(arguments, options); !empty.empty()) return Failure(empty);
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        ParseOutcome outcome;
        outcome.out = app.help();
        return outcome;
    } catch (const CLI::CallForVersion&) {
        ParseOutcome outcome;
        outcome.out = std::string(kVersionString) + "\n";
        outcome.version = true;
        return outcome;
    } catch (const CLI::ArgumentMismatch& error) {
        return Failure(MissingValue(arguments, options, error));
    } catch (const CLI::ExtrasError&) {
        return Failure(Unexpected(app));
    } catch (const CLI::ParseError& error) {
        return Failure(error.what());
    }

    CommandLine line;
    std::string complaint = ApplyOptions(app, options, line);
    if (complaint.empty()) complaint = CombinationComplaint(line.settings);
    if (complaint.empty()) complaint = RunComplaint(line);
    if (!complaint.empty()) return Failure(complaint);
    ParseOutcome outcome;
    outcome.commandLine = line;
    return outcome;
}

} // namespace tarvenna
