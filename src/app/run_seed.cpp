#include "app/run_seed.h"

#include <cstdio>
#include <string>

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

namespace {

// A long item search's progress on standard error, where that is a terminal:
// one line redrawn in place and wiped when the search ends, or, when the
// status log goes to the same terminal (its progress marks would run into a
// line redrawn in place), a line of its own at every tenth of the cycle.
class SearchProgressLine {
public:
    SearchProgressLine() : shown_(StandardErrorIsTerminal()), inPlace_(!StandardOutputIsTerminal()) {}

    void Show(const SearchProgress& progress)
    {
        if (!shown_) return;
        if (!WorthShowing(progress)) return Wipe();
        const std::string text = ProgressText(progress);
        if (text == last_) return;
        if (inPlace_) {
            std::fprintf(stderr, "\r%-72s", text.c_str());
            drawn_ = true;
        } else {
            const auto tenth = static_cast<int>(RuledOutShare(progress) * 10);
            if (tenth == lastTenth_ && progress.lockDeal == lastLockDeal_) return;
            lastTenth_ = tenth;
            lastLockDeal_ = progress.lockDeal;
            std::fprintf(stderr, "\n%s\n", text.c_str());
        }
        last_ = text;
        std::fflush(stderr);
    }

private:
    void Wipe()
    {
        if (drawn_) std::fprintf(stderr, "\r%72s\r", "");
        drawn_ = false;
        last_.clear();
        lastTenth_ = -1;
    }

    bool shown_;
    bool inPlace_;
    bool drawn_ = false;
    std::string last_;
    int lastTenth_ = -1;
    unsigned lastLockDeal_ = 0;
};

} // namespace

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
    SearchProgressLine progressLine;
    request.onSearchProgress = [&progressLine](const SearchProgress& progress) { progressLine.Show(progress); };

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
