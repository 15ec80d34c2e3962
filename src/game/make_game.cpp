#include "game/make_game.h"

#include <chrono>
#include <exception>
#include <new>

#include "share/check_words.h"
#include "spoiler/playthrough.h"
#include "spoiler/spoiler.h"

namespace tarvenna {
namespace {

// What the run's result means, before the game is looked at.
GameOutcome OutcomeOf(const GenerateResult& generated)
{
    if (generated.stopped) return GameOutcome::Stopped;
    if (generated.folderRefused) return GameOutcome::FolderRefused;
    if (generated.itemsNeverPass) return GameOutcome::NoDealPasses;
    if (generated.outputFailed) return GameOutcome::WriteFailed;
    if (generated.doorMapIncomplete) return GameOutcome::DoorMapIncomplete;
    return GameOutcome::Written;
}

std::string MessageOf(const GameResult& result, const GameRequest& request)
{
    switch (result.outcome) {
    case GameOutcome::Written:
        return "";
    case GameOutcome::DoorMapIncomplete:
        return "the door map of this seed is incomplete: some doors were left unjoined";
    case GameOutcome::OtherGame:
        return "warning: this is not the game the share code was made from (its check words are \"" +
               CheckWordsText(*request.expectedCheckValue) +
               "\"): this build of Tarvenna made a different game; the files are kept";
    case GameOutcome::Stopped:
        return "interrupted; no file was written";
    case GameOutcome::FolderRefused:
        return "cannot write " + result.generated.outputError;
    case GameOutcome::WriteFailed:
        return "could not write " + result.generated.outputError;
    case GameOutcome::NoDealPasses:
        return "internal error: no deal of the items can ever pass with this seed and these settings; no file was "
               "written; try another seed";
    case GameOutcome::Failed:
        break;
    }
    return "internal error";
}

} // namespace

bool FilesWritten(GameOutcome outcome)
{
    return outcome == GameOutcome::Written || outcome == GameOutcome::DoorMapIncomplete ||
           outcome == GameOutcome::OtherGame;
}

GameResult MakeGame(const GameRequest& request, GeneratorState& state, StatusLog& statusLog)
{
    GameResult result;
    result.seed = request.seed;
    RunOptions options;
    options.seed = request.seed;
    options.outputDirectory = request.folder;
    options.stop = request.stop;
    options.threads = request.threads;
    options.itemSearcher = request.itemSearcher;
    options.onWaitingForFolder = request.onWaitingForFolder;
    options.onSearchProgress = request.onSearchProgress;
    if (request.spoiler) options.extraFiles = SpoilerFiles(request.settings, request.seed);
    const auto start = std::chrono::steady_clock::now();
    try {
        result.generated = request.generate ? request.generate(request.settings, options, state, statusLog)
                                            : GenerateSeed(request.settings, options, state, statusLog);
        result.outcome = OutcomeOf(result.generated);
        result.made = result.outcome == GameOutcome::WriteFailed || FilesWritten(result.outcome);
        if (result.made) {
            result.identity = IdentifyGame(request.settings, request.seed, state);
            result.attempts = state.itemAttempts;
            const Playthrough playthrough = ComputePlaythrough(request.settings, state);
            if (playthrough.modelled) result.sphereCount = playthrough.SphereCount();
        }
        if (FilesWritten(result.outcome) && request.expectedCheckValue &&
            *request.expectedCheckValue != result.identity.checkValue)
            result.outcome = GameOutcome::OtherGame;
        result.message = MessageOf(result, request);
    } catch (const std::bad_alloc&) {
        result.outcome = GameOutcome::Failed;
        result.message = "internal error: out of memory";
    } catch (const std::exception& error) {
        result.outcome = GameOutcome::Failed;
        result.message = std::string("internal error: ") + error.what();
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

} // namespace tarvenna
