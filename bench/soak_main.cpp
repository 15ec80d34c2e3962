// Runs a range of seeds of one configuration through GenerateSeed, checks each
// finished game, and sums up: failures, lock re-deals, times, the slowest
// seeds and the peak memory. scripts/soak runs it for every configuration of
// the reference vectors.
//
//   tarvenna_soak [--seeds FIRST..LAST] [--slowest K] [--timeout S] [--row] [--label TEXT]
//                 [the tarvenna command's options: --locks, --character chris, --threads N, ...]
//
// --row prints one Markdown table row instead of the report; --timeout gives
// up on a seed (a failure) once its search has run that long.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/command_line.h"
#include "support/checked_run.h"
#include "verify/game_invariants.h"

namespace {

namespace fs = std::filesystem;

constexpr int kProblemsShownPerSeed = 5;

struct SoakOptions {
    std::uint32_t first = 1;
    std::uint32_t last = 100;
    std::size_t slowest = 3;
    double timeout = 0;
    bool row = false;
    std::string label;
    tarvenna::CommandLine game;
};

struct SeedTime {
    std::uint32_t seed;
    double seconds;
};

struct Summary {
    std::uint64_t seeds = 0;
    std::uint64_t failures = 0;
    std::uint64_t gaveUp = 0;
    std::uint64_t lockRedeals = 0;
    std::vector<SeedTime> times;
};

std::optional<std::uint32_t> Number(std::string_view text)
{
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

constexpr const char* kUsage = "usage: tarvenna_soak [--seeds FIRST..LAST] [--slowest K] [--timeout S] [--row] "
                               "[--label TEXT] [tarvenna options]\n";

int Usage(const std::string& problem)
{
    std::cerr << "tarvenna_soak: " << problem << "\n" << kUsage;
    return 2;
}

// The soak's own options; the rest are the tarvenna command's, read by its parser.
std::optional<SoakOptions> ParseOptions(int argc, char** argv, int& exitCode)
{
    SoakOptions options;
    std::vector<std::string> gameArguments;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--help") {
            std::cout << kUsage;
            return std::nullopt;
        } else if (argument == "--row") {
            options.row = true;
        } else if (argument == "--seeds" && hasValue) {
            const std::string range = argv[++i];
            const std::size_t dots = range.find("..");
            const auto first = Number(std::string_view(range).substr(0, dots));
            const auto last = dots == std::string::npos ? first : Number(std::string_view(range).substr(dots + 2));
            if (!first || !last || *first > *last) {
                exitCode = Usage("--seeds takes FIRST..LAST, not '" + range + "'");
                return std::nullopt;
            }
            options.first = *first;
            options.last = *last;
        } else if (argument == "--slowest" && hasValue) {
            options.slowest = Number(argv[++i]).value_or(3);
        } else if (argument == "--timeout" && hasValue) {
            char* end = nullptr;
            const char* text = argv[++i];
            options.timeout = std::strtod(text, &end);
            if (end == text || *end != '\0' || options.timeout < 0) {
                exitCode = Usage(std::string("--timeout takes seconds, not '") + text + "'");
                return std::nullopt;
            }
        } else if (argument == "--label" && hasValue) {
            options.label = argv[++i];
        } else {
            gameArguments.push_back(argument);
        }
    }
    const tarvenna::ParseOutcome parsed = tarvenna::ParseCommandLine(gameArguments);
    if (!parsed.commandLine) {
        std::cerr << parsed.err;
        std::cout << parsed.out;
        exitCode = parsed.exitCode;
        return std::nullopt;
    }
    options.game = *parsed.commandLine;
    if (options.game.seed || options.game.count) {
        exitCode = Usage("--seed and --count have no place here: --seeds gives the range");
        return std::nullopt;
    }
    // The configuration is the game's options; the threads change no game.
    if (options.label.empty()) {
        for (std::size_t i = 0; i < gameArguments.size(); ++i) {
            if (gameArguments[i] == "--threads") {
                ++i;
                continue;
            }
            if (gameArguments[i].starts_with("--threads=")) continue;
            options.label += (options.label.empty() ? "" : " ") + gameArguments[i];
        }
        if (options.label.empty()) options.label = "(defaults)";
    }
    return options;
}

double Median(std::vector<SeedTime> times)
{
    if (times.empty()) return 0;
    const std::size_t middle = times.size() / 2;
    auto bySeconds = [](const SeedTime& a, const SeedTime& b) { return a.seconds < b.seconds; };
    std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(middle), times.end(), bySeconds);
    const double upper = times[middle].seconds;
    if (times.size() % 2 != 0) return upper;
    const double lower =
        std::max_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(middle), bySeconds)->seconds;
    return (lower + upper) / 2;
}

std::string Fixed(double value, int decimals)
{
    std::ostringstream text;
    text.setf(std::ios::fixed);
    text.precision(decimals);
    text << value;
    return text.str();
}

std::string Slowest(std::vector<SeedTime> times, std::size_t count)
{
    std::sort(times.begin(), times.end(), [](const SeedTime& a, const SeedTime& b) { return a.seconds > b.seconds; });
    std::string text;
    for (std::size_t i = 0; i < std::min(count, times.size()); ++i)
        text += (i == 0 ? "" : ", ") + std::to_string(times[i].seed) + " (" + Fixed(times[i].seconds, 3) + ")";
    return text;
}

double PeakMebibytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kibibytes on Linux
}

void Print(const SoakOptions& options, const Summary& summary)
{
    double total = 0;
    for (const SeedTime& time : summary.times) total += time.seconds;
    const std::string failures = std::to_string(summary.failures) +
                                 (summary.gaveUp > 0 ? " (" + std::to_string(summary.gaveUp) + " timed out)" : "");
    if (options.row) {
        std::cout << "| " << options.label << " | " << summary.seeds << " | " << failures << " | "
                  << summary.lockRedeals << " | " << Fixed(total, 2) << " | " << Fixed(Median(summary.times), 4)
                  << " | " << Slowest(summary.times, options.slowest) << " | " << Fixed(PeakMebibytes(), 1) << " |\n";
        return;
    }
    std::cout << "configuration: " << options.label << "\n"
              << "seeds " << options.first << ".." << options.last << ": " << summary.seeds << " run, " << failures
              << " failed; lock re-deals: " << summary.lockRedeals << "\n"
              << "seconds: total " << Fixed(total, 2) << ", median " << Fixed(Median(summary.times), 4) << "\n"
              << "slowest (s): " << Slowest(summary.times, options.slowest) << "\n"
              << "peak memory: " << Fixed(PeakMebibytes(), 1) << " MiB\n";
}

} // namespace

int main(int argc, char** argv)
{
    int exitCode = 0;
    const std::optional<SoakOptions> options = ParseOptions(argc, argv, exitCode);
    if (!options) return exitCode;
    const unsigned threads =
        options->game.threads != 0 ? options->game.threads : std::max(1u, std::thread::hardware_concurrency());

    const fs::path folder = fs::temp_directory_path() / ("tarvenna-soak-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);

    Summary summary;
    const tarvenna::SearchBudget budget{0, options->timeout};
    for (std::uint64_t seed = options->first; seed <= options->last; ++seed) {
        const auto seed32 = static_cast<std::uint32_t>(seed);
        const tarvenna::CheckedRun run =
            tarvenna::RunCheckedSeed(options->game.settings, seed32, folder, threads, budget);
        ++summary.seeds;
        summary.lockRedeals += static_cast<std::uint64_t>(run.lockRedeals);
        summary.times.push_back({seed32, run.seconds});
        if (run.gaveUp) {
            ++summary.failures;
            ++summary.gaveUp;
            std::cerr << "seed " << seed << ": no game after " << Fixed(run.seconds, 3) << " s\n";
        } else if (!run.problems.empty()) {
            ++summary.failures;
            for (std::size_t i = 0; i < std::min<std::size_t>(run.problems.size(), kProblemsShownPerSeed); ++i)
                std::cerr << "seed " << seed << ": " << run.problems[i] << "\n";
        }
    }
    fs::remove_all(folder);
    Print(*options, summary);
    return summary.failures == 0 ? 0 : 1;
}
