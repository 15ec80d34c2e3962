#include "app/batch.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <system_error>

#include "app/console.h"
#include "app/run_seed.h"
#include "core/utf8_path.h"
#include "output/file_set.h"

namespace tarvenna {
namespace {

constexpr const char* kSummaryName = "summary.csv";

std::string SummaryRow(std::uint32_t seed, const SeedOutcome& outcome)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", outcome.seconds);
    return std::to_string(seed) + "," + outcome.identity.shareCode + "," + outcome.identity.checkWords + "," +
           std::to_string(outcome.attempts) + "," +
           (outcome.sphereCount < 0 ? std::string() : std::to_string(outcome.sphereCount)) + "," + seconds + "\r\n";
}

std::string Duration(double seconds)
{
    char text[32];
    if (seconds < 60) std::snprintf(text, sizeof text, "%.1f s", seconds);
    else std::snprintf(text, sizeof text, "%d min %02d s", static_cast<int>(seconds) / 60, static_cast<int>(seconds) % 60);
    return text;
}

class ProgressLine {
public:
    explicit ProgressLine(std::uint32_t total) : total_(total), inPlace_(StandardErrorIsTerminal()) {}

    void Show(std::uint32_t done, double elapsed)
    {
        std::string text = "seeds " + std::to_string(done) + " of " + std::to_string(total_) + ", " +
                           Duration(elapsed) + " elapsed";
        if (done > 0 && done < total_) text += ", about " + Duration(elapsed / done * (total_ - done)) + " left";
        // Without a terminal, one line per seed would flood a log: every tenth.
        if (!inPlace_ && done != total_ && done % 10 != 0) return;
        std::fprintf(stderr, inPlace_ ? "\r%-70s" : "%s\n", text.c_str());
        std::fflush(stderr);
        shown_ = inPlace_;
    }

    void End()
    {
        if (shown_) std::fputs("\n", stderr);
        shown_ = false;
    }

private:
    std::uint32_t total_;
    bool inPlace_;
    bool shown_ = false;
};

} // namespace

int RunBatch(const BatchOptions& options)
{
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    std::string summary = "seed,share code,check words,attempts,spheres,seconds\r\n";
    // The summary is there from the start: an early stop still leaves one.
    std::error_code madeFolder;
    std::filesystem::create_directories(options.folder, madeFolder);
    const auto writeSummary = [&] {
        const FileSetResult written = WriteFileSet(options.folder, {{kSummaryName, summary}}, RealFileSystem());
        if (written.failed)
            std::fprintf(stderr, "tarvenna: could not write %s: %s\n",
                         Utf8FromPath(options.folder / kSummaryName).c_str(), written.reason.c_str());
        return !written.failed;
    };
    if (!writeSummary()) return kOutputFailed;
    ProgressLine progress(options.count);
    progress.Show(0, 0);

    int status = kSuccess;
    std::uint32_t done = 0;
    for (; done < options.count; ++done) {
        const std::uint32_t seed = options.firstSeed + done;
        const std::filesystem::path folder = options.folder / std::to_string(seed);
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) {
            progress.End();
            std::fprintf(stderr, "tarvenna: could not make the folder %s: %s\n", Utf8FromPath(folder).c_str(),
                         error.message().c_str());
            status = kOutputFailed;
            break;
        }
        RunOptions run;
        run.seed = seed;
        run.outputDirectory = folder;
        run.stop = options.stop;
        run.threads = options.threads;
        StatusLog statusLog;
        const SeedOutcome outcome = RunSeed(options.settings, run, options.spoiler, statusLog);
        if (outcome.result.stopped) {
            std::filesystem::remove(folder, error); // only if nothing was in it
            status = kInterrupted;
            break;
        }
        if (!outcome.made || outcome.result.outputFailed) {
            progress.End();
            std::fprintf(stderr, "tarvenna: seed %u: %s\n", seed,
                         outcome.made ? ("could not write " + outcome.result.outputError).c_str()
                                      : "internal error: no deal of the items can ever pass");
            status = outcome.made ? kOutputFailed : kInternalError;
            break;
        }
        if (outcome.result.doorMapIncomplete) status = kDoorMapIncomplete;
        summary += SummaryRow(seed, outcome);
        if (!writeSummary()) {
            progress.End();
            return kOutputFailed;
        }
        progress.Show(done + 1, elapsed());
    }
    progress.End();
    std::fprintf(stderr, "%u of %u seeds in %s; summary: %s\n", done, options.count, Duration(elapsed()).c_str(),
                 Utf8FromPath(options.folder / kSummaryName).c_str());
    if (status == kInterrupted) std::fprintf(stderr, "tarvenna: interrupted; the seeds listed in the summary are whole\n");
    return status;
}

} // namespace tarvenna
