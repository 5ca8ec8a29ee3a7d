#include "sound/GameSounds.h"

#include "assets/AssetPaths.h"
#include "core/Config.h"
#include "core/Log.h"
#include "sound/SoundSystem.h"
#include "world/Camera.h"
#include "world/GameObject.h"

#include <algorithm>
#include <cmath>
#include <future>

namespace {

// How long the overlay tells of a mute or unmute.
constexpr double NOTICE_SECONDS = 2.0;
// The fanfare comes in as the last ring's chime rises.
constexpr double FANFARE_DELAY = 0.35;
// The steering command that counts as full effort, and how fast (per second)
// the engine's sound follows a change of effort.
constexpr float FULL_COMMAND = 300.0f;
constexpr float ENGINE_FOLLOW_RATE = 8.0f;

struct GameSoundState {
    // The system lives until exit, like the other process-wide records.
    SoundSystem system;
    std::future<SoundStartReport> starting;
    bool started = false;
    double lastFrame = -1.0;
    // The current flight's own record, owned by its run; between flights
    // the calls write into `idle`, which nobody reads.
    FlightSounds* flight = nullptr;
    FlightSounds idle;
    std::optional<double> noticeUntil;
    std::string notice;
};

GameSoundState& state() {
    static GameSoundState instance;
    return instance;
}

FlightSounds& flight() {
    GameSoundState& s = state();
    return s.flight ? *s.flight : s.idle;
}

// Waits for a start-up that is still running and writes its lines.
SoundSystem& ready() {
    GameSoundState& s = state();
    if (s.starting.valid()) {
        const SoundStartReport report = s.starting.get();
        for (const std::string& line : report.infoLines) {
            logMessage(LogLevel::INFO, line);
        }
        for (const std::string& line : report.errorLines) {
            logMessage(LogLevel::ERROR, line);
        }
    }
    return s.system;
}

} // namespace

SoundSystem& gameSoundSystem() {
    return ready();
}

void startGameSounds() {
    GameSoundState& s = state();
    if (s.started) {
        return;
    }
    s.started = true;
    const SoundSettings settings{config().soundVolume, config().musicVolume, config().muted};
    const std::string folder = soundDirectory();
    AudioDevice::skipUnreachableSoundServer();
    s.starting = std::async(std::launch::async,
                            [settings, folder] { return state().system.start(settings, folder); });
}

void stopGameSounds() {
    ready().shutDown();
    state().started = false;
}

void soundRingPassed(const glm::vec3& ring, bool lastRing) {
    ready().playAt(lastRing ? Sound::LastChime : Sound::Chime, ring);
    if (lastRing) {
        flight().fanfareDue = true;
    }
}

void soundCanCollected(const glm::vec3& can) {
    ready().playAt(Sound::Pickup, can);
}

void soundCrash() {
    FlightSounds& s = flight();
    // Several hulls can touch in one step: one crash.
    if (s.crashed) {
        return;
    }
    s.crashed = true;
    ready().stopEngine();
    ready().playAt(Sound::Crash, s.shipPosition);
}

void soundClick() {
    ready().playUnplaced(Sound::Click);
}

void soundSteering(float pitch, float roll, float yaw) {
    const float effort = std::sqrt(pitch * pitch + roll * roll + yaw * yaw) / FULL_COMMAND;
    FlightSounds& s = flight();
    s.stepEffort = std::max(s.stepEffort, std::min(effort, 1.0f));
}

void soundNewRun() {
    ready().stopOneShots();
}

void setFlightSounds(FlightSounds* sounds) {
    state().flight = sounds;
}

void forgetFlightSounds(const FlightSounds* sounds) {
    if (state().flight == sounds) {
        state().flight = nullptr;
    }
}

// config() follows, so that saving the player's settings finds them there.
void setSoundVolumes(float sound, float music) {
    sound = std::clamp(sound, 0.0f, 1.0f);
    music = std::clamp(music, 0.0f, 1.0f);
    const std::string problem = ready().setVolumes({sound, music, config().muted});
    if (!problem.empty()) {
        logMessage(LogLevel::ERROR, problem);
    }
    config().soundVolume = sound;
    config().musicVolume = music;
}

void setSoundMuted(bool muted) {
    ready().setMuted(muted);
    config().muted = muted;
}

bool soundMuted() {
    return ready().muted();
}

void updateGameSounds(const Camera& listener, const GameObject* ship, GameState gameState,
                      double now) {
    SoundSystem& system = ready();
    GameSoundState& g = state();
    FlightSounds& s = flight();
    const float dt = g.lastFrame < 0.0 ? 0.0f : float(std::clamp(now - g.lastFrame, 0.0, 1.0));
    g.lastFrame = now;
    system.setListener(listener.getPosition(), listener.getRotation());
    system.pausePlaced(gameState == GameState::Paused);

    const bool flying = gameState == GameState::Running || gameState == GameState::Debugging;
    if (ship) {
        s.shipPosition = ship->getPosition();
    }
    if (ship && flying && !s.crashed) {
        s.engineEffort += (s.stepEffort - s.engineEffort) * std::min(1.0f, ENGINE_FOLLOW_RATE * dt);
        system.runEngine(s.shipPosition, s.engineEffort);
    } else if (gameState != GameState::Paused) {
        system.stopEngine();
    }
    // Steps run only while Running; in other states the effort stays as it was.
    if (gameState == GameState::Running) {
        s.stepEffort = 0.0f;
    }

    if (s.fanfareDue) {
        s.fanfareDue = false;
        s.fanfareAt = now + FANFARE_DELAY;
    }
    if (s.fanfareAt && now >= *s.fanfareAt) {
        s.fanfareAt.reset();
        system.playUnplaced(Sound::Fanfare);
    }
}

void toggleSoundMute(double now) {
    SoundSystem& system = ready();
    GameSoundState& s = state();
    system.setMuted(!system.muted());
    config().muted = system.muted();
    if (!system.hasDevice()) {
        s.notice = "No sound device";
    } else {
        s.notice = system.muted() ? "Sound off" : "Sound on";
    }
    s.noticeUntil = now + NOTICE_SECONDS;
}

std::optional<std::string> soundNotice(double now) {
    const GameSoundState& s = state();
    if (s.noticeUntil && now < *s.noticeUntil) {
        return s.notice;
    }
    return std::nullopt;
}
