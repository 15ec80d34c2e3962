// The name groups of the pool options and the junk items that replace removed
// ones. Tables only; pool_modifiers.cpp applies them.
#include "items/pool_groups.h"

namespace tarvenna {

const std::array<std::string_view, 16> kHealingItems = {
    "Green Herb (Left)",
    "Green Herb (Right)",
    "Green Herb (Far)",
    "Green Herb (Near)",
    "Green Herb",
    "Red Herb",
    "Blue Herb",
    "First Aid Spray",
    "Blue Herb (Right)",
    "Blue Herb (Middle)",
    "Blue Herb (Left)",
    "First Aid Box (First Aid Spray)",
    "First Aid Box (Green + Green Herb)",
    "First Aid Box (Green + Blue Herb)",
    "First Aid Box (Green Herb)",
    "First Aid Spray (after getting plant 42 item)",
};

const std::array<std::string_view, 1> kInkItems = {
    "Ink Ribbon",
};

const std::array<std::string_view, 14> kAmmoItems = {
    "Incendiary Shells",
    "Shotgun Shells (after getting plant 42 item)",
    "Shotgun Shells (Right)",
    "Shotgun Shells (Left)",
    "Grenade Shells",
    "Acid Shells",
    "Grenade Shells (after getting plant 42 item)",
    "Handgun Magazine",
    "Shotgun Shells",
    "Magnum Rounds",
    "Handgun Magazine (Cupboard)",
    "Handgun Magazine (Table)",
    "Handgun Magazine (Near Door)",
    "Handgun Magazine (Near Elevator)",
};

const std::array<std::string_view, 5> kDefenceItems = {
    "Battery Pack",
    "Dagger",
    "Flash Grenade",
    "Flash Grenade (after getting plant 42 item)",
    "Battery Pack (after getting plant 42 item)",
};

const std::array<std::string_view, 9> kSwapOnlyItems = {
    "Magnum Revolver",
    "Grenade Launcher",
    "Jill's Handgun",
    "Broken Shotgun",
    "X-Ray of CLARK",
    "X-Ray of GAIL",
    "Wooden Mount",
    "Slide Filter",
    "Fuel Canteen",
};

// X-Ray of CLARK, X-Ray of GAIL, Wooden Mount, Slide Filter.
const std::array<int, 4> kJunkItems = {167, 168, 78, 166};

} // namespace tarvenna
