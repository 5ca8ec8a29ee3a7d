#pragma once

#include <cstdint>
#include <set>
#include <string>

// The game's display, rendering and sound settings: built-in defaults,
// overridden by the [GRAPHICS] and [SOUND] sections of "res/config/Kelvaro.ini".
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
    // [SOUND]: the level of all sound, and of the music within it (0: none).
    float soundVolume = 1.0f;
    float musicVolume = 0.5f;
    // The keys the file gave a value (upper case), so that
    // start-up can tell a chosen setting from a default.
    std::set<std::string> keysSet;
};

inline constexpr const char* CONFIG_DIRECTORY = "res/config/";
inline constexpr const char* CONFIG_FILE_NAME = "Kelvaro.ini";

// Ceilings of the settings that have no natural end.
// Each blur pass costs a full-screen draw; past 100 the glow no longer
// visibly widens, while 1,000 already drops a software renderer to 1 fps.
inline constexpr long MAX_BLUR_ITERATIONS = 100;
// Below 10 degrees the view is a telescope, towards 180 the picture tears
// apart and at 180 and beyond it turns upside down.
inline constexpr double MIN_FOV = 10.0;
inline constexpr double MAX_FOV = 170.0;
// 0 draws a black scene, negative values invert it.
inline constexpr double MIN_BRIGHTNESS = 0.1;
inline constexpr double MAX_BRIGHTNESS = 10.0;
// The following camera sits about 10 m behind the ship, so less than 20 m
// clips the ship itself; beyond 1e9 m the projection loses its precision.
inline constexpr double MIN_DRAW_DISTANCE = 20.0;
inline constexpr double MAX_DRAW_DISTANCE = 1.0e9;

// Reads a configuration file over the defaults and logs what happened. Keys
// whose values would break the game (a zero window size or frame cap, a
// negative or oversized count, a window size beyond an int, a field of view,
// brightness or draw distance outside its range or not a number) keep their
// default and are reported at ERROR, naming the key. A path that is not a
// regular file (a directory, a named pipe) is reported and never opened.
// Kept apart from config() so that tests can parse many files in one process.
Config parseConfig(const std::string& path);

// The window size must also fit the largest frame the graphics driver can
// draw (GL_MAX_RENDERBUFFER_SIZE), known only once a context exists. A side
// beyond it is reported like any rejected key and set back to its default;
// true when the size changed.
bool fitWindowToDriver(Config& cfg, long maxFrameSize, const std::string& path);

// "res/config/Kelvaro.ini".
std::string configPath();

// The process-wide configuration, read from CONFIG_DIRECTORY + CONFIG_FILE_NAME
// on first use and kept until exit. Only `brightness` changes afterwards.
Config& config();
