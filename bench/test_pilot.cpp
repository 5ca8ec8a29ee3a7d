// Wall time of the test pilot flying the shipped track (the level checker's
// flight): 12 rings, about 38 s of flight at the game's fixed step, as the
// perfect pilot (argument 0) and with a player's reactions (1). The level is
// loaded outside the timed part.

#include "BenchWindow.h"

#include "game/TestPilot.h"
#include "world/WorldLoader.h"

#include <benchmark/benchmark.h>

#include <optional>

namespace {

void BM_PilotFliesTheShippedTrack(benchmark::State& state) {
    if (!openBenchWindow(64, 64, "test-pilot-bench")) {
        state.SkipWithError("no OpenGL 3.3 context (run under xvfb-run)");
        return;
    }
    WorldLoader loader;
    PilotReport report;
    PilotOptions options;
    options.mode = state.range(0) == 0 ? PilotOptions::Mode::Perfect : PilotOptions::Mode::Player;
    for (auto _ : state) {
        state.PauseTiming();
        std::optional<LevelResult> level(loader.read("sub2demo_debug.dae"));
        if (!level->world) {
            state.SkipWithError(level->error.c_str());
            return;
        }
        state.ResumeTiming();
        report = flyTrack(*level->world, options);
        state.PauseTiming();
        level.reset();
        state.ResumeTiming();
    }
    if (!report.finished()) {
        state.SkipWithError(report.line().c_str());
        return;
    }
    state.counters["flight_s"] = report.seconds;
    state.counters["steps"] = double(report.steps);
    state.SetLabel(report.line());
}
BENCHMARK(BM_PilotFliesTheShippedTrack)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
