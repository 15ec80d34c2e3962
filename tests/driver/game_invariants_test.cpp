#include "driver/game_invariants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>

#include "doors/door_data.h"
#include "enemies/room_enemy_table.h"
#include "items/door_mode_placement_data.h"
#include "items/item_shuffle.h"
#include "items/pool_groups.h"
#include "items/pool_modifiers.h"
#include "locks/lock_data.h"
#include "output/item_list_file.h"
#include "output/output_test_support.h"

namespace tarvenna {
namespace {

// A finished game as the checker sees it: the state, its item list file and,
// with pool options, the items dealt before them.
struct Game {
    Settings settings;
    GeneratorState state;
    std::string file;
    std::vector<int> dealt;
};

struct GameCase {
    const char* name;
    std::uint32_t seed;
    std::function<void(Settings&)> configure;
};

// Seeds that finish quickly in a Debug build, in every kind of game.
const GameCase kGames[] = {
    {"jill", 1, [](Settings&) {}},
    {"chris hard locks", 3,
     [](Settings& s) {
         s.character = Character::Chris;
         s.difficulty = Difficulty::Hard;
         s.randomizeLocks = true;
     }},
    {"jill locks", 1, [](Settings& s) { s.randomizeLocks = true; }},
    {"chris locks and pool", 3,
     [](Settings& s) {
         s.character = Character::Chris;
         s.randomizeLocks = true;
         s.removeInkRibbons = s.removeDefenceItems = s.swapWithSelfDefenseGun = true;
     }},
    {"jill enemies", 2, [](Settings& s) { s.randomizeEnemies = true; }},
    {"jill enemies switched off", 1,
     [](Settings& s) {
         s.randomizeEnemies = true;
         s.tyrantSpawns = s.lisaSpawns = SpawnCount::None;
         s.yawnSpawns = SpawnCount::Many;
         s.tyrantType = TyrantType::Lab;
         s.allowZombies = s.allowDogs = s.allowBees = s.allowHunters = false;
     }},
    {"jill doors", 1,
     [](Settings& s) {
         s.randomizeDoors = true;
         s.randomizeEnemies = true;
     }},
    {"chris doors and pool", 2,
     [](Settings& s) {
         s.character = Character::Chris;
         s.randomizeDoors = true;
         s.removeHealingItems = s.fuelCapsuleArmed = true;
     }},
    {"no items and pool", 1,
     [](Settings& s) {
         s.randomizeItems = false;
         s.removeDefenceItems = s.fuelCapsuleArmed = true;
     }},
    {"every pool option", 1,
     [](Settings& s) {
         s.removeHealingItems = s.removeAmmo = s.removeInkRibbons = s.removeDefenceItems = true;
         s.swapWithSelfDefenseGun = s.fuelCapsuleArmed = true;
     }},
};

class GameInvariants : public ScratchFolderTest {
protected:
    static Settings SettingsOf(const GameCase& c)
    {
        Settings settings;
        c.configure(settings);
        return settings;
    }

    // Each game is made once and copied for every fault put into it.
    const Game& Made(const std::string& name)
    {
        static std::map<std::string, Game> games;
        if (const auto found = games.find(name); found != games.end()) return found->second;
        const auto c =
            std::find_if(std::begin(kGames), std::end(kGames), [&](const GameCase& g) { return g.name == name; });
        if (c == std::end(kGames)) throw std::logic_error("no game " + name);
        Game game;
        game.settings = SettingsOf(*c);
        auto run = [&](const Settings& settings, GeneratorState& state) {
            StatusLog log;
            RunOptions options;
            options.seed = c->seed;
            options.outputDirectory = folder_;
            const GenerateResult result = GenerateSeed(settings, options, state, log);
            if (result.stopped || result.outputFailed) throw std::runtime_error("no game: " + log.Text());
            return Read(folder_ / ItemListFileName(settings));
        };
        game.file = run(game.settings, game.state);
        if (game.settings.randomizeItems && AnyPoolModifier(game.settings)) {
            GeneratorState plain;
            run(WithoutPoolOptions(game.settings), plain);
            game.dealt = plain.slotAssignment;
        }
        return games.emplace(name, std::move(game)).first->second;
    }

    static std::vector<std::string> Check(const Game& game)
    {
        return CheckGameInvariants(game.settings, game.state, game.file, game.dealt.empty() ? nullptr : &game.dealt);
    }
};

std::string Joined(const std::vector<std::string>& problems)
{
    std::string text;
    for (const std::string& problem : problems) text += problem + "\n";
    return text;
}

TEST_F(GameInvariants, RealGamesOfEveryKindHoldThem)
{
    for (const GameCase& c : kGames) {
        SCOPED_TRACE(c.name);
        const CheckedRun run = RunCheckedSeed(SettingsOf(c), c.seed, folder_, 1);
        EXPECT_FALSE(run.gaveUp);
        EXPECT_TRUE(run.problems.empty()) << Joined(run.problems);
    }
}

TEST_F(GameInvariants, ARunThatSearchesPastItsBudgetGivesUpWithoutFiles)
{
    Settings chris;
    chris.character = Character::Chris;
    const CheckedRun run = RunCheckedSeed(chris, 4, folder_, 1, SearchBudget{1, 0});
    EXPECT_TRUE(run.gaveUp);
    // Marks come in bursts: the run stops at a burst that passes the budget.
    EXPECT_GE(run.progressMarks, 2u);
    EXPECT_TRUE(std::filesystem::is_empty(folder_));
}

// ---- Faults put into real games ----

void SetDoor(Game& game, int door, int value)
{
    for (auto& [room, doors] : game.state.doors.doorResultTable)
        if (doors.contains(door)) doors[door] = value;
}

int DoorValue(const Game& game, int door)
{
    for (const auto& [room, doors] : game.state.doors.doorResultTable)
        if (const auto found = doors.find(door); found != doors.end()) return found->second;
    return -2;
}

int FirstLock(const Game& game, const std::function<bool(int lock, int kind)>& wanted)
{
    for (int lock = 0; lock < kLockCount; ++lock)
        if (wanted(lock, game.state.lockKinds[static_cast<std::size_t>(lock)])) return lock;
    throw std::logic_error("no such lock in this game");
}

int FirstSlot(const std::function<bool(int slot)>& wanted)
{
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (wanted(slot)) return slot;
    throw std::logic_error("no such slot in this game");
}

int& SlotItem(Game& game, int slot) { return game.state.slotAssignment[static_cast<std::size_t>(slot)]; }

std::string_view NameOf(const Game& game, int item)
{
    return game.state.itemSlotTable.itemNames[static_cast<std::size_t>(item)];
}

bool InAnyPoolGroup(std::string_view name)
{
    auto in = [name](const auto& group) { return std::find(group.begin(), group.end(), name) != group.end(); };
    return in(kHealingItems) || in(kAmmoItems) || in(kInkItems) || in(kDefenceItems) || in(kSwapOnlyItems) ||
           name.starts_with("Fuel Supply Capsule");
}

bool IsDoorModeFreeSlot(Character character, int slot)
{
    if (slot == (character == Character::Jill ? kJillOnlyFreeSlot : kChrisOnlyFreeSlot)) return true;
    return std::any_of(kDoorModeFreeSlots.begin(), kDoorModeFreeSlots.end(),
                       [slot](const SlotRange& range) { return slot >= range.first && slot <= range.last; });
}

// Two items swapped so that the deal still moves every item once and keeps
// the pins, but the rules reject it.
void BreakThePlacementRules(Game& game)
{
    const std::vector<int> pinned = PinnedSlots(game.settings);
    const auto rules = std::make_unique<ItemRules>(game.state.itemSlotTable);
    for (int a = 0; a < kSlotCount; ++a) {
        for (int b = a + 1; b < kSlotCount; ++b) {
            if (std::count(pinned.begin(), pinned.end(), a) + std::count(pinned.begin(), pinned.end(), b) > 0) continue;
            std::swap(SlotItem(game, a), SlotItem(game, b));
            SlotAssignment deal{};
            std::copy(game.state.slotAssignment.begin(), game.state.slotAssignment.end(), deal.begin());
            if (!std::make_unique<PlacementValidator>(*rules)->ValidatePlacement(deal)) return;
            std::swap(SlotItem(game, a), SlotItem(game, b));
        }
    }
    throw std::logic_error("every swap of two items passes");
}

struct Fault {
    const char* why;
    const char* game;
    std::function<void(Game&)> put;              // into the state, from which the file is written again
    std::function<void(std::string&)> putInFile; // into the file alone
    const char* expected;
};

TEST_F(GameInvariants, EachFaultPutIntoARealGameIsCaught)
{
    const Fault kFaults[] = {
        // The file.
        {"a slot line that is no item", "jill", [](Game& g) { SlotItem(g, 5) = kItemCount; }, nullptr,
         "slot 5 holds 182, which is no item"},
        {"a slot line with a leading zero", "jill", nullptr, [](std::string& f) { f.replace(0, f.find('\r'), "007"); },
         "line 1 (slot 0) reads '007'"},
        {"a bare line feed", "jill", nullptr, [](std::string& f) { f.erase(f.find('\r'), 1); },
         "the item list file has 499 lines"},
        {"no line end after the last line", "jill locks", nullptr, [](std::string& f) { f.resize(f.size() - 2); },
         "does not end with CR LF"},
        {"an enemy line lost", "jill enemies", nullptr,
         [](std::string& f) {
             const std::size_t first = f.find("ENEMYRANDODATA\r\n") + 16;
             f.erase(first, f.find("\r\n", first) + 2 - first);
         },
         "headers at lines 181, 234 and 499"},
        {"a file that is not the state's", "jill", nullptr,
         [](std::string& f) {
             const std::size_t second = f.find("\r\n") + 2;
             const std::size_t third = f.find("\r\n", second) + 2;
             f = f.substr(second, third - second) + f.substr(0, second) + f.substr(third);
         },
         "slot 0: the file holds"},
        {"a door line that is not the state's", "jill doors", nullptr,
         [](std::string& f) { f.insert(f.find("DOORRANDODATA\r\n") + 15, "1"); }, "door 0: the file holds 1"},
        {"an enemy kind with enemies off", "jill", nullptr,
         [](std::string& f) { f.replace(f.find("ENEMYRANDODATA\r\n") + 16, 2, "6"); },
         "a room holds a kind with enemies off"},

        // The items.
        {"an item dealt twice", "jill", [](Game& g) { SlotItem(g, 10) = SlotItem(g, 11); }, nullptr, "into 2 slots"},
        {"a pinned slot given another item", "jill", [](Game& g) { std::swap(SlotItem(g, 90), SlotItem(g, 0)); },
         nullptr, "pinned slot 90 holds item"},
        {"a deal the rules reject", "chris hard locks", BreakThePlacementRules, nullptr,
         "the dealt items fail the placement rules"},
        {"items not randomized, yet moved", "no items and pool", [](Game& g) { SlotItem(g, 3) = 4; }, nullptr,
         "slot 3 holds 4 where item 3 was dealt"},
        {"a removed item left in place", "chris doors and pool",
         [](Game& g) {
             const int slot = FirstSlot([&](int s) {
                 const auto name = NameOf(g, g.dealt[static_cast<std::size_t>(s)]);
                 return std::find(kHealingItems.begin(), kHealingItems.end(), name) != kHealingItems.end();
             });
             SlotItem(g, slot) = g.dealt[static_cast<std::size_t>(slot)];
         },
         nullptr, "the pool options make its dealt item"},
        {"an item outside the pool groups replaced", "chris locks and pool",
         [](Game& g) {
             const int slot =
                 FirstSlot([&](int s) { return !InAnyPoolGroup(NameOf(g, g.dealt[static_cast<std::size_t>(s)])); });
             SlotItem(g, slot) = kJunkItems[0];
         },
         nullptr, " was dealt"},
        {"door mode: a kept slot refilled", "jill doors", [](Game& g) { SlotItem(g, 18) = 50; }, nullptr,
         "door mode: kept slot 18 holds item 50"},
        {"door mode: a group item lost", "jill doors",
         [](Game& g) { SlotItem(g, FirstSlot([&](int s) { return SlotItem(g, s) == kDoorModeGroup1[0]; })) = 50; },
         nullptr, "door mode: item 34 lies in 0 free slots; its groups place it 1 times"},
        {"door mode: a key where only consumables may be", "jill doors",
         [](Game& g) { SlotItem(g, FirstSlot([&](int s) { return SlotItem(g, s) == 50; })) = 3; }, nullptr,
         "door mode: item 3 lies in 1 free slots; its groups place it 0 times "
         "and it is no consumable"},
        {"door mode: a group item in a slot closed to it", "jill doors",
         [](Game& g) {
             const int closed = kClosedToGroup2[0];
             const int open = FirstSlot([&](int s) {
                 const int item = SlotItem(g, s);
                 return IsDoorModeFreeSlot(Character::Jill, s) && item != 0 &&
                        std::find(kDoorModeGroup2.begin(), kDoorModeGroup2.end(), item) != kDoorModeGroup2.end();
             });
             std::swap(SlotItem(g, closed), SlotItem(g, open));
         },
         nullptr, "is closed to item"},

        // The enemies.
        {"an enemy kind that does not exist", "jill enemies",
         [](Game& g) { g.state.roomEnemyTable.begin()->second = {13}; }, nullptr,
         "holds kind 13, which it may not hold"},
        {"a second tyrant", "jill enemies",
         [](Game& g) {
             RoomEnemyTable allowed;
             BuildRoomEnemyTable(allowed);
             for (auto& [room, kinds] : g.state.roomEnemyTable) {
                 const auto& may = allowed[room];
                 if (kinds.front() != kTyrant && std::find(may.begin(), may.end(), kTyrant) != may.end()) {
                     kinds = {kTyrant};
                     return;
                 }
             }
         },
         nullptr, "2 rooms hold the tyrant"},
        {"a switched-off kind where others were left", "jill enemies switched off",
         [](Game& g) { g.state.roomEnemyTable["Main Hall"] = {kHunters}; }, nullptr,
         "Main Hall holds switched-off kind 1"},
        {"the helipad's tyrant where the laboratory's was chosen", "jill enemies switched off",
         [](Game& g) { g.state.roomEnemyTable["Main Hall"] = {kTyrant}; }, nullptr, "a helipad tyrant"},

        // The doors.
        {"two drawn doors swapped", "jill doors",
         [](Game& g) {
             const int first = DoorValue(g, 22);
             SetDoor(g, 22, DoorValue(g, 23));
             SetDoor(g, 23, first);
         },
         nullptr, "door 22 (Main Hall)"},
        {"a door that is never drawn changed", "jill doors", [](Game& g) { SetDoor(g, 85, 84); }, nullptr,
         "door 85 (Small Library) is never drawn but holds 84, not -1"},
        {"door 90 left out of the closing joins", "jill doors", [](Game& g) { SetDoor(g, kReturnedDoor.door, 43); },
         nullptr, "door 90 (East Wing Stairway) was never joined"},
        {"a fixed destination lost", "jill doors", [](Game& g) { SetDoor(g, 139, 159); }, nullptr,
         "door 139 (Fountain) is never drawn but holds 159, not 178"},
        {"a broken map reported by the door stage", "jill doors", [](Game& g) { g.state.doorMapIncomplete = true; },
         nullptr, "the door stage reported a broken map"},

        // The locks.
        {"a lock kind that does not exist", "jill locks", [](Game& g) { g.state.lockKinds[3] = kLockKindCount; },
         nullptr, "lock 3 has kind 16, which is no kind"},
        {"a one-way door reversed outside the flip set", "chris hard locks",
         [](Game& g) {
             const int lock = FirstLock(g, [](int l, int kind) {
                 return (kind == kOneWayDoor || kind == kOneWayOldKeyMix) &&
                        std::find(kFlipSetLocks.begin(), kFlipSetLocks.end(), l) == kFlipSetLocks.end();
             });
             ++g.state.lockKinds[static_cast<std::size_t>(lock)];
         },
         nullptr, "but is not in the flip set"},
        {"a lock kind the game does not have that often", "jill locks",
         [](Game& g) {
             g.state
                 .lockKinds[static_cast<std::size_t>(FirstLock(g, [](int, int kind) { return kind == kArmorKey; }))] =
                 4;
         },
         nullptr, "(flips undone) are not the game's"},
        {"a deal the lock rules reject", "chris hard locks",
         [](Game& g) {
             const int keyLock = FirstLock(g, [](int, int kind) { return kind == kArmorKey; });
             std::swap(g.state.lockKinds[30], g.state.lockKinds[static_cast<std::size_t>(keyLock)]);
         },
         nullptr, "the lock kinds fail the lock rules"},
    };

    for (const Fault& fault : kFaults) {
        SCOPED_TRACE(fault.why);
        Game game = Made(fault.game);
        ASSERT_EQ(Check(game), std::vector<std::string>{}) << "the game holds the invariants before the fault";
        if (fault.put) {
            fault.put(game);
            game.file = ItemListText(game.settings, game.state);
        }
        if (fault.putInFile) fault.putInFile(game.file);
        const std::vector<std::string> problems = Check(game);
        EXPECT_TRUE(std::any_of(problems.begin(), problems.end(),
                                [&](const std::string& p) { return p.find(fault.expected) != std::string::npos; }))
            << "expected: " << fault.expected << "\ngot:\n"
            << Joined(problems);
    }
}

} // namespace
} // namespace tarvenna
