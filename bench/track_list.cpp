// The track list drawn with many entries: what the open list costs each
// frame in looking up its levels' bests, for a list of 1,500 entries naming
// the shipped level. The first frame hashes the file; later ones only look
// at its size and time of change.
#include "game/TrackShelf.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

void BM_TrackListFrame(benchmark::State& state) {
    const std::vector<std::string> paths(std::size_t(state.range(0)), KELVARO_SOURCE_DIR
                                         "/res/assets/models/worlds/sub2demo_debug.dae");
    FileHashes hashes;
    for (auto _ : state) {
        for (const std::string& path : paths) {
            benchmark::DoNotOptimize(hashes.of(path));
        }
    }
}
BENCHMARK(BM_TrackListFrame)->Arg(1500)->Unit(benchmark::kMillisecond);

void BM_HashOneLevel(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            fileContentHash(KELVARO_SOURCE_DIR "/res/assets/models/worlds/sub2demo_debug.dae"));
    }
}
BENCHMARK(BM_HashOneLevel)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
