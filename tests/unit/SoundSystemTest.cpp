// The sound system and the game's calls into it, playing into OpenAL Soft's
// `wave` driver, which writes a WAV file instead of reaching a sound card.

#include "sound/SoundSystem.h"
#include "sound/GameSounds.h"

#include "SoundAnalysis.h"
#include "TempDir.h"
#include "world/Camera.h"
#include "world/GameObject.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string SHIPPED = std::string(KELVARO_SOURCE_DIR) + "/res/assets/sounds/";

// OpenAL reads its configuration once per process: every test of the process
// records into the same file, each after the one before has closed it.
const fs::path& recordingFile() {
    static TempDir dir;
    static const fs::path wav = [] {
        writeWaveDriverConfig(dir.path() / "alsoft.conf", dir.path() / "out.wav");
        setenv("ALSOFT_CONF", (dir.path() / "alsoft.conf").c_str(), 1);
        unsetenv("ALSOFT_DRIVERS");
        return dir.path() / "out.wav";
    }();
    return wav;
}

// Plays `sound` unplaced for a moment with these settings; the recording.
SoundSamples record(const SoundSettings& settings, bool muted, Sound sound) {
    const fs::path& wav = recordingFile();
    SoundSystem system;
    EXPECT_TRUE(system.start(settings, SHIPPED).errorLines.empty());
    system.setMuted(muted);
    system.playUnplaced(sound);
    // The driver mixes in real time: the recording is whole once the sound
    // has played out. The ceiling only keeps a stalled driver from hanging
    // the run.
    const auto ceiling = std::chrono::steady_clock::now() + 30s;
    while (system.playingCount() > 0 && std::chrono::steady_clock::now() < ceiling) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(system.playingCount(), 0) << "the sound never ended";
    system.shutDown();
    SoundRead read = readSoundFile(wav.string());
    EXPECT_TRUE(read.sound) << read.problem;
    return read.sound ? *read.sound : SoundSamples{};
}

TEST(SoundSystem, TheVolumeAndMuteDecideWhatIsHeard) {
    struct Case {
        float soundVolume, musicVolume;
        bool muted, heard;
    };
    const Case cases[] = {
        {1.0f, 0.0f, false, true},
        {0.3f, 0.0f, false, true},
        {0.0f, 0.0f, false, false},
        {1.0f, 0.0f, true, false},
        {0.0f, 1.0f, false, false}, // the sound volume holds the music
                                    // too
        {1.0f, 1.0f, true, false},
    };
    for (const Case& c : cases) {
        SoundSamples out = record({c.soundVolume, c.musicVolume}, c.muted, Sound::Chime);
        const double chime = bandLevel(out, 0.0, out.seconds(), 450.0, 1100.0);
        std::printf("volume %.1f music %.1f%s: chime band %.1f dB, peak %.4f\n", c.soundVolume,
                    c.musicVolume, c.muted ? " muted" : "", chime, peakLevel(out));
        if (c.heard) {
            EXPECT_GT(chime, -40.0) << c.soundVolume;
        } else {
            EXPECT_EQ(peakLevel(out), 0.0) << c.soundVolume << (c.muted ? " muted" : "");
        }
    }
}

TEST(SoundSystem, AMissingOrBrokenFileSilencesOnlyThatSound) {
    recordingFile();
    TempDir dir;
    fs::copy(SHIPPED, dir.path());
    fs::remove(dir.path() / "pickup.wav");
    dir.write("chime.wav", "RIFF but not a sound");
    fs::create_directory(dir.path() / "crash.wav.d");
    SoundSystem system;
    SoundStartReport report = system.start({1.0f, 0.5f}, dir.path().string() + "/");
    ASSERT_TRUE(system.hasDevice());
    ASSERT_EQ(report.errorLines.size(), 2u);
    EXPECT_EQ(report.errorLines[0].find("Sound file " + dir.path().string() + "/chime.wav: "), 0u)
        << report.errorLines[0];
    EXPECT_NE(report.errorLines[1].find("/pickup.wav: no such file. That sound stays silent."),
              std::string::npos)
        << report.errorLines[1];
    EXPECT_FALSE(system.loaded(Sound::Chime));
    EXPECT_FALSE(system.loaded(Sound::Pickup));
    for (Sound sound : {Sound::Engine, Sound::LastChime, Sound::Crash, Sound::Fanfare, Sound::Click,
                        Sound::Music}) {
        EXPECT_TRUE(system.loaded(sound)) << soundFileName(sound);
    }
    system.playAt(Sound::Chime, {0, 0, 0});
    EXPECT_EQ(system.playingCount(), 0);
    system.playAt(Sound::Crash, {0, 0, 0});
    EXPECT_EQ(system.playingCount(), 1);
}

TEST(SoundSystem, WithoutADeviceItSaysWhyOnceAndEveryCallIsHarmless) {
    recordingFile();
    SoundSystem system;
    SoundStartReport report = system.start({1.0f, 0.5f}, SHIPPED, "no such device");
    EXPECT_FALSE(system.hasDevice());
    ASSERT_EQ(report.infoLines.size(), 1u);
    EXPECT_EQ(report.infoLines[0], "No sound: the sound device \"no such device\" cannot be "
                                   "opened. The game plays silently.");
    EXPECT_TRUE(report.errorLines.empty());
    system.setListener({1, 2, 3}, glm::quat(1, 0, 0, 0));
    system.playAt(Sound::Chime, {0, 0, 0});
    system.playUnplaced(Sound::Click);
    system.runEngine({0, 0, 0}, 1.0f);
    system.pausePlaced(true);
    system.setMuted(true);
    EXPECT_EQ(system.playingCount(), 0);
    EXPECT_FALSE(system.engineRunning());
}

TEST(SoundSystem, APausePausesOnlyPlacedSoundsAndANewRunStopsThem) {
    recordingFile();
    SoundSystem system;
    system.start({1.0f, 0.0f}, SHIPPED);
    system.runEngine({0, 0, -10}, 0.5f);
    system.playAt(Sound::LastChime, {0, 0, -20});
    system.playUnplaced(Sound::Fanfare);
    system.pausePlaced(true);
    EXPECT_EQ(system.pausedCount(), 1); // the chime, not the fanfare
    EXPECT_TRUE(system.placedPaused());
    system.playAt(Sound::Pickup, {0, 0, -5}); // waits for the game to go on
    EXPECT_EQ(system.pausedCount(), 2);
    system.pausePlaced(false);
    EXPECT_EQ(system.pausedCount(), 0);
    EXPECT_TRUE(system.engineRunning());
    system.stopOneShots();
    EXPECT_EQ(system.playingCount(), 0);
    EXPECT_FALSE(system.engineRunning());
}

TEST(SoundSystem, MusicTurnedUpFromNoneIsReadAndPlaysThen) {
    recordingFile();
    SoundSystem system;
    system.start({1.0f, 0.0f}, SHIPPED);
    EXPECT_FALSE(system.loaded(Sound::Music));
    EXPECT_EQ(system.setVolumes({1.0f, 0.4f}), "");
    EXPECT_TRUE(system.loaded(Sound::Music));
    // Turned down and up again: the same music, nothing read twice.
    EXPECT_EQ(system.setVolumes({1.0f, 0.0f}), "");
    EXPECT_EQ(system.setVolumes({0.5f, 1.0f}), "");
    EXPECT_TRUE(system.loaded(Sound::Music));
}

// The game's calls: the engine runs while the ship flies or is looked at,
// stops at the end and after a crash; a pause holds it.
TEST(GameSounds, TheEngineAndThePauseFollowTheGameState) {
    recordingFile();
    {
        ScopedWorkingDir source(KELVARO_SOURCE_DIR); // the shipped sounds
        startGameSounds();
        ASSERT_TRUE(gameSoundSystem().hasDevice()); // the files are read by now
    }
    SoundSystem& system = gameSoundSystem();
    Camera camera({0, 0, 10}, glm::quat(1, 0, 0, 0));
    GameObject ship({0, 0, 0}, glm::quat(1, 0, 0, 0), glm::vec3(1.0f), "ship", ObjectKind::Ship,
                    nullptr);
    struct Step {
        GameState state;
        bool engine, paused;
    };
    const Step steps[] = {
        {GameState::Running, true, false},   {GameState::Paused, true, true},
        {GameState::Debugging, true, false}, {GameState::Running, true, false},
        {GameState::Finished, false, false},
    };
    // A flight of its own: another test's crash without one (the rules'
    // tests) must not silence this one's engine.
    FlightSounds first;
    setFlightSounds(&first);
    double now = 1.0;
    for (const Step& step : steps) {
        updateGameSounds(camera, &ship, step.state, now += 0.02);
        EXPECT_EQ(system.engineRunning(), step.engine) << int(step.state);
        EXPECT_EQ(system.placedPaused(), step.paused) << int(step.state);
    }
    // A new flight brings its own record: the engine runs again.
    FlightSounds flight;
    setFlightSounds(&flight);
    soundNewRun();
    updateGameSounds(camera, &ship, GameState::Running, now += 0.02);
    EXPECT_TRUE(system.engineRunning());
    soundCrash();
    EXPECT_FALSE(system.engineRunning());
    EXPECT_EQ(system.playingCount(), 1);
    soundCrash(); // another hull in the same step
    EXPECT_EQ(system.playingCount(), 1);
    updateGameSounds(camera, &ship, GameState::Running, now += 0.02);
    EXPECT_FALSE(system.engineRunning()) << "the engine stays off after a crash";
    EXPECT_TRUE(flight.crashed);
    setFlightSounds(nullptr);
    stopGameSounds();
}

TEST(GameSounds, MSaysBrieflyWhetherSoundIsOnOrOff) {
    recordingFile();
    {
        ScopedWorkingDir source(KELVARO_SOURCE_DIR);
        startGameSounds();
        ASSERT_TRUE(gameSoundSystem().hasDevice()); // the files are read by now
    }
    EXPECT_FALSE(soundNotice(10.0));
    toggleSoundMute(10.0);
    EXPECT_TRUE(gameSoundSystem().muted());
    EXPECT_EQ(soundNotice(10.5), "Sound off");
    EXPECT_FALSE(soundNotice(12.5));
    toggleSoundMute(20.0);
    EXPECT_FALSE(gameSoundSystem().muted());
    EXPECT_EQ(soundNotice(21.0), "Sound on");
    stopGameSounds();
}

} // namespace
