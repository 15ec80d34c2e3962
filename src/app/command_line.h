#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/settings.h"

namespace tarvenna {

struct CommandLine {
    static constexpr unsigned kMaxThreads = 1024;
    static constexpr std::uint32_t kMaxCount = 1000000;

    Settings settings;
    std::optional<std::uint32_t> seed;  // none: seed from the clock
    std::filesystem::path outputDirectory = ".";
    unsigned threads = 0;               // 0: every core
    bool spoiler = false;               // also write the JSON spoiler
    std::optional<std::uint32_t> expectedCheckValue; // from --share: the game the code was made from
    std::optional<std::uint32_t> count;  // --count: a batch of seeds, each into its own folder
    std::optional<std::filesystem::path> verify; // --verify: check this item list file instead of making a game
};

struct ParseOutcome {
    std::optional<CommandLine> commandLine; // set when generation should run
    int exitCode = 0;                       // otherwise: exit with this status
    std::string out;                        // text for standard output (--help, --version)
    std::string err;                        // text for standard error
    bool version = false;                   // `out` is the version string, which the command completes
};

// Parses the tarvenna command's arguments (argv[0] excluded). Rejects the
// setting combinations that the dialog can never produce.
ParseOutcome ParseCommandLine(const std::vector<std::string>& arguments);

} // namespace tarvenna
