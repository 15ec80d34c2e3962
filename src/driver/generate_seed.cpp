#include "driver/generate_seed.h"

#include <chrono>

#include "doors/door_randomizer.h"
#include "driver/item_stage.h"
#include "enemies/enemy_randomizer.h"
#include "enemies/room_enemy_table.h"
#include "items/item_slot_table.h"
#include "items/pool_modifiers.h"
#include "locks/lock_randomizer.h"
#include "output/output_files.h"

namespace tarvenna {

std::uint32_t SeedFromClock()
{
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds.count()) & 0xFFFFFFFFu);
}

void BuildItemTables(const Settings& settings, GeneratorState& state, Rng& rng)
{
    BuildItemSlotTable(settings, state.itemSlotTable);
    if (settings.randomizeLocks) RandomizeLocks(settings, state, rng);
}

GenerateResult GenerateSeed(const Settings& settings, const RunOptions& options, GeneratorState& state,
                            StatusLog& statusLog)
{
    GenerateResult result;
    statusLog.Clear();
    Rng rng(options.seed);

    BuildRoomEnemyTable(state.roomEnemyTable);
    BuildItemTables(settings, state, rng);

    if (settings.randomizeEnemies) RandomizeEnemies(settings, state, rng, statusLog);
    if (settings.randomizeDoors) RandomizeDoors(settings, state, rng, statusLog);
    if (settings.randomizeItems) {
        const ItemStageResult items = RandomizeItems(settings, state, rng, statusLog, options.stop, options.threads);
        if (items != ItemStageResult::Done) {
            result.stopped = items == ItemStageResult::Stopped;
            result.itemsNeverPass = items == ItemStageResult::NeverAccepted;
            return result;
        }
    } else {
        state.slotAssignment.clear();
        for (int slot = 0; slot < 180; ++slot) state.slotAssignment.push_back(slot);
    }

    if (AnyPoolModifier(settings)) statusLog.AppendStatus("Applying modifiers . . .");
    ApplyPoolModifiers(settings, state, rng);
    if (AnyPoolModifier(settings)) statusLog.AppendStatus("done!\n");

    const OutputResult output = WriteOutputFiles(settings, state, statusLog, options.outputDirectory);
    result.outputFailed = output.failed;
    result.outputError = output.error;
    result.doorMapIncomplete = state.doorMapIncomplete;
    return result;
}

} // namespace tarvenna
