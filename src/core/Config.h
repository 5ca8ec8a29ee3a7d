#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>

// The game's display, rendering and sound settings: built-in defaults,
// overridden by the [GRAPHICS] and [SOUND] sections of the shipped Kelvaro.ini
// in the data folder's config/, overridden key by key by the user's own
// Kelvaro.ini in userConfigDir(). The game never writes either file.
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
    // The window: the share of each side the 3D picture is drawn at before
    // it is scaled up (text and overlay stay at the window's own size), and
    // whether a frame waits for the display's refresh (the swap interval).
    float renderScale = 1.0f;
    bool vsync = true;
    // Whether a flight pauses when another window takes the keyboard
    // (minimising always pauses).
    bool pauseOnFocusLoss = true;
    // Not a key: set by the software preset, the pixels the 3D picture keeps
    // at every window size (0: RENDER_SCALE holds).
    uint32_t scenePixels = 0;
    // Not a key: the preset's choice of those pixels, kept so that the
    // settings can give the picture back to it after a scale of the player's.
    uint32_t presetScenePixels = 0;
    // [SOUND]: the level of all sound, and of the music within it (0: none).
    float soundVolume = 1.0f;
    float musicVolume = 0.5f;
    // The player's settings the menus change (and keep in the user's file):
    // [SOUND] MUTE, [CONTROLS] INVERT_PITCH, [GRAPHICS] SHOW_FPS, GLOW,
    // NORMAL_MAPS and LEVEL_OF_DETAIL (0 coarsest to MAX_LEVEL_OF_DETAIL).
    bool muted = false;
    bool invertPitch = false;
    bool showFps = false;
    bool glow = true;
    bool normalMaps = true;
    int32_t levelOfDetail = 3;
    // The keys the file gave a value (upper case), so that
    // start-up can tell a chosen setting from a default.
    std::set<std::string> keysSet;
    // The file each of those keys came from, for messages about its value.
    std::map<std::string, std::string> keyFiles;
};

inline constexpr const char* CONFIG_FILE_NAME = "Kelvaro.ini";
// A settings file is a page of keys; anything larger is not one, and is
// neither read nor rewritten.
inline constexpr std::size_t MAX_SETTINGS_BYTES = 1024 * 1024;

// Ceilings of the settings that have no natural end.
// Each blur pass costs a full-screen draw; past 100 the glow no longer
// visibly widens, while 1,000 already drops a software renderer to 1 fps.
inline constexpr long MAX_BLUR_ITERATIONS = 100;
inline constexpr long MAX_LEVEL_OF_DETAIL = 3;
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
// negative or oversized count, a switch that is neither yes nor no, a window size beyond an int, a
// field of view, brightness or draw distance outside its range or not a number) keep their default
// and are reported at ERROR, naming the key. A path that is not a regular file (a directory, a
// named pipe) is reported and never opened. Kept apart from config() so that tests can parse many
// files in one process. The file's keys are read over `base`, which keeps every key the file does
// not set (or sets to a value it rejects).
Config parseConfig(const std::string& path, const Config& base = Config());

// The shipped file, then the user's over it, key by key. A user file that is
// not there is no news: nothing is said about it, and nothing is written.
Config loadSettings(const std::string& shippedPath, const std::string& userPath);

// The window size must also fit the largest frame the graphics driver can
// draw (GL_MAX_RENDERBUFFER_SIZE), known only once a context exists. A side
// beyond it is reported like any rejected key, naming the file that set it
// (`path` when `keyFiles` does not know), and set back to its default; true
// when the size changed.
bool fitWindowToDriver(Config& cfg, long maxFrameSize, const std::string& path);

// The shipped settings file: CONFIG_FILE_NAME in the data folder's config/.
std::string configPath();
// The user's settings file in userConfigDir(), the one to edit; empty when
// the user has no home folder.
std::string userConfigPath();
// The file a player should edit to choose a setting: the user's, or the
// shipped one when the user has no home folder.
std::string settingsFileToEdit();

// The process-wide configuration, loadSettings(configPath(), userConfigPath())
// on first use, kept until exit. Afterwards `brightness` changes with the
// screens, and the player's settings with the settings menu (which saves them
// with saveUserSettings).
Config& config();
