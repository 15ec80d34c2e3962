#include "app/command_line.h"

#include <functional>
#include <span>
#include <tuple>

#include <CLI/CLI.hpp>

#include "core/utf8_path.h"
#include "core/version.h"
#include "share/share_code.h"

namespace tarvenna {
namespace {

// One table per choice: the help, the check and the message all read it, so
// they cannot disagree. Only these exact spellings are accepted.
template <typename Value>
struct Choice {
    const char* spelling;
    Value value;
};

constexpr Choice<Character> kCharacters[] = {{"jill", Character::Jill}, {"chris", Character::Chris}};
constexpr Choice<Difficulty> kDifficulties[] = {{"normal", Difficulty::Normal}, {"hard", Difficulty::Hard}};
constexpr Choice<SpawnCount> kSpawnCounts[] = {
    {"one", SpawnCount::One}, {"many", SpawnCount::Many}, {"none", SpawnCount::None}};
constexpr Choice<TyrantType> kTyrantTypes[] = {
    {"helipad", TyrantType::Helipad}, {"lab", TyrantType::Lab}, {"random", TyrantType::Random}};

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

Option FlagOption(std::string name, bool Settings::*field, bool valueWhenGiven, std::string description)
{
    return FlagOption(
        std::move(name), [field, valueWhenGiven](CommandLine& line) { line.settings.*field = valueWhenGiven; },
        std::move(description));
}

template <typename Value>
std::string Spellings(std::span<const Choice<Value>> choices, const char* between, const char* beforeLast)
{
    std::string text;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (i > 0) text += i + 1 == choices.size() ? beforeLast : between;
        text += choices[i].spelling;
    }
    return text;
}

template <typename Value>
Option ChoiceOption(std::string name, std::span<const Choice<Value>> choices, Value Settings::*field,
                    std::string description)
{
    std::string accepted = Spellings(choices, ", ", " or ");
    auto apply = [name, choices, field, accepted](const std::string& text, CommandLine& line) -> std::string {
        for (const Choice<Value>& choice : choices) {
            if (text == choice.spelling) {
                line.settings.*field = choice.value;
                return "";
            }
        }
        return MustBe(name, accepted, text);
    };
    return {name, Spellings(choices, "|", "|"), std::move(description), accepted, apply};
}

void AddGameOptions(std::vector<Option>& options)
{
    const std::string seed = "a whole number from 0 to 4294967295";
    options.push_back({"--seed", "N", "Seed, decimal 0..4294967295 (default: the current time in seconds)", seed,
                       [seed](const std::string& text, CommandLine& line) -> std::string {
                           line.seed = ParseSeed(text);
                           return line.seed ? "" : MustBe("--seed", seed, text);
                       }});
    options.push_back(ChoiceOption<Character>("--character", kCharacters, &Settings::character,
                                              "Character: jill or chris (default: jill)"));
    options.push_back(ChoiceOption<Difficulty>("--difficulty", kDifficulties, &Settings::difficulty,
                                               "Difficulty: normal or hard (default: normal)"));
    options.push_back(FlagOption("--no-items", &Settings::randomizeItems, false, "Keep every item in its own slot"));
    for (auto [name, field, description] : {
             std::tuple{"--enemies", &Settings::randomizeEnemies, "Randomize enemies"},
             std::tuple{"--doors", &Settings::randomizeDoors,
                        "Randomize doors (Normal only; not with --no-items or --locks)"},
             std::tuple{"--locks", &Settings::randomizeLocks, "Randomize locks (not with --no-items or --doors)"},
             std::tuple{"--remove-healing", &Settings::removeHealingItems, "Replace healing items with junk"},
             std::tuple{"--remove-ammo", &Settings::removeAmmo, "Replace ammunition with junk"},
             std::tuple{"--remove-ink-ribbons", &Settings::removeInkRibbons, "Replace ink ribbons with junk"},
             std::tuple{"--remove-defence", &Settings::removeDefenceItems, "Replace defence items with junk"},
             std::tuple{"--swap-self-defense-gun", &Settings::swapWithSelfDefenseGun,
                        "Swap all non-key items with the Self Defense Gun"},
             std::tuple{"--fuel-capsule-armed", &Settings::fuelCapsuleArmed, "Fuel Supply Capsule armed on pickup"}}) {
        options.push_back(FlagOption(name, field, true, description));
    }
}

void AddEnemyOptions(std::vector<Option>& options)
{
    for (auto [name, field, what] : {std::tuple{"--tyrant-spawns", &Settings::tyrantSpawns, "Tyrant"},
                                     std::tuple{"--yawn-spawns", &Settings::yawnSpawns, "Yawn"},
                                     std::tuple{"--lisa-spawns", &Settings::lisaSpawns, "Lisa"}}) {
        options.push_back(ChoiceOption<SpawnCount>(
            name, kSpawnCounts, field, std::string(what) + " spawns with --enemies: one, many or none (default: one)"));
    }
    options.push_back(ChoiceOption<TyrantType>(
        "--tyrant-type", kTyrantTypes, &Settings::tyrantType,
        "Tyrant type with --enemies: helipad, lab or random (default: helipad)"));
    for (auto [name, field, what] : {std::tuple{"--no-zombies", &Settings::allowZombies, "zombies"},
                                     std::tuple{"--no-dogs", &Settings::allowDogs, "dogs"},
                                     std::tuple{"--no-hunters", &Settings::allowHunters, "hunters"},
                                     std::tuple{"--no-spiders", &Settings::allowSpiders, "spiders"},
                                     std::tuple{"--no-sharks", &Settings::allowSharks, "sharks"},
                                     std::tuple{"--no-bees", &Settings::allowBees, "bees"},
                                     std::tuple{"--no-chimera", &Settings::allowChimera, "chimera"},
                                     std::tuple{"--no-elder-crimson-heads", &Settings::allowElderCrimsonHeads,
                                                "elder crimson heads"}}) {
        options.push_back(FlagOption(name, field, false, std::string("With --enemies: no ") + what));
    }
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
                       "Threads for the item search (default: every core; the files do not depend on it)", threads,
                       [threads](const std::string& text, CommandLine& line) -> std::string {
                           // Decimal only, as the seed: "010" is ten, not eight.
                           const std::optional<std::uint32_t> count = ParseSeed(text);
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
                           const std::optional<std::uint32_t> n = ParseSeed(text);
                           if (!n || *n < 1 || *n > CommandLine::kMaxCount) return MustBe("--count", count, text);
                           line.count = *n;
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
    AddEnemyOptions(options);
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
    if (line.count && !line.seed) return "--count needs --seed: the first seed of the batch";
    if (line.count && static_cast<std::uint64_t>(*line.seed) + *line.count - 1 > 0xFFFFFFFFu)
        return "--count goes past seed 4294967295";
    return "";
}

// CLI11 throws only for a value missing at the very end (it takes any next
// argument as the value), so the last argument names the option.
std::string MissingValue(const std::vector<std::string>& arguments, const std::vector<Option>& options,
                         const CLI::ParseError& error)
{
    const std::string last = arguments.empty() ? std::string() : arguments.back();
    for (const Option& option : options) {
        if (option.placeholder.empty()) continue;
        if (last == option.name || last == option.name + "=") return option.name + " needs a value: " + option.accepted;
    }
    return error.what();
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

std::optional<std::uint32_t> ParseSeed(const std::string& text)
{
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

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
               "two players with the same check words have the same game.\n"
               "Exit status: 0 success, 1 an output file could not be written, 2 bad options,\n"
               "3 the door map is incomplete, 4 internal error, 6 the game differs from the\n"
               "share code's (files kept), 130 interrupted (no file is written).");

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
