#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "core/generator_state.h"
#include "core/settings.h"
#include "core/status_log.h"
#include "driver/generate_seed.h"
#include "share/game_identity.h"

namespace tarvenna {

// One game as every front end asks for it.
struct GameRequest {
    Settings settings;
    std::uint32_t seed = 0;
    // From a share code: the check value of the game the code was made from.
    std::optional<std::uint32_t> expectedCheckValue;
    std::filesystem::path folder = ".";
    bool spoiler = false; // also the JSON spoiler, with the pair
    unsigned threads = 1;
    const StopFlag* stop = nullptr;
    ItemSearcher itemSearcher;                // see RunOptions
    std::function<void()> onWaitingForFolder; // see RunOptions
    SearchProgressListener onSearchProgress;  // see RunOptions
    // The run itself; GenerateSeed unless a test puts another in its place.
    std::function<GenerateResult(const Settings&, const RunOptions&, GeneratorState&, StatusLog&)> generate;
};

enum class GameOutcome {
    Written,           // the files are in place
    DoorMapIncomplete, // written, though some doors were left unjoined
    OtherGame,         // written, but not the game the share code was made from
    Stopped,           // a stop request ended the run: nothing written
    FolderRefused,     // the folder cannot take the files, found before the stages ran
    WriteFailed,       // the game was made; its files could not be written
    NoDealPasses,      // no deal of the items can pass (a fault of ours): nothing written
    Failed,            // something went wrong inside (out of memory, say): nothing written
};

struct GameResult {
    GameOutcome outcome = GameOutcome::Failed;
    std::uint32_t seed = 0;
    GenerateResult generated;
    bool made = false; // a game came out (IdentifyGame, attempts, spheres hold)
    GameIdentity identity;
    std::uint64_t attempts = 0; // item deals until one passed
    int sphereCount = -1;       // -1: the mode has no playthrough
    double seconds = 0;
    // For the player, one line without a full stop: what went wrong, or what
    // to know about files that were written; empty when all went well.
    std::string message;
};

// Whether the outcome left the game's files in the folder.
bool FilesWritten(GameOutcome outcome);

// Makes the game and writes its files, and says how it went. Never throws.
GameResult MakeGame(const GameRequest& request, GeneratorState& state, StatusLog& statusLog);

} // namespace tarvenna
