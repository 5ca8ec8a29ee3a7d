// Wall time of the test pilot flying the shipped track: 12 rings, about 38 s
// of flight at the game's fixed step, as the perfect pilot (argument 0) and
// with a player's reactions (1). The level is loaded outside the timed part.
// Then the whole level check of each shipped track (eight player-like
// flights, the perfect pilot when needed, the findings), timed as the
// process's CPU time: the shipped track's check is meant to stay under 2 s.

#include "BenchWindow.h"

#include "game/TestPilot.h"
#include "levelcheck/LevelCheck.h"
#include "world/WorldLoader.h"

#include <benchmark/benchmark.h>

#include <optional>
#include <sstream>
#include <string>

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

void BM_CheckShippedTrack(benchmark::State& state) {
    static const char* const TRACKS[] = {"sub2demo_debug.dae", "amber_reach.dae",
                                         "glacier_coil.dae", "thornfield.dae",
                                         "crimson_needle.dae"};
    const std::string path = WorldLoader().baseDirectory() + TRACKS[state.range(0)];
    std::string output;
    int code = 0;
    for (auto _ : state) {
        std::ostringstream out;
        code = checkLevel(path, out);
        output = out.str();
    }
    if (code != 0) {
        state.SkipWithError(output.c_str());
        return;
    }
    // The spread of the player-like flights, e.g. "finished by 8 of 8
    // (37.7 to 37.9 s)".
    const std::size_t at = output.find("finished by ");
    state.SetLabel(output.substr(at, output.find('\n', at) - at));
}
BENCHMARK(BM_CheckShippedTrack)
    ->DenseRange(0, 4)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();
