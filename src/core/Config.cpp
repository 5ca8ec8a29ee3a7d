#include "core/Config.h"

#include "core/DataFolder.h"
#include "core/FrameSize.h"
#include "core/Log.h"
#include "core/RegularFile.h"
#include "core/UserFolders.h"

#include <INIReader.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iomanip>
#include <sstream>
#include <type_traits>

namespace fs = std::filesystem;

namespace {

constexpr const char* SECTION = "GRAPHICS";
constexpr const char* SOUND_SECTION = "SOUND";

template <typename Number> std::string numberText(Number value) {
    std::ostringstream text;
    text << std::setprecision(10) << value; // 1000000, not 1e+06
    return text.str();
}

// Reads a key over its field. A value outside [minimum, maximum], or one that
// is not a number of the field's kind at all, is rejected loudly, naming the
// key, instead of wrapping around (-1 would otherwise become four billion) or
// being dropped without a word. NaN and the infinities are outside every
// range. An absent or empty value leaves the field as it is. True when the
// file's value was taken.
template <typename Field, typename Bound>
bool readKey(const INIReader& reader, const std::string& path, const char* section, const char* key,
             Bound minimum, Bound maximum, Field& field) {
    const std::string text = reader.Get(section, key, "");
    if (text.empty()) {
        return false;
    }
    constexpr bool whole = std::is_integral_v<Field>;
    Bound value;
    if constexpr (whole) {
        value = reader.GetInteger(section, key, LONG_MIN);
    } else {
        value = reader.GetReal(section, key, NAN);
    }
    if (!(value >= minimum && value <= maximum)) {
        logMessage(LogLevel::ERROR, std::string("Rejected ") + key + " = " + text + " in " + path +
                                        ": it must be a " + (whole ? "whole number" : "number") +
                                        " from " + numberText(minimum) + " to " +
                                        numberText(maximum) + ". Keeping the default " +
                                        numberText(field) + ".");
        return false;
    }
    field = Field(value);
    return true;
}

// Reads a yes/no key over its field, as the reader spells them (true/false,
// yes/no, on/off, 1/0, in any case); anything else is rejected loudly.
bool readSwitch(const INIReader& reader, const std::string& path, const char* section,
                const char* key, bool& field) {
    const std::string text = reader.Get(section, key, "");
    if (text.empty()) {
        return false;
    }
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (lower == "true" || lower == "yes" || lower == "on" || lower == "1") {
        field = true;
    } else if (lower == "false" || lower == "no" || lower == "off" || lower == "0") {
        field = false;
    } else {
        logMessage(LogLevel::ERROR, std::string("Rejected ") + key + " = " + text + " in " + path +
                                        ": it must be true or false. Keeping " +
                                        (field ? "true" : "false") + ".");
        return false;
    }
    return true;
}

} // namespace

Config parseConfig(const std::string& path, const Config& base) {
    Config cfg = base;
    // Only a regular file is opened: a directory would read as an empty file
    // and a named pipe would block the start until someone writes to it.
    if (!nonRegularFileProblem(path).empty()) {
        logMessage(LogLevel::ERROR,
                   "Settings file " + path + " is not a regular file. Using default values.");
        return cfg;
    }
    const BoundedRead file = readBoundedFile(path, MAX_SETTINGS_BYTES);
    if (!file.problem.empty() && !file.missing) {
        logMessage(LogLevel::ERROR,
                   "Settings file " + path + ": " + file.problem + ". Using default values.");
        return cfg;
    }
    INIReader reader =
        file.missing ? INIReader(path) : INIReader(file.text.data(), file.text.size());
    int result = reader.ParseError();
    if (result == -1) {
        logMessage(LogLevel::WARNING,
                   "Unable to open .ini file at " + path + ". Using default values.");
    } else if (result > 0) {
        logMessage(LogLevel::WARNING, "Error while parsing .ini file " + path + " at line " +
                                          std::to_string(result) + ". Using default values.");
    }

    // A rejected value leaves its key unset, so that start-up still chooses
    // for it (a typo in WINDOW_WIDTH must not pin a software renderer to the
    // full-size default).
    auto readIn = [&](const char* section, const char* key, auto minimum, auto maximum,
                      auto& field) {
        if (readKey(reader, path, section, key, minimum, maximum, field)) {
            cfg.keysSet.insert(key);
            cfg.keyFiles[key] = path;
        }
    };
    auto read = [&](const char* key, auto minimum, auto maximum, auto& field) {
        readIn(SECTION, key, minimum, maximum, field);
    };
    read("MAX_FPS", 1L, long(UINT32_MAX), cfg.maxFps);
    // The window system takes sizes as int; the graphics driver's own limit is
    // only known once a context exists (see fitWindowToDriver).
    read("WINDOW_WIDTH", 1L, long(INT_MAX), cfg.windowWidth);
    read("WINDOW_HEIGHT", 1L, long(INT_MAX), cfg.windowHeight);
    read("BLUR_ITERATIONS", 0L, MAX_BLUR_ITERATIONS, cfg.blurIterations);
    read("FOV", MIN_FOV, MAX_FOV, cfg.fov);
    read("BRIGHTNESS", MIN_BRIGHTNESS, MAX_BRIGHTNESS, cfg.brightness);
    read("DRAW_DISTANCE", MIN_DRAW_DISTANCE, MAX_DRAW_DISTANCE, cfg.drawDistance);
    cfg.aspectRatio = float(cfg.windowWidth) / float(cfg.windowHeight);
    cfg.fullscreenMode = reader.GetBoolean(SECTION, "FULLSCREEN_MODE", cfg.fullscreenMode);
    if (reader.HasValue(SECTION, "FULLSCREEN_MODE")) {
        cfg.keysSet.insert("FULLSCREEN_MODE");
        cfg.keyFiles["FULLSCREEN_MODE"] = path;
    }
    readIn(SOUND_SECTION, "SOUND_VOLUME", 0.0, 1.0, cfg.soundVolume);
    readIn(SOUND_SECTION, "MUSIC_VOLUME", 0.0, 1.0, cfg.musicVolume);
    auto readFlag = [&](const char* section, const char* key, bool& field) {
        if (readSwitch(reader, path, section, key, field)) {
            cfg.keysSet.insert(key);
            cfg.keyFiles[key] = path;
        }
    };
    readFlag(SOUND_SECTION, "MUTE", cfg.muted);
    readFlag("CONTROLS", "INVERT_PITCH", cfg.invertPitch);
    readFlag(SECTION, "SHOW_FPS", cfg.showFps);
    readFlag(SECTION, "GLOW", cfg.glow);
    readFlag(SECTION, "NORMAL_MAPS", cfg.normalMaps);
    read("LEVEL_OF_DETAIL", 0L, MAX_LEVEL_OF_DETAIL, cfg.levelOfDetail);
    // The window.
    read("RENDER_SCALE", double(MIN_RENDER_SCALE), 1.0, cfg.renderScale);
    readFlag(SECTION, "VSYNC", cfg.vsync);
    readFlag(SECTION, "PAUSE_ON_FOCUS_LOSS", cfg.pauseOnFocusLoss);

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
                   std::string("Rejected ") + key + " = " + std::to_string(field) + " in " +
                       (cfg.keyFiles.contains(key) ? cfg.keyFiles.at(key) : path) +
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

Config loadSettings(const std::string& shippedPath, const std::string& userPath) {
    Config cfg = parseConfig(shippedPath);
    std::error_code ignored;
    if (!userPath.empty() && fs::exists(fs::symlink_status(userPath, ignored))) {
        cfg = parseConfig(userPath, cfg);
    }
    return cfg;
}

Config& config() {
    static Config instance = loadSettings(configPath(), userConfigPath());
    return instance;
}

std::string configPath() {
    return dataPath("config/") + CONFIG_FILE_NAME;
}

std::string settingsFileToEdit() {
    const std::string user = userConfigPath();
    return user.empty() ? configPath() : user;
}

std::string userConfigPath() {
    const fs::path folder = userConfigDir();
    return folder.empty() ? std::string() : (folder / CONFIG_FILE_NAME).string();
}
