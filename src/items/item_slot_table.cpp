#include "items/item_slot_table.h"

#include "items/item_slot_data.h"

namespace tarvenna {
namespace {

const char* SlotName(int slot, const Settings& settings)
{
    for (const NameVariant& variant : kNameVariants) {
        if (variant.slot != slot) continue;
        const bool hard = settings.difficulty == Difficulty::Hard;
        if (settings.character == Character::Chris) return hard ? variant.chrisHard : variant.chrisNormal;
        return hard ? variant.jillHard : variant.jillNormal;
    }
    return kItemRows[static_cast<std::size_t>(slot)].name;
}

int SlotKey(int slot, const Settings& settings)
{
    const bool chris = settings.character == Character::Chris;
    const ItemRow& row = kItemRows[static_cast<std::size_t>(slot)];
    for (const KeyVariant& variant : kKeyVariants) {
        if (variant.slot != slot) continue;
        if (settings.randomizeLocks) return chris ? variant.locksOnChris : variant.locksOnJill;
        return chris ? variant.locksOffChris : variant.locksOffJill;
    }
    return settings.randomizeLocks ? row.keyLocksOn : row.keyLocksOff;
}

} // namespace

void BuildItemSlotTable(const Settings& settings, ItemSlotTable& table)
{
    const bool chris = settings.character == Character::Chris;

    table.itemNames.clear();
    for (int slot = 0; slot < kSlotCount; ++slot) table.itemNames.emplace_back(SlotName(slot, settings));
    table.itemNames.emplace_back("Fuel Supply Capsule (ARMED)");
    table.itemNames.emplace_back("Shotgun");

    table.locationKeys.clear();
    for (int slot = 0; slot < kSlotCount; ++slot) table.locationKeys.push_back(SlotKey(slot, settings));

    table.forbiddenLocations.clear();
    table.requirements.clear();
    if (settings.randomizeLocks) {
        // The requirements come from the lock deal.
        table.locationKeys.push_back(kOpenLockModeKey);
        return;
    }

    for (const ForbiddenRow& row : kForbiddenRows) {
        const std::vector<int>& keys = chris ? row.chris : row.jill;
        if (!keys.empty()) table.forbiddenLocations[row.item] = keys;
    }
    for (const RequirementRow& row : kRequirementRows) {
        const auto& lists = (chris && !row.chris.empty()) ? row.chris : row.jill;
        RequirementLists& entry = table.requirements[row.key];
        for (std::size_t number = 0; number < lists.size(); ++number) entry[static_cast<int>(number)] = lists[number];
    }
}

} // namespace tarvenna
