#pragma once

#include "game/Hud.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The one look every screen of the game shares (the start screen, the pause
// menu, the track list, settings, controls): a heading, a dark panel behind
// aligned columns, the chosen line marked, a note under it and a line of keys
// at the bottom. Pages are plain data, built afresh for each frame they are
// drawn in; the cursor lives with whoever owns the screen.

// One line of a menu: its cells, each in its own column.
struct MenuRow {
    std::vector<std::string> cells;
    // Shown, never chosen for what it does (a track that cannot be loaded).
    bool greyed = false;
};

struct MenuPage {
    std::string heading;
    // Lines under the heading, centred (the start screen's track).
    std::vector<std::string> lead;
    std::vector<MenuRow> rows;
    // A line under the rows (why a track is greyed, a refused key).
    std::string note;
    // The keys line at the bottom.
    std::string keys;
    // The heading's size against the rows' (the start screen's name is larger).
    float headingScale = 1.0f;
};

// Where everything of a page goes in a window (pixels, from the bottom left).
struct MenuLayout {
    // The window it was laid out for, in pixels.
    float width = 0.0f, height = 0.0f;
    float unit = 1.0f;
    TextPlacement heading;
    std::vector<TextPlacement> lead;
    // The panel behind the heading and its lines (none without them).
    float topX = 0.0f, topY = 0.0f, topWidth = 0.0f, topHeight = 0.0f;
    // The panel behind the rows.
    float panelX = 0.0f, panelY = 0.0f, panelWidth = 0.0f, panelHeight = 0.0f;
    // The left edge of each column, and the rows' text scale.
    std::vector<float> columns;
    float rowScale = 1.0f;
    // The rows in view: `first` and the baselines of those shown.
    std::size_t first = 0;
    std::vector<float> baselines;
    float rowHeight = 0.0f;
    TextPlacement note, keys;
    float keysWidth = 0.0f;
};

// The advance of a line of text at a scale (the overlay's font in the game).
using MeasureLine = std::function<float(const std::string& text, float scale)>;

// Lays a page out for a window, scaled like the overlay (height / 1080) and
// shrunk to fit the width; a long list scrolls so that the cursor's row stays
// in view.
MenuLayout layoutMenu(const MenuPage& page, std::size_t cursor, float width, float height,
                      const MeasureLine& measure);

// The row under a point of the window (pixels from the bottom left), if any.
std::optional<std::size_t> menuRowAt(const MenuLayout& layout, float x, float y);

// Draws a laid-out page over whatever the window holds.
void drawMenu(const MenuPage& page, const MenuLayout& layout, std::size_t cursor);
// layoutMenu with the overlay's font, then drawMenu; the layout, for the mouse.
MenuLayout drawMenuPage(const MenuPage& page, std::size_t cursor, float width, float height);

// Up and down through `count` rows; the cursor wraps round at either end.
std::size_t menuUp(std::size_t cursor, std::size_t count);
std::size_t menuDown(std::size_t cursor, std::size_t count);

// The marked line's colour and a greyed one's.
inline constexpr glm::vec3 MENU_CHOSEN_COLOR{1.0f, 0.85f, 0.3f};
inline constexpr glm::vec3 MENU_GREYED_COLOR{0.45f, 0.45f, 0.45f};
