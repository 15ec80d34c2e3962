#include "doors/lock_randomizer.h"

namespace tarvenna {

std::string LockKindName(int kind)
{
    (void)kind; // TODO(locks)
    return "Unlocked";
}

void RandomizeLocks(const Settings& settings, GeneratorState& state, Rng& rng)
{
    (void)settings; (void)state; (void)rng; // TODO(locks)
}

} // namespace tarvenna
