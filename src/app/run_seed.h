#pragma once

#include <cstdint>

#include "core/generator_state.h"
#include "core/settings.h"
#include "app/command_line.h"
#include "core/status_log.h"
#include "driver/generate_seed.h"
#include "share/game_identity.h"

namespace tarvenna {

enum ExitStatus { kSuccess = 0, kOutputFailed = 1, kUsage = 2, kDoorMapIncomplete = 3, kInternalError = 4,
                  kOtherGame = 6, kInterrupted = 130, kOutputClosed = 141 };

// One seed as the command runs it, with what players compare afterwards.
struct SeedOutcome {
    GenerateResult result;
    bool made = false;           // a game came out (its files may still have failed to write)
    GameIdentity identity;       // when made
    std::uint64_t attempts = 0;  // item deals until one passed
    int sphereCount = -1;        // -1: the mode has no playthrough
    double seconds = 0;
};

// Runs GenerateSeed; with `spoiler` the JSON spoiler is written with the pair.
SeedOutcome RunSeed(const Settings& settings, RunOptions options, bool spoiler, StatusLog& statusLog);

// What the command says while it waits for a folder that another run holds.
void SayWaitingForFolder();

// The command's single run: the status log on standard output; the seed,
// share code and check words (or what went wrong) on standard error. A
// reader of standard output that goes away stops the run, as Ctrl-C does,
// through `stop`. Returns the exit status.
int RunOneSeed(const CommandLine& line, unsigned threads, StopFlag& stop);

} // namespace tarvenna
