#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/generator_state.h"
#include "core/settings.h"

namespace tarvenna {

// What is wrong with a finished game, one sentence per fault; empty when the
// game holds every invariant. `itemListFile` is the item list file as written
// for `state`. `dealtAssignment` is the slot assignment of the same seed and
// settings with the pool options off: the pool options rewrite the deal last,
// so that run's items are the ones this run dealt. Without it, a game with
// randomized items and pool options is checked for everything but where its
// items come from.
std::vector<std::string> CheckGameInvariants(const Settings& settings, const GeneratorState& state,
                                             std::string_view itemListFile,
                                             const std::vector<int>* dealtAssignment = nullptr);

// Whether an item list file, from anywhere, is a game these settings could
// have made that can be finished: every section in range, doors joined both
// ways, lock kinds the lock rules allow, and items whose deal passes the
// placement rules that the generator tests (before the pool options).
struct ItemListVerdict {
    enum class Kind { Finishable, NotFinishable, NotAnItemList };
    Kind kind = Kind::NotAnItemList;
    std::string reason;   // the first fault: a slot, item, lock or door; or the line that is no item list's
    int sphereCount = -1; // of a passing deal's playthrough, where the mode has one
    GeneratorState state; // the game as the file gives it
};
ItemListVerdict VerifyItemList(const Settings& settings, std::string_view itemListFile);

// The same settings with the six pool options off.
Settings WithoutPoolOptions(const Settings& settings);

} // namespace tarvenna
