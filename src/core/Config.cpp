#include "core/Config.h"

#include "core/Log.h"

#include <INIReader.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <sstream>

namespace {

constexpr const char* SECTION = "GRAPHICS";

std::string numberText(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

void reject(const std::string& path, const char* key, const std::string& value,
            const std::string& rule, const std::string& kept) {
    logMessage(LogLevel::ERROR, std::string("Rejected ") + key + " = " + value + " in " + path +
                                    ": " + rule + ". Keeping the default " + kept + ".");
}

// Reads an unsigned key. A value outside [minimum, maximum], or one that is
// not a whole number at all, is rejected loudly instead of wrapping around (-1
// would otherwise become four billion) or being dropped without a word.
void readUnsigned(const INIReader& reader, const std::string& path, const char* key, long minimum,
                  long maximum, uint32_t& field) {
    const std::string text = reader.Get(SECTION, key, "");
    if (text.empty()) {
        return;
    }
    const long value = reader.GetInteger(SECTION, key, LONG_MIN);
    if (value < minimum || value > maximum) {
        reject(path, key, text,
               "it must be a whole number from " + std::to_string(minimum) + " to " +
                   std::to_string(maximum),
               std::to_string(field));
        return;
    }
    field = uint32_t(value);
}

// Reads a real key the same way; NaN and the infinities are outside every
// range.
void readReal(const INIReader& reader, const std::string& path, const char* key, double minimum,
              double maximum, float& field) {
    const std::string text = reader.Get(SECTION, key, "");
    if (text.empty()) {
        return;
    }
    const double value = reader.GetReal(SECTION, key, NAN);
    if (!(value >= minimum && value <= maximum)) {
        reject(path, key, text,
               "it must be a number from " + numberText(minimum) + " to " + numberText(maximum),
               numberText(field));
        return;
    }
    field = float(value);
}

} // namespace

Config parseConfig(const std::string& path) {
    Config cfg;
    // Only a regular file is opened: a directory would read as an empty file
    // and a named pipe would block the start until someone writes to it.
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    const bool exists = std::filesystem::exists(status);
    if (exists && !std::filesystem::is_regular_file(status)) {
        logMessage(LogLevel::ERROR,
                   "Settings file " + path + " is not a regular file. Using default values.");
        return cfg;
    }
    INIReader reader(path);
    int result = reader.ParseError();
    if (result == -1) {
        logMessage(LogLevel::WARNING,
                   "Unable to open .ini file at " + path + ". Using default values.");
    } else if (result > 0) {
        logMessage(LogLevel::WARNING, "Error while parsing .ini file at line " +
                                          std::to_string(result) + ". Using default values.");
    }

    readUnsigned(reader, path, "MAX_FPS", 1, long(UINT32_MAX), cfg.maxFps);
    // The window system takes sizes as int; the graphics driver's own limit is
    // only known once a context exists (see fitWindowToDriver).
    readUnsigned(reader, path, "WINDOW_WIDTH", 1, INT_MAX, cfg.windowWidth);
    readUnsigned(reader, path, "WINDOW_HEIGHT", 1, INT_MAX, cfg.windowHeight);
    readUnsigned(reader, path, "BLUR_ITERATIONS", 0, MAX_BLUR_ITERATIONS, cfg.blurIterations);
    readReal(reader, path, "FOV", MIN_FOV, MAX_FOV, cfg.fov);
    readReal(reader, path, "BRIGHTNESS", MIN_BRIGHTNESS, MAX_BRIGHTNESS, cfg.brightness);
    readReal(reader, path, "DRAW_DISTANCE", MIN_DRAW_DISTANCE, MAX_DRAW_DISTANCE, cfg.drawDistance);
    cfg.aspectRatio = float(cfg.windowWidth) / float(cfg.windowHeight);
    cfg.fullscreenMode = reader.GetBoolean(SECTION, "FULLSCREEN_MODE", cfg.fullscreenMode);

    if (result == 0) {
        logMessage(LogLevel::INFO, ".ini parsed successfully.");
    }
    return cfg;
}

bool fitWindowToDriver(Config& cfg, long maxFrameSize, const std::string& path) {
    const Config defaults;
    bool changed = false;
    auto fit = [&](const char* key, uint32_t& field, uint32_t defaultSize) {
        // A driver too small even for the default gets its own largest size.
        const uint32_t fallback = uint32_t(std::min(long(defaultSize), maxFrameSize));
        if (long(field) <= maxFrameSize) {
            return;
        }
        reject(path, key, std::to_string(field),
               "the graphics driver draws frames of at most " + std::to_string(maxFrameSize) +
                   " pixels a side",
               std::to_string(fallback));
        field = fallback;
        changed = true;
    };
    fit("WINDOW_WIDTH", cfg.windowWidth, defaults.windowWidth);
    fit("WINDOW_HEIGHT", cfg.windowHeight, defaults.windowHeight);
    if (changed) {
        cfg.aspectRatio = float(cfg.windowWidth) / float(cfg.windowHeight);
    }
    return changed;
}

Config& config() {
    static Config instance = parseConfig(configPath());
    return instance;
}

std::string configPath() {
    return std::string(CONFIG_DIRECTORY) + CONFIG_FILE_NAME;
}
