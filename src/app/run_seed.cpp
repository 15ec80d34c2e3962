#include "app/run_seed.h"

#include <cstdio>

#include "app/console.h"

namespace tarvenna {

int ExitStatusOf(GameOutcome outcome)
{
    switch (outcome) {
    case GameOutcome::Written:
        return kSuccess;
    case GameOutcome::DoorMapIncomplete:
        return kDoorMapIncomplete;
    case GameOutcome::OtherGame:
        return kOtherGame;
    case GameOutcome::Stopped:
        return kInterrupted;
    case GameOutcome::FolderRefused:
    case GameOutcome::WriteFailed:
        return kOutputFailed;
    case GameOutcome::NoDealPasses:
    case GameOutcome::Failed:
        break;
    }
    return kInternalError;
}

void SayWaitingForFolder() { std::fputs("tarvenna: waiting for another Tarvenna run in this folder\n", stderr); }

int RunOneSeed(const CommandLine& line, unsigned threads, StopFlag& stop)
{
    GameRequest request;
    request.settings = line.settings;
    request.seed = line.seed.value_or(SeedFromClock());
    request.expectedCheckValue = line.expectedCheckValue;
    request.folder = line.outputDirectory;
    request.spoiler = line.spoiler;
    request.threads = threads;
    request.stop = &stop;
    request.onWaitingForFolder = SayWaitingForFolder;

    StatusLog statusLog;
    bool outputClosed = false;
    statusLog.SetListener([&](std::string_view text) {
        if (outputClosed || WriteStandardOutput(text)) return;
        outputClosed = true;
        stop.store(true);
    });
    GeneratorState state;
    const GameResult game = MakeGame(request, state, statusLog);

    if (game.made) std::fprintf(stderr, "seed: %u\n", game.seed);
    // Only for files that are there: a code or words of a game not written would mislead.
    if (FilesWritten(game.outcome))
        std::fprintf(stderr, "share: %s\ncheck: %s\n", game.identity.shareCode.c_str(),
                     game.identity.checkWords.c_str());
    if (outputClosed) {
        std::fprintf(stderr, FilesWritten(game.outcome)
                                 ? "tarvenna: standard output was closed; the files were written\n"
                                 : "tarvenna: standard output was closed; no file was written\n");
        return kOutputClosed;
    }
    if (!game.message.empty())
        std::fprintf(stderr, "%starvenna: %s\n", game.outcome == GameOutcome::Stopped ? "\n" : "",
                     game.message.c_str());
    return ExitStatusOf(game.outcome);
}

} // namespace tarvenna
