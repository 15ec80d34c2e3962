#include "items/pool_modifiers.h"

namespace tarvenna {

bool AnyPoolModifier(const Settings& settings)
{
    return settings.removeHealingItems || settings.removeAmmo || settings.removeInkRibbons ||
           settings.removeDefenceItems || settings.swapWithSelfDefenseGun || settings.fuelCapsuleArmed;
}

void ApplyPoolModifiers(const Settings& settings, GeneratorState& state, Rng& rng)
{
    (void)settings; (void)state; (void)rng; // TODO(pool)
}

} // namespace tarvenna
