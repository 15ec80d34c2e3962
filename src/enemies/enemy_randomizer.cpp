#include "enemies/enemy_randomizer.h"

namespace tarvenna {

void RandomizeEnemies(const Settings& settings, GeneratorState& state, Rng& rng, StatusLog& statusLog)
{
    (void)settings; (void)state; (void)rng; // TODO(enemies)
    statusLog.AppendStatus("Randomizing Enemies . . .");
    statusLog.AppendStatus("done!\n");
}

} // namespace tarvenna
