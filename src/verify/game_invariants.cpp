#include "verify/game_invariants.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>

#include "core/index.h"
#include "doors/door_data.h"
#include "doors/door_table.h"
#include "enemies/room_enemy_data.h"
#include "enemies/room_enemy_table.h"
#include "items/door_mode_placement_data.h"
#include "items/item_slot_table.h"
#include "items/item_shuffle.h"
#include "items/item_slot_data.h"
#include "items/pool_groups.h"
#include "items/pool_modifiers.h"
#include "locks/lock_data.h"
#include "locks/lock_randomizer.h"
#include "locks/lock_requirements.h"
#include "output/cheat_sheet_file.h"
#include "output/item_list_file.h"
#include "spoiler/playthrough.h"

namespace tarvenna {
namespace {

using Problems = std::vector<std::string>;

// Past this many, further faults of one game only repeat the first ones.
constexpr std::size_t kMaxProblems = 40;

constexpr std::string_view kEnemyHeader = "ENEMYRANDODATA";
constexpr std::string_view kDoorHeader = "DOORRANDODATA";
constexpr std::string_view kLockHeader = "LOCKRANDODATA";
constexpr std::string_view kEmptyFuelCapsule = "Fuel Supply Capsule (Empty)";

template <typename... Parts>
void Report(Problems& problems, const Parts&... parts)
{
    std::ostringstream text;
    (text << ... << parts);
    problems.push_back(text.str());
}

template <typename Container, typename Value>
bool Contains(const Container& container, const Value& value)
{
    return std::find(std::begin(container), std::end(container), value) != std::end(container);
}

std::string ListText(const std::vector<int>& values)
{
    std::string text;
    for (int value : values) text += (text.empty() ? "" : ", ") + std::to_string(value);
    return "{" + text + "}";
}

// Decimal as the writer prints it: a minus sign for negatives only, no
// leading zeros, no blanks.
std::optional<int> ParseInteger(std::string_view text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || std::to_string(value) != text) return std::nullopt;
    return value;
}

// The numbers of an item list file, section by section.
struct ItemListNumbers {
    std::vector<int> slots;
    std::vector<int> enemies;
    std::vector<int> doors;
    std::vector<int> locks;
};

// Null when the file's layout is broken: its numbers could not be told apart.
std::optional<ItemListNumbers> ReadItemList(const Settings& settings, std::string_view file, Problems& problems)
{
    if (!file.ends_with("\r\n")) {
        Report(problems, "the item list file does not end with CR LF");
        return std::nullopt;
    }
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < file.size();) {
        const std::size_t end = file.find("\r\n", start);
        lines.push_back(file.substr(start, end - start));
        start = end + 2;
    }

    const std::size_t enemyHeader = kSlotCount;
    const std::size_t doorHeader = enemyHeader + 1 + kEnemyRoomCount;
    const std::size_t lockHeader = doorHeader + 1 + kDoorIdCount;
    const std::size_t total = lockHeader + 1 + (settings.randomizeLocks ? kLockCount : 0);
    auto at = [&](std::string_view header) {
        const auto found = std::find(lines.begin(), lines.end(), header);
        return found == lines.end() ? std::string("none") : std::to_string(found - lines.begin() + 1);
    };
    if (lines.size() != total || lines[enemyHeader] != kEnemyHeader || lines[doorHeader] != kDoorHeader ||
        lines[lockHeader] != kLockHeader) {
        Report(problems, "the item list file has ", lines.size(), " lines with its headers at lines ", at(kEnemyHeader),
               ", ", at(kDoorHeader), " and ", at(kLockHeader), "; expected ", total, " lines with them at ",
               enemyHeader + 1, ", ", doorHeader + 1, " and ", lockHeader + 1);
        return std::nullopt;
    }

    ItemListNumbers numbers;
    bool readable = true;
    auto read = [&](std::size_t first, std::size_t count, const char* what, std::vector<int>& values) {
        for (std::size_t i = 0; i < count; ++i) {
            const std::optional<int> value = ParseInteger(lines[first + i]);
            if (!value) {
                Report(problems, "line ", first + i + 1, " (", what, " ", i, ") reads '", lines[first + i],
                       "', not a decimal integer");
                readable = false;
            }
            values.push_back(value.value_or(0));
        }
    };
    read(0, kSlotCount, "slot", numbers.slots);
    read(enemyHeader + 1, kEnemyRoomCount, "enemy room", numbers.enemies);
    read(doorHeader + 1, kDoorIdCount, "door", numbers.doors);
    read(lockHeader + 1, total - lockHeader - 1, "lock", numbers.locks);
    if (!readable) return std::nullopt;
    return numbers;
}

// ---- The file says what the state holds ----

// Door id -> value of the door result table; problems for ids held twice or not
// at all.
std::vector<int> DoorValuesById(const RoomDoorTable& table, Problems& problems)
{
    std::vector<int> values(kDoorIdCount, -1);
    std::vector<int> seen(kDoorIdCount, 0);
    for (const auto& [room, doors] : table) {
        for (const auto& [door, value] : doors) {
            if (door < 0 || door >= kDoorIdCount) {
                Report(problems, "the door result table holds door ", door, " in ", room, ", which is no door id");
                continue;
            }
            values[Index(door)] = value;
            ++seen[Index(door)];
        }
    }
    for (int door = 0; door < kDoorIdCount; ++door)
        if (seen[Index(door)] != 1)
            Report(problems, "the door result table holds door ", door, " ", seen[Index(door)], " times");
    return values;
}

void CheckFileAgainstState(const Settings& settings, const GeneratorState& state, const ItemListNumbers& file,
                           Problems& problems)
{
    if (state.slotAssignment.size() != kSlotCount) {
        Report(problems, "the state holds ", state.slotAssignment.size(), " slots, not ", kSlotCount);
    } else {
        for (std::size_t slot = 0; slot < kSlotCount; ++slot)
            if (file.slots[slot] != state.slotAssignment[slot])
                Report(problems, "slot ", slot, ": the file holds ", file.slots[slot], ", the state ",
                       state.slotAssignment[slot]);
    }

    if (state.roomEnemyTable.size() != kEnemyRoomCount) {
        Report(problems, "the room enemy table has ", state.roomEnemyTable.size(), " rooms, not ", kEnemyRoomCount);
    } else if (settings.randomizeEnemies) {
        std::size_t line = 0;
        for (const auto& [room, kinds] : state.roomEnemyTable) {
            if (kinds.size() != 1)
                Report(problems, "enemy room ", room, " holds ", kinds.size(), " kinds, not one");
            else if (kinds.front() != file.enemies[line])
                Report(problems, "enemy room ", room, ": the file holds ", file.enemies[line], ", the state ",
                       kinds.front());
            ++line;
        }
    }

    if (settings.randomizeDoors) {
        const std::vector<int> values = DoorValuesById(state.doors.doorResultTable, problems);
        for (std::size_t door = 0; door < kDoorIdCount; ++door)
            if (file.doors[door] != values[door])
                Report(problems, "door ", door, ": the file holds ", file.doors[door], ", the state ", values[door]);
    }

    if (file.locks != state.lockKinds)
        Report(problems, "the file's lock kinds ", ListText(file.locks), " differ from the state's ",
               ListText(state.lockKinds));
}

// ---- Items ----

void CheckSlotRanges(const std::vector<int>& slots, Problems& problems)
{
    for (std::size_t slot = 0; slot < slots.size(); ++slot)
        if (slots[slot] < 0 || slots[slot] >= kItemCount)
            Report(problems, "slot ", slot, " holds ", slots[slot], ", which is no item (0 to ", kItemCount - 1, ")");
}

// Item -> the slots holding it.
std::map<int, std::vector<int>> SlotsOfItems(const std::vector<int>& assignment)
{
    std::map<int, std::vector<int>> slots;
    for (std::size_t slot = 0; slot < assignment.size(); ++slot)
        slots[assignment[slot]].push_back(static_cast<int>(slot));
    return slots;
}

// A validated deal moves the 180 items around, leaves every pinned slot its
// own item and passes the placement rules.
void CheckShuffledDeal(const Settings& settings, const GeneratorState& state, const std::vector<int>& dealt,
                       Problems& problems)
{
    bool permutation = true;
    const std::map<int, std::vector<int>> slotsOf = SlotsOfItems(dealt);
    for (const auto& [item, slots] : slotsOf) {
        if (item < 0 || item >= kSlotCount) {
            Report(problems, "the deal puts item ", item, " into slots ", ListText(slots), "; a deal moves items 0 to ",
                   kSlotCount - 1, " only");
            permutation = false;
        } else if (slots.size() > 1) {
            Report(problems, "the deal puts item ", item, " into ", slots.size(), " slots ", ListText(slots));
            permutation = false;
        }
    }
    for (int item = 0; item < kSlotCount; ++item) {
        if (!slotsOf.contains(item)) {
            Report(problems, "the deal lost item ", item);
            permutation = false;
        }
    }
    for (int slot : PinnedSlots(settings))
        if (dealt[Index(slot)] != slot)
            Report(problems, "pinned slot ", slot, " holds item ", dealt[Index(slot)], ", not its own");
    if (!permutation) return;

    const auto rules = std::make_unique<ItemRules>(state.itemSlotTable);
    const auto validator = std::make_unique<PlacementValidator>(*rules);
    SlotAssignment assignment{};
    std::copy(dealt.begin(), dealt.end(), assignment.begin());
    if (!validator->ValidatePlacement(assignment))
        Report(problems, "the dealt items fail the placement rules: the game "
                         "cannot be finished");
}

// The door-mode placement keeps the slots it does not fill and fills the rest
// with its item groups, each item as often as its group lists it, and
// consumables.
void CheckDoorModeDeal(const Settings& settings, const std::vector<int>& dealt, Problems& problems)
{
    const bool jill = settings.character == Character::Jill;
    std::set<int> freeSlots = {jill ? kJillOnlyFreeSlot : kChrisOnlyFreeSlot};
    for (const SlotRange& range : kDoorModeFreeSlots)
        for (int slot = range.first; slot <= range.last; ++slot) freeSlots.insert(slot);

    std::vector<int> group2(kDoorModeGroup2.begin(), kDoorModeGroup2.end());
    std::vector<int> closed(kClosedToGroup2.begin(), kClosedToGroup2.end());
    std::vector<int> otherGroups(kDoorModeGroup1.begin(), kDoorModeGroup1.end());
    if (jill) {
        group2.push_back(kJillGroup2Extra);
        closed.insert(closed.end(), kJillClosedToGroup2.begin(), kJillClosedToGroup2.end());
        otherGroups.insert(otherGroups.end(), kJillGroup3.begin(), kJillGroup3.end());
    } else {
        otherGroups.insert(otherGroups.end(), kChrisGroup3.begin(), kChrisGroup3.end());
    }
    otherGroups.insert(otherGroups.end(), kGroup3Tail.begin(), kGroup3Tail.end());

    std::map<int, int> placedByGroups;
    for (int item : group2) ++placedByGroups[item];
    for (int item : otherGroups) ++placedByGroups[item];
    std::map<int, int> inFreeSlots;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const int item = dealt[Index(slot)];
        if (!freeSlots.contains(slot)) {
            if (item != slot) Report(problems, "door mode: kept slot ", slot, " holds item ", item, ", not its own");
            continue;
        }
        ++inFreeSlots[item];
        if (Contains(closed, slot) && Contains(group2, item) && !Contains(otherGroups, item))
            Report(problems, "door mode: slot ", slot, " is closed to item ", item);
    }
    for (const auto& [item, placed] : placedByGroups)
        if (inFreeSlots[item] < placed)
            Report(problems, "door mode: item ", item, " lies in ", inFreeSlots[item],
                   " free slots; its groups place it ", placed, " times");
    // Beyond the groups, only the consumables fill slots.
    for (const auto& [item, found] : inFreeSlots) {
        const bool consumable =
            std::any_of(kConsumableBands.begin(), kConsumableBands.end(),
                        [wanted = item](const ConsumableBand& band) { return band.item == wanted; });
        if (!consumable && found > placedByGroups[item])
            Report(problems, "door mode: item ", item, " lies in ", found, " free slots; its groups place it ",
                   placedByGroups[item], " times and it is no consumable");
    }
}

template <std::size_t N>
bool InGroup(const std::array<std::string_view, N>& group, std::string_view name)
{
    return Contains(group, name);
}

// Every item the pool options can make of a dealt item: each removal gives any
// of the junk items, the swap and the armed capsule one item each.
std::set<int> PoolOutcomes(const Settings& settings, const std::vector<std::string>& names, int dealt)
{
    auto name = [&](int item) {
        return item >= 0 && Index(item) < names.size() ? std::string_view(names[Index(item)]) : std::string_view();
    };
    std::set<int> outcomes = {dealt};
    auto remove = [&](bool on, auto inGroup) {
        if (!on) return;
        std::set<int> next;
        for (int item : outcomes) {
            if (inGroup(name(item)))
                next.insert(kJunkItems.begin(), kJunkItems.end());
            else
                next.insert(item);
        }
        outcomes = next;
    };
    remove(settings.removeHealingItems, [](std::string_view n) { return InGroup(kHealingItems, n); });
    remove(settings.removeInkRibbons, [](std::string_view n) { return InGroup(kInkItems, n); });
    remove(settings.removeAmmo, [](std::string_view n) { return InGroup(kAmmoItems, n); });
    remove(settings.removeDefenceItems, [](std::string_view n) { return InGroup(kDefenceItems, n); });

    auto replace = [&](bool on, auto matches, int replacement) {
        if (!on) return;
        std::set<int> next;
        for (int item : outcomes) next.insert(matches(name(item)) ? replacement : item);
        outcomes = next;
    };
    replace(
        settings.swapWithSelfDefenseGun,
        [](std::string_view n) {
            return InGroup(kDefenceItems, n) || InGroup(kAmmoItems, n) || InGroup(kInkItems, n) ||
                   InGroup(kHealingItems, n) || InGroup(kSwapOnlyItems, n);
        },
        kSelfDefenseGun);
    replace(
        settings.fuelCapsuleArmed, [](std::string_view n) { return n == kEmptyFuelCapsule; }, kArmedFuelCapsule);
    return outcomes;
}

void CheckPoolRewrite(const Settings& settings, const GeneratorState& state, const std::vector<int>& dealt,
                      const std::vector<int>& final, Problems& problems)
{
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        const std::set<int> outcomes = PoolOutcomes(settings, state.itemSlotTable.itemNames, dealt[slot]);
        if (outcomes.contains(final[slot])) continue;
        if (outcomes.size() == 1 && outcomes.contains(dealt[slot]))
            Report(problems, "slot ", slot, " holds ", final[slot], " where item ", dealt[slot], " was dealt");
        else
            Report(problems, "slot ", slot, " holds ", final[slot], "; the pool options make its dealt item ",
                   dealt[slot], " one of ", ListText(std::vector<int>(outcomes.begin(), outcomes.end())));
    }
}

void CheckItems(const Settings& settings, const GeneratorState& state, const std::vector<int>& final,
                const std::vector<int>* dealtAssignment, Problems& problems)
{
    CheckSlotRanges(final, problems);

    std::vector<int> dealt;
    if (!settings.randomizeItems) {
        for (int slot = 0; slot < kSlotCount; ++slot) dealt.push_back(slot);
    } else if (dealtAssignment != nullptr) {
        dealt = *dealtAssignment;
    } else if (!AnyPoolModifier(settings)) {
        dealt = final;
    } else {
        return; // pool options on, deal unknown
    }
    if (dealt.size() != kSlotCount) {
        Report(problems, "the dealt assignment has ", dealt.size(), " slots, not ", kSlotCount);
        return;
    }
    if (settings.randomizeItems) {
        if (settings.randomizeDoors)
            CheckDoorModeDeal(settings, dealt, problems);
        else
            CheckShuffledDeal(settings, state, dealt, problems);
    }
    CheckPoolRewrite(settings, state, dealt, final, problems);
}

// ---- Enemies ----

// Rooms holding one of `kinds` (with a value of -1 as "not randomized").
int RoomsHolding(const std::vector<int>& enemies, std::initializer_list<int> kinds)
{
    return static_cast<int>(
        std::count_if(enemies.begin(), enemies.end(), [&](int kind) { return Contains(kinds, kind); }));
}

bool Allowed(const Settings& settings, int kind)
{
    switch (kind) {
    case kZombies: return settings.allowZombies;
    case kDogs: return settings.allowDogs;
    case kHunters: return settings.allowHunters;
    case kSpiders: return settings.allowSpiders;
    case kSharks: return settings.allowSharks;
    case kBees: return settings.allowBees;
    case kChimeras: return settings.allowChimera;
    case kElderCrimsonHead: return settings.allowElderCrimsonHeads;
    default: return true;
    }
}

void CheckSpawnCount(const char* name, SpawnCount spawns, int rooms, Problems& problems)
{
    const bool right = spawns == SpawnCount::One ? rooms == 1 : spawns == SpawnCount::None ? rooms == 0 : rooms >= 1;
    if (!right) Report(problems, "enemies: ", rooms, " rooms hold the ", name);
}

void CheckEnemies(const Settings& settings, const std::vector<int>& enemies, Problems& problems)
{
    if (!settings.randomizeEnemies) {
        if (RoomsHolding(enemies, {-1}) != kEnemyRoomCount)
            Report(problems, "enemies: a room holds a kind with enemies off");
        return;
    }
    RoomEnemyTable allowed;
    BuildRoomEnemyTable(allowed);
    std::size_t line = 0;
    for (const auto& [room, kinds] : allowed) {
        const int kind = enemies[line++];
        const bool tyrant = kind == kTyrant || kind == kSlowTyrant;
        if (!Contains(kinds, tyrant ? kTyrant : kind)) {
            Report(problems, "enemy room ", room, " holds kind ", kind, ", which it may not hold");
            continue;
        }
        if (tyrant || kind == kYawn || kind == kLisa || Allowed(settings, kind)) continue;
        // A switched-off kind stays only as the last kind a room has left.
        const bool othersLeft = std::any_of(kinds.begin(), kinds.end(), [&](int other) {
            if (other == kind) return false;
            if (other == kTyrant) return settings.tyrantSpawns == SpawnCount::Many;
            if (other == kYawn) return settings.yawnSpawns == SpawnCount::Many;
            if (other == kLisa) return settings.lisaSpawns == SpawnCount::Many;
            return Allowed(settings, other);
        });
        if (othersLeft) Report(problems, "enemy room ", room, " holds switched-off kind ", kind);
    }
    CheckSpawnCount("tyrant", settings.tyrantSpawns, RoomsHolding(enemies, {kTyrant, kSlowTyrant}), problems);
    CheckSpawnCount("yawn", settings.yawnSpawns, RoomsHolding(enemies, {kYawn}), problems);
    CheckSpawnCount("Lisa", settings.lisaSpawns, RoomsHolding(enemies, {kLisa}), problems);
    if (settings.tyrantType == TyrantType::Helipad && RoomsHolding(enemies, {kSlowTyrant}) > 0)
        Report(problems, "enemies: a laboratory tyrant where the helipad's was chosen");
    if (settings.tyrantType == TyrantType::Lab && RoomsHolding(enemies, {kTyrant}) > 0)
        Report(problems, "enemies: a helipad tyrant where the laboratory's was chosen");
}

// ---- Doors ----

// Joining doors X and Y sets X to Y's partner and Y to X's partner, so a
// joined door X leads to J(X) = partner(value(X)), and J(J(X)) = X. Doors that
// are never drawn keep the values the tables start with.
void CheckDoors(const Settings& settings, const GeneratorState& state, const std::vector<int>& doors,
                Problems& problems)
{
    if (!settings.randomizeDoors) {
        if (RoomsHolding(doors, {-1}) != kDoorIdCount) Report(problems, "doors: a door has a value with doors off");
        return;
    }
    if (state.doorMapIncomplete) Report(problems, "doors: the door stage reported a broken map");

    DoorTables start;
    BuildDoorTables(settings.character, start);
    std::vector<int> partner(kDoorIdCount, kNoPartner);
    std::vector<int> startValue(kDoorIdCount, kNoPartner);
    std::vector<std::string> roomOf(kDoorIdCount);
    for (const auto& [room, roomDoors] : start.doorTable) {
        for (const auto& [door, value] : roomDoors) {
            partner[Index(door)] = value;
            roomOf[Index(door)] = room;
        }
    }
    for (const auto& [room, roomDoors] : start.doorResultTable)
        for (const auto& [door, value] : roomDoors) startValue[Index(door)] = value;

    std::set<int> drawn = {kReturnedDoor.door};
    auto addOpenDoors = [&](const std::vector<std::string>& rooms) {
        for (const std::string& room : rooms)
            for (const auto& [door, value] : start.openDoorTable[room]) drawn.insert(door);
    };
    addOpenDoors(start.multiDoorRooms);
    addOpenDoors(start.deadEndRooms);
    addOpenDoors(start.connectedRooms);
    // The parity room joins the draw only when a count comes out odd.
    for (const auto& [door, value] : start.openDoorTable[std::string(kParityRoom)])
        if (doors[Index(door)] != startValue[Index(door)]) drawn.insert(door);

    auto name = [&](int door) { return std::to_string(door) + " (" + roomOf[Index(door)] + ")"; };
    for (int door = 0; door < kDoorIdCount; ++door) {
        const int value = doors[Index(door)];
        if (!drawn.contains(door)) {
            if (value != startValue[Index(door)])
                Report(problems, "door ", name(door), " is never drawn but holds ", value, ", not ",
                       startValue[Index(door)]);
            continue;
        }
        if (value < 0 || value >= kDoorIdCount || !drawn.contains(partner[Index(value)])) {
            Report(problems, "door ", name(door), " holds ", value, ", the partner of no drawn door");
            continue;
        }
        const int joined = partner[Index(value)];
        if (joined == door)
            Report(problems, "door ", name(door), " was never joined");
        else if (doors[Index(joined)] != partner[Index(door)])
            Report(problems, "door ", name(door), " leads to door ", name(joined), ", which holds ",
                   doors[Index(joined)], " instead of ", partner[Index(door)], " to lead back");
    }
}

// ---- Locks ----

void CheckLocks(const Settings& settings, const std::vector<int>& locks, Problems& problems)
{
    if (!settings.randomizeLocks) return; // the layout allows no lock line then
    std::vector<int> unflipped;
    for (std::size_t lock = 0; lock < locks.size(); ++lock) {
        const int kind = locks[lock];
        if (kind < 0 || kind >= kLockKindCount)
            Report(problems, "lock ", lock, " has kind ", kind, ", which is no kind");
        const bool flipped = kind == kOneWayDoorReversed || kind == kOneWayOldKeyMixReversed;
        if (flipped && !Contains(kFlipSetLocks, static_cast<int>(lock)))
            Report(problems, "lock ", lock, " has the reversed kind ", kind, " but is not in the flip set");
        unflipped.push_back(flipped ? kind - 1 : kind);
    }
    std::vector<int> vanilla(kVanillaLockKinds.begin(), kVanillaLockKinds.end());
    std::sort(vanilla.begin(), vanilla.end());
    std::sort(unflipped.begin(), unflipped.end());
    if (unflipped != vanilla)
        Report(problems, "the lock kinds ", ListText(unflipped), " (flips undone) are not the game's ",
               ListText(vanilla));
    if (!LocksAreValid(settings.character, locks)) Report(problems, "the lock kinds fail the lock rules");
}

// ---- A file received: is it a game that can be finished? ----

// The game as an item list file gives it, for the checks, the playthrough
// and the spoiler.
void StateFromFile(const Settings& settings, const ItemListNumbers& numbers, GeneratorState& state)
{
    BuildRoomEnemyTable(state.roomEnemyTable);
    if (settings.randomizeEnemies) {
        std::size_t line = 0;
        for (auto& [room, kinds] : state.roomEnemyTable) kinds = {numbers.enemies[line++]};
    }
    BuildItemSlotTable(settings, state.itemSlotTable);
    if (settings.randomizeLocks) {
        state.lockKinds = numbers.locks;
        BuildLockRequirements(settings, state.lockKinds, state.itemSlotTable.requirements);
    }
    state.slotAssignment = numbers.slots;
    BuildDoorTables(settings.character, state.doors);
    if (settings.randomizeDoors)
        for (auto& [room, doors] : state.doors.doorResultTable)
            for (auto& [door, value] : doors) value = numbers.doors[Index(door)];
}

// The items the placement rules name: the only ones whose places decide
// whether a deal passes.
std::set<int> RuleItems(const ItemSlotTable& table, const std::vector<int>& pinned)
{
    std::set<int> items(pinned.begin(), pinned.end());
    for (const auto& [key, lists] : table.requirements)
        for (const auto& [number, list] : lists) items.insert(list.begin(), list.end());
    for (const auto& [item, keys] : table.forbiddenLocations) items.insert(item);
    std::erase_if(items, [](int item) { return item < 0 || item >= kSlotCount; });
    return items;
}

// Whether the final items can have come from a deal that passes the
// placement rules, the generator's own test: every slot holds its dealt item
// or what a pool option made of it. Where an option may have replaced an
// item the rules name (the swap takes the Broken Shotgun), each slot it may
// have lain in is tried. `passing` gets such a deal.
constexpr std::size_t kMostDealsTried = 4096;

bool SomeDealPasses(const Settings& settings, const ItemSlotTable& table, const std::vector<int>& final,
                    std::vector<int>& passing, Problems& problems)
{
    // The dealt items each slot's final item may have come from.
    std::vector<std::set<int>> outcomes(kSlotCount);
    for (int item = 0; item < kSlotCount; ++item) outcomes[Index(item)] = PoolOutcomes(settings, table.itemNames, item);
    const auto mayHaveHeld = [&](int slot, int dealt) { return outcomes[Index(dealt)].contains(final[Index(slot)]); };

    const std::vector<int> pinned = PinnedSlots(settings);
    for (const int slot : pinned) {
        if (!mayHaveHeld(slot, slot)) {
            Report(problems, "pinned slot ", slot, " holds item ", final[Index(slot)], ", not its own");
            return false;
        }
    }
    std::vector<std::pair<int, std::vector<int>>> places; // rule item -> the slots it may lie in
    std::size_t deals = 1;
    for (const int item : RuleItems(table, pinned)) {
        std::vector<int> slots;
        if (std::find(pinned.begin(), pinned.end(), item) != pinned.end()) slots = {item};
        else
            for (int slot = 0; slot < kSlotCount; ++slot)
                if (mayHaveHeld(slot, item)) slots.push_back(slot);
        if (slots.empty()) {
            Report(problems, "item ", item, " (", table.itemNames[Index(item)],
                   ") lies in no slot: the game cannot be finished");
            return false;
        }
        deals = std::min(deals * slots.size(), kMostDealsTried + 1);
        places.emplace_back(item, std::move(slots));
    }
    if (deals > kMostDealsTried) {
        Report(problems, "the items the rules name could lie in more than ", kMostDealsTried,
               " ways: too many to try");
        return false;
    }

    const auto rules = std::make_unique<ItemRules>(table);
    std::vector<std::size_t> choice(places.size(), 0);
    for (std::size_t tried = 0; tried < deals; ++tried) {
        // The rule items where this choice puts them, the others anywhere.
        SlotAssignment deal{};
        deal.fill(-1);
        std::vector<bool> placed(kSlotCount, false);
        bool clash = false;
        for (std::size_t i = 0; i < places.size(); ++i) {
            const int slot = places[i].second[choice[i]];
            clash = clash || deal[Index(slot)] >= 0;
            deal[Index(slot)] = places[i].first;
            placed[Index(places[i].first)] = true;
        }
        int next = 0;
        for (int& item : deal) {
            if (item >= 0) continue;
            while (placed[Index(next)]) ++next;
            item = next;
            placed[Index(next)] = true;
        }
        if (!clash && PlacementValidator(*rules).ValidatePlacement(deal)) {
            passing.assign(deal.begin(), deal.end());
            return true;
        }
        for (std::size_t i = 0; i < choice.size() && ++choice[i] == places[i].second.size(); ++i) choice[i] = 0;
    }
    Report(problems, "the items fail the placement rules: the game cannot be finished");
    return false;
}

} // namespace

ItemListVerdict VerifyItemList(const Settings& settings, std::string_view itemListFile)
{
    ItemListVerdict verdict;
    Problems problems;
    const std::optional<ItemListNumbers> numbers = ReadItemList(settings, itemListFile, problems);
    if (!numbers) {
        verdict.kind = ItemListVerdict::Kind::NotAnItemList;
        verdict.reason = problems.front();
        return verdict;
    }
    CheckSlotRanges(numbers->slots, problems);
    CheckLocks(settings, numbers->locks, problems);
    CheckEnemies(settings, numbers->enemies, problems);
    if (problems.empty()) {
        StateFromFile(settings, *numbers, verdict.state);
        CheckDoors(settings, verdict.state, numbers->doors, problems);
    }
    if (problems.empty() && settings.randomizeItems && !settings.randomizeDoors) {
        std::vector<int> deal;
        if (SomeDealPasses(settings, verdict.state.itemSlotTable, numbers->slots, deal, problems))
            verdict.sphereCount = PlaythroughOfPlacement(verdict.state.itemSlotTable, deal).SphereCount();
    } else if (problems.empty()) {
        // Items in place, or door mode's fixed rules: the deal is known or has no reachability to test.
        std::vector<int> identity;
        for (int slot = 0; slot < kSlotCount; ++slot) identity.push_back(slot);
        if (!settings.randomizeItems) CheckPoolRewrite(settings, verdict.state, identity, numbers->slots, problems);
        else if (!AnyPoolModifier(settings)) CheckDoorModeDeal(settings, numbers->slots, problems);
    }
    verdict.kind = problems.empty() ? ItemListVerdict::Kind::Finishable : ItemListVerdict::Kind::NotFinishable;
    if (!problems.empty()) verdict.reason = problems.front();
    return verdict;
}

std::vector<std::string> CheckGameInvariants(const Settings& settings, const GeneratorState& state,
                                             std::string_view itemListFile, const std::vector<int>* dealtAssignment)
{
    Problems problems;
    const std::optional<ItemListNumbers> file = ReadItemList(settings, itemListFile, problems);
    if (file) {
        CheckFileAgainstState(settings, state, *file, problems);
        CheckItems(settings, state, file->slots, dealtAssignment, problems);
        CheckEnemies(settings, file->enemies, problems);
        CheckDoors(settings, state, file->doors, problems);
        CheckLocks(settings, file->locks, problems);
    }
    if (problems.size() > kMaxProblems) {
        const std::size_t more = problems.size() - kMaxProblems;
        problems.resize(kMaxProblems);
        problems.push_back("and " + std::to_string(more) + " more");
    }
    return problems;
}

Settings WithoutPoolOptions(const Settings& settings)
{
    Settings plain = settings;
    plain.removeHealingItems = false;
    plain.removeAmmo = false;
    plain.removeInkRibbons = false;
    plain.removeDefenceItems = false;
    plain.swapWithSelfDefenseGun = false;
    plain.fuelCapsuleArmed = false;
    return plain;
}

} // namespace tarvenna
