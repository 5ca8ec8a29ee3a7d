#include "core/CameraDefaults.h"

#include "core/Config.h"

CameraDefaults cameraDefaultsFrom(const Config& cfg) {
    return {cfg.fov, float(cfg.windowWidth) / float(cfg.windowHeight), cfg.drawDistance};
}

CameraDefaults cameraDefaults = cameraDefaultsFrom(Config{});
