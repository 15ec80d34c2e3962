// Runs whole seeds under settings that the front ends can produce and traps
// on any finished game that breaks an invariant of the game's files.
//
// Input: 4 bytes of seed (little-endian), then one byte each of options,
// pool options, enemy spawns and switched-off enemy kinds. Missing bytes are
// zero, and all-zero options are the dialog's defaults.
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "core/settings.h"
#include "driver/game_invariants.h"

namespace {

namespace fs = std::filesystem;

using tarvenna::Settings;
using tarvenna::SpawnCount;

// Item searches past this many progress marks (10001 rejected deals each)
// give up: about 0.2 s of search in the fuzz build, where most seeds need
// none.
constexpr std::uint64_t kMaxProgressMarks = 12;

constexpr std::array<bool Settings::*, 6> kPoolOptions = {
    &Settings::removeHealingItems,     &Settings::removeAmmo,
    &Settings::removeInkRibbons,       &Settings::removeDefenceItems,
    &Settings::swapWithSelfDefenseGun, &Settings::fuelCapsuleArmed};
constexpr std::array<bool Settings::*, 8> kEnemyKinds = {
    &Settings::allowZombies, &Settings::allowDogs, &Settings::allowHunters, &Settings::allowSpiders,
    &Settings::allowSharks,  &Settings::allowBees, &Settings::allowChimera, &Settings::allowElderCrimsonHeads};

bool Bit(std::uint8_t byte, int bit) { return ((byte >> bit) & 1u) != 0; }

SpawnCount Spawns(std::uint8_t byte, int shift)
{
    switch ((byte >> shift) & 3u) {
    case 1: return SpawnCount::Many;
    case 2: return SpawnCount::None;
    default: return SpawnCount::One;
    }
}

Settings Decode(const std::uint8_t* bytes)
{
    const std::uint8_t options = bytes[4];
    const std::uint8_t pool = bytes[5];
    const std::uint8_t spawns = bytes[6];
    const std::uint8_t switchedOff = bytes[7];
    Settings s;
    s.character = Bit(options, 0) ? tarvenna::Character::Chris : tarvenna::Character::Jill;
    s.difficulty = Bit(options, 1) ? tarvenna::Difficulty::Hard : tarvenna::Difficulty::Normal;
    s.randomizeItems = !Bit(options, 2);
    s.randomizeEnemies = Bit(options, 3);
    s.randomizeDoors = Bit(options, 4);
    s.randomizeLocks = Bit(options, 5);

    for (std::size_t bit = 0; bit < kPoolOptions.size(); ++bit) s.*kPoolOptions[bit] = Bit(pool, static_cast<int>(bit));

    s.tyrantSpawns = Spawns(spawns, 0);
    s.yawnSpawns = Spawns(spawns, 2);
    s.lisaSpawns = Spawns(spawns, 4);
    const unsigned tyrantType = (spawns >> 6) & 3u;
    s.tyrantType = tyrantType == 1   ? tarvenna::TyrantType::Lab
                   : tyrantType == 2 ? tarvenna::TyrantType::Random
                                     : tarvenna::TyrantType::Helipad;

    for (std::size_t bit = 0; bit < kEnemyKinds.size(); ++bit)
        s.*kEnemyKinds[bit] = !Bit(switchedOff, static_cast<int>(bit));

    // What the dialog does to the options that door and lock mode need.
    if (s.randomizeDoors) {
        s.difficulty = tarvenna::Difficulty::Normal;
        s.randomizeItems = true;
        s.randomizeLocks = false;
    }
    if (s.randomizeLocks) s.randomizeItems = true;
    return s;
}

// One folder per process, removed when the fuzzer exits. In memory where
// the system has such a folder: the files are synced to the disk on every
// run, and on a disk that wait would be most of a run.
fs::path ScratchParent()
{
    std::error_code error;
    if (std::getenv("TMPDIR") == nullptr && fs::is_directory("/dev/shm", error)) return "/dev/shm";
    return fs::temp_directory_path();
}

struct ScratchFolder {
    fs::path path = ScratchParent() / ("tarvenna-fuzz-" + std::to_string(getpid()));
    ScratchFolder() { fs::create_directories(path); }
    ~ScratchFolder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

[[noreturn]] void Fail(std::uint32_t seed, const Settings& settings, const std::string& what)
{
    std::fprintf(stderr, "generate_seed_fuzz: seed %u, character %s, difficulty %s: %s\n", seed,
                 tarvenna::CharacterName(settings.character), tarvenna::DifficultyName(settings.difficulty),
                 what.c_str());
    __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ScratchFolder folder;
    std::uint8_t bytes[8] = {};
    for (std::size_t i = 0; i < sizeof bytes && i < size; ++i) bytes[i] = data[i];
    const std::uint32_t seed = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                               static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    const Settings settings = Decode(bytes);
    if (*tarvenna::SettingsConflict(settings) != '\0') Fail(seed, settings, tarvenna::SettingsConflict(settings));

    tarvenna::CheckedRun run;
    try {
        run = tarvenna::RunCheckedSeed(settings, seed, folder.path, 1, {kMaxProgressMarks, 0});
    } catch (const std::exception& error) {
        Fail(seed, settings, std::string("exception: ") + error.what());
    }
    if (run.gaveUp) return 0;
    if (!run.problems.empty()) {
        std::string text;
        for (const std::string& problem : run.problems) text += "\n  " + problem;
        Fail(seed, settings, std::to_string(run.problems.size()) + " broken invariants:" + text);
    }
    return 0;
}
