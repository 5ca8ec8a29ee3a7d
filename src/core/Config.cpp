#include "core/Config.h"

#include "core/Log.h"

#include <INIReader.h>

#include <climits>
#include <cstdint>

namespace {

constexpr const char* SECTION = "GRAPHICS";

// Reads an unsigned key; values outside [minimum, UINT32_MAX] are rejected
// loudly instead of wrapping around (-1 would otherwise become four billion).
void readUnsigned(const INIReader& reader, const std::string& path, const char* key, long minimum,
                  uint32_t& field) {
    constexpr long ABSENT = LONG_MIN;
    long value = reader.GetInteger(SECTION, key, ABSENT);
    if (value == ABSENT) {
        return;
    }
    if (value < minimum || value > long(UINT32_MAX)) {
        logMessage(LogLevel::ERROR, std::string("Rejected ") + key + " = " + std::to_string(value) +
                                        " in " + path + ": it must be a whole number from " +
                                        std::to_string(minimum) + " to " +
                                        std::to_string(UINT32_MAX) + ". Keeping the default " +
                                        std::to_string(field) + ".");
        return;
    }
    field = uint32_t(value);
}

} // namespace

Config parseConfig(const std::string& path) {
    Config cfg;
    INIReader reader(path);
    int result = reader.ParseError();
    if (result == -1) {
        logMessage(LogLevel::WARNING,
                   "Unable to open .ini file at " + path + ". Using default values.");
    } else if (result > 0) {
        logMessage(LogLevel::WARNING, "Error while parsing .ini file at line " +
                                          std::to_string(result) + ". Using default values.");
    }

    readUnsigned(reader, path, "MAX_FPS", 1, cfg.maxFps);
    readUnsigned(reader, path, "WINDOW_WIDTH", 1, cfg.windowWidth);
    readUnsigned(reader, path, "WINDOW_HEIGHT", 1, cfg.windowHeight);
    readUnsigned(reader, path, "BLUR_ITERATIONS", 0, cfg.blurIterations);
    cfg.fov = float(reader.GetReal(SECTION, "FOV", cfg.fov));
    cfg.brightness = float(reader.GetReal(SECTION, "BRIGHTNESS", cfg.brightness));
    cfg.drawDistance = float(reader.GetReal(SECTION, "DRAW_DISTANCE", cfg.drawDistance));
    cfg.aspectRatio = float(cfg.windowWidth) / float(cfg.windowHeight);
    cfg.fullscreenMode = reader.GetBoolean(SECTION, "FULLSCREEN_MODE", cfg.fullscreenMode);

    for (const char* key : {"MAX_FPS", "WINDOW_WIDTH", "WINDOW_HEIGHT", "BLUR_ITERATIONS", "FOV",
                            "BRIGHTNESS", "DRAW_DISTANCE", "FULLSCREEN_MODE"}) {
        if (reader.HasValue(SECTION, key)) {
            cfg.keysSet.insert(key);
        }
    }

    if (result == 0) {
        logMessage(LogLevel::INFO, ".ini parsed successfully.");
    }
    return cfg;
}

Config& config() {
    static Config instance = parseConfig(std::string(CONFIG_DIRECTORY) + CONFIG_FILE_NAME);
    return instance;
}
