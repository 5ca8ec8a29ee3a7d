#include "game/TrackMenu.h"

#include "game/OverlayText.h"
#include "game/Score.h"

#include <algorithm>

namespace {

constexpr float DESIGN_HEIGHT = 1080.0f;
constexpr float HEADING_SCALE = 1.0f;
constexpr float LINE_SCALE = 0.6f;
constexpr float KEYS_SCALE = 0.45f;
constexpr float LINE_GAP = 70.0f;
constexpr glm::vec3 CHOSEN_COLOR{1.0f, 0.85f, 0.3f};
constexpr glm::vec3 GREYED_COLOR{0.4f, 0.4f, 0.4f};

} // namespace

void TrackMenu::open(std::size_t current) {
    open_ = true;
    cursor_ = current;
}

void TrackMenu::moveUp(std::size_t count) {
    if (count > 0) {
        cursor_ = (std::min(cursor_, count - 1) + count - 1) % count;
    }
}

void TrackMenu::moveDown(std::size_t count) {
    if (count > 0) {
        cursor_ = (std::min(cursor_, count - 1) + 1) % count;
    }
}

void TrackMenu::draw(const std::vector<Line>& lines, float width, float height) const {
    const float unit = height / DESIGN_HEIGHT;
    float y = height - 180.0f * unit;
    drawOverlayLine(MENU_HEADING, centredLine(MENU_HEADING, width, y, HEADING_SCALE * unit),
                    HUD_COLOR);
    y -= 1.6f * LINE_GAP * unit;
    // A long list scrolls so that the cursor's line stays in view.
    const std::size_t room =
        std::max<std::size_t>(1, std::size_t((y - 160.0f * unit) / (LINE_GAP * unit)));
    const std::size_t first = cursor_ >= room ? cursor_ - room + 1 : 0;
    // The lines share their left edge, the block centred on its widest line.
    float scale = LINE_SCALE * unit;
    float widest = 0.0f;
    for (const Line& line : lines) {
        widest = std::max(widest, overlayLineWidth("> " + line.text, scale));
    }
    if (widest > 0.94f * width) {
        scale *= 0.94f * width / widest;
        widest = 0.94f * width;
    }
    const float left = 0.5f * (width - widest);
    for (std::size_t i = first; i < lines.size() && i < first + room; ++i) {
        const bool chosen = i == cursor_;
        const std::string text = (chosen ? "> " : "  ") + lines[i].text;
        const glm::vec3 color = lines[i].greyed ? GREYED_COLOR : chosen ? CHOSEN_COLOR : HUD_COLOR;
        drawOverlayLine(text, {left, y, scale}, color);
        y -= LINE_GAP * unit;
    }
    drawOverlayLine(MENU_KEYS, centredLine(MENU_KEYS, width, 90.0f * unit, KEYS_SCALE * unit),
                    HUD_COLOR);
}

std::string trackLineText(const std::string& name, int difficulty, const double* bestSeconds,
                          int bestPoints) {
    std::string text =
        name + "   " +
        (difficulty > 0 ? "difficulty " + std::to_string(difficulty) : std::string("your level")) +
        "   ";
    if (!bestSeconds) {
        return text + "not flown yet";
    }
    return text + "best " + formatClock(*bestSeconds) + " " + MIDDLE_DOT + " " +
           std::to_string(bestPoints) + " points";
}
