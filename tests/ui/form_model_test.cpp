#include "ui/form_model.h"

#include <array>
#include <cstring>
#include <deque>
#include <set>
#include <vector>

#include <gtest/gtest.h>

namespace tarvenna {
namespace {

using namespace control_id;

constexpr std::array kEnemyControls = {kTyrantOne,    kTyrantMany, kTyrantNone, kYawnOne,    kYawnMany,
                                       kYawnNone,     kLisaOne,    kLisaMany,   kLisaNone,   kTyrantHelipad,
                                       kTyrantLab,    kTyrantRandom, kZombies,  kDogs,       kHunters,
                                       kSpiders,      kSharks,     kBees,       kChimera,    kElderCrimsonHeads};

constexpr std::array kRadioGroups = {std::array{kJill, kChris, 0},           std::array{kNormal, kHard, 0},
                                     std::array{kTyrantOne, kTyrantMany, kTyrantNone},
                                     std::array{kYawnOne, kYawnMany, kYawnNone},
                                     std::array{kLisaOne, kLisaMany, kLisaNone},
                                     std::array{kTyrantHelipad, kTyrantLab, kTyrantRandom}};

// Checked and enabled state of every input: what the window shows.
std::vector<bool> Snapshot(const FormModel& form)
{
    std::vector<bool> snapshot;
    for (int id : FormModel::Inputs()) {
        snapshot.push_back(form.IsChecked(id));
        snapshot.push_back(form.IsEnabled(id));
    }
    return snapshot;
}

int CheckedInGroup(const FormModel& form, const std::array<int, 3>& group)
{
    int checked = 0;
    for (int id : group) checked += id != 0 && form.IsChecked(id) ? 1 : 0;
    return checked;
}

TEST(FormModel, OpensWithTheDefaultSettingsAndTheEnemyOptionsDisabled)
{
    const FormModel form;
    EXPECT_EQ(form.CollectSettings(), Settings{});
    for (int id : FormModel::Inputs()) {
        const bool enemyControl = std::find(kEnemyControls.begin(), kEnemyControls.end(), id) != kEnemyControls.end();
        EXPECT_EQ(form.IsEnabled(id), !enemyControl) << "control " << id;
    }
    for (int id : kEnemyControls) {
        const bool chosenAtOpen = id != kTyrantMany && id != kTyrantNone && id != kYawnMany && id != kYawnNone &&
                                  id != kLisaMany && id != kLisaNone && id != kTyrantLab && id != kTyrantRandom;
        EXPECT_EQ(form.IsChecked(id), chosenAtOpen) << "control " << id;
    }
    EXPECT_FALSE(form.InputsDisabledForGood());
}

TEST(FormModel, EveryInputFeedsItsOwnSettingsField)
{
    FormModel form;
    for (int id : {kEnemies, kChris, kHard, kHealingItems, kAmmo, kInkRibbons, kDefenceItems, kSwapWithSelfDefenseGun,
                   kFuelCapsuleArmed, kTyrantNone, kYawnMany, kLisaNone, kTyrantRandom, kZombies, kDogs, kHunters,
                   kSpiders, kSharks, kBees, kChimera, kElderCrimsonHeads, kItems}) {
        EXPECT_TRUE(form.Click(id)) << "control " << id;
    }
    Settings expected;
    expected.character = Character::Chris;
    expected.difficulty = Difficulty::Hard;
    expected.randomizeItems = false;
    expected.randomizeEnemies = true;
    expected.removeHealingItems = expected.removeAmmo = expected.removeInkRibbons = expected.removeDefenceItems = true;
    expected.swapWithSelfDefenseGun = expected.fuelCapsuleArmed = true;
    expected.tyrantSpawns = SpawnCount::None;
    expected.yawnSpawns = SpawnCount::Many;
    expected.lisaSpawns = SpawnCount::None;
    expected.tyrantType = TyrantType::Random;
    expected.allowZombies = expected.allowDogs = expected.allowHunters = expected.allowSpiders = false;
    expected.allowSharks = expected.allowBees = expected.allowChimera = expected.allowElderCrimsonHeads = false;
    EXPECT_EQ(form.CollectSettings(), expected);

    form.Click(kTyrantLab);
    EXPECT_EQ(form.CollectSettings().tyrantType, TyrantType::Lab);
    form.Click(kTyrantHelipad);
    EXPECT_EQ(form.CollectSettings().tyrantType, TyrantType::Helipad);
    form.Click(kDoors);
    EXPECT_TRUE(form.CollectSettings().randomizeDoors);
    form.Click(kDoors);
    form.Click(kLocks);
    EXPECT_TRUE(form.CollectSettings().randomizeLocks);
}

TEST(FormModel, EnemiesEnablesItsOptionsAndUncheckingKeepsTheChoices)
{
    FormModel form;
    ASSERT_FALSE(form.Click(kTyrantMany)); // disabled at open

    ASSERT_TRUE(form.Click(kEnemies));
    for (int id : kEnemyControls) EXPECT_TRUE(form.IsEnabled(id)) << "control " << id;
    form.Click(kTyrantMany);
    form.Click(kLisaNone);
    form.Click(kTyrantLab);
    form.Click(kSharks);
    const Settings chosen = form.CollectSettings();

    form.Click(kEnemies);
    for (int id : kEnemyControls) EXPECT_FALSE(form.IsEnabled(id)) << "control " << id;
    Settings off = chosen;
    off.randomizeEnemies = false;
    EXPECT_EQ(form.CollectSettings(), off);

    form.Click(kEnemies);
    EXPECT_EQ(form.CollectSettings(), chosen);
    EXPECT_TRUE(form.IsChecked(kTyrantMany));
    EXPECT_FALSE(form.IsChecked(kSharks));
}

TEST(FormModel, DoorsWhileHardSwitchesToNormalAndLeavesItThere)
{
    FormModel form;
    form.Click(kHard);
    form.Click(kDoors);
    EXPECT_TRUE(form.IsChecked(kNormal));
    EXPECT_FALSE(form.IsChecked(kHard));
    EXPECT_FALSE(form.IsEnabled(kHard));
    EXPECT_FALSE(form.Click(kHard));

    form.Click(kDoors);
    EXPECT_TRUE(form.IsEnabled(kHard));
    EXPECT_TRUE(form.IsChecked(kNormal));
    EXPECT_EQ(form.CollectSettings().difficulty, Difficulty::Normal);
}

TEST(FormModel, DoorsChecksItemsAndUncheckingDoorsLeavesItemsCheckedButFree)
{
    FormModel form;
    form.Click(kItems);
    ASSERT_FALSE(form.IsChecked(kItems));
    form.Click(kDoors);
    EXPECT_TRUE(form.IsChecked(kItems));
    EXPECT_FALSE(form.IsEnabled(kItems));
    EXPECT_FALSE(form.Click(kItems));

    form.Click(kDoors);
    EXPECT_TRUE(form.IsChecked(kItems));
    EXPECT_TRUE(form.IsEnabled(kItems));
    EXPECT_TRUE(form.Click(kItems));
    EXPECT_FALSE(form.IsChecked(kItems));
}

TEST(FormModel, DoorAndLockModeShutEachOtherOut)
{
    FormModel form;
    form.Click(kDoors);
    EXPECT_FALSE(form.IsEnabled(kLocks));
    EXPECT_FALSE(form.Click(kLocks));
    EXPECT_FALSE(form.IsChecked(kLocks));
    form.Click(kDoors);
    EXPECT_TRUE(form.IsEnabled(kLocks));

    form.Click(kItems);
    form.Click(kLocks);
    EXPECT_TRUE(form.IsChecked(kItems));
    EXPECT_FALSE(form.IsEnabled(kItems));
    EXPECT_FALSE(form.IsEnabled(kDoors));
    EXPECT_FALSE(form.Click(kDoors));
    EXPECT_TRUE(form.IsEnabled(kHard)); // lock mode runs on Hard too
    EXPECT_TRUE(form.Click(kHard));

    form.Click(kLocks);
    for (int id : {kItems, kLocks, kDoors}) EXPECT_TRUE(form.IsEnabled(id)) << "control " << id;
    EXPECT_TRUE(form.IsChecked(kItems));
    EXPECT_TRUE(form.IsChecked(kHard));
}

TEST(FormModel, RulesLeaveTheCharacterThePoolAndTheSpecialOptionsAlone)
{
    FormModel form;
    for (int id : {kChris, kHealingItems, kInkRibbons, kFuelCapsuleArmed}) form.Click(id);
    const std::array untouched = {kJill, kChris, kHealingItems, kAmmo, kInkRibbons, kDefenceItems,
                                  kSwapWithSelfDefenseGun, kFuelCapsuleArmed};
    std::vector<bool> before;
    for (int id : untouched) before.push_back(form.IsChecked(id));

    for (int id : {kEnemies, kDoors, kDoors, kLocks, kLocks, kEnemies}) {
        ASSERT_TRUE(form.Click(id));
        std::vector<bool> now;
        for (int other : untouched) {
            now.push_back(form.IsChecked(other));
            EXPECT_TRUE(form.IsEnabled(other)) << "control " << other << " after clicking " << id;
        }
        EXPECT_EQ(now, before) << "after clicking " << id;
    }
}

TEST(FormModel, ClickingTheChosenRadioOrANonInputDoesNothing)
{
    FormModel form;
    const std::vector<bool> atOpen = Snapshot(form);
    EXPECT_FALSE(form.Click(kJill));
    EXPECT_FALSE(form.Click(kNormal));
    for (int id : {kGenerate, kStatusLog, kVersion, kCompletionNotice, kSeed, kOutputFolder, 0, 999, 5000}) {
        EXPECT_FALSE(form.Click(id)) << "control " << id;
    }
    EXPECT_EQ(Snapshot(form), atOpen);
}

// Every state that clicks can reach, from the dialog's opening state.
std::vector<FormModel> ReachableForms()
{
    // The pool boxes and the other enemy choices take part in no rule, and
    // each stands for the others of its kind.
    const std::array clickable = {kItems, kEnemies, kDoors, kLocks, kJill, kChris, kNormal, kHard,
                                  kAmmo,  kZombies, kTyrantOne, kTyrantNone};
    std::vector<FormModel> reached{FormModel{}};
    std::set<std::vector<bool>> seen{Snapshot(reached.front())};
    std::deque<FormModel> queue{reached.front()};
    while (!queue.empty()) {
        const FormModel form = queue.front();
        queue.pop_front();
        for (int id : clickable) {
            FormModel next = form;
            if (!next.Click(id)) continue;
            if (seen.insert(Snapshot(next)).second) {
                reached.push_back(next);
                queue.push_back(next);
            }
        }
    }
    return reached;
}

TEST(FormModel, EveryReachableStateKeepsTheDriversInvariants)
{
    const std::vector<FormModel> forms = ReachableForms();
    for (const FormModel& form : forms) {
        const Settings s = form.CollectSettings();
        EXPECT_STREQ(SettingsConflict(s), "");
        for (const auto& group : kRadioGroups) EXPECT_EQ(CheckedInGroup(form, group), 1);

        EXPECT_EQ(form.IsEnabled(kHard), !s.randomizeDoors);
        EXPECT_EQ(form.IsEnabled(kItems), !s.randomizeDoors && !s.randomizeLocks);
        EXPECT_EQ(form.IsEnabled(kLocks), !s.randomizeDoors);
        EXPECT_EQ(form.IsEnabled(kDoors), !s.randomizeLocks);
        for (int id : kEnemyControls) EXPECT_EQ(form.IsEnabled(id), s.randomizeEnemies);
        for (int id : {kJill, kChris, kNormal, kEnemies, kAmmo, kGenerate, kSeed, kOutputFolder}) {
            EXPECT_TRUE(form.IsEnabled(id));
        }
    }
}

TEST(FormModel, EveryConsistentCombinationOfModesCanBeReached)
{
    std::set<std::array<bool, 6>> reached;
    for (const FormModel& form : ReachableForms()) {
        const Settings s = form.CollectSettings();
        reached.insert({s.difficulty == Difficulty::Hard, s.randomizeItems, s.randomizeEnemies, s.randomizeDoors,
                        s.randomizeLocks, s.character == Character::Chris});
    }
    int consistent = 0;
    for (int bits = 0; bits < 64; ++bits) {
        Settings s;
        s.difficulty = (bits & 1) != 0 ? Difficulty::Hard : Difficulty::Normal;
        s.randomizeItems = (bits & 2) != 0;
        s.randomizeEnemies = (bits & 4) != 0;
        s.randomizeDoors = (bits & 8) != 0;
        s.randomizeLocks = (bits & 16) != 0;
        s.character = (bits & 32) != 0 ? Character::Chris : Character::Jill;
        if (SettingsConflict(s)[0] != '\0') continue;
        ++consistent;
        EXPECT_TRUE(reached.count({s.difficulty == Difficulty::Hard, s.randomizeItems, s.randomizeEnemies,
                                   s.randomizeDoors, s.randomizeLocks, s.character == Character::Chris}))
            << "combination " << bits;
    }
    EXPECT_EQ(static_cast<int>(reached.size()), consistent);
}

TEST(FormModel, AfterGenerateNothingCanBeChangedAgain)
{
    for (FormModel form : ReachableForms()) {
        const Settings before = form.CollectSettings();
        form.DisableInputsForGood();
        EXPECT_TRUE(form.InputsDisabledForGood());
        for (int id : FormModel::Inputs()) {
            EXPECT_FALSE(form.IsEnabled(id)) << "control " << id;
            EXPECT_FALSE(form.Click(id)) << "control " << id;
        }
        EXPECT_EQ(form.CollectSettings(), before);
    }
}

TEST(SeedField, EmptyMeansTheClockAndOnlyPlainDecimalsAreSeeds)
{
    for (const char* text : {"", " ", "\t \n"}) {
        EXPECT_EQ(ParseSeedField(text).kind, SeedChoice::Kind::FromClock) << '"' << text << '"';
    }
    const std::pair<const char*, std::uint32_t> fixed[] = {
        {"0", 0u}, {"12345", 12345u}, {" 42 ", 42u}, {"0000000007", 7u}, {"4294967295", 4294967295u}};
    for (const auto& [text, seed] : fixed) {
        const SeedChoice choice = ParseSeedField(text);
        EXPECT_EQ(choice.kind, SeedChoice::Kind::Fixed) << text;
        EXPECT_EQ(choice.seed, seed) << text;
    }
    for (const char* text : {"4294967296", "99999999999", "-1", "+1", "12a", "1 2", "0x10", "1.5", "１２"}) {
        EXPECT_EQ(ParseSeedField(text).kind, SeedChoice::Kind::Invalid) << text;
    }
}

} // namespace
} // namespace tarvenna
