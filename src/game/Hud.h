#pragma once

#include "render/Glyph.h"

#include <glm/vec3.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The colour of every overlay text.
inline constexpr glm::vec3 HUD_COLOR{0.84f, 0.84f, 0.84f};

// One prebuilt line of overlay text: its glyph quads are written once into
// its own buffer and drawn with one call per character. Items are replaced,
// never edited; destroying one deletes its buffer and vertex array.
class HudText {
public:
    // `glyphs` must outlive the item (the font cache keeps fonts until exit).
    // A character without a glyph (only possible when the font failed to
    // load) is left out and does not move the pen.
    HudText(std::string text, const GlyphSet* glyphs, float x, float y, float scale);
    ~HudText();
    HudText(const HudText&) = delete;
    HudText& operator=(const HudText&) = delete;

    void draw(const glm::vec3& color) const;

    const std::string& text() const { return text_; }
    // Where the pen stands after the last character.
    float endX() const { return endX_; }

private:
    const GlyphSet* glyphs_;
    std::string text_;
    uint32_t vertexArray_ = 0;
    uint32_t vertexBuffer_ = 0;
    // Texture of each drawn quad, in buffer order.
    std::vector<uint32_t> textures_;
    float endX_ = 0.0f;
};

// The heads-up display: "Trash collected: " with the count and the total, and
// the flying clock. Created on first use; lives until exit.
class Hud {
public:
    static Hud& instance();

    void setCollected(uint32_t count);
    void setTotal(uint32_t total);
    void setTime(double seconds);
    // The clock, then (once a count exists) the count and the label, then the total.
    void draw() const;

    const HudText* collectedItem() const { return collected_.get(); }
    const HudText* totalItem() const { return total_.get(); }
    const HudText* timeItem() const { return time_.get(); }

private:
    Hud();
    static const GlyphSet* glyphs();
    // The total normally starts at a fixed place; a count of several digits
    // pushes it right instead of running into it.
    void placeTotal();

    HudText label_;
    std::unique_ptr<HudText> collected_;
    std::unique_ptr<HudText> total_;
    std::unique_ptr<HudText> time_;
    uint32_t totalValue_ = 0;
    float totalX_ = 0.0f;
};
