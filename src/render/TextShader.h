#pragma once

#include "render/Shader.h"

#include <glm/glm.hpp>

// The program that draws glyph quads in window pixels ("text.vert" +
// "text.frag"); the glyph texture is read from unit 0.
class TextShader : public VFShader {
public:
    TextShader();

    // The program singleton, built on first use and kept until exit.
    static TextShader& instance();

    // "textColor" = color.
    void setTextColor(const glm::vec3& color);
    // "projection" = window pixels to clip space: (0, 0) bottom left,
    // (width, height) top right; without a size, the configured window's.
    void setProjection();
    void setProjection(float width, float height);
};
