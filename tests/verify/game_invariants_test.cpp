#include "verify/game_invariants.h"

#include "support/checked_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <functional>
#include <map>
#include <string>

#include "app/command_line.h"
#include "items/item_shuffle.h"
#include "items/item_slot_data.h"
#include "items/pool_groups.h"
#include "items/pool_modifiers.h"
#include "locks/lock_data.h"
#include "output/item_list_file.h"
#include "support/locks.h"
#include "support/scratch_folder.h"

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
    {"chris hard locks", 3, [](Settings& s) { s = LockSettings(Character::Chris, Difficulty::Hard); }},
    {"jill enemies", 2, [](Settings& s) { s.randomizeEnemies = true; }},
    {"jill doors", 1, [](Settings& s) { s.randomizeDoors = s.randomizeEnemies = true; }},
    {"every pool option", 1,
     [](Settings& s) {
         s.removeHealingItems = s.removeAmmo = s.removeInkRibbons = s.removeDefenceItems = true;
         s.swapWithSelfDefenseGun = s.fuelCapsuleArmed = true;
     }},
};

std::string Joined(const std::vector<std::string>& lines, const char* end = "\n")
{
    std::string text;
    for (const std::string& line : lines) text += line + end;
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
            GeneratedGame made = GenerateGame(settings, c.seed, folder_);
            if (made.result.stopped || made.result.outputFailed) throw std::runtime_error("no game: " + made.log);
            state = std::move(made.state);
            return Read(folder_ / ItemListFileName(settings));
        };
        Game game;
        c.configure(game.settings);
        game.file = run(game.settings, game.state);
        if (AnyPoolModifier(game.settings)) {
            GeneratorState plain;
            run(WithoutPoolOptions(game.settings), plain);
            game.dealt = plain.slotAssignment;
        }
        return games.emplace(name, std::move(game)).first->second;
    }
};

TEST_F(GameInvariants, ARunThatSearchesPastItsBudgetGivesUpWithoutFiles)
{
    const CheckedRun run = RunCheckedSeed({.character = Character::Chris}, 4, folder_, 1, SearchBudget{1, 0});
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

// Real games of every kind hold them, and each fault put into one is caught.
TEST_F(GameInvariants, RealGamesHoldThemAndEachFaultPutIntoOneIsCaught)
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

// A reference case: its settings and its item list file.
struct ReferenceFile {
    std::string name;
    Settings settings;
    std::string file;
};

std::vector<ReferenceFile> ReferenceFiles()
{
    const std::filesystem::path golden = std::filesystem::path(TARVENNA_TEST_DATA_DIR) / "golden";
    std::ifstream cases(golden / "cases.tsv");
    std::vector<ReferenceFile> files;
    for (std::string line; std::getline(cases, line);) {
        const std::size_t tab = line.find('\t');
        const std::string name = line.substr(0, tab);
        std::vector<std::string> arguments;
        std::istringstream flags(line.substr(line.find('\t', tab + 1) + 1));
        for (std::string word; flags >> word;) arguments.push_back(word);
        const Settings settings = ParseCommandLine(arguments).commandLine->settings;
        files.push_back({name, settings, ReadFile(golden / name / ItemListFileName(settings))});
    }
    return files;
}

std::vector<std::string> Lines(const std::string& file)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < file.size();) {
        const std::size_t end = file.find("\r\n", start);
        lines.push_back(file.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The first slot whose rule needs one item above all, and that item, neither pinned.
std::pair<int, int> SlotAndItsKey(const Settings& settings)
{
    const GeneratorState state = TablesOf(settings, 1);
    const ItemSlotTable& table = state.itemSlotTable;
    const std::vector<int> pinned = PinnedSlots(settings);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const auto rule = table.requirements.find(table.locationKeys[static_cast<std::size_t>(slot)]);
        if (rule == table.requirements.end() || !rule->second.contains(0) || rule->second.at(0).empty()) continue;
        const int key = rule->second.at(0).front();
        const auto isPinned = [&](int which) { return std::find(pinned.begin(), pinned.end(), which) != pinned.end(); };
        if (key < kSlotCount && !isPinned(slot) && !isPinned(key)) return {slot, key};
    }
    return {-1, -1};
}

// A file from anywhere: every reference game is one that can be finished,
// and each fault put into one by hand gets its verdict and names itself.
TEST(VerifyItemList, ReferenceGamesAreFinishableAndBrokenCopiesAreNot)
{
    const std::vector<ReferenceFile> references = ReferenceFiles();
    ASSERT_GE(references.size(), 60u);
    for (const ReferenceFile& reference : references) {
        const ItemListVerdict verdict = VerifyItemList(reference.settings, reference.file);
        EXPECT_EQ(verdict.kind, ItemListVerdict::Kind::Finishable) << reference.name << ": " << verdict.reason;
        EXPECT_EQ(verdict.sphereCount > 0, reference.settings.randomizeItems && !reference.settings.randomizeDoors)
            << reference.name;
    }
    const auto find = [&](const char* name) {
        return *std::find_if(references.begin(), references.end(), [&](const ReferenceFile& r) { return r.name == name; });
    };

    using Kind = ItemListVerdict::Kind;
    const struct {
        const char* why;
        const char* game;
        std::function<void(std::vector<std::string>&, const Settings&)> put;
        Kind kind;
        const char* reason;
    } kBroken[] = {
        {"a key behind its own lock", "jill-normal-1",
         [](std::vector<std::string>& lines, const Settings& settings) {
             const auto [slot, key] = SlotAndItsKey(settings);
             std::swap(*std::find(lines.begin(), lines.begin() + kSlotCount, std::to_string(key)),
                       lines[static_cast<std::size_t>(slot)]);
         },
         Kind::NotFinishable, "the items fail the placement rules"},
        {"a one-way door", "doors-jill-1",
         [](std::vector<std::string>& lines, const Settings&) { lines[299] = std::to_string(std::stoi(lines[299]) + 1); },
         Kind::NotFinishable, "to lead back"},
        {"a slot out of range", "locks-chris-1", [](std::vector<std::string>& lines, const Settings&) { lines[7] = "182"; },
         Kind::NotFinishable, "slot 7 holds 182, which is no item"},
        {"a key item missing", "chris-normal-1",
         [](std::vector<std::string>& lines, const Settings& settings) {
             const std::string key = std::to_string(SlotAndItsKey(settings).second);
             *std::find(lines.begin(), lines.begin() + kSlotCount, key) = key == lines[0] ? lines[1] : lines[0];
         },
         Kind::NotFinishable, "lies in no slot"},
        {"a file cut short", "jill-hard-1", [](std::vector<std::string>& lines, const Settings&) { lines.resize(300); },
         Kind::NotAnItemList, "the item list file has 300 lines"},
        {"a word for a number", "pool-all-1", [](std::vector<std::string>& lines, const Settings&) { lines[2] = "two"; },
         Kind::NotAnItemList, "line 3 (slot 2) reads 'two'"},
    };
    for (const auto& broken : kBroken) {
        SCOPED_TRACE(broken.why);
        const ReferenceFile reference = find(broken.game);
        std::vector<std::string> lines = Lines(reference.file);
        broken.put(lines, reference.settings);
        const ItemListVerdict verdict = VerifyItemList(reference.settings, Joined(lines, "\r\n"));
        EXPECT_EQ(verdict.kind, broken.kind) << verdict.reason;
        EXPECT_NE(verdict.reason.find(broken.reason), std::string::npos) << verdict.reason;
    }
    // Not even text lines: any bytes get an answer.
    EXPECT_EQ(VerifyItemList(Settings{}, std::string("\0\xff\r\n", 4)).kind, Kind::NotAnItemList);
}

} // namespace
} // namespace tarvenna
