#include "ui/form_model.h"

#include <algorithm>
#include <array>

namespace tarvenna {
namespace {

using namespace control_id;

constexpr std::array kInputs = {
    kEnemies, kItems, kDoors, kLocks,
    kJill, kChris, kNormal, kHard, kHealingItems, kAmmo, kInkRibbons, kDefenceItems,
    kTyrantOne, kTyrantMany, kTyrantNone, kYawnOne, kYawnMany, kYawnNone, kLisaOne, kLisaMany, kLisaNone,
    kTyrantHelipad, kTyrantLab, kTyrantRandom, kSwapWithSelfDefenseGun, kFuelCapsuleArmed, kGenerate,
    kZombies, kDogs, kHunters, kSpiders, kSharks, kBees, kChimera, kElderCrimsonHeads,
    kSeed, kOutputFolder,
};

constexpr std::array kCheckBoxes = {
    kItems, kEnemies, kDoors, kLocks, kHealingItems, kAmmo, kInkRibbons, kDefenceItems,
    kSwapWithSelfDefenseGun, kFuelCapsuleArmed,
    kZombies, kDogs, kHunters, kSpiders, kSharks, kBees, kChimera, kElderCrimsonHeads,
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

SpawnCount SpawnCountFrom(const FormModel& form, int oneId)
{
    if (form.IsChecked(oneId)) return SpawnCount::One;
    if (form.IsChecked(oneId + 1)) return SpawnCount::Many;
    return SpawnCount::None;
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
    s.character = IsChecked(kChris) ? Character::Chris : Character::Jill;
    s.difficulty = IsChecked(kHard) ? Difficulty::Hard : Difficulty::Normal;
    s.randomizeItems = IsChecked(kItems);
    s.randomizeEnemies = IsChecked(kEnemies);
    s.randomizeDoors = IsChecked(kDoors);
    s.randomizeLocks = IsChecked(kLocks);
    s.removeHealingItems = IsChecked(kHealingItems);
    s.removeAmmo = IsChecked(kAmmo);
    s.removeInkRibbons = IsChecked(kInkRibbons);
    s.removeDefenceItems = IsChecked(kDefenceItems);
    s.swapWithSelfDefenseGun = IsChecked(kSwapWithSelfDefenseGun);
    s.fuelCapsuleArmed = IsChecked(kFuelCapsuleArmed);
    s.tyrantSpawns = SpawnCountFrom(*this, kTyrantOne);
    s.yawnSpawns = SpawnCountFrom(*this, kYawnOne);
    s.lisaSpawns = SpawnCountFrom(*this, kLisaOne);
    s.tyrantType = IsChecked(kTyrantHelipad) ? TyrantType::Helipad
                   : IsChecked(kTyrantLab)   ? TyrantType::Lab
                                             : TyrantType::Random;
    s.allowZombies = IsChecked(kZombies);
    s.allowDogs = IsChecked(kDogs);
    s.allowHunters = IsChecked(kHunters);
    s.allowSpiders = IsChecked(kSpiders);
    s.allowSharks = IsChecked(kSharks);
    s.allowBees = IsChecked(kBees);
    s.allowChimera = IsChecked(kChimera);
    s.allowElderCrimsonHeads = IsChecked(kElderCrimsonHeads);
    return s;
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
