#include <benchmark/benchmark.h>

#include "core/generator_state.h"
#include "core/rng.h"
#include "items/item_shuffle.h"
#include "items/item_slot_table.h"

namespace tarvenna {
namespace {

// One attempt of the validated shuffle: a deal plus its validation.
void BM_ItemAttempt(benchmark::State& benchState, Character character)
{
    Settings settings;
    settings.character = character;
    GeneratorState state;
    Rng rng(1);
    BuildItemSlotTable(settings, state, rng);
    const ItemRules rules(state.itemSlotTable);
    const std::vector<int> pinned = PinnedSlots(settings);
    PlacementValidator validator(rules);
    SlotAssignment assignment{};
    for (auto _ : benchState) {
        ShuffleItems(pinned, rng, assignment);
        benchmark::DoNotOptimize(validator.ValidatePlacement(assignment));
    }
    benchState.counters["attempts/s"] = benchmark::Counter(static_cast<double>(benchState.iterations()),
                                                           benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_ItemAttempt, JillNormal, Character::Jill);
BENCHMARK_CAPTURE(BM_ItemAttempt, ChrisNormal, Character::Chris);

} // namespace
} // namespace tarvenna
