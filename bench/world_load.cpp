// Loading each shipped track from its file to a ready world, as start-up does
// before the first frame. The first, Drift Belt: 70 asteroids of five distinct
// rock meshes (320 triangles each, refined three times), 18 trash cans, 12
// rings, the sun, three lamps and the ship; the others have as many asteroids
// and cans and 16 to 18 rings. The time is split into import, building the
// meshes, upload, cooking, the asteroids' subdivision and the ship; "other"
// is the rest (bodies, model lookups, lights).
#include "core/Log.h"
#include "physics/PhysicsContext.h"
#include "world/WorldLoader.h"

#include "BenchWindow.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

namespace {

bool openHiddenWindow() {
    return openBenchWindow(64, 64, "world-load-bench");
}

void BM_LoadTrack(benchmark::State& state, const char* file) {
    if (!openHiddenWindow()) {
        state.SkipWithError("no OpenGL 3.3 context (run under xvfb-run)");
        return;
    }
    WorldLoader loader;
    LevelLoadTimes sum;
    std::size_t objects = 0;
    for (auto _ : state) {
        LevelLoadTimes times;
        LevelResult result = loader.read(file, &times);
        if (!result.world) {
            state.SkipWithError(result.error.c_str());
            return;
        }
        glFinish(); // the uploads are done, not only queued
        objects = result.world->objects.size();
        sum.import += times.import;
        sum.meshes += times.meshes;
        sum.upload += times.upload;
        sum.cooking += times.cooking;
        sum.subdivision += times.subdivision;
        sum.ship += times.ship;
        sum.total += times.total;
        state.PauseTiming();
        result.world.reset(); // releasing the bodies is not part of loading
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    auto ms = [n](double seconds) { return benchmark::Counter(seconds / n * 1000.0); };
    state.counters["import_ms"] = ms(sum.import);
    state.counters["meshes_ms"] = ms(sum.meshes);
    state.counters["upload_ms"] = ms(sum.upload);
    state.counters["cooking_ms"] = ms(sum.cooking);
    state.counters["subdiv_ms"] = ms(sum.subdivision);
    state.counters["ship_ms"] = ms(sum.ship);
    state.counters["other_ms"] = ms(sum.total - sum.import - sum.meshes - sum.upload - sum.cooking -
                                    sum.subdivision - sum.ship);
    state.counters["objects"] = static_cast<double>(objects);
}

// Every load appends its meshes to the program-wide stores, so the run is
// kept short.
BENCHMARK_CAPTURE(BM_LoadTrack, drift_belt, "sub2demo_debug.dae")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(8);
BENCHMARK_CAPTURE(BM_LoadTrack, amber_reach, "amber_reach.dae")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(8);
BENCHMARK_CAPTURE(BM_LoadTrack, glacier_coil, "glacier_coil.dae")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(8);
BENCHMARK_CAPTURE(BM_LoadTrack, thornfield, "thornfield.dae")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(8);
BENCHMARK_CAPTURE(BM_LoadTrack, crimson_needle, "crimson_needle.dae")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(8);

} // namespace

BENCHMARK_MAIN();
