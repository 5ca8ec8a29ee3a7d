#include "sound/SoundFile.h"

#include "core/RegularFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

// libsndfile reads through these from a string held in memory.
struct MemoryFile {
    const std::string* bytes;
    sf_count_t position = 0;
};

sf_count_t memoryLength(void* user) {
    return sf_count_t(static_cast<MemoryFile*>(user)->bytes->size());
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t size = sf_count_t(file->bytes->size());
    sf_count_t target = offset;
    if (whence == SEEK_CUR) {
        target = file->position + offset;
    } else if (whence == SEEK_END) {
        target = size + offset;
    }
    if (target < 0) {
        return -1;
    }
    file->position = target;
    return target;
}

sf_count_t memoryRead(void* destination, sf_count_t count, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t size = sf_count_t(file->bytes->size());
    if (count <= 0 || file->position >= size) {
        return 0;
    }
    const sf_count_t n = std::min(count, size - file->position);
    std::memcpy(destination, file->bytes->data() + file->position, size_t(n));
    file->position += n;
    return n;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t memoryTell(void* user) {
    return static_cast<MemoryFile*>(user)->position;
}

SoundRead failure(std::string problem) {
    return {std::nullopt, std::move(problem)};
}

} // namespace

SoundRead decodeSound(const std::string& bytes) {
    if (bytes.empty()) {
        return failure("the file is empty");
    }
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    MemoryFile file{&bytes};
    SF_INFO info{};
    SNDFILE* handle = sf_open_virtual(&io, SFM_READ, &info, &file);
    if (!handle) {
        return failure(std::string("it is not a sound file libsndfile reads (") +
                       sf_strerror(nullptr) + ")");
    }
    struct Closer {
        SNDFILE* handle;
        ~Closer() { sf_close(handle); }
    } closer{handle};
    if (info.channels < 1 || info.channels > 2) {
        return failure("it has " + std::to_string(info.channels) +
                       " channels; the game plays mono or stereo sounds");
    }
    if (info.samplerate < 8000 || info.samplerate > 192000) {
        return failure("its sample rate is " + std::to_string(info.samplerate) +
                       " Hz; the game plays 8000 to 192000 Hz");
    }
    // The header's frame count is only a claim; the ceiling bounds what is
    // read whatever it says.
    const sf_count_t maxFrames = sf_count_t(MAX_SOUND_SECONDS * info.samplerate);
    if (info.frames > maxFrames) {
        return failure("it lasts longer than " + std::to_string(int(MAX_SOUND_SECONDS)) +
                       " seconds");
    }
    SoundSamples sound;
    sound.sampleRate = info.samplerate;
    // Read as floats: libsndfile scales every sample format to -1..1 that way,
    // while floating-point files read as shorts would come out unscaled.
    std::vector<float> block(size_t(4096 * info.channels));
    auto toShort = [](float value) {
        return int16_t(std::clamp(std::lround(value * 32768.0f), -32768L, 32767L));
    };
    for (;;) {
        const sf_count_t frames = sf_readf_float(handle, block.data(), 4096);
        if (frames <= 0) {
            break;
        }
        if (sf_count_t(sound.samples.size()) + frames > maxFrames) {
            return failure("it lasts longer than " + std::to_string(int(MAX_SOUND_SECONDS)) +
                           " seconds");
        }
        for (sf_count_t f = 0; f < frames; ++f) {
            if (info.channels == 1) {
                sound.samples.push_back(toShort(block[size_t(f)]));
            } else {
                sound.samples.push_back(
                    toShort(0.5f * (block[size_t(2 * f)] + block[size_t(2 * f + 1)])));
            }
        }
    }
    if (sf_error(handle) != SF_ERR_NO_ERROR) {
        return failure(std::string("it cannot be decoded (") + sf_strerror(handle) + ")");
    }
    if (sound.samples.empty()) {
        return failure("it holds no samples");
    }
    return {std::move(sound), {}};
}

SoundRead readSoundFile(const std::string& path) {
    const std::string problem = regularFileProblem(path);
    if (!problem.empty()) {
        return failure(problem);
    }
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        return failure("its size cannot be read (" + error.message() + ")");
    }
    if (size > MAX_SOUND_FILE_BYTES) {
        return failure("it is larger than " + std::to_string(MAX_SOUND_FILE_BYTES >> 20) + " MiB");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return failure("it cannot be opened");
    }
    std::string bytes(size_t(size), '\0');
    in.read(bytes.data(), std::streamsize(size));
    if (!in) {
        return failure("it cannot be read");
    }
    return decodeSound(bytes);
}
