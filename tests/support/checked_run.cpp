#include "support/checked_run.h"

#include <chrono>

#include "items/pool_modifiers.h"
#include "output/cheat_sheet_file.h"
#include "output/item_list_file.h"
#include "verify/game_invariants.h"

namespace tarvenna {
GeneratedGame GenerateGame(const Settings& settings, std::uint32_t seed, const std::filesystem::path& folder,
                           unsigned threads, const StopFlag* stop)
{
    GeneratedGame game;
    StatusLog log;
    RunOptions options;
    options.seed = seed;
    options.outputDirectory = folder;
    options.threads = threads;
    options.stop = stop;
    game.result = GenerateSeed(settings, options, game.state, log);
    game.log = log.Text();
    return game;
}

namespace {

CheckedRun Generate(const Settings& settings, std::uint32_t seed, const std::filesystem::path& folder, unsigned threads,
                    const SearchBudget& budget)
{
    CheckedRun run;
    StopFlag stop{false};
    const auto started = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(); };
    StatusLog log;
    log.SetListener([&](std::string_view text) {
        if (text == " .") ++run.progressMarks;
        if (text == kLockRedealLine) ++run.lockRedeals;
        if ((budget.maxProgressMarks > 0 && run.progressMarks > budget.maxProgressMarks) ||
            (budget.maxSeconds > 0 && elapsed() > budget.maxSeconds))
            stop = true;
    });
    RunOptions options;
    options.seed = seed;
    options.outputDirectory = folder;
    options.stop = &stop;
    options.threads = threads;
    run.result = GenerateSeed(settings, options, run.state, log);
    run.seconds = elapsed();
    run.gaveUp = run.result.stopped;
    if (run.gaveUp) return run;
    if (run.result.itemsNeverPass) run.problems.push_back("no deal of the items passes under fixed tables");
    if (run.result.outputFailed) run.problems.push_back("the output files were not written: " + run.result.outputError);
    if (!std::filesystem::exists(folder / CheatSheetFileName(settings)))
        run.problems.push_back("the cheat sheet is missing");
    return run;
}

} // namespace

CheckedRun RunCheckedSeed(const Settings& settings, std::uint32_t seed, const std::filesystem::path& folder,
                          unsigned threads, const SearchBudget& budget)
{
    CheckedRun run = Generate(settings, seed, folder, threads, budget);
    if (run.gaveUp || !run.problems.empty()) return run;
    const std::string itemList = ReadFile(folder / ItemListFileName(settings));

    if (!settings.randomizeItems || !AnyPoolModifier(settings)) {
        run.problems = CheckGameInvariants(settings, run.state, itemList);
        return run;
    }
    // The same deals again: as many marks, and one more means they differ.
    const Settings plain = WithoutPoolOptions(settings);
    const CheckedRun dealt = Generate(plain, seed, folder, threads, {run.progressMarks + 1, 0});
    if (dealt.gaveUp || dealt.progressMarks != run.progressMarks || dealt.lockRedeals != run.lockRedeals) {
        run.problems.push_back(
            "with the pool options off the search took another course: " + std::to_string(dealt.progressMarks) +
            " marks and " + std::to_string(dealt.lockRedeals) + " lock deals again, not " +
            std::to_string(run.progressMarks) + " and " + std::to_string(run.lockRedeals));
        return run;
    }
    for (const std::string& problem : dealt.problems) run.problems.push_back("with the pool options off: " + problem);
    const std::string plainItemList = ReadFile(folder / ItemListFileName(plain));
    for (const std::string& problem : CheckGameInvariants(plain, dealt.state, plainItemList))
        run.problems.push_back("with the pool options off: " + problem);
    for (const std::string& problem : CheckGameInvariants(settings, run.state, itemList, &dealt.state.slotAssignment))
        run.problems.push_back(problem);
    return run;
}

} // namespace tarvenna
