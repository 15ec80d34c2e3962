#pragma once

#include "app/command_line.h"
#include "core/generator_state.h"
#include "game/make_game.h"

namespace tarvenna {

enum ExitStatus {
    kSuccess = 0,
    kOutputFailed = 1,
    kUsage = 2,
    kDoorMapIncomplete = 3,
    kInternalError = 4,
    kOtherGame = 6,
    kInterrupted = 130,
    kOutputClosed = 141
};

// The command's status for a game's outcome.
int ExitStatusOf(GameOutcome outcome);

// What the command says while it waits for a folder that another run holds.
void SayWaitingForFolder();

// The command's single run: the status log on standard output; the seed,
// share code and check words (or what went wrong) on standard error. A
// reader of standard output that goes away stops the run, as Ctrl-C does,
// through `stop`. Returns the exit status.
int RunOneSeed(const CommandLine& line, unsigned threads, StopFlag& stop);

} // namespace tarvenna
