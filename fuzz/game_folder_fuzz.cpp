// Plants what the input says at every name the writer looks at (files with
// any bytes, commit records included, folders, links out of the folder and to
// nowhere, named pipes), writes a set there, and traps on any outcome the
// players rely on never happening: a write through a link, a byte of a file
// the run did not write copied anywhere, a set half written, a leftover.
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "core/rng.h"
#include "driver/generate_seed.h"
#include "enemies/room_enemy_table.h"
#include "output/output_files.h"

namespace {

namespace fs = std::filesystem;
using namespace tarvenna;

void Require(bool holds)
{
    if (!holds) __builtin_trap();
}

const std::array<const char*, 8> kNames = {
    ".tarvenna-commit",      "ItemListJillNormal.txt",       "CheatSheetJillNormal.txt",
    "SpoilerJillNormal.json", "ItemListJillNormal.txt.tarvenna-old", "CheatSheetJillNormal.txt.tarvenna-old",
    "x.tarvenna-tmp",        ".tarvenna.lock",
};
enum Kind { kAbsent, kFile, kFolder, kLinkOut, kLinkNowhere, kPipe, kKinds };

std::string Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Scratch {
    fs::path root;
    fs::path folder;
    fs::path outside; // what the links point at
    Settings settings;
    GeneratorState state;
    std::string items;
    std::string sheet;

    Scratch()
    {
        // In memory where there is such a folder: a sync there costs nothing.
        char pattern[] = "/dev/shm/tarvenna-folder-fuzz-XXXXXX";
        char fallback[] = "/tmp/tarvenna-folder-fuzz-XXXXXX";
        Require(mkdtemp(pattern) != nullptr || mkdtemp(fallback) != nullptr);
        root = fs::exists(pattern) ? pattern : fallback;
        folder = root / "game";
        outside = root / "outside";
        Rng rng(1);
        BuildRoomEnemyTable(state.roomEnemyTable);
        BuildItemTables(settings, state, rng);
        for (int slot = 0; slot < 180; ++slot) state.slotAssignment.push_back(slot);
        StatusLog log;
        fs::create_directories(root / "reference");
        Require(!WriteOutputFiles(settings, state, log, root / "reference").failed);
        items = Read(root / "reference" / kNames[1]);
        sheet = Read(root / "reference" / kNames[2]);
    }
    ~Scratch() { fs::remove_all(root); }
};

Scratch& TheScratch()
{
    static Scratch scratch;
    return scratch;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4) return 0;
    Scratch& scratch = TheScratch();
    fs::remove_all(scratch.folder);
    fs::create_directories(scratch.folder);
    std::ofstream(scratch.outside, std::ios::binary) << "outside";
    chmod(scratch.outside.c_str(), 0600);

    // Three bits of kind for each name, one bit for the spoiler; the rest is
    // what planted files hold, the commit record first.
    std::uint32_t choice = 0;
    for (int i = 3; i >= 0; --i) choice = choice << 8 | data[i];
    const std::string_view content(reinterpret_cast<const char*>(data + 4), size - 4);
    // A planted record holding the outside file's bytes would pass for a copy.
    if (content.find("outside") != std::string_view::npos) return 0;
    std::array<Kind, kNames.size()> kinds{};
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        const unsigned bits = (choice >> (3 * i)) & 7u;
        kinds[i] = bits < kKinds ? static_cast<Kind>(bits) : kFile;
        const fs::path path = scratch.folder / kNames[i];
        switch (kinds[i]) {
        case kAbsent: break;
        case kFile: std::ofstream(path, std::ios::binary) << (i == 0 ? content : std::string_view("planted")); break;
        case kFolder: fs::create_directory(path); break;
        case kLinkOut: fs::create_symlink(scratch.outside, path); break;
        case kLinkNowhere: fs::create_symlink(scratch.root / "nowhere", path); break;
        case kPipe: Require(mkfifo(path.c_str(), 0644) == 0); break;
        case kKinds: break;
        }
    }
    const bool spoiler = (choice >> 31) != 0;
    std::vector<OutputFile> extra;
    if (spoiler) extra.push_back({kNames[3], "spoiler"});

    StatusLog log;
    const OutputResult result =
        WriteOutputFiles(scratch.settings, scratch.state, log, scratch.folder, RealFileSystem(), extra);

    // Nothing outside the folder changed, and nothing the run did not write
    // was copied into it.
    Require(Read(scratch.outside) == "outside");
    struct stat status {};
    Require(stat(scratch.outside.c_str(), &status) == 0 && (status.st_mode & 0777) == 0600);
    for (const auto& entry : fs::recursive_directory_iterator(scratch.folder)) {
        if (!entry.is_symlink() && entry.is_regular_file()) Require(Read(entry.path()) != "outside");
        const std::string name = entry.path().filename().string();
        // No temporary file of the run's is left; a planted one that nobody
        // holds goes once the run gets that far, anything else at its name stays.
        if (name.ends_with(".tarvenna-tmp")) Require(name == kNames[6] && (result.failed || kinds[6] != kFile));
    }
    if (result.failed) {
        // The targets are as they were planted.
        for (std::size_t i = 1; i <= 3; ++i) {
            const fs::path path = scratch.folder / kNames[i];
            if (kinds[i] == kFile) Require(Read(path) == "planted");
            if (kinds[i] == kLinkOut || kinds[i] == kLinkNowhere) Require(fs::is_symlink(path));
            if (kinds[i] == kAbsent) Require(!fs::exists(fs::symlink_status(path)));
        }
        Require(log.Text().find("failed: ") != std::string::npos);
    } else {
        Require(!fs::is_symlink(scratch.folder / kNames[1]) && Read(scratch.folder / kNames[1]) == scratch.items);
        Require(!fs::is_symlink(scratch.folder / kNames[2]) && Read(scratch.folder / kNames[2]) == scratch.sheet);
        const fs::path spoilerPath = scratch.folder / kNames[3];
        Require(spoiler ? Read(spoilerPath) == "spoiler" : !fs::exists(fs::symlink_status(spoilerPath)));
        // A set is written only where no record stood, or where it was the writer's.
        Require(!fs::exists(fs::symlink_status(scratch.folder / kNames[0])));
    }
    return 0;
}
