#include "driver/game_invariants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>

#include "items/item_slot_data.h"
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

// Seeds that finish quickly in a Debug build.
const GameCase kGames[] = {
    {"jill", 1, [](Settings&) {}},
    {"chris hard locks", 3,
     [](Settings& s) {
         s.character = Character::Chris;
         s.difficulty = Difficulty::Hard;
         s.randomizeLocks = true;
     }},
    {"jill enemies", 2, [](Settings& s) { s.randomizeEnemies = true; }},
    {"jill doors", 1, [](Settings& s) { s.randomizeDoors = s.randomizeEnemies = true; }},
    {"every pool option", 1,
     [](Settings& s) {
         s.removeHealingItems = s.removeAmmo = s.removeInkRibbons = s.removeDefenceItems = true;
         s.swapWithSelfDefenseGun = s.fuelCapsuleArmed = true;
     }},
};

Settings SettingsOf(const GameCase& c)
{
    Settings settings;
    c.configure(settings);
    return settings;
}

std::string Joined(const std::vector<std::string>& problems)
{
    std::string text;
    for (const std::string& problem : problems) text += problem + "\n";
    return text;
}

class GameInvariants : public ScratchFolderTest {
protected:
    // Each game is made once and copied for every fault put into it.
    const Game& Made(const std::string& name)
    {
        static std::map<std::string, Game> games;
        if (const auto found = games.find(name); found != games.end()) return found->second;
        const GameCase& c =
            *std::find_if(std::begin(kGames), std::end(kGames), [&](const GameCase& g) { return g.name == name; });
        auto run = [&](const Settings& settings, GeneratorState& state) {
            StatusLog log;
            RunOptions options;
            options.seed = c.seed;
            options.outputDirectory = folder_;
            const GenerateResult result = GenerateSeed(settings, options, state, log);
            if (result.stopped || result.outputFailed) throw std::runtime_error("no game: " + log.Text());
            return Read(folder_ / ItemListFileName(settings));
        };
        Game game;
        game.settings = SettingsOf(c);
        game.file = run(game.settings, game.state);
        if (AnyPoolModifier(game.settings)) {
            GeneratorState plain;
            run(WithoutPoolOptions(game.settings), plain);
            game.dealt = plain.slotAssignment;
        }
        return games.emplace(name, std::move(game)).first->second;
    }
};

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

int& Slot(Game& g, int slot) { return g.state.slotAssignment[static_cast<std::size_t>(slot)]; }

void SetDoor(Game& g, int door, int value)
{
    for (auto& [room, doors] : g.state.doors.doorResultTable)
        if (doors.contains(door)) doors[door] = value;
}

int& FirstLockOfKind(Game& g, int kind) { return *std::find(g.state.lockKinds.begin(), g.state.lockKinds.end(), kind); }

TEST_F(GameInvariants, EachFaultPutIntoARealGameIsCaught)
{
    const struct {
        const char* why;
        const char* game;
        std::function<void(Game&)> put; // into the state; the file is written again from it
        const char* expected;
    } kFaults[] = {
        {"a slot that holds no item", "jill", [](Game& g) { Slot(g, 5) = kItemCount; },
         "slot 5 holds 182, which is no item"},
        {"an item dealt twice", "jill", [](Game& g) { Slot(g, 10) = Slot(g, 11); }, "into 2 slots"},
        {"a pinned slot given another item", "jill", [](Game& g) { std::swap(Slot(g, 90), Slot(g, 0)); },
         "pinned slot 90 holds item"},
        {"a removed item left in place", "every pool option",
         [](Game& g) {
             for (int slot = 0; slot < kSlotCount; ++slot) {
                 const int dealt = g.dealt[static_cast<std::size_t>(slot)];
                 const auto name = g.state.itemSlotTable.itemNames[static_cast<std::size_t>(dealt)];
                 if (std::find(kHealingItems.begin(), kHealingItems.end(), name) == kHealingItems.end()) continue;
                 Slot(g, slot) = dealt;
                 return;
             }
         },
         "the pool options make its dealt item"},
        {"an enemy kind the room may not hold", "jill enemies",
         [](Game& g) { g.state.roomEnemyTable.begin()->second = {13}; }, "holds kind 13, which it may not hold"},
        {"two drawn doors swapped one way only", "jill doors",
         [](Game& g) {
             int first = -2;
             int second = -2;
             for (const auto& [room, doors] : g.state.doors.doorResultTable) {
                 if (doors.contains(22)) first = doors.at(22);
                 if (doors.contains(23)) second = doors.at(23);
             }
             SetDoor(g, 22, second);
             SetDoor(g, 23, first);
         },
         "door 22 (Main Hall)"},
        {"a door that is never drawn changed", "jill doors", [](Game& g) { SetDoor(g, 85, 84); },
         "door 85 (Small Library) is never drawn but holds 84, not -1"},
        {"a lock kind that does not exist", "chris hard locks", [](Game& g) { g.state.lockKinds[3] = kLockKindCount; },
         "lock 3 has kind 16, which is no kind"},
        {"a lock kind the game does not have that often", "chris hard locks",
         [](Game& g) { FirstLockOfKind(g, kArmorKey) = 4; }, "(flips undone) are not the game's"},
    };

    for (const auto& fault : kFaults) {
        SCOPED_TRACE(fault.why);
        Game game = Made(fault.game);
        const auto dealt = game.dealt.empty() ? nullptr : &game.dealt;
        ASSERT_EQ(CheckGameInvariants(game.settings, game.state, game.file, dealt), std::vector<std::string>{})
            << "the game holds the invariants before the fault";
        fault.put(game);
        game.file = ItemListText(game.settings, game.state);
        const std::vector<std::string> problems = CheckGameInvariants(game.settings, game.state, game.file, dealt);
        EXPECT_TRUE(std::any_of(problems.begin(), problems.end(),
                                [&](const std::string& p) { return p.find(fault.expected) != std::string::npos; }))
            << "expected: " << fault.expected << "\ngot:\n"
            << Joined(problems);
    }
}

} // namespace
} // namespace tarvenna
