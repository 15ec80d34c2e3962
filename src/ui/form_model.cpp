#include "ui/form_model.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace tarvenna {
namespace {

using namespace control_id;

constexpr std::array kInputs = {
    kEnemies, kItems, kDoors, kLocks,
    kJill, kChris, kNormal, kHard, kHealingItems, kAmmo, kInkRibbons, kDefenceItems,
    kTyrantOne, kTyrantMany, kTyrantNone, kYawnOne, kYawnMany, kYawnNone, kLisaOne, kLisaMany, kLisaNone,
    kTyrantHelipad, kTyrantLab, kTyrantRandom, kSwapWithSelfDefenseGun, kFuelCapsuleArmed, kGenerate,
    kZombies, kDogs, kHunters, kSpiders, kSharks, kBees, kChimera, kElderCrimsonHeads,
    kSpoiler, kResetDefaults, kLoadCodeField, kLoadCode,
    kSeed, kOutputFolder,
};

constexpr std::array kCheckBoxes = {
    kItems, kEnemies, kDoors, kLocks, kHealingItems, kAmmo, kInkRibbons, kDefenceItems,
    kSwapWithSelfDefenseGun, kFuelCapsuleArmed,
    kZombies, kDogs, kHunters, kSpiders, kSharks, kBees, kChimera, kElderCrimsonHeads, kSpoiler,
};

constexpr std::array kEnemyKinds = {kZombies, kDogs, kHunters, kSpiders, kSharks, kBees, kChimera, kElderCrimsonHeads};

// Each group is a run of consecutive ids.
struct RadioGroup {
    int first;
    int last;
};
constexpr std::array kRadioGroups = {
    RadioGroup{kJill, kChris},          RadioGroup{kNormal, kHard},
    RadioGroup{kTyrantOne, kTyrantNone}, RadioGroup{kYawnOne, kYawnNone},
    RadioGroup{kLisaOne, kLisaNone},     RadioGroup{kTyrantHelipad, kTyrantRandom},
};

const RadioGroup* GroupOf(int id)
{
    for (const RadioGroup& group : kRadioGroups) {
        if (id >= group.first && id <= group.last) return &group;
    }
    return nullptr;
}

template <std::size_t N>
bool Contains(const std::array<int, N>& ids, int id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// Which settings field each check box feeds, and its remembered key.
struct BoxField {
    int id;
    bool Settings::*field;
    const char* key;
};
constexpr BoxField kBoxFields[] = {
    {kItems, &Settings::randomizeItems, "items"},
    {kEnemies, &Settings::randomizeEnemies, "enemies"},
    {kDoors, &Settings::randomizeDoors, "doors"},
    {kLocks, &Settings::randomizeLocks, "locks"},
    {kHealingItems, &Settings::removeHealingItems, "remove-healing"},
    {kAmmo, &Settings::removeAmmo, "remove-ammo"},
    {kInkRibbons, &Settings::removeInkRibbons, "remove-ink-ribbons"},
    {kDefenceItems, &Settings::removeDefenceItems, "remove-defence"},
    {kSwapWithSelfDefenseGun, &Settings::swapWithSelfDefenseGun, "swap-self-defense-gun"},
    {kFuelCapsuleArmed, &Settings::fuelCapsuleArmed, "fuel-capsule-armed"},
    {kZombies, &Settings::allowZombies, "zombies"},
    {kDogs, &Settings::allowDogs, "dogs"},
    {kHunters, &Settings::allowHunters, "hunters"},
    {kSpiders, &Settings::allowSpiders, "spiders"},
    {kSharks, &Settings::allowSharks, "sharks"},
    {kBees, &Settings::allowBees, "bees"},
    {kChimera, &Settings::allowChimera, "chimera"},
    {kElderCrimsonHeads, &Settings::allowElderCrimsonHeads, "elder-crimson-heads"},
};

// A radio group feeds an enumeration: the group's n-th button is its n-th value.
template <typename Value>
struct RadioField {
    int firstId;
    Value Settings::*field;
    const char* key;
    std::array<const char*, 3> words; // remembered spellings in the values' order
};

template <typename Value>
Value NthValue(const RadioField<Value>&, std::size_t n)
{
    return static_cast<Value>(n);
}

// Calls `visit` with every radio field, whatever its enumeration.
template <typename Visit>
void ForEachRadioField(Visit&& visit)
{
    visit(RadioField<Character>{kJill, &Settings::character, "character", {"jill", "chris", nullptr}});
    visit(RadioField<Difficulty>{kNormal, &Settings::difficulty, "difficulty", {"normal", "hard", nullptr}});
    visit(RadioField<SpawnCount>{kTyrantOne, &Settings::tyrantSpawns, "tyrant-spawns", {"one", "many", "none"}});
    visit(RadioField<SpawnCount>{kYawnOne, &Settings::yawnSpawns, "yawn-spawns", {"one", "many", "none"}});
    visit(RadioField<SpawnCount>{kLisaOne, &Settings::lisaSpawns, "lisa-spawns", {"one", "many", "none"}});
    visit(RadioField<TyrantType>{kTyrantHelipad, &Settings::tyrantType, "tyrant-type", {"helipad", "lab", "random"}});
}

constexpr const char* kSpoilerKey = "spoiler";
constexpr const char* kTrue = "true";
constexpr const char* kFalse = "false";

// The stored text of `key`, or null when there is none.
const std::string* StoredValue(const StoredChoices& stored, const char* key)
{
    const auto found = stored.find(key);
    return found == stored.end() ? nullptr : &found->second;
}

// Only the two exact spellings; anything else keeps `value`.
void ReadStoredFlag(const StoredChoices& stored, const char* key, bool& value)
{
    if (const std::string* text = StoredValue(stored, key)) {
        if (*text == kTrue) value = true;
        if (*text == kFalse) value = false;
    }
}

} // namespace

FormModel::FormModel()
{
    // The template's states, then what opening the dialog checks.
    for (int id = kTyrantOne; id <= kTyrantRandom; ++id) SetEnabled(id, false);
    for (int id : kEnemyKinds) SetEnabled(id, false);

    for (int id : {kJill, kNormal, kItems, kTyrantOne, kYawnOne, kLisaOne, kTyrantHelipad}) SetChecked(id, true);
    for (int id : kEnemyKinds) SetChecked(id, true);
}

FormModel::ControlState* FormModel::Find(int id)
{
    if (id < kFirstId || id > kLastId) return nullptr;
    return &controls_[id - kFirstId];
}

const FormModel::ControlState* FormModel::Find(int id) const
{
    if (id < kFirstId || id > kLastId) return nullptr;
    return &controls_[id - kFirstId];
}

bool FormModel::IsChecked(int id) const
{
    const ControlState* control = Find(id);
    return control != nullptr && control->checked;
}

bool FormModel::IsEnabled(int id) const
{
    const ControlState* control = Find(id);
    return control != nullptr && control->enabled;
}

void FormModel::SetChecked(int id, bool checked)
{
    if (ControlState* control = Find(id)) control->checked = checked;
}

void FormModel::SetEnabled(int id, bool enabled)
{
    if (ControlState* control = Find(id)) control->enabled = enabled;
}

void FormModel::Select(int id)
{
    const RadioGroup* group = GroupOf(id);
    if (group == nullptr) return;
    for (int other = group->first; other <= group->last; ++other) SetChecked(other, other == id);
}

bool FormModel::Click(int id)
{
    if (!IsEnabled(id)) return false;
    if (IsRadioButton(id)) {
        if (IsChecked(id)) return false;
        Select(id);
        return true;
    }
    if (!IsCheckBox(id)) return false;
    SetChecked(id, !IsChecked(id));
    ApplyRule(id);
    return true;
}

void FormModel::ApplyRule(int clicked)
{
    const bool checked = IsChecked(clicked);
    switch (clicked) {
    case kEnemies:
        for (int id = kTyrantOne; id <= kTyrantRandom; ++id) SetEnabled(id, checked);
        for (int id : kEnemyKinds) SetEnabled(id, checked);
        break;
    case kDoors:
        if (checked) {
            // Door mode only exists on Normal, needs the item placement and
            // cannot be combined with locks.
            SetEnabled(kHard, false);
            Select(kNormal);
            SetChecked(kItems, true);
            SetEnabled(kItems, false);
            SetChecked(kLocks, false);
            SetEnabled(kLocks, false);
        } else {
            for (int id : {kHard, kItems, kLocks}) SetEnabled(id, true);
        }
        break;
    case kLocks:
        if (checked) {
            SetChecked(kItems, true);
            SetEnabled(kItems, false);
            SetChecked(kDoors, false);
            SetEnabled(kDoors, false);
        } else {
            for (int id : {kItems, kLocks, kDoors}) SetEnabled(id, true);
        }
        break;
    default:
        break;
    }
}

Settings FormModel::CollectSettings() const
{
    Settings s;
    for (const BoxField& box : kBoxFields) s.*box.field = IsChecked(box.id);
    ForEachRadioField([&](const auto& radio) {
        const RadioGroup& group = *GroupOf(radio.firstId);
        for (int id = group.first; id <= group.last; ++id) {
            if (IsChecked(id)) s.*radio.field = NthValue(radio, static_cast<std::size_t>(id - group.first));
        }
    });
    return s;
}

bool FormModel::ShowSettings(const Settings& s)
{
    if (disabledForGood_ || SettingsConflict(s)[0] != '\0') return false;
    for (const BoxField& box : kBoxFields) SetChecked(box.id, s.*box.field);
    ForEachRadioField([&](const auto& radio) { Select(radio.firstId + static_cast<int>(s.*radio.field)); });

    // What the rules leave enabled once the clicks that make these settings are done.
    for (int id = kTyrantOne; id <= kTyrantRandom; ++id) SetEnabled(id, s.randomizeEnemies);
    for (int id : kEnemyKinds) SetEnabled(id, s.randomizeEnemies);
    SetEnabled(kHard, !s.randomizeDoors);
    SetEnabled(kItems, !s.randomizeDoors && !s.randomizeLocks);
    SetEnabled(kLocks, !s.randomizeDoors);
    SetEnabled(kDoors, !s.randomizeLocks);
    return true;
}

StoredChoices FormModel::StoreChoices() const
{
    const Settings s = CollectSettings();
    StoredChoices stored;
    for (const BoxField& box : kBoxFields) stored[box.key] = s.*box.field ? kTrue : kFalse;
    ForEachRadioField([&](const auto& radio) {
        stored[radio.key] = radio.words[static_cast<std::size_t>(s.*radio.field)];
    });
    stored[kSpoilerKey] = WantsSpoiler() ? kTrue : kFalse;
    return stored;
}

bool FormModel::RestoreChoices(const StoredChoices& stored)
{
    Settings s;
    for (const BoxField& box : kBoxFields) ReadStoredFlag(stored, box.key, s.*box.field);
    ForEachRadioField([&](const auto& radio) {
        const std::string* text = StoredValue(stored, radio.key);
        if (text == nullptr) return;
        for (std::size_t i = 0; i < radio.words.size(); ++i) {
            if (radio.words[i] != nullptr && *text == radio.words[i]) {
                s.*radio.field = NthValue(radio, i);
            }
        }
    });
    bool spoiler = false;
    ReadStoredFlag(stored, kSpoilerKey, spoiler);
    if (!ShowSettings(s)) return false;
    SetChecked(kSpoiler, spoiler);
    return true;
}

void FormModel::DisableInputsForGood()
{
    for (int id : kInputs) SetEnabled(id, false);
    disabledForGood_ = true;
}

std::span<const int> FormModel::Inputs()
{
    return kInputs;
}

bool FormModel::IsCheckBox(int id)
{
    return Contains(kCheckBoxes, id);
}

bool FormModel::IsRadioButton(int id)
{
    return GroupOf(id) != nullptr;
}

SeedChoice ParseSeedField(std::string_view text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    if (text.empty()) return {};

    SeedChoice invalid{SeedChoice::Kind::Invalid, 0};
    if (text.size() > 10) return invalid;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return invalid;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFu) return invalid;
    return {SeedChoice::Kind::Fixed, static_cast<std::uint32_t>(value)};
}

} // namespace tarvenna
