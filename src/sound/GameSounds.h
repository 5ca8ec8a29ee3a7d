#pragma once

#include "core/GameState.h"

#include <glm/glm.hpp>

#include <optional>
#include <string>

class Camera;
class GameObject;
class SoundSystem;

// The game's sound, one call at each place where the rules or the keys
// decide something. The process-wide sound system behind these lives until
// exit; without a device every call does nothing.

// What the sound remembers of one flight: whether it crashed, the
// fanfare on its way, the engine's effort. A run owns its own, so that
// nothing of one flight is heard in the next.
struct FlightSounds {
    bool crashed = false;
    glm::vec3 shipPosition{0.0f};
    bool fanfareDue = false;
    std::optional<double> fanfareAt;
    // Effort is the largest a step applied since the last frame.
    float stepEffort = 0.0f;
    float engineEffort = 0.0f;
};
// The flight the calls below speak of (null: none); its owner forgets it
// before it goes (a newer flight set since stays).
void setFlightSounds(FlightSounds* sounds);
void forgetFlightSounds(const FlightSounds* sounds);

// Opens the device and loads the sounds in the background, so that start-up
// does not wait for them; the first other call waits for it to finish and
// writes what it found to the console. The volumes come from the settings.
void startGameSounds();
// Stops every sound and closes the device (at shutdown); a later start opens it again.
void stopGameSounds();

// The rules' events, at the object that caused them.
void soundRingPassed(const glm::vec3& ring, bool lastRing);
void soundCanCollected(const glm::vec3& can);
// The crash plays at the ship, where the engine was last heard.
void soundCrash();
// Pause, the track list and other menus.
void soundClick();
// The torque commands one fixed step applies (each up to about 300): the
// engine follows them.
void soundSteering(float pitch, float roll, float yaw);
// A new run: the old run's sounds stop.
void soundNewRun();

// Once per drawn frame: the listener is the camera that draws it; the engine
// rides with the ship while the game runs (or is looked at with the free
// camera); a pause pauses the placed sounds. `now` is the clock in seconds.
void updateGameSounds(const Camera& listener, const GameObject* ship, GameState state, double now);

// The settings screen's volumes (each 0 to 1) and mute, applied at once;
// config() follows (M's mute too), for savePlayerSettings.
void setSoundVolumes(float sound, float music);
void setSoundMuted(bool muted);
bool soundMuted();

// M: mutes or unmutes all sound.
void toggleSoundMute(double now);
// What the overlay says about the sound for a short while after M, if anything.
std::optional<std::string> soundNotice(double now);

// The process-wide system (tests and benchmarks look at it).
SoundSystem& gameSoundSystem();
