#include "sound/SoundSystem.h"

#include "sound/SoundFile.h"

#include <AL/al.h>

#include <algorithm>

namespace {

// Enough one-shots at once for a chime, a pick-up, a crash and a few clicks.
constexpr size_t VOICE_COUNT = 16;

// Inside this distance a sound plays at its full level; it halves at twice
// the distance. The following camera rides about 10 m behind the ship.
constexpr float REFERENCE_DISTANCE = 15.0f;
constexpr float MAX_DISTANCE = 2000.0f;

// The engine's pitch and level from coasting to full torque.
constexpr float ENGINE_PITCH_IDLE = 0.85f;
constexpr float ENGINE_PITCH_FULL = 1.5f;
constexpr float ENGINE_GAIN_IDLE = 0.25f;
constexpr float ENGINE_GAIN_FULL = 0.55f;

struct SoundInfo {
    const char* file;
    float gain;
};

// Each sound's level against the others; clicks stay quiet.
constexpr std::array<SoundInfo, SOUND_COUNT> SOUNDS{{
    {"engine.wav", 1.0f},
    {"chime.wav", 0.9f},
    {"chime_last.wav", 1.0f},
    {"pickup.wav", 0.8f},
    {"crash.wav", 1.0f},
    {"fanfare.wav", 0.8f},
    {"click.wav", 0.35f},
    {"music.wav", 1.0f},
}};

bool isPlaying(uint32_t source) {
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

void placeSource(uint32_t source, bool placed, const glm::vec3& position) {
    alSourcei(source, AL_SOURCE_RELATIVE, placed ? AL_FALSE : AL_TRUE);
    const glm::vec3 at = placed ? position : glm::vec3(0.0f);
    alSource3f(source, AL_POSITION, at.x, at.y, at.z);
}

} // namespace

const char* soundFileName(Sound sound) {
    return SOUNDS[size_t(sound)].file;
}

SoundSystem::~SoundSystem() {
    shutDown();
}

SoundStartReport SoundSystem::start(const SoundSettings& settings, const std::string& folder,
                                    const std::string& deviceName) {
    SoundStartReport report;
    settings_ = settings;
    muted_ = settings.muted;
    std::string reason;
    device_ = AudioDevice::open(deviceName, reason);
    if (!device_) {
        report.infoLines.push_back("No sound: " + reason + ". The game plays silently.");
        return report;
    }
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    folder_ = folder;
    for (int32_t i = 0; i < SOUND_COUNT; ++i) {
        // No music is wanted: the file is not read until it is.
        if (Sound(i) == Sound::Music && settings_.musicVolume <= 0.0f) {
            continue;
        }
        if (std::string problem = loadSound(Sound(i)); !problem.empty()) {
            report.errorLines.push_back(problem);
        }
    }
    voices_.resize(VOICE_COUNT);
    for (Voice& voice : voices_) {
        alGenSources(1, &voice.source);
        alSourcef(voice.source, AL_REFERENCE_DISTANCE, REFERENCE_DISTANCE);
        alSourcef(voice.source, AL_MAX_DISTANCE, MAX_DISTANCE);
    }
    alGenSources(1, &engineSource_);
    alSourcei(engineSource_, AL_LOOPING, AL_TRUE);
    alSourcef(engineSource_, AL_REFERENCE_DISTANCE, REFERENCE_DISTANCE);
    alSourcef(engineSource_, AL_MAX_DISTANCE, MAX_DISTANCE);
    if (buffers_[size_t(Sound::Engine)]) {
        alSourcei(engineSource_, AL_BUFFER, ALint(buffers_[size_t(Sound::Engine)]));
    }
    startMusic();
    applyListenerGain();
    return report;
}

void SoundSystem::shutDown() {
    if (!device_) {
        return;
    }
    for (Voice& voice : voices_) {
        alSourceStop(voice.source);
        alDeleteSources(1, &voice.source);
    }
    voices_.clear();
    for (uint32_t* source : {&engineSource_, &musicSource_}) {
        if (*source) {
            alSourceStop(*source);
            alDeleteSources(1, source);
            *source = 0;
        }
    }
    for (uint32_t& buffer : buffers_) {
        if (buffer) {
            alDeleteBuffers(1, &buffer);
            buffer = 0;
        }
    }
    engineOn_ = false;
    musicTried_ = false;
    device_.reset();
}

bool SoundSystem::loaded(Sound sound) const {
    return buffers_[size_t(sound)] != 0;
}

void SoundSystem::setListener(const glm::vec3& position, const glm::quat& rotation) {
    if (!device_) {
        return;
    }
    const glm::vec3 at = rotation * glm::vec3(0.0f, 0.0f, -1.0f);
    const glm::vec3 up = rotation * glm::vec3(0.0f, 1.0f, 0.0f);
    const float orientation[6] = {at.x, at.y, at.z, up.x, up.y, up.z};
    alListener3f(AL_POSITION, position.x, position.y, position.z);
    alListenerfv(AL_ORIENTATION, orientation);
}

SoundSystem::Voice* SoundSystem::freeVoice() {
    Voice* oldest = nullptr;
    for (Voice& voice : voices_) {
        ALint state = AL_STOPPED;
        alGetSourcei(voice.source, AL_SOURCE_STATE, &state);
        if (state == AL_INITIAL || state == AL_STOPPED) {
            return &voice;
        }
        if (!oldest || voice.started < oldest->started) {
            oldest = &voice;
        }
    }
    // Every voice busy: the oldest sound makes way for the newest.
    return oldest;
}

void SoundSystem::play(Sound sound, bool placed, const glm::vec3& position) {
    const uint32_t buffer = device_ ? buffers_[size_t(sound)] : 0;
    if (!buffer) {
        return;
    }
    Voice* voice = freeVoice();
    if (!voice) {
        return;
    }
    alSourceStop(voice->source);
    alSourcei(voice->source, AL_BUFFER, ALint(buffer));
    alSourcef(voice->source, AL_GAIN, SOUNDS[size_t(sound)].gain);
    placeSource(voice->source, placed, position);
    voice->placed = placed;
    voice->pausedByUs = false;
    voice->started = ++playCounter_;
    alSourcePlay(voice->source);
    // A placed sound started during a pause waits for the game to go on.
    if (placed && paused_) {
        alSourcePause(voice->source);
        voice->pausedByUs = true;
    }
}

void SoundSystem::playAt(Sound sound, const glm::vec3& position) {
    play(sound, true, position);
}

void SoundSystem::playUnplaced(Sound sound) {
    play(sound, false, {});
}

void SoundSystem::runEngine(const glm::vec3& position, float effort) {
    if (!device_ || !engineSource_ || !loaded(Sound::Engine)) {
        return;
    }
    effort = std::clamp(effort, 0.0f, 1.0f);
    alSource3f(engineSource_, AL_POSITION, position.x, position.y, position.z);
    alSourcef(engineSource_, AL_PITCH,
              ENGINE_PITCH_IDLE + (ENGINE_PITCH_FULL - ENGINE_PITCH_IDLE) * effort);
    alSourcef(engineSource_, AL_GAIN,
              ENGINE_GAIN_IDLE + (ENGINE_GAIN_FULL - ENGINE_GAIN_IDLE) * effort);
    if (!engineOn_) {
        engineOn_ = true;
        alSourcePlay(engineSource_);
        enginePaused_ = false;
        if (paused_) {
            alSourcePause(engineSource_);
            enginePaused_ = true;
        }
    }
}

void SoundSystem::stopEngine() {
    if (engineOn_) {
        alSourceStop(engineSource_);
        engineOn_ = false;
        enginePaused_ = false;
    }
}

void SoundSystem::pausePlaced(bool paused) {
    if (!device_ || paused == paused_) {
        return;
    }
    paused_ = paused;
    for (Voice& voice : voices_) {
        if (!voice.placed) {
            continue;
        }
        if (paused && isPlaying(voice.source)) {
            alSourcePause(voice.source);
            voice.pausedByUs = true;
        } else if (!paused && voice.pausedByUs) {
            alSourcePlay(voice.source);
            voice.pausedByUs = false;
        }
    }
    if (engineOn_) {
        if (paused) {
            alSourcePause(engineSource_);
        } else {
            alSourcePlay(engineSource_);
        }
        enginePaused_ = paused;
    }
}

void SoundSystem::stopOneShots() {
    for (Voice& voice : voices_) {
        alSourceStop(voice.source);
        voice.pausedByUs = false;
    }
    stopEngine();
}

std::string SoundSystem::loadSound(Sound sound) {
    const std::string path = folder_ + SOUNDS[size_t(sound)].file;
    SoundRead read = readSoundFile(path);
    if (!read.sound) {
        return "Sound file " + path + ": " + read.problem + ". That sound stays silent.";
    }
    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, AL_FORMAT_MONO16, read.sound->samples.data(),
                 ALsizei(read.sound->samples.size() * sizeof(int16_t)),
                 ALsizei(read.sound->sampleRate));
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &buffer);
        return "Sound file " + path +
               ": the sound device refuses its samples. That sound stays silent.";
    }
    buffers_[size_t(sound)] = buffer;
    return {};
}

void SoundSystem::startMusic() {
    const uint32_t music = buffers_[size_t(Sound::Music)];
    if (!music || musicSource_) {
        return;
    }
    alGenSources(1, &musicSource_);
    alSourcei(musicSource_, AL_BUFFER, ALint(music));
    alSourcei(musicSource_, AL_LOOPING, AL_TRUE);
    placeSource(musicSource_, false, {});
    alSourcef(musicSource_, AL_GAIN, settings_.musicVolume);
    alSourcePlay(musicSource_);
}

std::string SoundSystem::setVolumes(const SoundSettings& settings) {
    settings_ = settings;
    std::string problem;
    // Music turned up from none: its file is read now, once.
    if (device_ && settings_.musicVolume > 0.0f && !buffers_[size_t(Sound::Music)] &&
        !musicTried_) {
        musicTried_ = true;
        problem = loadSound(Sound::Music);
        startMusic();
    }
    if (device_ && musicSource_) {
        alSourcef(musicSource_, AL_GAIN, settings_.musicVolume);
    }
    applyListenerGain();
    return problem;
}

void SoundSystem::setMuted(bool muted) {
    muted_ = muted;
    applyListenerGain();
}

void SoundSystem::applyListenerGain() {
    if (device_) {
        alListenerf(AL_GAIN, muted_ ? 0.0f : settings_.soundVolume);
    }
}

int32_t SoundSystem::playingCount() const {
    int32_t count = 0;
    for (const Voice& voice : voices_) {
        count += isPlaying(voice.source) ? 1 : 0;
    }
    return count;
}

int32_t SoundSystem::pausedCount() const {
    int32_t count = 0;
    for (const Voice& voice : voices_) {
        count += voice.pausedByUs ? 1 : 0;
    }
    return count;
}
