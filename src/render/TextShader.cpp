#include "render/TextShader.h"

#include "core/Config.h"
#include "render/Uniforms.h"

#include <glm/gtc/matrix_transform.hpp>

TextShader::TextShader() : VFShader("text.vert", "text.frag") {}

TextShader& TextShader::instance() {
    static TextShader shader;
    return shader;
}

void TextShader::setTextColor(const glm::vec3& color) {
    setUniform(programId, "textColor", color);
}

void TextShader::setProjection() {
    const Config& cfg = config();
    setProjection(float(cfg.windowWidth), float(cfg.windowHeight));
}

void TextShader::setProjection(float width, float height) {
    setUniform(programId, "projection", glm::ortho(0.0f, width, 0.0f, height));
}
