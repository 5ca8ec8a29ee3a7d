#include "sound/SoundFile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

void put(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(char((value >> (8 * i)) & 0xFF));
    }
}

// A 16-bit PCM WAV file; `frames` frames of `channels` samples taken in turn
// from `pattern`.
std::string wav(int channels, int rate, uint32_t frames, std::vector<int16_t> pattern = {1000}) {
    std::string out = "RIFF";
    const uint32_t data = frames * uint32_t(channels) * 2;
    put(out, 36 + data, 4);
    out += "WAVEfmt ";
    put(out, 16, 4);
    put(out, 1, 2);
    put(out, uint32_t(channels), 2);
    put(out, uint32_t(rate), 4);
    put(out, uint32_t(rate * channels * 2), 4);
    put(out, uint32_t(channels * 2), 2);
    put(out, 16, 2);
    out += "data";
    put(out, data, 4);
    for (uint32_t i = 0; i < frames * uint32_t(channels); ++i) {
        put(out, uint16_t(pattern[i % pattern.size()]), 2);
    }
    return out;
}

TEST(SoundFile, DecodesWhatTheGameCanPlayAndNamesWhatItCannot) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* problem; // a part of the reason, or nullptr for a good file
        size_t samples;
    };
    const std::string good = wav(1, 44100, 441);
    const Case cases[] = {
        {"mono", good, nullptr, 441},
        {"stereo, mixed down", wav(2, 22050, 100), nullptr, 100},
        {"8 kHz", wav(1, 8000, 10), nullptr, 10},
        {"empty", "", "the file is empty", 0},
        {"text", "[GRAPHICS]\nFOV = 90\n", "not a sound file libsndfile reads", 0},
        {"header only", good.substr(0, 30), "not a sound file libsndfile reads", 0},
        {"no samples", wav(1, 44100, 0), "holds no samples", 0},
        {"three channels", wav(3, 44100, 10), "has 3 channels", 0},
        {"too slow", wav(1, 4000, 10), "sample rate is 4000 Hz", 0},
        {"longer than ten minutes", wav(1, 8000, 8000 * 601), "longer than 600 seconds", 0},
    };
    for (const Case& c : cases) {
        SoundRead read = decodeSound(c.bytes);
        if (!c.problem) {
            ASSERT_TRUE(read.sound) << c.name << ": " << read.problem;
            EXPECT_EQ(read.sound->samples.size(), c.samples) << c.name;
        } else {
            EXPECT_FALSE(read.sound) << c.name;
            EXPECT_NE(read.problem.find(c.problem), std::string::npos)
                << c.name << ": " << read.problem;
        }
    }
}

TEST(SoundFile, SamplesKeepTheirValuesAndStereoIsAveraged) {
    SoundRead mono = decodeSound(wav(1, 44100, 4, {0, 16384, -16384, 32767}));
    ASSERT_TRUE(mono.sound);
    EXPECT_EQ(mono.sound->sampleRate, 44100);
    EXPECT_EQ(mono.sound->samples, (std::vector<int16_t>{0, 16384, -16384, 32767}));
    SoundRead stereo = decodeSound(wav(2, 22050, 2, {16384, 0, -8192, -8192}));
    ASSERT_TRUE(stereo.sound);
    EXPECT_EQ(stereo.sound->sampleRate, 22050);
    EXPECT_EQ(stereo.sound->samples, (std::vector<int16_t>{8192, -8192}));
}

TEST(SoundFile, OnlyARegularFileOfBoundedSizeIsRead) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "folder.wav");
    const std::string pipe = (dir.path() / "pipe.wav").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const auto huge = dir.write("huge.wav", "RIFF");
    std::filesystem::resize_file(huge, MAX_SOUND_FILE_BYTES + 1); // sparse: nothing is written
    const std::pair<std::string, const char*> cases[] = {
        {(dir.path() / "missing.wav").string(), "no such file"},
        {(dir.path() / "folder.wav").string(), "folder"},
        {pipe, "named pipe"}, // opening it would wait for a writer forever
        {huge.string(), "larger than 64 MiB"},
        {dir.write("good.wav", wav(1, 44100, 10)).string(), nullptr},
    };
    for (const auto& [path, problem] : cases) {
        SoundRead read = readSoundFile(path);
        if (problem) {
            EXPECT_FALSE(read.sound) << path;
            EXPECT_NE(read.problem.find(problem), std::string::npos) << read.problem;
        } else {
            EXPECT_TRUE(read.sound) << read.problem;
        }
    }
}

} // namespace
