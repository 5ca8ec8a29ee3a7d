#pragma once

#include "sound/AudioDevice.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The game's sounds, each one file in the sound folder.
enum class Sound : int32_t {
    Engine,    // loop at the ship
    Chime,     // a ring passed
    LastChime, // the last ring passed
    Pickup,    // a trash can collected
    Crash,     // an asteroid touched
    Fanfare,   // the track finished
    Click,     // pause and menus
    Music,     // the optional music loop
};
inline constexpr int32_t SOUND_COUNT = 8;

// The file of a sound, e.g. "chime.wav".
const char* soundFileName(Sound sound);

// The two volumes of the settings file, each 0 to 1: `soundVolume` scales
// everything, `musicVolume` the music on top of it (0: no music at all); and
// whether the game starts muted (MUTE).
struct SoundSettings {
    float soundVolume = 1.0f;
    float musicVolume = 0.5f;
    bool muted = false;
};

// What start-up found, as console lines to write (start-up may run off the
// main thread, and the console is the main thread's).
struct SoundStartReport {
    std::vector<std::string> infoLines;
    std::vector<std::string> errorLines;
};

// Plays the game's sounds through OpenAL: placed one-shots at a point of the
// scene, unplaced ones (menus, the fanfare), the engine loop and the music.
// Without a device every call does nothing; a sound whose file is missing or
// broken stays silent while the others play.
class SoundSystem {
public:
    SoundSystem() = default;
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // Opens the device (the default one for an empty name) and loads every
    // sound from `folder` (ending in '/'). Callable from any thread, before
    // any other call.
    SoundStartReport start(const SoundSettings& settings, const std::string& folder,
                           const std::string& deviceName = {});
    // Stops everything and closes the device.
    void shutDown();
    bool hasDevice() const { return device_ != nullptr; }
    bool loaded(Sound sound) const;

    // Where the sounds are heard from: a camera's position, looking along
    // rotation × (0, 0, −1) with rotation × (0, 1, 0) up.
    void setListener(const glm::vec3& position, const glm::quat& rotation);
    // A one-shot at a point of the scene.
    void playAt(Sound sound, const glm::vec3& position);
    // A one-shot heard the same wherever the listener is.
    void playUnplaced(Sound sound);
    // The engine loop at `position`: `effort` 0 (coasting) to 1 (full
    // torque) raises its pitch and loudness.
    void runEngine(const glm::vec3& position, float effort);
    void stopEngine();
    bool engineRunning() const { return engineOn_; }
    // Pauses or resumes the placed sounds (the engine too); unplaced sounds and music go on.
    void pausePlaced(bool paused);
    bool placedPaused() const { return paused_; }
    // Silences every one-shot and the engine: what a new run does to the old one's sounds.
    void stopOneShots();
    // New volumes, heard at once. Music turned up from 0 (not even read at
    // start) is read and started then: "" or the console line about a music
    // file that cannot be played.
    std::string setVolumes(const SoundSettings& settings);
    // Mute is the listener's gain at 0; unmuting restores SOUND_VOLUME.
    void setMuted(bool muted);
    bool muted() const { return muted_; }
    // One-shots playing now, and placed ones held by a pause (for tests and benchmarks).
    int32_t playingCount() const;
    int32_t pausedCount() const;

private:
    struct Voice {
        uint32_t source = 0;
        bool placed = false;
        bool pausedByUs = false;
        uint64_t started = 0;
    };
    Voice* freeVoice();
    void play(Sound sound, bool placed, const glm::vec3& position);
    void applyListenerGain();
    // Reads a sound's file into its buffer: "" or the console line about it.
    std::string loadSound(Sound sound);
    void startMusic();

    std::unique_ptr<AudioDevice> device_;
    SoundSettings settings_;
    std::string folder_;
    bool musicTried_ = false;
    std::array<uint32_t, SOUND_COUNT> buffers_{};
    std::vector<Voice> voices_;
    uint32_t engineSource_ = 0;
    uint32_t musicSource_ = 0;
    bool engineOn_ = false;
    bool enginePaused_ = false;
    bool paused_ = false;
    bool muted_ = false;
    uint64_t playCounter_ = 0;
};
