#include "core/Config.h"

#include "core/Log.h"
#include "core/RegularFile.h"

#include <INIReader.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <sstream>
#include <type_traits>

namespace {

constexpr const char* SECTION = "GRAPHICS";

template <typename Number> std::string numberText(Number value) {
    std::ostringstream text;
    text << std::setprecision(10) << value; // 1000000, not 1e+06
    return text.str();
}

// Reads a key over its field. A value outside [minimum, maximum], or one that
// is not a number of the field's kind at all, is rejected loudly, naming the
// key, instead of wrapping around (-1 would otherwise become four billion) or
// being dropped without a word. NaN and the infinities are outside every
// range. An absent or empty value leaves the field as it is.
template <typename Field, typename Bound>
void readKey(const INIReader& reader, const std::string& path, const char* key, Bound minimum,
             Bound maximum, Field& field) {
    const std::string text = reader.Get(SECTION, key, "");
    if (text.empty()) {
        return;
    }
    constexpr bool whole = std::is_integral_v<Field>;
    Bound value;
    if constexpr (whole) {
        value = reader.GetInteger(SECTION, key, LONG_MIN);
    } else {
        value = reader.GetReal(SECTION, key, NAN);
    }
    if (!(value >= minimum && value <= maximum)) {
        logMessage(LogLevel::ERROR, std::string("Rejected ") + key + " = " + text + " in " + path +
                                        ": it must be a " + (whole ? "whole number" : "number") +
                                        " from " + numberText(minimum) + " to " +
                                        numberText(maximum) + ". Keeping the default " +
                                        numberText(field) + ".");
        return;
    }
    field = Field(value);
}

} // namespace

Config parseConfig(const std::string& path) {
    Config cfg;
    // Only a regular file is opened: a directory would read as an empty file
    // and a named pipe would block the start until someone writes to it.
    if (!nonRegularFileProblem(path).empty()) {
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

    readKey(reader, path, "MAX_FPS", 1L, long(UINT32_MAX), cfg.maxFps);
    // The window system takes sizes as int; the graphics driver's own limit is
    // only known once a context exists (see fitWindowToDriver).
    readKey(reader, path, "WINDOW_WIDTH", 1L, long(INT_MAX), cfg.windowWidth);
    readKey(reader, path, "WINDOW_HEIGHT", 1L, long(INT_MAX), cfg.windowHeight);
    readKey(reader, path, "BLUR_ITERATIONS", 0L, MAX_BLUR_ITERATIONS, cfg.blurIterations);
    readKey(reader, path, "FOV", MIN_FOV, MAX_FOV, cfg.fov);
    readKey(reader, path, "BRIGHTNESS", MIN_BRIGHTNESS, MAX_BRIGHTNESS, cfg.brightness);
    readKey(reader, path, "DRAW_DISTANCE", MIN_DRAW_DISTANCE, MAX_DRAW_DISTANCE, cfg.drawDistance);
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

bool fitWindowToDriver(Config& cfg, long maxFrameSize, const std::string& path) {
    const Config defaults;
    bool changed = false;
    auto fit = [&](const char* key, uint32_t& field, uint32_t defaultSize) {
        // A driver too small even for the default gets its own largest size.
        const uint32_t fallback = uint32_t(std::min(long(defaultSize), maxFrameSize));
        if (long(field) <= maxFrameSize) {
            return;
        }
        logMessage(LogLevel::ERROR,
                   std::string("Rejected ") + key + " = " + std::to_string(field) + " in " + path +
                       ": the graphics driver draws frames of at most " +
                       std::to_string(maxFrameSize) + " pixels a side. Keeping the default " +
                       std::to_string(fallback) + ".");
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
