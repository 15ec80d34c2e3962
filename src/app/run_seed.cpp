#include "app/run_seed.h"

#include <chrono>
#include <cstdio>

#include "app/console.h"
#include "share/check_words.h"
#include "spoiler/playthrough.h"
#include "spoiler/spoiler.h"

namespace tarvenna {

SeedOutcome RunSeed(const Settings& settings, RunOptions options, bool spoiler, StatusLog& statusLog)
{
    if (spoiler) options.extraFiles = SpoilerFiles(settings, options.seed);
    const auto start = std::chrono::steady_clock::now();
    GeneratorState state;
    SeedOutcome outcome;
    outcome.result = GenerateSeed(settings, options, state, statusLog);
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.made = !outcome.result.stopped && !outcome.result.itemsNeverPass && !outcome.result.folderRefused;
    if (!outcome.made) return outcome;
    outcome.identity = IdentifyGame(settings, options.seed, state);
    outcome.attempts = state.itemAttempts;
    const Playthrough playthrough = ComputePlaythrough(settings, state);
    if (playthrough.modelled) outcome.sphereCount = playthrough.SphereCount();
    return outcome;
}

void SayWaitingForFolder()
{
    std::fputs("tarvenna: waiting for another Tarvenna run in this folder\n", stderr);
}

int RunOneSeed(const CommandLine& line, unsigned threads, StopFlag& stop)
{
    RunOptions options;
    options.seed = line.seed.value_or(SeedFromClock());
    options.outputDirectory = line.outputDirectory;
    options.stop = &stop;
    options.threads = threads;
    options.onWaitingForFolder = SayWaitingForFolder;

    StatusLog statusLog;
    bool outputClosed = false;
    statusLog.SetListener([&](std::string_view text) {
        if (outputClosed || WriteStandardOutput(text)) return;
        outputClosed = true;
        stop.store(true);
    });
    const SeedOutcome outcome = RunSeed(line.settings, options, line.spoiler, statusLog);
    const GenerateResult& result = outcome.result;

    if (result.stopped) {
        std::fprintf(stderr, outputClosed ? "tarvenna: standard output was closed; no file was written\n"
                                          : "\ntarvenna: interrupted; no file was written\n");
        return outputClosed ? kOutputClosed : kInterrupted;
    }
    if (result.outputFailed && !outcome.made) {
        std::fprintf(stderr, "tarvenna: cannot write %s\n", result.outputError.c_str());
        return kOutputFailed;
    }
    std::fprintf(stderr, "seed: %u\n", options.seed);
    if (result.itemsNeverPass) {
        std::fprintf(stderr, "tarvenna: internal error: no deal of the items can ever pass with this seed and "
                             "these settings; no file was written; try another seed\n");
        return kInternalError;
    }
    if (result.outputFailed) {
        std::fprintf(stderr, "tarvenna: could not write %s\n", result.outputError.c_str());
        return kOutputFailed;
    }
    // Only for files that are there: a code or words of a game not written would mislead.
    std::fprintf(stderr, "share: %s\ncheck: %s\n", outcome.identity.shareCode.c_str(),
                 outcome.identity.checkWords.c_str());
    if (outputClosed) {
        std::fprintf(stderr, "tarvenna: standard output was closed; the files were written\n");
        return kOutputClosed;
    }
    if (result.doorMapIncomplete) {
        std::fprintf(stderr, "tarvenna: the door map of this seed is incomplete: some doors were left unjoined\n");
        return kDoorMapIncomplete;
    }
    if (line.expectedCheckValue && *line.expectedCheckValue != outcome.identity.checkValue) {
        std::fprintf(stderr,
                     "tarvenna: warning: this is not the game the share code was made from (its check words are "
                     "\"%s\"): this build of Tarvenna made a different game; the files are kept\n",
                     CheckWordsText(*line.expectedCheckValue).c_str());
        return kOtherGame;
    }
    return kSuccess;
}

} // namespace tarvenna
