#include "items/door_mode_placement.h"

namespace tarvenna {

void PlaceItemsForDoorMode(const Settings& settings, GeneratorState& state, Rng& rng)
{
    (void)settings; (void)rng; // TODO(doors)
    state.slotAssignment.clear();
    for (int slot = 0; slot < 180; ++slot) state.slotAssignment.push_back(slot);
}

} // namespace tarvenna
