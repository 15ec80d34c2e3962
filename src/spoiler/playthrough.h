#pragma once

#include <vector>

#include "core/generator_state.h"
#include "core/settings.h"

namespace tarvenna {

// What the player can pick up in which order under the requirement rules
// that the item shuffle validates against.
//
// Sphere 0 holds the slots whose location keys need nothing; sphere n + 1
// the slots not yet reached that the items of spheres 0 .. n open. An item
// beyond the 180 (item 180 stands for Jill's lockpick in lock mode) is never
// picked up for the rules: it counts as held once the key of an item that no
// slot holds is open, as in validation.
struct Playthrough {
    struct Placement {
        int slot = 0;
        int item = 0;
        bool operator==(const Placement&) const = default;
    };

    bool modelled = false; // false: the mode has no reachability model
    const char* note = ""; // why, when not modelled

    std::vector<std::vector<int>> spheres;      // slots, ascending within a sphere
    std::vector<int> unreachedSlots;            // ascending
    std::vector<int> keyItems;                  // items the rules of the used keys name, ascending
    std::vector<int> unreachedKeyItems;         // of those: never held
    std::vector<Placement> forbiddenPlacements; // items lying in keys forbidden to them

    int SphereCount() const { return static_cast<int>(spheres.size()); }
    // Every slot reached and nothing forbidden: what an accepted deal gives.
    bool ReachesEverything() const { return modelled && unreachedSlots.empty() && forbiddenPlacements.empty(); }
};

// Whether the requirements of a location key are met by the held items
// (indexed by item): every item of list 0, and all of one alternative when
// there are any. A key without an entry needs nothing.
bool RequirementsMet(const ItemSlotTable& table, int key, const std::vector<bool>& held);

// The playthrough of one placement (item per slot) under the table's rules.
Playthrough PlaythroughOfPlacement(const ItemSlotTable& table, const std::vector<int>& assignment);

// The playthrough of a finished run, or a note when its mode has none: with
// items kept in place, or in door mode, no placement is validated.
Playthrough ComputePlaythrough(const Settings& settings, const GeneratorState& state);

} // namespace tarvenna
