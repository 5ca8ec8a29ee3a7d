// soundgen: writes the game's sounds into a res/ folder as 16-bit mono WAV
// files. Deterministic: the same build writes the same files every time.
//
//     soundgen [RES_DIR]        (default: the source tree's res/)

#include "Sounds.h"
#include "Synth.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const fs::path res = argc > 1 ? fs::path(argv[1]) : fs::path(KELVARO_SOURCE_DIR) / "res";
    const fs::path folder = res / "assets" / "sounds";
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "soundgen: cannot create %s: %s\n", folder.c_str(),
                     error.message().c_str());
        return 1;
    }
    for (const GeneratedSound& sound : generateSounds()) {
        std::string problem;
        const fs::path file = folder / sound.fileName;
        if (!writeFileAtomically(file.string(), wavBytes(sound.signal), problem)) {
            std::fprintf(stderr, "soundgen: %s\n", problem.c_str());
            return 1;
        }
        std::printf("%s: %.2f s at %d Hz\n", file.c_str(), sound.signal.seconds(),
                    sound.signal.sampleRate);
    }
    return 0;
}
