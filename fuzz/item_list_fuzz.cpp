// Any bytes as an item list file received from someone, under any settings
// the dialog can show: --verify must answer, never crash, and a file it calls
// a game must be exactly the file of the game it read from it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "output/item_list_file.h"
#include "support/fuzz_settings.h"
#include "verify/game_invariants.h"

namespace {

void Require(bool holds)
{
    if (!holds) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4) return 0;
    const tarvenna::Settings settings = tarvenna::SettingsFromFuzzBytes(data);
    const std::string_view file(reinterpret_cast<const char*>(data + 4), size - 4);
    tarvenna::ItemListVerdict verdict;
    try {
        verdict = tarvenna::VerifyItemList(settings, file);
    } catch (...) {
        __builtin_trap();
    }
    using Kind = tarvenna::ItemListVerdict::Kind;
    Require(verdict.reason.empty() == (verdict.kind == Kind::Finishable));
    if (verdict.kind == Kind::Finishable) Require(tarvenna::ItemListText(settings, verdict.state) == file);
    return 0;
}
