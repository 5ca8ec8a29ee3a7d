#pragma once

#include <glm/vec4.hpp>

#include <vector>

// A flat rectangle in window pixels (from the bottom left) with its colour
// and coverage.
struct PanelRect {
    float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
    glm::vec4 color{0.0f, 0.0f, 0.0f, 1.0f};
};

// Draws the rectangles in order, blended over a window of the given size
// (the frame as it is now, which a resize or full screen changes). Leaves program 0, no vertex
// array, and the depth test and face culling as it found them.
void drawPanels(const std::vector<PanelRect>& rects, float width, float height);
