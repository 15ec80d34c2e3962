#include "form/form_model.h"

#include <algorithm>
#include <array>
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

std::array<bool, 6> Modes(const Settings& s)
{
    return {s.difficulty == Difficulty::Hard, s.randomizeItems, s.randomizeEnemies, s.randomizeDoors, s.randomizeLocks,
            s.character == Character::Chris};
}

// What the rules leave checked after a run of clicks; which controls they
// enable is checked on every reachable state below.
TEST(FormModel, RulesSetTheBoxesTheyCoupleAndLeaveTheOthersAlone)
{
    struct Case {
        const char* what;
        std::vector<int> clicks;
        std::vector<int> checked;
        std::vector<int> unchecked;
    };
    const Case kCases[] = {
        {"doors while Hard switches to Normal and leaves it there", {kHard, kDoors, kDoors}, {kNormal}, {kHard}},
        {"unchecking doors leaves items checked", {kItems, kDoors, kDoors}, {kItems}, {}},
        {"locks checks items and keeps Hard", {kItems, kHard, kLocks}, {kItems, kHard}, {kDoors}},
        {"unchecking locks leaves items checked", {kItems, kLocks, kLocks, kHard}, {kItems, kHard}, {kLocks}},
        {"unchecking enemies keeps their choices",
         {kEnemies, kTyrantMany, kLisaNone, kTyrantLab, kSharks, kEnemies},
         {kTyrantMany, kLisaNone, kTyrantLab},
         {kEnemies, kTyrantOne, kLisaOne, kTyrantHelipad, kSharks}},
        {"the character and the pool options take part in no rule",
         {kChris, kHealingItems, kInkRibbons, kFuelCapsuleArmed, kEnemies, kDoors, kDoors, kLocks, kLocks, kEnemies},
         {kChris, kHealingItems, kInkRibbons, kFuelCapsuleArmed},
         {kJill, kAmmo, kDefenceItems, kSwapWithSelfDefenseGun}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        FormModel form;
        for (int id : c.clicks) ASSERT_TRUE(form.Click(id)) << "control " << id;
        for (int id : c.checked) EXPECT_TRUE(form.IsChecked(id)) << "control " << id;
        for (int id : c.unchecked) EXPECT_FALSE(form.IsChecked(id)) << "control " << id;
    }
}

// Which control feeds which field is the settings table's test, every field
// and value on its own.
TEST(FormModel, OpensWithTheDefaultsAndClickingTheChosenRadioOrANonInputDoesNothing)
{
    FormModel form;
    EXPECT_EQ(form.CollectSettings(), Settings{});
    const std::vector<bool> atOpen = Snapshot(form);
    EXPECT_FALSE(form.Click(kJill));
    EXPECT_FALSE(form.Click(kNormal));
    for (int id : {kGenerate, kStatusLog, kVersion, kCompletionNotice, kSeed, kOutputFolder, kResetDefaults,
                   kLoadCodeField, kLoadCode, kCheckWords, kShareCode, kCopyShareCode, 0, 999, 5000}) {
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

TEST(FormModel, EveryReachableStateKeepsTheDriversInvariantsAndGenerateFreezesIt)
{
    std::set<std::array<bool, 6>> reached;
    for (FormModel form : ReachableForms()) {
        const Settings s = form.CollectSettings();
        reached.insert(Modes(s));
        EXPECT_STREQ(SettingsConflict(s), "");
        for (const auto& group : kRadioGroups)
            EXPECT_EQ(std::count_if(group.begin(), group.end(), [&](int id) { return id != 0 && form.IsChecked(id); }),
                      1);

        EXPECT_EQ(form.IsEnabled(kHard), !s.randomizeDoors);
        EXPECT_EQ(form.IsEnabled(kItems), !s.randomizeDoors && !s.randomizeLocks);
        EXPECT_EQ(form.IsEnabled(kLocks), !s.randomizeDoors);
        EXPECT_EQ(form.IsEnabled(kDoors), !s.randomizeLocks);
        for (int id : kEnemyControls) EXPECT_EQ(form.IsEnabled(id), s.randomizeEnemies);
        for (int id : {kJill, kChris, kNormal, kEnemies, kAmmo, kGenerate, kSeed, kOutputFolder}) {
            EXPECT_TRUE(form.IsEnabled(id));
        }
        // A disabled input ignores clicks.
        for (int id : FormModel::Inputs()) {
            FormModel clicked = form;
            EXPECT_TRUE(form.IsEnabled(id) || (!clicked.Click(id) && Snapshot(clicked) == Snapshot(form))) << id;
        }

        // After Generate nothing can be changed again.
        form.DisableInputsForGood();
        EXPECT_TRUE(form.InputsDisabledForGood());
        for (int id : FormModel::Inputs()) EXPECT_FALSE(form.IsEnabled(id) || form.Click(id)) << "control " << id;
        EXPECT_EQ(form.CollectSettings(), s);
    }

    // Every consistent combination of the modes can be reached, and only those.
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
        EXPECT_TRUE(reached.count(Modes(s))) << "combination " << bits;
    }
    EXPECT_EQ(static_cast<int>(reached.size()), consistent);
}

TEST(FormModel, ShowingTheSettingsOfAnyReachableFormRebuildsThatFormFromAnyOther)
{
    const std::vector<FormModel> forms = ReachableForms();
    for (std::size_t i = 0; i < forms.size(); ++i) {
        // Start from another reachable form, so that nothing of the start is left over.
        FormModel shown = forms[(i * 7 + 3) % forms.size()];
        ASSERT_TRUE(shown.ShowSettings(forms[i].CollectSettings())) << "form " << i;
        EXPECT_EQ(Snapshot(shown), Snapshot(forms[i])) << "form " << i;
    }
}

// Which settings no clicks can make is SettingsConflict's rule, held to the
// reachable states above; one such setting shows that it is asked.
TEST(FormModel, RefusesToShowSettingsNoClicksCanMakeAndAnythingOnceFrozen)
{
    FormModel form;
    for (int id : {kChris, kEnemies, kBees, kSpoiler}) form.Click(id);
    const std::vector<bool> before = Snapshot(form);
    EXPECT_FALSE(form.ShowSettings({.difficulty = Difficulty::Hard, .randomizeDoors = true}));
    EXPECT_EQ(Snapshot(form), before);

    form.DisableInputsForGood();
    const std::vector<bool> frozen = Snapshot(form);
    EXPECT_FALSE(form.ShowSettings(Settings{}));
    EXPECT_FALSE(form.RestoreChoices({}));
    EXPECT_EQ(Snapshot(form), frozen);
}

TEST(FormModel, StoredTextThatIsMissingOrUnreadableKeepsTheDefaults)
{
    struct Case {
        const char* what;
        StoredChoices stored;
        bool restored;
        Settings settings;
        bool spoiler;
    };
    const Case kCases[] = {
        {"nothing stored", {}, true, Settings{}, false},
        {"only exact spellings", {{"character", "chris"}, {"difficulty", "Hard"}, {"items", "1"}}, true,
         {.character = Character::Chris}, false},
        {"unknown keys", {{"colour", "blue"}, {"tyrant-type", "lab"}, {"bees", "false"}, {"spoiler", "true"}}, true,
         {.tyrantType = TyrantType::Lab, .allowBees = false}, true},
        {"lock mode without items refused",
         {{"locks", "true"}, {"items", "false"}, {"spoiler", "true"}}, false, Settings{}, false},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        FormModel form;
        EXPECT_EQ(form.RestoreChoices(c.stored), c.restored);
        EXPECT_EQ(form.CollectSettings(), c.settings);
        EXPECT_EQ(form.WantsSpoiler(), c.spoiler);
        if (!c.restored) {
            EXPECT_EQ(Snapshot(form), Snapshot(FormModel{}));
        }
    }
}

// What a seed is, the settings table's rule says; the field adds the clock.
TEST(SeedField, EmptyMeansTheClock)
{
    for (const char* text : {"", " ", "\t \n"})
        EXPECT_EQ(ParseSeedField(text).kind, SeedChoice::Kind::FromClock) << '"' << text << '"';
}

} // namespace
} // namespace tarvenna
