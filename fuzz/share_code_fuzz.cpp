// Feeds arbitrary text to the share code reader and traps on any outcome that
// the front ends rely on never happening.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings.h"
#include "share/share_code.h"

namespace {

using tarvenna::ShareCodeError;
using tarvenna::ShareCodeReading;

void Require(bool holds)
{
    if (!holds) __builtin_trap();
}

ShareCodeReading Read(std::string_view text)
{
    try {
        return tarvenna::ReadShareCode(text);
    } catch (...) {
        __builtin_trap();
    }
}

// A code that is taken names a game the dialog can make, and writing that
// game again gives a code that reads back as the very same game and maker.
void CheckAccepted(const ShareCodeReading& reading)
{
    Require(reading.message.empty());
    Require(*tarvenna::SettingsConflict(reading.game.settings) == '\0');
    Require(reading.origin.generation == tarvenna::kGeneration);
    const std::string code = tarvenna::EncodeShareCode(reading.game, reading.origin);
    const ShareCodeReading again = Read(code);
    Require(again.error == ShareCodeError::None);
    Require(again.game == reading.game && again.origin == reading.origin);
    Require(tarvenna::EncodeShareCode(again.game, again.origin) == code);
}

void CheckRefused(const ShareCodeReading& reading)
{
    Require(!reading.message.empty());
    Require(reading.message.find('\n') == std::string::npos);
    Require(reading.game == tarvenna::SharedGame{});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ShareCodeReading reading = Read(std::string_view(reinterpret_cast<const char*>(data), size));
    if (reading.error == ShareCodeError::None) CheckAccepted(reading);
    else CheckRefused(reading);
    return 0;
}
