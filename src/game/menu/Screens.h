#pragma once

#include "game/KeyBindings.h"
#include "game/menu/Menu.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The screens that lie over the scene, and what each one lists.
enum class Screen {
    // Before the first flight: the game's name and its track.
    Start,
    Pause,
    Tracks,
    Settings,
    Controls,
};

// The open screens, the top one shown and acted on; each keeps its cursor,
// so that going back finds the line where it was left.
class ScreenStack {
public:
    bool empty() const { return stack_.empty(); }
    Screen top() const { return stack_.back().screen; }
    bool has(Screen screen) const;
    void open(Screen screen, std::size_t cursor = 0);
    // Closes the top screen; the one below (if any) shows again.
    void back();
    void closeAll() { stack_.clear(); }
    std::size_t cursor() const { return stack_.empty() ? 0 : stack_.back().cursor; }
    void setCursor(std::size_t cursor);

private:
    struct Open {
        Screen screen;
        std::size_t cursor;
    };
    std::vector<Open> stack_;
};

// The lines of the start screen and the pause menu, in their order.
enum class StartItem { Fly, Tracks, Settings, Controls, Quit };
enum class PauseItem { Resume, FlyAgain, Tracks, Settings, Controls, Quit };
inline constexpr std::size_t START_ITEMS = 5;
inline constexpr std::size_t PAUSE_ITEMS = 6;

// What the start screen says of the track it will fly.
struct TrackSummary {
    std::string name;
    // 0: a level of the player's own.
    int difficulty = 0;
    std::optional<double> bestSeconds;
    int bestPoints = 0;
    // How the last flight of it went when it did not finish ("crashed at
    // ring 7", "not finished"); "" for none.
    std::string outcome;
};

// A track's cells in the list and on the start screen: its name, its
// difficulty ("difficulty 3", "your level"), and its best ("best 0:38.12 ·
// 1200 points"), or how far it was flown, or "not flown yet".
std::vector<std::string> trackCells(const TrackSummary& track);

MenuPage startPage(const TrackSummary& track);
MenuPage pausePage(const TrackSummary& track, double clock);
// The track list: one row per track, greyed where it cannot be loaded; the
// note says why for the greyed track under the cursor.
MenuPage tracksPage(const std::vector<TrackSummary>& tracks, const std::vector<std::string>& broken,
                    std::size_t cursor);

// Every action with its keys as this keyboard labels them, and its gamepad
// button.
MenuPage controlsPage(const KeyBindings& bindings, const KeyNamer& namer);

// The window title's text for a screen.
const char* screenTitle(Screen screen);

inline constexpr const char* GAME_NAME = "Kelvaro19";
inline constexpr const char* START_KEYS = "Enter fly \xC2\xB7 Esc tracks \xC2\xB7 F1 controls";
inline constexpr const char* MENU_KEYS = "Up/Down choose \xC2\xB7 Enter select \xC2\xB7 Esc back";
inline constexpr const char* TRACKS_KEYS = "Up/Down choose \xC2\xB7 Enter fly \xC2\xB7 Esc back";
