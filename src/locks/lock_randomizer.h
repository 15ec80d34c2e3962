#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"

namespace tarvenna {

// Text of a lock kind code; "Unlocked" for 15 and for unknown codes.
std::string LockKindName(int kind);

// Appends the items that open a lock of this kind (none for one-way doors
// and unlocked doors).
void KeyItemsForLockKind(int kind, Character character, std::vector<int>& list);

// One deal: the vanilla kinds in random lock order (38 draws), then a coin
// flip for each one-way kind dealt to a lock of the flip set.
void ShuffleLocks(const std::map<int, int>& vanillaLockKinds, Rng& rng, std::vector<int>& lockKinds);

// Whether the game stays finishable under these lock kinds, as far as the
// locks alone decide it.
bool LocksAreValid(Character character, const std::vector<int>& lockKinds);

// Whether every pinned item can become reachable under the table's
// requirements, trusting that every other item can. A deal that fails here
// can never be finished by any item deal.
bool PinnedItemsCanBeReached(const Settings& settings, const ItemSlotTable& table);

// Deals the lock kinds until a deal is valid and the item shuffle can finish
// under it, then leaves the kinds in state.lockKinds and the matching
// requirement table in state.itemSlotTable.requirements.
void RandomizeLocks(const Settings& settings, GeneratorState& state, Rng& rng);

// Goes on dealing from where the generator stands, as if the last deal had
// failed its check: for a deal under which no item deal can ever pass.
void DealLocksUntilValid(const Settings& settings, GeneratorState& state, Rng& rng);

} // namespace tarvenna
