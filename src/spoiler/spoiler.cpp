#include "spoiler/spoiler.h"

#include <algorithm>
#include <string_view>

#include <nlohmann/json.hpp>

#include "core/index.h"
#include "core/version.h"
#include "items/item_slot_data.h"
#include "locks/lock_data.h"
#include "locks/lock_randomizer.h"
#include "output/cheat_sheet_data.h"
#include "output/cheat_sheet_file.h"
#include "output/door_index.h"
#include "spoiler/playthrough.h"
#include "spoiler/settings_json.h"
#include "spoiler/slot_rooms.h"

namespace tarvenna {
namespace {

using Json = nlohmann::ordered_json;

// "1.098" from "Version 1.098 Beta".
std::string VersionNumber()
{
    const std::string_view text = kVersionString;
    const std::size_t start = text.find(' ') + 1;
    return std::string(text.substr(start, text.find(' ', start) - start));
}

Json ItemName(const GeneratorState& state, int item)
{
    const std::vector<std::string>& names = state.itemSlotTable.itemNames;
    if (item < 0 || Index(item) >= names.size()) return nullptr;
    return names[Index(item)];
}

Json Item(const GeneratorState& state, int item) { return Json{{"item", item}, {"name", ItemName(state, item)}}; }

int PlacedItem(const GeneratorState& state, int slot)
{
    return Index(slot) < state.slotAssignment.size() ? state.slotAssignment[Index(slot)] : -1;
}

Json Slots(const Settings& settings, const GeneratorState& state)
{
    const std::array<SlotRoom, kSlotCount> rooms = SlotRooms(settings);
    Json slots = Json::array();
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const SlotRoom& room = rooms[Index(slot)];
        slots.push_back({{"slot", slot},
                         {"room", room.room},
                         {"inCheatSheet", room.inCheatSheet},
                         {"original", Item(state, slot)},
                         {"placed", Item(state, PlacedItem(state, slot))}});
    }
    return slots;
}

Json Enemies(const Settings& settings, const GeneratorState& state)
{
    if (!settings.randomizeEnemies) return nullptr;
    Json enemies = Json::array();
    for (const auto& [room, kinds] : state.roomEnemyTable) {
        const int kind = kinds.empty() ? 0 : kinds.front();
        enemies.push_back({{"room", room}, {"kind", kind}, {"name", EnemyKindName(kind)}});
    }
    return enemies;
}

Json Doors(const Settings& settings, const GeneratorState& state)
{
    if (!settings.randomizeDoors) return nullptr;
    // A door's value names the door whose unaltered destination it takes:
    // the far side of that door, through its partner.
    const auto results = IndexDoorResults(state.doors.doorResultTable);
    const auto partners = IndexDoorResults(state.doors.doorTable);
    Json doors = Json::array();
    for (int door = 0; door < kDoorCount; ++door) {
        const DoorEntry& result = results[Index(door)];
        Json leadsTo = nullptr;
        if (result.value >= 0 && result.value < kDoorCount) {
            const int arrival = partners[Index(result.value)].value;
            if (arrival >= 0 && arrival < kDoorCount)
                leadsTo = {{"room", *partners[Index(arrival)].room}, {"door", arrival}};
        }
        doors.push_back(
            {{"door", door}, {"room", *result.room}, {"takesDestinationOf", result.value}, {"leadsTo", leadsTo}});
    }
    return doors;
}

Json Locks(const Settings& settings, const GeneratorState& state)
{
    Json locks = Json::array();
    for (int lock = 0; lock < kLockCount; ++lock) {
        const int vanilla = kVanillaLockKinds[Index(lock)];
        const bool drawn = settings.randomizeLocks && Index(lock) < state.lockKinds.size();
        const int kind = drawn ? state.lockKinds[Index(lock)] : vanilla;
        std::string_view door = kLockLabels[Index(lock)];
        door = door.substr(0, door.rfind(" : "));
        locks.push_back({{"lock", lock},
                         {"door", door},
                         {"vanillaKind", vanilla},
                         {"vanillaKindName", LockKindName(vanilla)},
                         {"kind", kind},
                         {"kindName", LockKindName(kind)}});
    }
    return locks;
}

Json PlaythroughJson(const GeneratorState& state, const Playthrough& playthrough)
{
    const std::vector<int>& keyItems = playthrough.keyItems;
    auto isKeyItem = [&](int item) { return std::binary_search(keyItems.begin(), keyItems.end(), item); };

    Json spheres = Json::array();
    for (std::size_t number = 0; number < playthrough.spheres.size(); ++number) {
        const std::vector<int>& slots = playthrough.spheres[number];
        Json found = Json::array();
        for (int slot : slots) {
            const int item = PlacedItem(state, slot);
            // Items beyond the 180 are never picked up for the rules.
            if (item < kSlotCount && isKeyItem(item)) {
                Json entry = Item(state, item);
                entry["slot"] = slot;
                found.push_back(std::move(entry));
            }
        }
        spheres.push_back({{"sphere", number}, {"slots", slots}, {"keyItems", std::move(found)}});
    }
    Json unreachedKeyItems = Json::array();
    for (int item : playthrough.unreachedKeyItems) unreachedKeyItems.push_back(Item(state, item));
    Json forbidden = Json::array();
    for (const Playthrough::Placement& placement : playthrough.forbiddenPlacements) {
        Json entry = Item(state, placement.item);
        entry["slot"] = placement.slot;
        forbidden.push_back(std::move(entry));
    }
    return {{"sphereCount", playthrough.SphereCount()},
            {"reachesEverything", playthrough.ReachesEverything()},
            {"allKeyItemsReached", playthrough.unreachedKeyItems.empty()},
            {"spheres", std::move(spheres)},
            {"unreachedSlots", playthrough.unreachedSlots},
            {"unreachedKeyItems", std::move(unreachedKeyItems)},
            {"forbiddenPlacements", std::move(forbidden)}};
}

} // namespace

std::string SpoilerJson(const Settings& settings, std::uint32_t seed, const GeneratorState& state,
                        const GameIdentity& identity)
{
    const Playthrough playthrough = ComputePlaythrough(settings, state);
    Json spoiler = {
        {"spoilerFormat", kSpoilerFormatVersion},
        {"tarvennaVersion", VersionNumber()},
        {"versionString", kVersionString},
        {"seed", seed},
        {"shareCode", identity.shareCode},
        {"checkWords", identity.checkWords},
        {"checkValue", identity.checkValue},
        {"settings", SettingsToJson(settings)},
        {"slots", Slots(settings, state)},
        {"enemies", Enemies(settings, state)},
        {"doors", Doors(settings, state)},
        {"locks", Locks(settings, state)},
        {"playthrough", playthrough.modelled ? PlaythroughJson(state, playthrough) : Json(nullptr)},
        {"playthroughNote", playthrough.modelled ? Json(nullptr) : Json(playthrough.note)},
    };
    return spoiler.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::function<std::vector<OutputFile>(const GeneratorState&)> SpoilerFiles(const Settings& settings,
                                                                           std::uint32_t seed)
{
    return [settings, seed](const GeneratorState& state) {
        const GameIdentity identity = IdentifyGame(settings, seed, state);
        return std::vector<OutputFile>{{SpoilerFileName(settings), SpoilerJson(settings, seed, state, identity)}};
    };
}

} // namespace tarvenna
