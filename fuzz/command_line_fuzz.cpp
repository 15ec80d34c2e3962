// Feeds arbitrary argument vectors to the tarvenna command's parser and traps
// on any outcome that the command's callers rely on never happening.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "core/settings.h"
#include "share/share_code.h"

namespace {

using tarvenna::ParseOutcome;

constexpr std::size_t kMaxArguments = 32;
constexpr std::size_t kMaxArgumentLength = 256;

void Require(bool holds)
{
    if (!holds) __builtin_trap();
}

// One argument per NUL-separated piece, so an input can hold empty arguments.
std::vector<std::string> Arguments(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> arguments;
    if (size == 0) return arguments;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (arguments.size() < kMaxArguments) {
        const std::size_t end = std::min(input.find('\0', start), input.size());
        arguments.emplace_back(input.substr(start, std::min(end - start, kMaxArgumentLength)));
        if (end == input.size()) break;
        start = end + 1;
    }
    return arguments;
}

// Every text given to an option, as "--name TEXT" or "--name=TEXT".
std::vector<std::string> ValuesGiven(const std::vector<std::string>& arguments, const std::string& name)
{
    std::vector<std::string> values;
    const std::string joined = name + "=";
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == name && i + 1 < arguments.size()) values.push_back(arguments[i + 1]);
        else if (arguments[i].starts_with(joined)) values.push_back(arguments[i].substr(joined.size()));
    }
    return values;
}

// The seed must be the decimal text given to --seed (blanks around it
// aside), never a default or a number read some other way.
bool SeedWasGiven(const std::vector<std::string>& arguments, std::uint32_t seed)
{
    return std::ranges::any_of(ValuesGiven(arguments, "--seed"), [seed](const std::string& text) {
        const std::size_t first = text.find_first_not_of(" \t\r\n");
        const std::size_t last = text.find_last_not_of(" \t\r\n");
        if (first == std::string::npos) return false;
        const std::string digits = text.substr(first, last - first + 1);
        return digits.find_first_not_of("0123456789") == std::string::npos && digits.size() <= 10 &&
               std::stoull(digits) == seed;
    });
}

// Whether a code given to --share reads as exactly this game.
bool CodeWasGiven(const std::vector<std::string>& arguments, const tarvenna::SharedGame& game)
{
    return std::ranges::any_of(ValuesGiven(arguments, "--share"), [&game](const std::string& text) {
        const tarvenna::ShareCodeReading reading = tarvenna::ReadShareCode(text);
        return reading.error == tarvenna::ShareCodeError::None && reading.game == game;
    });
}

void CheckAccepted(const std::vector<std::string>& arguments, const ParseOutcome& outcome)
{
    const tarvenna::CommandLine& line = *outcome.commandLine;
    const tarvenna::Settings& s = line.settings;
    Require(outcome.exitCode == 0 && outcome.out.empty() && outcome.err.empty());
    // What the dialog can produce: doors need Normal, items and no locks; locks need items.
    Require(!s.randomizeDoors ||
            (s.difficulty == tarvenna::Difficulty::Normal && s.randomizeItems && !s.randomizeLocks));
    Require(!s.randomizeLocks || s.randomizeItems);
    Require(*tarvenna::SettingsConflict(s) == '\0');
    // A code's game is taken whole, and it is one game, never a batch. Only
    // what the parse took counts: "--out --share=CODE" names a folder.
    if (line.expectedCheckValue) {
        Require(line.seed && !line.count);
        Require(CodeWasGiven(arguments, {s, *line.seed, *line.expectedCheckValue}));
    } else {
        Require(!line.seed || SeedWasGiven(arguments, *line.seed));
    }
    // A batch has a first seed and stays within the seeds there are.
    Require(!line.count || (line.seed && *line.count >= 1 &&
                            std::uint64_t{*line.seed} + *line.count - 1 <= 0xFFFFFFFFu));
    Require(line.threads <= tarvenna::CommandLine::kMaxThreads);
    Require(!line.outputDirectory.empty());
}

void CheckRefused(const ParseOutcome& outcome)
{
    const std::string_view prefix = "tarvenna: ";
    const std::string_view suffix = "\nRun with --help for more information.\n";
    Require(outcome.out.empty());
    Require(outcome.err.size() > prefix.size() + suffix.size());
    Require(outcome.err.starts_with(prefix) && outcome.err.ends_with(suffix));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> arguments = Arguments(data, size);
    ParseOutcome outcome;
    try {
        outcome = tarvenna::ParseCommandLine(arguments);
    } catch (...) {
        __builtin_trap();
    }
    Require(outcome.exitCode == 0 || outcome.exitCode == 2);
    if (outcome.commandLine) {
        CheckAccepted(arguments, outcome);
    } else if (outcome.exitCode == 2) {
        CheckRefused(outcome);
    } else {
        // --help or --version
        Require(!outcome.out.empty() && outcome.err.empty());
    }
    return 0;
}
