#include "game/Hud.h"

#include "core/Config.h"
#include "game/Score.h"
#include "render/FontLoader.h"
#include "render/Text.h"
#include "render/TextShader.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

namespace {

// The layout of a 1080-pixel-high window.
constexpr float DESIGN_HEIGHT = 1080.0f;
constexpr TextPlacement LABEL{25.0f, 100.0f, 0.5f};
constexpr TextPlacement COLLECTED{360.0f, 100.0f, 0.5f};
constexpr TextPlacement TOTAL{383.0f, 100.0f, 0.5f};
constexpr TextPlacement TIME{25.0f, 150.0f, 0.3f};
// Beside the clock on its line: between the clock and the count there is no
// room for a line that can still be read in a small window.
constexpr TextPlacement BEST{175.0f, 150.0f, 0.3f};
constexpr float END_MESSAGE_SCALE = 2.0f;
constexpr float POINTS_SCALE = 0.65f;
constexpr float POINTS_DROP = 80.0f;
// The share of the window's width a centred line may take at most.
constexpr float MAX_WIDTH_SHARE = 0.94f;

TextPlacement scaled(const TextPlacement& p, float unit) {
    return {p.x * unit, p.y * unit, p.scale * unit};
}

// A line centred on its measured width at `scale`, shrunk where it would be
// wider than the window allows.
TextPlacement centred(const GlyphSet& glyphs, const std::string& text, float width, float y,
                      float scale) {
    TextExtent extent = measureText(glyphs, text, 0.0f, y, scale);
    if (extent.width() > MAX_WIDTH_SHARE * width) {
        scale *= MAX_WIDTH_SHARE * width / extent.width();
        extent = measureText(glyphs, text, 0.0f, y, scale);
    }
    const float middle = extent.empty() ? 0.0f : 0.5f * (extent.left + extent.right);
    return {0.5f * width - middle, y, scale};
}

constexpr GLsizeiptr QUAD_BYTES = sizeof(GlyphQuad);

} // namespace

HudText::HudText(std::string text, const GlyphSet* glyphs, float x, float y, float scale)
    : glyphs_(glyphs), text_(std::move(text)) {
    const float startX = x;
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
    if (glyphs_) {
        extent_ = measureText(*glyphs_, text_, startX, y, scale);
    }
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

OverlayLayout overlayLayout(float /*width*/, float height) {
    OverlayLayout layout;
    layout.unit = height / DESIGN_HEIGHT;
    layout.label = scaled(LABEL, layout.unit);
    layout.collected = scaled(COLLECTED, layout.unit);
    layout.total = scaled(TOTAL, layout.unit);
    layout.time = scaled(TIME, layout.unit);
    layout.best = scaled(BEST, layout.unit);
    return layout;
}

TextPlacement endMessagePlacement(const GlyphSet& glyphs, const std::string& text, float width,
                                  float height) {
    const float unit = height / DESIGN_HEIGHT;
    return centred(glyphs, text, width, 0.5f * height, END_MESSAGE_SCALE * unit);
}

TextPlacement pointsPlacement(const GlyphSet& glyphs, const std::string& text, float width,
                              float height) {
    const float unit = height / DESIGN_HEIGHT;
    return centred(glyphs, text, width, 0.5f * height - POINTS_DROP * unit, POINTS_SCALE * unit);
}

const GlyphSet* Hud::glyphs() {
    return &FontLoader::instance().get(GAME_FONT_NAME).glyphs;
}

Hud::Hud() {
    setWindowSize(float(config().windowWidth), float(config().windowHeight));
}

Hud& Hud::instance() {
    static Hud hud;
    return hud;
}

void Hud::setWindowSize(float width, float height) {
    layout_ = overlayLayout(width, height);
    const TextPlacement& l = layout_.label;
    label_ = std::make_unique<HudText>("Trash collected: ", glyphs(), l.x, l.y, l.scale);
    if (collected_) {
        buildCollected();
    }
    if (total_) {
        total_.reset();
        placeTotal();
    }
    if (time_) {
        buildTime();
    }
    buildBest();
}

void Hud::setCollected(uint32_t count) {
    if (collected_ && count == collectedValue_) {
        return;
    }
    collectedValue_ = count;
    buildCollected();
    if (total_) {
        placeTotal();
    }
}

void Hud::buildCollected() {
    const TextPlacement& c = layout_.collected;
    collected_.reset();
    collected_ =
        std::make_unique<HudText>(std::to_string(collectedValue_), glyphs(), c.x, c.y, c.scale);
}

void Hud::setTotal(uint32_t total) {
    if (total_ && total == totalValue_) {
        return;
    }
    totalValue_ = total;
    total_.reset();
    placeTotal();
}

void Hud::placeTotal() {
    float x = layout_.total.x;
    if (collected_ && collected_->endX() > x) {
        x = collected_->endX();
    }
    if (total_ && total_->endX() > 0.0f && x == totalX_) {
        return;
    }
    total_.reset();
    total_ = std::make_unique<HudText>(std::string("/").append(std::to_string(totalValue_)),
                                       glyphs(), x, layout_.total.y, layout_.total.scale);
    totalX_ = x;
}

void Hud::setTime(double seconds) {
    timeValue_ = seconds;
    if (time_ && time_->text() == formatClock(seconds)) {
        return;
    }
    buildTime();
}

void Hud::buildTime() {
    const TextPlacement& t = layout_.time;
    time_.reset();
    time_ = std::make_unique<HudText>(formatClock(timeValue_), glyphs(), t.x, t.y, t.scale);
}

void Hud::setBest(std::optional<double> seconds) {
    if (seconds == bestValue_) {
        return;
    }
    bestValue_ = seconds;
    buildBest();
}

void Hud::buildBest() {
    best_.reset();
    if (bestValue_) {
        const TextPlacement& b = layout_.best;
        best_ = std::make_unique<HudText>("Best " + formatClock(*bestValue_), glyphs(), b.x, b.y,
                                          b.scale);
    }
}

void Hud::draw() const {
    if (time_) {
        time_->draw(HUD_COLOR);
    }
    if (best_) {
        best_->draw(HUD_COLOR);
    }
    if (collected_) {
        collected_->draw(HUD_COLOR);
        label_->draw(HUD_COLOR);
    }
    if (total_) {
        total_->draw(HUD_COLOR);
    }
}
