#include "game/menu/Settings.h"

#include "core/Config.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// The glow's passes go in these steps: each costs a full-screen draw, and
// past 50 the glow hardly widens.
constexpr int32_t GLOW_STEPS[] = {1, 2, 4, 6, 10, 15, 25, 50, 100};

bool stepped(int32_t& value, int step, int32_t low, int32_t high, int32_t by) {
    const int32_t next = std::clamp(value + step * by, low, high);
    const bool changed = next != value;
    value = next;
    return changed;
}

bool nextPasses(int32_t& passes, int step) {
    const int32_t* begin = std::begin(GLOW_STEPS);
    const int32_t* end = std::end(GLOW_STEPS);
    // The nearest step at or above the value (a file may hold any count).
    const int32_t* at = std::lower_bound(begin, end, passes);
    if (step > 0) {
        at = at != end && *at == passes ? at + 1 : at;
        if (at == end) {
            return false;
        }
    } else {
        if (at == begin) {
            return false;
        }
        --at;
    }
    passes = *at;
    return true;
}

std::string onOff(bool value) {
    return value ? "on" : "off";
}

std::string yesNo(bool value) {
    return value ? "yes" : "no";
}

} // namespace

bool changeSetting(PlayerSettings& s, SettingItem item, int step) {
    switch (item) {
    case SettingItem::MasterVolume:
        return stepped(s.masterVolume, step, 0, 100, 10);
    case SettingItem::MusicVolume:
        return stepped(s.musicVolume, step, 0, 100, 10);
    case SettingItem::Mute:
        s.muted = !s.muted;
        return true;
    case SettingItem::LevelOfDetail:
        return stepped(s.levelOfDetail, step, 0, 3, 1);
    case SettingItem::Glow:
        s.glow = !s.glow;
        return true;
    case SettingItem::GlowPasses:
        return nextPasses(s.glowPasses, step);
    case SettingItem::NormalMaps:
        s.normalMaps = !s.normalMaps;
        return true;
    case SettingItem::InvertPitch:
        s.invertPitch = !s.invertPitch;
        return true;
    case SettingItem::ShowFrameRate:
        s.showFrameRate = !s.showFrameRate;
        return true;
    case SettingItem::FullScreen:
        s.fullScreen = !s.fullScreen;
        return true;
    case SettingItem::RenderScale:
        return stepped(s.renderScale, step, s.automaticScale ? 0 : 25, 100, 25);
    }
    return false;
}

MenuPage settingsPage(const PlayerSettings& s, const KeyBindings& bindings, const KeyNamer& namer) {
    MenuPage page;
    page.heading = "Settings";
    auto row = [&page](const char* name, const std::string& value) {
        page.rows.push_back({{name, "<  " + value + "  >"}, false});
    };
    row("Master volume", std::to_string(s.masterVolume) + "%");
    row("Music volume", std::to_string(s.musicVolume) + "%");
    row("Sound", s.muted ? "muted" : "on");
    row("Level of detail", std::to_string(s.levelOfDetail) + " of 3");
    row("Glow", onOff(s.glow));
    row("Glow passes", std::to_string(s.glowPasses));
    row("Normal maps", onOff(s.normalMaps));
    row("Invert pitch", yesNo(s.invertPitch));
    row("Frame rate on screen", yesNo(s.showFrameRate));
    row("Full screen", yesNo(s.fullScreen));
    row("Render scale",
        s.renderScale == 0 ? std::string("automatic") : std::to_string(s.renderScale) + "%");
    for (const ActionInfo& info : actionTable()) {
        page.rows.push_back(
            {{std::string("Key: ") + info.name, bindings.label(info.action, namer)}, false});
    }
    page.keys = SETTINGS_KEYS;
    return page;
}

Action bindingAction(std::size_t row) {
    const auto& table = actionTable();
    return table.at(std::min(row - SETTING_ITEMS, table.size() - 1)).action;
}

PlayerSettings playerSettings(const Config& c) {
    PlayerSettings s;
    s.masterVolume = int32_t(std::lround(c.soundVolume * 10.0f)) * 10;
    s.musicVolume = int32_t(std::lround(c.musicVolume * 10.0f)) * 10;
    s.muted = c.muted;
    s.levelOfDetail = c.levelOfDetail;
    s.glow = c.glow;
    s.glowPasses = int32_t(std::max<uint32_t>(1, c.blurIterations));
    s.normalMaps = c.normalMaps;
    s.invertPitch = c.invertPitch;
    s.showFrameRate = c.showFps;
    s.fullScreen = c.fullscreenMode;
    s.automaticScale = c.presetScenePixels > 0;
    s.renderScale = c.scenePixels > 0 ? 0 : int32_t(std::lround(c.renderScale * 4.0f)) * 25;
    return s;
}

void applyPlayerSettings(const PlayerSettings& s, Config& c) {
    // A volume the player left alone keeps its exact value from the file.
    if (s.masterVolume != playerSettings(c).masterVolume) {
        c.soundVolume = float(s.masterVolume) / 100.0f;
    }
    if (s.musicVolume != playerSettings(c).musicVolume) {
        c.musicVolume = float(s.musicVolume) / 100.0f;
    }
    c.muted = s.muted;
    c.levelOfDetail = s.levelOfDetail;
    c.glow = s.glow;
    if (s.glowPasses != playerSettings(c).glowPasses) {
        c.blurIterations = uint32_t(s.glowPasses);
    }
    c.normalMaps = s.normalMaps;
    c.invertPitch = s.invertPitch;
    c.showFps = s.showFrameRate;
    c.fullscreenMode = s.fullScreen;
    if (s.renderScale != playerSettings(c).renderScale) {
        // A scale of the player's own holds at every window size; automatic
        // gives the picture's pixels back to the software preset.
        c.scenePixels = s.renderScale == 0 ? c.presetScenePixels : 0;
        if (s.renderScale > 0) {
            c.renderScale = float(s.renderScale) / 100.0f;
        }
    }
}
