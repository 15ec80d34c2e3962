// The tarvenna command: generates one seed from command-line options.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "app/command_line.h"
#include "app/console.h"
#include "driver/generate_seed.h"

namespace {

tarvenna::StopFlag g_stop{false};

enum ExitStatus { kSuccess = 0, kOutputFailed = 1, kUsage = 2, kDoorMapIncomplete = 3, kInternalError = 4,
                  kInterrupted = 130 };

} // namespace

int main(int argc, char** argv)
{
    tarvenna::UseBinaryStandardStreams();
    const std::vector<std::string> arguments = tarvenna::Utf8Arguments(argc, argv);
    const tarvenna::ParseOutcome parsed = tarvenna::ParseCommandLine(arguments);
    std::fputs(parsed.out.c_str(), stdout);
    std::fputs(parsed.err.c_str(), stderr);
    if (!parsed.commandLine) return parsed.exitCode;

    tarvenna::StopOnInterrupt(g_stop);

    tarvenna::RunOptions options;
    options.seed = parsed.commandLine->seed.value_or(tarvenna::SeedFromClock());
    options.outputDirectory = parsed.commandLine->outputDirectory;
    options.stop = &g_stop;
    options.threads = parsed.commandLine->threads != 0 ? parsed.commandLine->threads
                                                       : std::max(1u, std::thread::hardware_concurrency());

    tarvenna::StatusLog statusLog;
    statusLog.SetListener([](std::string_view text) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    });

    tarvenna::GeneratorState state;
    tarvenna::GenerateResult result;
    try {
        result = tarvenna::GenerateSeed(parsed.commandLine->settings, options, state, statusLog);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "\ntarvenna: %s\n", error.what());
        return kInternalError;
    }

    if (result.stopped) {
        std::fprintf(stderr, "\ntarvenna: interrupted; no file was written\n");
        return kInterrupted;
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
    if (result.doorMapIncomplete) {
        std::fprintf(stderr, "tarvenna: the door map of this seed is incomplete: some doors were left unjoined\n");
        return kDoorMapIncomplete;
    }
    return kSuccess;
}
