// Cost of the F11 view's lines on the shipped level: gathering every edge of
// every collision shape from the physics world (done each frame while F11 is
// on), and drawing them.

#include "BenchWindow.h"

#include "physics/CollisionLines.h"
#include "physics/PhysicsContext.h"
#include "render/CollisionLineRenderer.h"
#include "world/WorldLoader.h"

#include <benchmark/benchmark.h>

#include <optional>

namespace {

World* shippedLevel() {
    static std::optional<World> world = [] {
        WorldLoader loader;
        LevelResult level = loader.read("sub2demo_debug.dae");
        return std::move(level.world);
    }();
    return world ? &*world : nullptr;
}

void BM_GatherShippedLevelLines(benchmark::State& state) {
    if (!openBenchWindow(64, 64, "collision-lines-bench") || !shippedLevel()) {
        state.SkipWithError("no OpenGL 3.3 context or no shipped level");
        return;
    }
    size_t count = 0;
    for (auto _ : state) {
        auto lines = collisionLines(PhysicsContext::instance());
        count = lines.size();
        benchmark::DoNotOptimize(lines.data());
    }
    state.counters["lines"] = double(count);
}
BENCHMARK(BM_GatherShippedLevelLines)->Unit(benchmark::kMillisecond);

void BM_DrawShippedLevelLines(benchmark::State& state) {
    if (!openBenchWindow(640, 360, "collision-lines-bench") || !shippedLevel()) {
        state.SkipWithError("no OpenGL 3.3 context or no shipped level");
        return;
    }
    for (auto _ : state) {
        drawCollisionLines(shippedLevel()->camera);
        glFinish();
    }
}
BENCHMARK(BM_DrawShippedLevelLines)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
