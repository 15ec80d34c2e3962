#include "locks/lock_randomizer.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "core/index.h"
#include "locks/lock_data.h"
#include "locks/lock_requirements.h"
#include "items/item_shuffle.h"

namespace tarvenna {
namespace {

bool IsAnyOf(int kind, std::initializer_list<int> kinds)
{
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

} // namespace

std::string LockKindName(int kind)
{
    if (kind < 0 || kind >= kLockKindCount) return kLockKinds[Index(kUnlocked)].name;
    return kLockKinds[Index(kind)].name;
}

void KeyItemsForLockKind(int kind, Character character, std::vector<int>& list)
{
    if (kind < 0 || kind >= kLockKindCount) return;
    const LockKindRow& row = kLockKinds[Index(kind)];
    const std::vector<int>& items =
        row.opensWithOldKey ? (character == Character::Chris ? kChrisOldKeyItems : kJillOldKeyItems) : row.keyItems;
    list.insert(list.end(), items.begin(), items.end());
}

void ShuffleLocks(const std::map<int, int>& vanillaLockKinds, Rng& rng, std::vector<int>& lockKinds)
{
    lockKinds.clear();
    std::vector<int> pool;
    for (const auto& entry : vanillaLockKinds) pool.push_back(entry.first);
    while (!pool.empty()) {
        const std::uint32_t j = rng.Below(static_cast<std::uint32_t>(pool.size()));
        lockKinds.push_back(vanillaLockKinds.at(pool[j]));
        pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(j));
    }
    for (int lock : kFlipSetLocks) {
        int& kind = lockKinds[Index(lock)];
        if (kind == kOneWayDoor || kind == kOneWayOldKeyMix) kind += static_cast<int>(rng.Below(2));
    }
}

bool LocksAreValid(Character character, const std::vector<int>& lockKinds)
{
    auto k = [&](int lock) { return lockKinds[Index(lock)]; };
    auto passable = [&](int lock) { return OpenFromBack(k(lock)); };

    if (BarredFromFront(k(1)) && BarredFromFront(k(6))) return false;
    if (BarredFromBack(k(1)) && BarredFromBack(k(2)) && BarredFromBack(k(3)) && BarredFromBack(k(4)) &&
        BarredFromFront(k(13)))
        return false;
    if (IsAnyOf(k(13), {kArmorKey, kOneWayDoorReversed, kOneWayOldKeyMixReversed}) && BarredFromFront(k(3)))
        return false;
    if (!OpenFromFront(k(30))) return false;
    if (!OpenFromFront(k(26)) && !OpenFromBack(k(8))) return false;

    const bool lock15Passable = IsAnyOf(k(15), {kOneWayDoorReversed, kOneWayOldKeyMix, kUnlocked});
    if (lock15Passable && !passable(10) && !passable(28)) return false;
    if (!lock15Passable && !passable(10) && !passable(28) && k(15) != k(28) && k(15) != k(10)) return false;

    const bool lock10Passable = IsAnyOf(k(10), {kOneWayDoorReversed, kOneWayOldKeyMix, kUnlocked});
    if (lock10Passable && !passable(22) && !passable(28)) return false;
    if (!lock10Passable && !passable(22) && !passable(28) && k(10) != k(22) && k(10) != k(28)) return false;

    if (k(10) == kOneWayDoorReversed && k(22) == kOneWayDoor) return false;

    return IsAnyOf(k(18), {kOneWayDoor, kOneWayDoorReversed, kUnlocked}) ||
           (character == Character::Jill && k(18) == kOldKeyLock);
}

bool PinnedItemsCanBeReached(const Settings& settings, const ItemSlotTable& table)
{
    // Every item that a deal may move is assumed reachable; the pinned items
    // cannot move, so each must be reachable from where it always lies.
    std::array<bool, kItemCount> marked{};
    for (int item = 0; item <= kArmedFuelCapsule; ++item) marked[Index(item)] = true;
    std::vector<int> pinned = PinnedSlots(settings);
    for (int slot : pinned) marked[Index(slot)] = false;
    const ItemRules rules(table);

    bool changed = true;
    while (changed) {
        changed = false;
        for (int item : pinned) {
            if (marked[Index(item)]) continue;
            const bool reachable = rules.RuleMet(table.locationKeys[Index(item)], [&](int required) {
                return required >= 0 && required < kItemCount && marked[Index(required)];
            });
            if (reachable) {
                marked[Index(item)] = true;
                changed = true;
            }
        }
    }
    return std::all_of(pinned.begin(), pinned.end(), [&](int item) { return marked[Index(item)]; });
}

void RandomizeLocks(const Settings& settings, GeneratorState& state, Rng& rng)
{
    state.vanillaLockKinds.clear();
    for (int lock = 0; lock < kLockCount; ++lock) state.vanillaLockKinds[lock] = kVanillaLockKinds[Index(lock)];
    state.lockDeals = 0;
    DealLocksUntilValid(settings, state, rng);
}

void DealLocksUntilValid(const Settings& settings, GeneratorState& state, Rng& rng)
{
    ItemSlotTable& table = state.itemSlotTable;
    for (;;) {
        ShuffleLocks(state.vanillaLockKinds, rng, state.lockKinds);
        ++state.lockDeals;
        if (!LocksAreValid(settings.character, state.lockKinds)) continue;
        BuildLockRequirements(settings, state.lockKinds, table.requirements);
        // Some valid deals shut a pinned item in behind its own key; no item
        // deal could ever pass, so they are dealt again.
        if (PinnedItemsCanBeReached(settings, table)) return;
    }
}

} // namespace tarvenna
