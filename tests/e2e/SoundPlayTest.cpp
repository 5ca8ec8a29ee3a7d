// The game's sound, recorded by OpenAL Soft's `wave` driver while the ship
// flies a small track: a ring at about 1 s, a trash can at about 2 s, the
// last ring at about 3.5 s.

#include "GameProcess.h"
#include "LevelWriter.h"
#include "SoundAnalysis.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace std::chrono_literals;

namespace {

// The ship flies from the origin towards -z at 35 units per second.
constexpr float SPEED = 35.0f;
// Below 400 Hz: the engine. The chimes ring from 500 Hz to 1.4 kHz, the
// pick-up sweeps from 3 to 3.9 kHz.
constexpr double ENGINE_LOW = 40.0, ENGINE_HIGH = 400.0;
constexpr double CHIME_LOW = 450.0, CHIME_HIGH = 1100.0;
constexpr double PICKUP_LOW = 2800.0, PICKUP_HIGH = 4400.0;

void addRing(LevelWriter& level, int number, float seconds) {
    level.addMeshNode("ring_" + std::to_string(number), "ring" + std::to_string(number),
                      torusMesh(6.0f, 0.4f), {0, 0, -SPEED * seconds}, glm::quat(1, 0, 0, 0),
                      glm::vec3(1.0f), discMesh(5.6f, 0.5f));
}

struct Recording {
    std::string console;
    int exitCode = -1;
    SoundSamples sound;
};

// Flies the track with the INI's [SOUND] section set to `soundSection` and
// the environment entries `environment`; the game's console and recording.
Recording flyTrack(const std::string& soundSection, std::vector<std::string> environment = {}) {
    TempDir dir;
    prepareGameFolder(dir.path(), 320, 180, 2, 30);
    {
        std::ofstream ini(dir.path() / "res/config/Kelvaro.ini", std::ios::app);
        ini << "\n[SOUND]\n" << soundSection << "\n";
    }
    writeTestShip(dir.path() / "res/assets/models");
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addRing(level, 0, 1.0f);
    level.addMeshNode("tcan", "can", boxMesh({0.5f, 0.8f, 0.5f}), {0, 0, -SPEED * 2.0f},
                      glm::quat(1, 0, 0, 0), glm::vec3(1.0f), boxMesh({0.5f, 0.8f, 0.5f}));
    addRing(level, 1, 3.5f);
    level.addLamp("Lamp", {0, 20, -30}, {1, 1, 1});
    level.write(dir.path() / "res/assets/models/worlds/sub2demo_debug.dae");

    const auto wav = dir.path() / "recording.wav";
    writeWaveDriverConfig(dir.path() / "alsoft.conf", wav);
    environment.insert(environment.begin(),
                       {"ALSOFT_DRIVERS=", "ALSOFT_CONF=" + (dir.path() / "alsoft.conf").string()});
    Recording recording;
    GameProcess game(dir.path(), environment);
    EXPECT_NE(game.waitForWindow(120s), 0u) << game.output();
    EXPECT_TRUE(game.flyFromStartScreen(60s)) << game.windowTitle();
    EXPECT_TRUE(game.waitForTitle("Kelvaro19: Game finished @", 60s)) << game.windowTitle() << "\n"
                                                                      << game.output();
    game.requestClose();
    recording.exitCode = game.waitForExit(30s).value_or(-1);
    recording.console = game.output();
    SoundRead read = readSoundFile(wav.string());
    if (read.sound) {
        recording.sound = std::move(*read.sound);
    }
    return recording;
}

int linesWith(const std::string& console, const std::string& text) {
    int count = 0;
    for (size_t at = console.find(text); at != std::string::npos; at = console.find(text, at + 1)) {
        ++count;
    }
    return count;
}

TEST(SoundPlay, TheRecordingHoldsTheChimeAndThePickUpWhenTheyHappen) {
    Recording r = flyTrack("SOUND_VOLUME = 1\nMUSIC_VOLUME = 0");
    ASSERT_EQ(r.exitCode, 0) << r.console;
    ASSERT_GT(r.sound.seconds(), 3.0) << r.console;
    // The engine starts with the flight: the clock of the windows below.
    const double start = bandOnset(r.sound, ENGINE_LOW, ENGINE_HIGH, -45.0);
    ASSERT_GE(start, 0.0) << "no engine heard";
    auto level = [&](double from, double to, double low, double high) {
        return bandLevel(r.sound, start + from, start + to, low, high);
    };
    const double chimeBefore = level(0.1, 0.7, CHIME_LOW, CHIME_HIGH);
    const double chimeAtRing = level(0.7, 1.6, CHIME_LOW, CHIME_HIGH);
    const double pickupBefore = level(0.1, 1.6, PICKUP_LOW, PICKUP_HIGH);
    const double pickupAtCan = level(1.7, 2.6, PICKUP_LOW, PICKUP_HIGH);
    RecordProperty("chime_db", std::to_string(chimeAtRing));
    RecordProperty("pickup_db", std::to_string(pickupAtCan));
    std::printf("engine from %.2f s; chime band %.1f dB before the ring, %.1f dB at it; pick-up "
                "band %.1f dB before the can, %.1f dB at it\n",
                start, chimeBefore, chimeAtRing, pickupBefore, pickupAtCan);
    EXPECT_GT(chimeAtRing, -40.0);
    EXPECT_GT(chimeAtRing, chimeBefore + 15.0);
    EXPECT_GT(pickupAtCan, -45.0);
    EXPECT_GT(pickupAtCan, pickupBefore + 15.0);
    EXPECT_EQ(linesWith(r.console, "[ ERROR ]\tSound"), 0) << r.console;
}

TEST(SoundPlay, SoundVolumeZeroRecordsSilence) {
    Recording r = flyTrack("SOUND_VOLUME = 0\nMUSIC_VOLUME = 1");
    ASSERT_EQ(r.exitCode, 0) << r.console;
    ASSERT_GT(r.sound.seconds(), 3.0) << r.console;
    std::printf("peak %.6f of full scale over %.1f s\n", peakLevel(r.sound), r.sound.seconds());
    EXPECT_EQ(peakLevel(r.sound), 0.0);
}

TEST(SoundPlay, WithoutASoundDeviceTheGamePlaysSilently) {
    Recording r = flyTrack("", {"ALSOFT_DRIVERS=nonexistent"});
    EXPECT_EQ(r.exitCode, 0) << r.console;
    EXPECT_EQ(linesWith(r.console, "[ INFO ]\tNo sound: "), 1) << r.console;
    EXPECT_EQ(linesWith(r.console, "[ ERROR ]\tSound"), 0) << r.console;
    EXPECT_TRUE(r.sound.samples.empty());
}

} // namespace
