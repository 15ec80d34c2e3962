// The tarvenna command: generates one seed, or a batch, from command-line options.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "app/batch.h"
#include "app/command_line.h"
#include "app/console.h"
#include "app/run_seed.h"
#include "app/verify_run.h"
#include "core/processors.h"
#include "search/kernel_choice.h"

namespace {

tarvenna::StopFlag g_stop{false};

// Every core by default; more threads than cores only share them, slower.
unsigned SearchThreads(unsigned asked)
{
    if (asked == 0) return tarvenna::ProcessorCount();
    // Where the system does not say how many there are, the count asked for stands.
    const unsigned cores = std::thread::hardware_concurrency();
    if (cores == 0 || asked <= cores) return asked;
    std::fprintf(stderr, "tarvenna: note: --threads %u is more than the %u processors here: using %u\n", asked, cores,
                 cores);
    return cores;
}

int Run(const tarvenna::CommandLine& line)
{
    if (line.verify) return tarvenna::RunVerify(line);
    const unsigned threads = SearchThreads(line.threads);
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
}

} // namespace

int main(int argc, char** argv)
{
    tarvenna::OpenClosedStandardStreams();
    tarvenna::UseBinaryStandardStreams();
    // A kernel set forced by TARVENNA_KERNELS that this processor lacks
    // would crash the search: refuse before anything else.
    const tarvenna::lanes::KernelChoice& kernels = tarvenna::lanes::ProcessKernels();
    if (!kernels.set) {
        std::fprintf(stderr, "tarvenna: %s\n", kernels.refusal.c_str());
        return tarvenna::kUsage;
    }
    // Whatever goes wrong ends with a message and a status, never an abort:
    // the file writer has removed its temporary files on the way out.
    try {
        const std::vector<std::string> arguments = tarvenna::Utf8Arguments(argc, argv);
        const tarvenna::ParseOutcome parsed = tarvenna::ParseCommandLine(arguments);
        std::string out = parsed.out;
        if (parsed.version) out += "search kernels: " + std::string(kernels.set->name) + "\n";
        tarvenna::WriteStandardOutput(out);
        std::fputs(parsed.err.c_str(), stderr);
        if (!parsed.commandLine) return parsed.exitCode;
        tarvenna::StopOnInterrupt(g_stop);
        return Run(*parsed.commandLine);
    } catch (const std::bad_alloc&) {
        std::fputs("\ntarvenna: internal error: out of memory\n", stderr);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "\ntarvenna: internal error: %s\n", error.what());
    } catch (...) {
        std::fputs("\ntarvenna: internal error\n", stderr);
    }
    return tarvenna::kInternalError;
}
