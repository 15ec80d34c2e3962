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
#include "support/checked_run.h"
#include "support/fuzz_settings.h"

namespace {

namespace fs = std::filesystem;

using tarvenna::Settings;

// Item searches past this many progress marks (10001 rejected deals each)
// give up: about 0.2 s of search in the fuzz build, where most seeds need
// none.
constexpr std::uint64_t kMaxProgressMarks = 12;

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
    const Settings settings = tarvenna::SettingsFromFuzzBytes(bytes + 4);
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
