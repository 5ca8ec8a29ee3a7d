#include "game/Hud.h"

#include "game/Score.h"
#include "render/FontLoader.h"
#include "render/Text.h"
#include "render/TextShader.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

namespace {

struct Layout {
    float x, y, scale;
};
constexpr Layout LABEL{25.0f, 100.0f, 0.5f};
constexpr Layout COLLECTED{360.0f, 100.0f, 0.5f};
constexpr Layout TOTAL{383.0f, 100.0f, 0.5f};
constexpr Layout TIME{25.0f, 150.0f, 0.3f};

constexpr GLsizeiptr QUAD_BYTES = sizeof(GlyphQuad);

} // namespace

HudText::HudText(std::string text, const GlyphSet* glyphs, float x, float y, float scale)
    : glyphs_(glyphs), text_(std::move(text)) {
    glGenVertexArrays(1, &vertexArray_);
    glGenBuffers(1, &vertexBuffer_);
    glBindVertexArray(vertexArray_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(text_.size()) * QUAD_BYTES, nullptr, GL_DYNAMIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    for (char c : text_) {
        auto found = glyphs_ ? glyphs_->find(int8_t(c)) : GlyphSet::const_iterator{};
        if (!glyphs_ || found == glyphs_->end()) {
            continue;
        }
        const Glyph& glyph = found->second;
        GlyphQuad quad = glyphQuad(glyph, x, y, scale);
        glBufferSubData(GL_ARRAY_BUFFER, GLintptr(textures_.size()) * QUAD_BYTES, QUAD_BYTES,
                        quad.data());
        textures_.push_back(glyph.textureId);
        x += glyphAdvance(glyph, scale);
    }
    endX_ = x;
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

HudText::~HudText() {
    // The overlay outlives the window at exit; by then the context is gone.
    if (!glfwGetCurrentContext()) {
        return;
    }
    glDeleteBuffers(1, &vertexBuffer_);
    glDeleteVertexArrays(1, &vertexArray_);
}

void HudText::draw(const glm::vec3& color) const {
    TextShader& shader = TextShader::instance();
    glUseProgram(shader.programId);
    shader.setTextColor(color);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(vertexArray_);
    for (size_t i = 0; i < textures_.size(); ++i) {
        glBindTexture(GL_TEXTURE_2D, textures_[i]);
        // Text lies over the finished frame.
        glDisable(GL_DEPTH_TEST);
        glDrawArrays(GL_TRIANGLES, GLint(6 * i), 6);
        glEnable(GL_DEPTH_TEST);
    }
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
}

const GlyphSet* Hud::glyphs() {
    return &FontLoader::instance().get(GAME_FONT_NAME).glyphs;
}

Hud::Hud() : label_("Trash collected: ", glyphs(), LABEL.x, LABEL.y, LABEL.scale) {}

Hud& Hud::instance() {
    static Hud hud;
    return hud;
}

void Hud::setCollected(uint32_t count) {
    collected_.reset();
    collected_ = std::make_unique<HudText>(std::to_string(count), glyphs(), COLLECTED.x,
                                           COLLECTED.y, COLLECTED.scale);
    if (total_) {
        placeTotal();
    }
}

void Hud::setTotal(uint32_t total) {
    totalValue_ = total;
    total_.reset();
    placeTotal();
}

void Hud::placeTotal() {
    float x = TOTAL.x;
    if (collected_ && collected_->endX() > x) {
        x = collected_->endX();
    }
    if (total_ && total_->endX() > 0.0f && x == totalX_) {
        return;
    }
    total_.reset();
    total_ = std::make_unique<HudText>(std::string("/").append(std::to_string(totalValue_)),
                                       glyphs(), x, TOTAL.y, TOTAL.scale);
    totalX_ = x;
}

void Hud::setTime(double seconds) {
    time_.reset();
    time_ = std::make_unique<HudText>(formatClock(seconds), glyphs(), TIME.x, TIME.y, TIME.scale);
}

void Hud::draw() const {
    if (time_) {
        time_->draw(HUD_COLOR);
    }
    if (collected_) {
        collected_->draw(HUD_COLOR);
        label_.draw(HUD_COLOR);
    }
    if (total_) {
        total_->draw(HUD_COLOR);
    }
}
