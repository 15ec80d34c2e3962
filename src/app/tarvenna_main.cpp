// The tarvenna command: generates one seed, or a batch, from command-line options.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "app/batch.h"
#include "app/command_line.h"
#include "app/console.h"
#include "app/run_seed.h"
#include "search/kernel_choice.h"

namespace {

tarvenna::StopFlag g_stop{false};

} // namespace

int main(int argc, char** argv)
{
    tarvenna::UseBinaryStandardStreams();
    // A kernel set forced by TARVENNA_KERNELS that this processor lacks
    // would crash the search: refuse before anything else.
    const tarvenna::lanes::KernelChoice& kernels = tarvenna::lanes::ProcessKernels();
    if (!kernels.set) {
        std::fprintf(stderr, "tarvenna: %s\n", kernels.refusal.c_str());
        return tarvenna::kUsage;
    }
    const std::vector<std::string> arguments = tarvenna::Utf8Arguments(argc, argv);
    const tarvenna::ParseOutcome parsed = tarvenna::ParseCommandLine(arguments);
    std::fputs(parsed.out.c_str(), stdout);
    if (parsed.version)
        std::printf("search kernels: %.*s\n", static_cast<int>(kernels.set->name.size()), kernels.set->name.data());
    std::fputs(parsed.err.c_str(), stderr);
    if (!parsed.commandLine) return parsed.exitCode;
    const tarvenna::CommandLine& line = *parsed.commandLine;

    tarvenna::StopOnInterrupt(g_stop);
    const unsigned threads = line.threads != 0 ? line.threads : std::max(1u, std::thread::hardware_concurrency());
    try {
        if (!line.count) return tarvenna::RunOneSeed(line, threads, g_stop);
        tarvenna::BatchOptions batch;
        batch.settings = line.settings;
        batch.firstSeed = *line.seed;
        batch.count = *line.count;
        batch.folder = line.outputDirectory;
        batch.threads = threads;
        batch.spoiler = line.spoiler;
        batch.stop = &g_stop;
        return tarvenna::RunBatch(batch);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "\ntarvenna: %s\n", error.what());
        return tarvenna::kInternalError;
    }
}
