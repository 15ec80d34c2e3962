#include <benchmark/benchmark.h>

#include <string>

#include <nlohmann/json.hpp>

#include "spoiler/settings_json.h"
#include "web/web_calls.h"

namespace tarvenna {
namespace {

// What a browser worker pays per stretch of deals beyond the deals
// themselves: the stages up to the search and the search's tables, rebuilt
// for every stretch. One deal per stretch makes that all there is.
void BM_WebSearchStretchOverhead(benchmark::State& benchState, bool locks)
{
    Settings settings;
    settings.character = Character::Chris;
    settings.randomizeLocks = locks;
    const std::string request = nlohmann::json{
        {"call", "search"}, {"settings", SettingsToJson(settings)}, {"seed", 1}, {"round", 0}, {"first", 0},
        {"count", 1}}.dump();
    WebSession session;
    for (auto _ : benchState) benchmark::DoNotOptimize(HandleWebCall(session, request));
}

BENCHMARK_CAPTURE(BM_WebSearchStretchOverhead, ChrisNormal, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WebSearchStretchOverhead, ChrisLocks, true)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tarvenna
