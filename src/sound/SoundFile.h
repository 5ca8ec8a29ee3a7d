#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A decoded sound: 16-bit mono samples at the file's rate. Stereo files are
// mixed down to mono, since only a mono sound can be placed in the scene.
struct SoundSamples {
    int sampleRate = 0;
    std::vector<int16_t> samples;
    double seconds() const { return sampleRate > 0 ? double(samples.size()) / sampleRate : 0.0; }
};

// The result of reading a sound: the samples, or why there are none.
struct SoundRead {
    std::optional<SoundSamples> sound;
    std::string problem;
};

// Ceilings for a sound file: no sound of the game is longer than a music loop
// of a few minutes, and a larger file is a mistake or a trap.
inline constexpr uint64_t MAX_SOUND_FILE_BYTES = 64ull << 20;
inline constexpr double MAX_SOUND_SECONDS = 600.0;

// Decodes the bytes of a sound file in any format libsndfile reads (WAV,
// FLAC, Ogg Vorbis, ...). One or two channels, 8 to 192 kHz, at most
// MAX_SOUND_SECONDS long.
SoundRead decodeSound(const std::string& bytes);

// Reads and decodes a file. A folder or named pipe is refused unopened, a
// file beyond MAX_SOUND_FILE_BYTES unread.
SoundRead readSoundFile(const std::string& path);
