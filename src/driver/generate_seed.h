#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"
#include "core/status_log.h"
#include "driver/item_stage.h"
#include "output/file_set.h"

namespace tarvenna {

struct RunOptions {
    std::uint32_t seed = 0;
    std::filesystem::path outputDirectory = ".";
    const StopFlag* stop = nullptr;
    unsigned threads = 1;      // for the item search; the files do not depend on it
    ItemSearcher itemSearcher; // searches instead of the threads when set (see driver/item_stage.h)
    // Further files (the spoiler) made from the finished game and written
    // with the pair, all or none.
    std::function<std::vector<OutputFile>(const GeneratorState&)> extraFiles;
    // Called once when another run has held the output folder for a second;
    // the run waits on until it is free or `stop` is set.
    std::function<void()> onWaitingForFolder;
    // Hears how far each item search has got (see driver/search_progress.h).
    SearchProgressListener onSearchProgress;
};

struct GenerateResult {
    bool stopped = false;           // a stop request ended the run; no file was written
    bool folderRefused = false;     // the folder was found unwritable before the stages ran (with outputFailed)
    bool itemsNeverPass = false;    // no deal of fixed item tables can pass (a fault); no file was written
    bool outputFailed = false;      // an output file could not be written
    bool doorMapIncomplete = false; // the door stage reported a broken map
    std::string outputError;        // first write failure, for the front ends
    std::vector<std::string> files; // names of the files written, in order
};

// The low 32 bits of the current calendar time in whole seconds.
std::uint32_t SeedFromClock();

// The item slot table of these settings. In lock mode the locks are dealt
// too (the run's first draws) and the requirements built from them.
void BuildItemTables(const Settings& settings, GeneratorState& state, Rng& rng);

// One run: seed, build the tables, run the selected stages in their fixed
// order and write the output files, reporting progress in the status log.
GenerateResult GenerateSeed(const Settings& settings, const RunOptions& options, GeneratorState& state,
                            StatusLog& statusLog);

} // namespace tarvenna
