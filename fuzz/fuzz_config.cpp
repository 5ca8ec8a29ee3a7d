// The settings file: any bytes as "Kelvaro.ini", read with its range checks,
// then fitted to a driver of any size.
#include "FuzzSupport.h"

#include "core/Config.h"

#include <climits>
#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto file = scratchFolder() / "Kelvaro.ini";
    writeBytes(file, data, size);
    Config cfg = parseConfig(file.string());
    // Whatever the file said, the settings are ones the game can run with.
    const bool sane =
        cfg.maxFps >= 1 && cfg.windowWidth >= 1 && cfg.windowHeight >= 1 &&
        cfg.windowWidth <= uint32_t(INT_MAX) && cfg.windowHeight <= uint32_t(INT_MAX) &&
        cfg.blurIterations <= uint32_t(MAX_BLUR_ITERATIONS) && std::isfinite(cfg.fov) &&
        cfg.fov >= float(MIN_FOV) && cfg.fov <= float(MAX_FOV) && std::isfinite(cfg.brightness) &&
        cfg.brightness > 0.0f && std::isfinite(cfg.drawDistance) && cfg.drawDistance > 0.0f &&
        std::isfinite(cfg.aspectRatio) && cfg.aspectRatio > 0.0f;
    if (!sane) {
        std::abort();
    }
    // The driver's largest frame, taken from the input too (OpenGL 3.3 grants
    // at least 1024).
    const long maxFrame = 1024 + long(size % 65536);
    fitWindowToDriver(cfg, maxFrame, file.string());
    if (long(cfg.windowWidth) > maxFrame || long(cfg.windowHeight) > maxFrame ||
        !std::isfinite(cfg.aspectRatio)) {
        std::abort();
    }
    return 0;
}
