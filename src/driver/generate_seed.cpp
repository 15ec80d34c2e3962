#include "driver/generate_seed.h"

#include <chrono>

#include "doors/door_randomizer.h"
#include "driver/item_stage.h"
#include "enemies/enemy_randomizer.h"
#include "enemies/room_enemy_table.h"
#include "items/item_slot_data.h"
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

namespace {

// The stages after the tables, in their fixed order. A lock deal under which
// no item deal can ever pass is dealt again, as if it had failed the lock
// check, and the stages after it run again: every seed gives a game.
// False when the run ends without files.
bool RunStages(const Settings& settings, const RunOptions& options, GeneratorState& state, Rng& rng,
               StatusLog& statusLog, GenerateResult& result)
{
    for (unsigned lockDeal = settings.randomizeLocks ? 1 : 0;; ++lockDeal) {
        const std::uint32_t afterLocks = rng.State();
        if (settings.randomizeEnemies) RandomizeEnemies(settings, state, rng, statusLog);
        if (settings.randomizeDoors) RandomizeDoors(settings, state, rng, statusLog);
        if (!settings.randomizeItems) {
            state.slotAssignment.clear();
            for (int slot = 0; slot < kSlotCount; ++slot) state.slotAssignment.push_back(slot);
            return true;
        }
        const ItemStageResult items =
            RandomizeItems(settings, state, rng, statusLog, options.stop, options.threads, options.itemSearcher,
                           options.onSearchProgress, lockDeal);
        if (items == ItemStageResult::Done) return true;
        if (items == ItemStageResult::Stopped) {
            result.stopped = true;
            return false;
        }
        if (!settings.randomizeLocks) {
            // Fixed tables: every cycle of deals holds games, so this would be a fault of ours.
            statusLog.AppendStatus("failed: no deal of the items can ever pass with this seed\n");
            result.itemsNeverPass = true;
            return false;
        }
        statusLog.AppendStatus(" no deal of the items can pass under these locks: dealing the locks again\n");
        rng.Seed(afterLocks);
        DealLocksUntilValid(settings, state, rng);
    }
}

} // namespace

GenerateResult GenerateSeed(const Settings& settings, const RunOptions& options, GeneratorState& state,
                            StatusLog& statusLog)
{
    GenerateResult result;
    statusLog.Clear();
    const LockWait wait{options.stop, options.onWaitingForFolder};
    // A folder that cannot take the files is found before the long work.
    const OutputResult checked = CheckOutputFolder(settings, statusLog, options.outputDirectory, RealFileSystem(), wait);
    if (checked.failed || checked.stopped) {
        result.stopped = checked.stopped;
        result.outputFailed = result.folderRefused = checked.failed;
        result.outputError = checked.error;
        return result;
    }
    Rng rng(options.seed);

    BuildRoomEnemyTable(state.roomEnemyTable);
    BuildItemTables(settings, state, rng);
    if (!RunStages(settings, options, state, rng, statusLog, result)) return result;

    if (AnyPoolModifier(settings)) statusLog.AppendStatus("Applying modifiers . . .");
    ApplyPoolModifiers(settings, state, rng);
    if (AnyPoolModifier(settings)) statusLog.AppendStatus("done!\n");
    // A stop asked for after the search still writes nothing.
    if (StopRequested(options.stop)) {
        result.stopped = true;
        return result;
    }

    const std::vector<OutputFile> extraFiles =
        options.extraFiles ? options.extraFiles(state) : std::vector<OutputFile>{};
    const OutputResult output =
        WriteOutputFiles(settings, state, statusLog, options.outputDirectory, RealFileSystem(), extraFiles, wait);
    result.stopped = output.stopped;
    result.outputFailed = output.failed;
    result.outputError = output.error;
    result.files = output.names;
    result.doorMapIncomplete = state.doorMapIncomplete;
    return result;
}

} // namespace tarvenna
