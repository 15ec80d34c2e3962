#include <benchmark/benchmark.h>

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"
#include "core/status_log.h"
#include "doors/door_randomizer.h"

namespace tarvenna {
namespace {

// One whole door stage: building the tables and joining every door.
void BM_RandomizeDoors(benchmark::State& benchState, Character character)
{
    Settings settings;
    settings.character = character;
    settings.randomizeDoors = true;
    Rng rng(1);
    for (auto _ : benchState) {
        GeneratorState state;
        StatusLog statusLog;
        RandomizeDoors(settings, state, rng, statusLog);
        benchmark::DoNotOptimize(state.doors.doorResultTable);
    }
}
BENCHMARK_CAPTURE(BM_RandomizeDoors, Jill, Character::Jill)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RandomizeDoors, Chris, Character::Chris)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tarvenna
