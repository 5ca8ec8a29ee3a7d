// The sound's cost: its update in every drawn frame (listener, engine, pause,
// the fanfare's timer) with one-shots playing, and its start-up: reading the
// files against opening the device and handing them to it.
//
// OpenAL Soft plays into its silent `null` driver unless the environment
// names others (ALSOFT_DRIVERS=alsa,pulse,oss measures a machine's probing
// for a sound card).

#include "sound/GameSounds.h"
#include "sound/SoundFile.h"
#include "sound/SoundSystem.h"
#include "world/Camera.h"
#include "world/GameObject.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const std::string SOUNDS = std::string(KELVARO_SOURCE_DIR) + "/res/assets/sounds/";

void soundFrame(benchmark::State& state) {
    std::filesystem::current_path(KELVARO_SOURCE_DIR);
    startGameSounds();
    SoundSystem& system = gameSoundSystem();
    Camera camera({0, 0, 10}, glm::quat(1, 0, 0, 0));
    GameObject ship({0, 0, 0}, glm::quat(1, 0, 0, 0), glm::vec3(1.0f), "ship", ObjectKind::Ship,
                    nullptr);
    // Four placed one-shots and an unplaced one keep playing meanwhile.
    for (int i = 0; i < 4; ++i) {
        system.playAt(Sound::LastChime, {float(i), 0.0f, -20.0f});
    }
    system.playUnplaced(Sound::Fanfare);
    double now = 0.0;
    float turn = 0.0f;
    for (auto _ : state) {
        soundSteering(turn, 0.0f, 0.0f);
        camera.position.z -= 0.5f;
        updateGameSounds(camera, &ship, GameState::Running, now += 1.0 / 60.0);
        turn = turn > 0.0f ? 0.0f : 300.0f;
    }
    state.counters["device"] = system.hasDevice() ? 1 : 0;
    stopGameSounds();
}
BENCHMARK(soundFrame)->Unit(benchmark::kMicrosecond);

// Reading and decoding every file: what start-up costs whatever the device.
void readSoundFiles(benchmark::State& state) {
    for (auto _ : state) {
        for (int32_t i = 0; i < SOUND_COUNT; ++i) {
            benchmark::DoNotOptimize(readSoundFile(SOUNDS + soundFileName(Sound(i))));
        }
    }
}
BENCHMARK(readSoundFiles)->Unit(benchmark::kMillisecond);

// The whole start: the device, the files, the buffers and sources, and the close.
void startSound(benchmark::State& state) {
    for (auto _ : state) {
        SoundSystem system;
        benchmark::DoNotOptimize(system.start({1.0f, 0.5f}, SOUNDS));
        system.shutDown();
    }
}
BENCHMARK(startSound)->Unit(benchmark::kMillisecond);

// What the game's start-up waits for: the start runs beside the level's
// loading, so the main thread waits only for what is left of it. Here
// nothing runs beside it: the worst case, the whole start.
void startGameSoundsAndWait(benchmark::State& state) {
    std::filesystem::current_path(KELVARO_SOURCE_DIR);
    for (auto _ : state) {
        startGameSounds();
        benchmark::DoNotOptimize(gameSoundSystem());
        stopGameSounds();
    }
}
BENCHMARK(startGameSoundsAndWait)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("ALSOFT_DRIVERS") && !std::getenv("ALSOFT_CONF")) {
        setenv("ALSOFT_DRIVERS", "null", 1);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
