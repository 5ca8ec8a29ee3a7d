// The sounds shipped in res/assets/sounds/ are what the sound generator writes,
// and each reads back as the game reads it.

#include "sound/SoundFile.h"
#include "sound/SoundSystem.h"

#include "GameProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const fs::path SOUNDS = fs::path(KELVARO_SOURCE_DIR) / "res" / "assets" / "sounds";

TEST(ShippedSounds, EverySoundReadsBackAsTheGameReadsIt) {
    for (int32_t i = 0; i < SOUND_COUNT; ++i) {
        const fs::path file = SOUNDS / soundFileName(Sound(i));
        SoundRead read = readSoundFile(file.string());
        ASSERT_TRUE(read.sound) << file << ": " << read.problem;
        EXPECT_GE(read.sound->seconds(), 0.02) << file;
        EXPECT_LE(read.sound->seconds(), 20.0) << file;
    }
}

#ifdef KELVARO_SOUNDGEN_BINARY
std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(ShippedSounds, AreExactlyWhatTheGeneratorWrites) {
    TempDir out;
    std::string output = runCommand(std::string(KELVARO_SOUNDGEN_BINARY) + " '" +
                                    out.path().string() + "' 2>&1; echo exit=$?");
    ASSERT_NE(output.find("exit=0"), std::string::npos) << output;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(out.path() / "assets" / "sounds")) {
        ++files;
        EXPECT_TRUE(fileBytes(entry.path()) == fileBytes(SOUNDS / entry.path().filename()))
            << entry.path().filename() << " differs from the generator's output: run soundgen";
    }
    EXPECT_EQ(files, SOUND_COUNT);
}
#endif

} // namespace
