#pragma once

#include <cstdint>
#include <set>
#include <string>

// The game's display and rendering settings: built-in defaults, overridden by
// the [GRAPHICS] section of "res/config/Kelvaro.ini".
struct Config {
    uint32_t maxFps = 60;
    uint32_t windowWidth = 1920;
    uint32_t windowHeight = 1080;
    uint32_t blurIterations = 25;
    float fov = 90.0f;
    float brightness = 1.0f;
    float drawDistance = 1000000.0f;
    float aspectRatio = 1920.0f / 1080.0f;
    bool fullscreenMode = false;
    // The [GRAPHICS] keys the file gave a value (upper case), so that
    // start-up can tell a chosen setting from a default.
    std::set<std::string> keysSet;
};

inline constexpr const char* CONFIG_DIRECTORY = "res/config/";
inline constexpr const char* CONFIG_FILE_NAME = "Kelvaro.ini";

// Reads a configuration file over the defaults and logs what happened. Keys
// whose values would break the game (a zero window size or frame cap, a
// negative or oversized count) keep their default and are reported at ERROR.
// Kept apart from config() so that tests can parse many files in one process.
Config parseConfig(const std::string& path);

// The process-wide configuration, read from CONFIG_DIRECTORY + CONFIG_FILE_NAME
// on first use and kept until exit. Only `brightness` changes afterwards.
Config& config();
