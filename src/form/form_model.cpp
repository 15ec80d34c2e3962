#include "form/form_model.h"

#include <array>
#include <cstddef>
#include <optional>

namespace tarvenna {
namespace {

using namespace control_id;

constexpr std::array kInputs = {
    kEnemies,
    kItems,
    kDoors,
    kLocks,
    kJill,
    kChris,
    kNormal,
    kHard,
    kHealingItems,
    kAmmo,
    kInkRibbons,
    kDefenceItems,
    kTyrantOne,
    kTyrantMany,
    kTyrantNone,
    kYawnOne,
    kYawnMany,
    kYawnNone,
    kLisaOne,
    kLisaMany,
    kLisaNone,
    kTyrantHelipad,
    kTyrantLab,
    kTyrantRandom,
    kSwapWithSelfDefenseGun,
    kFuelCapsuleArmed,
    kGenerate,
    kZombies,
    kDogs,
    kHunters,
    kSpiders,
    kSharks,
    kBees,
    kChimera,
    kElderCrimsonHeads,
    kSpoiler,
    kResetDefaults,
    kLoadCodeField,
    kLoadCode,
    kSeed,
    kOutputFolder,
};

constexpr std::array kEnemyKinds = {kZombies, kDogs, kHunters, kSpiders, kSharks, kBees, kChimera, kElderCrimsonHeads};

// The choice one of whose radio buttons `id` is.
const SettingRow* ChoiceOf(int id)
{
    for (const SettingRow& row : kSettingsTable) {
        if (IsSwitch(row)) continue;
        for (int value = 0; value < ValueCount(row); ++value)
            if (ControlId(row, value) == id) return &row;
    }
    return nullptr;
}

const SettingRow* SwitchOf(int id)
{
    for (const SettingRow& row : kSettingsTable)
        if (IsSwitch(row) && row.control == id) return &row;
    return nullptr;
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
    const SettingRow* choice = ChoiceOf(id);
    if (choice == nullptr) return;
    for (int value = 0; value < ValueCount(*choice); ++value) {
        const int other = ControlId(*choice, value);
        SetChecked(other, other == id);
    }
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
    for (const SettingRow& row : kSettingsTable) {
        for (int value = 0; value < ValueCount(row); ++value) {
            if (!IsSwitch(row) && IsChecked(ControlId(row, value))) SetValue(s, row, value);
        }
        if (IsSwitch(row)) SetValue(s, row, IsChecked(row.control) ? 1 : 0);
    }
    return s;
}

bool FormModel::ShowSettings(const Settings& s)
{
    if (disabledForGood_ || SettingsConflict(s)[0] != '\0') return false;
    for (const SettingRow& row : kSettingsTable) {
        if (IsSwitch(row))
            SetChecked(row.control, ValueOf(s, row) != 0);
        else
            Select(ControlId(row, ValueOf(s, row)));
    }

    // What the rules leave enabled once the clicks that make these settings are done.
    for (int id = kTyrantOne; id <= kTyrantRandom; ++id) SetEnabled(id, s.randomizeEnemies);
    for (int id : kEnemyKinds) SetEnabled(id, s.randomizeEnemies);
    SetEnabled(kHard, !s.randomizeDoors);
    SetEnabled(kItems, !s.randomizeDoors && !s.randomizeLocks);
    SetEnabled(kLocks, !s.randomizeDoors);
    SetEnabled(kDoors, !s.randomizeLocks);
    return true;
}

// A switch is remembered as "true" or "false", a choice by its value's word.
StoredChoices FormModel::StoreChoices() const
{
    const Settings s = CollectSettings();
    StoredChoices stored;
    for (const SettingRow& row : kSettingsTable) {
        const int value = ValueOf(s, row);
        stored[row.name] =
            IsSwitch(row) ? (value != 0 ? kTrue : kFalse) : row.values[static_cast<std::size_t>(value)].word;
    }
    stored[kSpoilerKey] = WantsSpoiler() ? kTrue : kFalse;
    return stored;
}

bool FormModel::RestoreChoices(const StoredChoices& stored)
{
    Settings s;
    for (const SettingRow& row : kSettingsTable) {
        const std::string* text = StoredValue(stored, row.name);
        if (text == nullptr) continue;
        for (int value = 0; value < ValueCount(row); ++value) {
            const char* word =
                IsSwitch(row) ? (value != 0 ? kTrue : kFalse) : row.values[static_cast<std::size_t>(value)].word;
            if (*text == word) SetValue(s, row, value);
        }
    }
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

std::span<const int> FormModel::Inputs() { return kInputs; }

bool FormModel::IsCheckBox(int id) { return id == kSpoiler || SwitchOf(id) != nullptr; }

bool FormModel::IsRadioButton(int id) { return ChoiceOf(id) != nullptr; }

SeedChoice ParseSeedField(std::string_view text)
{
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return {};
    const std::optional<std::uint32_t> seed = ParseSeedText(text);
    if (!seed) return {SeedChoice::Kind::Invalid, 0};
    return {SeedChoice::Kind::Fixed, *seed};
}

} // namespace tarvenna
