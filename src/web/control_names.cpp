#include "web/control_names.h"

#include <array>

#include "ui/form_model.h"

namespace tarvenna {
namespace {

using namespace control_id;

constexpr std::array<ControlName, 35> kControlNames = {{
    {"jill", kJill},
    {"chris", kChris},
    {"normal", kNormal},
    {"hard", kHard},
    {"items", kItems},
    {"enemies", kEnemies},
    {"doors", kDoors},
    {"locks", kLocks},
    {"zombies", kZombies},
    {"dogs", kDogs},
    {"hunters", kHunters},
    {"spiders", kSpiders},
    {"sharks", kSharks},
    {"bees", kBees},
    {"chimera", kChimera},
    {"elder-crimson-heads", kElderCrimsonHeads},
    {"tyrant-one", kTyrantOne},
    {"tyrant-many", kTyrantMany},
    {"tyrant-none", kTyrantNone},
    {"yawn-one", kYawnOne},
    {"yawn-many", kYawnMany},
    {"yawn-none", kYawnNone},
    {"lisa-one", kLisaOne},
    {"lisa-many", kLisaMany},
    {"lisa-none", kLisaNone},
    {"tyrant-helipad", kTyrantHelipad},
    {"tyrant-lab", kTyrantLab},
    {"tyrant-random", kTyrantRandom},
    {"healing-items", kHealingItems},
    {"ammo", kAmmo},
    {"ink-ribbons", kInkRibbons},
    {"defence-items", kDefenceItems},
    {"swap-with-self-defense-gun", kSwapWithSelfDefenseGun},
    {"fuel-capsule-armed", kFuelCapsuleArmed},
    {"spoiler", kSpoiler},
}};

} // namespace

std::span<const ControlName> ControlNames() { return kControlNames; }

std::optional<int> ControlIdOfName(std::string_view name)
{
    for (const ControlName& control : kControlNames)
        if (name == control.name) return control.id;
    return std::nullopt;
}

} // namespace tarvenna
