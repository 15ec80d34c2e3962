#include "doors/door_randomizer.h"

namespace tarvenna {

void RandomizeDoors(const Settings& settings, GeneratorState& state, Rng& rng, StatusLog& statusLog)
{
    (void)settings; (void)state; (void)rng; // TODO(doors)
    statusLog.AppendStatus("Randomizing Doors . . . ");
    statusLog.AppendStatus("done!\n");
}

} // namespace tarvenna
