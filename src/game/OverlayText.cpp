#include "game/OverlayText.h"

#include "render/Text.h"

#include <vector>

namespace {

constexpr float MAX_WIDTH_SHARE = 0.94f;

std::vector<std::string> pieces(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = text.find(MIDDLE_DOT, start);
        parts.push_back(text.substr(start, dot - start));
        if (dot == std::string::npos) {
            return parts;
        }
        start = dot + 2;
    }
}

float advance(const std::string& text, float scale) {
    const TextExtent extent = measureText(startupGlyphs(), text, 0.0f, 0.0f, scale);
    return extent.penEnd;
}

} // namespace

float overlayLineWidth(const std::string& text, float scale) {
    float width = 0.0f;
    const auto parts = pieces(text);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        width += advance(parts[i], scale) + (i + 1 < parts.size() ? advance(".", scale) : 0.0f);
    }
    return width;
}

TextPlacement centredLine(const std::string& text, float width, float y, float scale) {
    float lineWidth = overlayLineWidth(text, scale);
    if (lineWidth > MAX_WIDTH_SHARE * width && lineWidth > 0.0f) {
        scale *= MAX_WIDTH_SHARE * width / lineWidth;
        lineWidth = overlayLineWidth(text, scale);
    }
    return {0.5f * (width - lineWidth), y, scale};
}

void drawOverlayLine(const std::string& text, const TextPlacement& at, const glm::vec3& color) {
    const auto parts = pieces(text);
    const TextExtent x = measureText(startupGlyphs(), "x", 0.0f, 0.0f, at.scale);
    const float raise = x.empty() ? 0.0f : 0.35f * (x.top - x.bottom);
    float pen = at.x;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        drawText(parts[i], pen, at.y, at.scale, color);
        pen += advance(parts[i], at.scale);
        if (i + 1 < parts.size()) {
            drawText(".", pen, at.y + raise, at.scale, color);
            pen += advance(".", at.scale);
        }
    }
}
