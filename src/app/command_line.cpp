#include "app/command_line.h"

#include <map>
#include <sstream>

#include <CLI/CLI.hpp>

#include "core/utf8_path.h"
#include "core/version.h"

namespace tarvenna {
namespace {

const std::map<std::string, SpawnCount> kSpawnCounts = {
    {"one", SpawnCount::One}, {"many", SpawnCount::Many}, {"none", SpawnCount::None}};
const std::map<std::string, TyrantType> kTyrantTypes = {
    {"helipad", TyrantType::Helipad}, {"lab", TyrantType::Lab}, {"random", TyrantType::Random}};
const std::map<std::string, Character> kCharacters = {{"jill", Character::Jill}, {"chris", Character::Chris}};
const std::map<std::string, Difficulty> kDifficulties = {{"normal", Difficulty::Normal},
                                                         {"hard", Difficulty::Hard}};

ParseOutcome Failure(const std::string& message)
{
    ParseOutcome outcome;
    outcome.exitCode = 2;
    outcome.err = "tarvenna: " + message + "\nRun with --help for more information.\n";
    return outcome;
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

namespace {

// What the parser reads before it is checked and turned into a CommandLine.
struct RawOptions {
    std::string seedText;
    std::string outText = ".";
    bool noItems = false;
};

void AddGameOptions(CLI::App& app, Settings& s, RawOptions& raw)
{
    app.add_option("--seed", raw.seedText, "Seed, decimal 0..4294967295 (default: the current time in seconds)")
        ->type_name("N");
    app.add_option("--character", s.character, "Character: jill or chris (default: jill)")
        ->transform(CLI::CheckedTransformer(kCharacters))
        ->type_name("NAME");
    app.add_option("--difficulty", s.difficulty, "Difficulty: normal or hard (default: normal)")
        ->transform(CLI::CheckedTransformer(kDifficulties))
        ->type_name("LEVEL");
    app.add_flag("--no-items", raw.noItems, "Keep every item in its own slot");
    app.add_flag("--enemies", s.randomizeEnemies, "Randomize enemies");
    app.add_flag("--doors", s.randomizeDoors, "Randomize doors (Normal only; not with --no-items or --locks)");
    app.add_flag("--locks", s.randomizeLocks, "Randomize locks (not with --no-items or --doors)");
    app.add_flag("--remove-healing", s.removeHealingItems, "Replace healing items with junk");
    app.add_flag("--remove-ammo", s.removeAmmo, "Replace ammunition with junk");
    app.add_flag("--remove-ink-ribbons", s.removeInkRibbons, "Replace ink ribbons with junk");
    app.add_flag("--remove-defence", s.removeDefenceItems, "Replace defence items with junk");
    app.add_flag("--swap-self-defense-gun", s.swapWithSelfDefenseGun,
                 "Swap all non-key items with the Self Defense Gun");
    app.add_flag("--fuel-capsule-armed", s.fuelCapsuleArmed, "Fuel Supply Capsule armed on pickup");
}

void AddEnemyOptions(CLI::App& app, Settings& s)
{
    for (auto [name, field, what] : {std::tuple{"--tyrant-spawns", &s.tyrantSpawns, "Tyrant"},
                                     std::tuple{"--yawn-spawns", &s.yawnSpawns, "Yawn"},
                                     std::tuple{"--lisa-spawns", &s.lisaSpawns, "Lisa"}}) {
        app.add_option(name, *field, std::string(what) + " spawns with --enemies: one, many or none (default: one)")
            ->transform(CLI::CheckedTransformer(kSpawnCounts))
            ->type_name("COUNT");
    }
    app.add_option("--tyrant-type", s.tyrantType, "Tyrant type with --enemies: helipad, lab or random (default: helipad)")
        ->transform(CLI::CheckedTransformer(kTyrantTypes))
        ->type_name("TYPE");
    for (auto [name, field, what] : {std::tuple{"--no-zombies", &s.allowZombies, "zombies"},
                                     std::tuple{"--no-dogs", &s.allowDogs, "dogs"},
                                     std::tuple{"--no-hunters", &s.allowHunters, "hunters"},
                                     std::tuple{"--no-spiders", &s.allowSpiders, "spiders"},
                                     std::tuple{"--no-sharks", &s.allowSharks, "sharks"},
                                     std::tuple{"--no-bees", &s.allowBees, "bees"},
                                     std::tuple{"--no-chimera", &s.allowChimera, "chimera"},
                                     std::tuple{"--no-elder-crimson-heads", &s.allowElderCrimsonHeads,
                                                "elder crimson heads"}}) {
        bool* allow = field;
        app.add_flag_callback(name, [allow] { *allow = false; }, std::string("With --enemies: no ") + what);
    }
}

void AddRunOptions(CLI::App& app, CommandLine& line, RawOptions& raw)
{
    app.add_option("--out", raw.outText, "Folder for the output files (default: the current folder)")->type_name("DIR");
    app.add_option("--threads", line.threads, "Threads for the item search (default: every core; the files do not depend on it)")
        ->check(CLI::Range(1u, 1024u))
        ->type_name("N");
}

// The values the parser cannot check alone, and the combinations that the
// dialog can never produce.
ParseOutcome Finish(const CLI::App& app, CommandLine line, const RawOptions& raw)
{
    Settings& s = line.settings;
    s.randomizeItems = !raw.noItems;
    if (!raw.seedText.empty() || app.count("--seed") > 0) {
        line.seed = ParseSeed(raw.seedText);
        if (!line.seed) return Failure("--seed must be a whole number from 0 to 4294967295, not '" + raw.seedText + "'");
    }
    if (raw.outText.empty()) return Failure("--out needs a folder name");
    line.outputDirectory = PathFromUtf8(raw.outText);
    if (s.randomizeDoors && s.difficulty == Difficulty::Hard)
        return Failure("--doors cannot be combined with --difficulty hard (door mode runs on Normal)");
    if (s.randomizeDoors && raw.noItems) return Failure("--doors cannot be combined with --no-items");
    if (s.randomizeDoors && s.randomizeLocks) return Failure("--doors cannot be combined with --locks");
    if (s.randomizeLocks && raw.noItems) return Failure("--locks cannot be combined with --no-items");

    ParseOutcome outcome;
    outcome.commandLine = line;
    return outcome;
}

} // namespace

ParseOutcome ParseCommandLine(const std::vector<std::string>& arguments)
{
    CLI::App app{"Tarvenna deals the game's item pick-ups anew (and, on request, enemies, doors and locks)\n"
                 "and writes the trainer's item list file and a cheat sheet.",
                 "tarvenna"};
    app.set_version_flag("--version", kVersionString, "Print the version string and exit");
    app.get_formatter()->column_width(34);

    CommandLine line;
    RawOptions raw;
    AddGameOptions(app, line.settings, raw);
    AddEnemyOptions(app, line.settings);
    AddRunOptions(app, line, raw);
    app.footer("Writes ItemList<Character><Difficulty>.txt and CheatSheet<Character><Difficulty>.txt.\n"
               "Exit status: 0 success, 1 an output file could not be written, 2 bad options,\n"
               "3 the door map is incomplete, 4 internal error, 5 no item deal can ever pass\n"
               "with this seed (no file is written), 130 interrupted.");

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
        return outcome;
    } catch (const CLI::ParseError& error) {
        return Failure(error.what());
    }
    return Finish(app, line, raw);
}

} // namespace tarvenna
