// Sound files: any bytes decoded as the game decodes a file it has read.
#include "FuzzSupport.h"

#include "sound/SoundFile.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    SoundRead read = decodeSound(bytes);
    // A decoded sound is one the device can take; a refusal says why.
    if (read.sound) {
        const SoundSamples& s = *read.sound;
        if (s.samples.empty() || s.sampleRate < 8000 || s.sampleRate > 192000 ||
            s.seconds() > MAX_SOUND_SECONDS) {
            std::abort();
        }
    } else if (read.problem.empty()) {
        std::abort();
    }
    return 0;
}
