#pragma once

#include "game/KeyBindings.h"
#include "game/menu/Menu.h"

struct Config;

#include <cstddef>
#include <cstdint>
#include <vector>

// The lines of the settings screen, in their order.
enum class SettingItem : int32_t {
    MasterVolume,
    MusicVolume,
    Mute,
    LevelOfDetail,
    Glow,
    GlowPasses,
    NormalMaps,
    InvertPitch,
    ShowFrameRate,
    FullScreen,
    RenderScale,
};
inline constexpr std::size_t SETTING_ITEMS = 11;
// After them, one line per action that can be rebound, in the table's order.

// What the settings screen changes, each applied as soon as it changes.
struct PlayerSettings {
    // Percent, in steps of 10.
    int32_t masterVolume = 100;
    int32_t musicVolume = 50;
    bool muted = false;
    int32_t levelOfDetail = 3;
    bool glow = true;
    // Blur passes of the glow, 1 to 100.
    int32_t glowPasses = 25;
    bool normalMaps = true;
    bool invertPitch = false;
    bool showFrameRate = false;
    bool fullScreen = false;
    // Percent of each side the 3D picture is drawn at, in steps of 25; 0 is
    // the software preset's choice, which keeps the picture's pixels at any
    // window size (offered only where the preset made one).
    int32_t renderScale = 100;
    bool automaticScale = false;
};

// One step of a line: `step` -1 (Left) or +1 (Right, Enter, a click).
// Switches flip either way; numbers stop at their ends. False when nothing
// changed.
bool changeSetting(PlayerSettings& settings, SettingItem item, int step);

// The settings lines, then a line per action with its keys as this
// keyboard labels them.
MenuPage settingsPage(const PlayerSettings& settings, const KeyBindings& bindings,
                      const KeyNamer& namer);
// The action a line below the settings rebinds.
Action bindingAction(std::size_t row);

// The settings in the configuration and back.
PlayerSettings playerSettings(const Config& config);
void applyPlayerSettings(const PlayerSettings& settings, Config& config);

inline constexpr const char* SETTINGS_KEYS =
    "Up/Down choose \xC2\xB7 Left/Right change \xC2\xB7 Enter new key \xC2\xB7 Esc back";
