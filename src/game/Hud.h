#pragma once

#include "render/Glyph.h"

#include <glm/vec3.hpp>

#include <cstdint>
#include <memory>
#include <optional>
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
    // The box its glyphs cover in window pixels.
    const TextExtent& extent() const { return extent_; }

private:
    const GlyphSet* glyphs_;
    std::string text_;
    uint32_t vertexArray_ = 0;
    uint32_t vertexBuffer_ = 0;
    // Texture of each drawn quad, in buffer order.
    std::vector<uint32_t> textures_;
    float endX_ = 0.0f;
    TextExtent extent_;
};

// Where a line of overlay text goes: pen start (baseline, left) in window
// pixels, and its scale.
struct TextPlacement {
    float x = 0.0f, y = 0.0f, scale = 1.0f;
};

// The overlay's places in a window: those of a 1080-pixel-high window (the
// count at the bottom left, the clock above it) scaled by height / 1080, so
// that the overlay keeps its share of the window at every size.
struct OverlayLayout {
    // Window height / 1080.
    float unit = 1.0f;
    TextPlacement label, collected, total, time, best;
};
OverlayLayout overlayLayout(float width, float height);

// An end message ("GAME OVER", "TRACK FINISHED") centred on its measured
// width, its baseline on the window's middle, at twice the overlay's unit
// size, or smaller where that would not fit the window's width.
TextPlacement endMessagePlacement(const GlyphSet& glyphs, const std::string& text, float width,
                                  float height);
// The points line, centred under the end message.
TextPlacement pointsPlacement(const GlyphSet& glyphs, const std::string& text, float width,
                              float height);

// The heads-up display: "Trash collected: " with the count and the total, the
// flying clock and, beside it, the best time on the track. It shows what the
// current run tells it; a setter given the value already shown builds
// nothing. Created on first use at the configured window size; lives until
// exit.
class Hud {
public:
    static Hud& instance();

    void setCollected(uint32_t count);
    void setTotal(uint32_t total);
    // Rebuilds the clock only when its text changes (the loop calls this on
    // every pass, far more often than the hundredths change).
    void setTime(double seconds);
    // Lays the overlay out again for a window of this size.
    void setWindowSize(float width, float height);
    // "Best 0:38.12" beside the clock, or nothing for a track not yet finished.
    void setBest(std::optional<double> seconds);
    // The clock, then (once a count exists) the count and the label, then the total.
    void draw() const;

    const HudText& labelItem() const { return *label_; }
    const HudText* collectedItem() const { return collected_.get(); }
    const HudText* totalItem() const { return total_.get(); }
    const HudText* timeItem() const { return time_.get(); }
    const HudText* bestItem() const { return best_.get(); }
    const OverlayLayout& layout() const { return layout_; }

private:
    Hud();
    static const GlyphSet* glyphs();
    // The total normally starts at a fixed place; a count of several digits
    // pushes it right instead of running into it.
    void placeTotal();
    void buildCollected();
    void buildTime();
    void buildBest();

    OverlayLayout layout_;
    std::unique_ptr<HudText> label_;
    std::unique_ptr<HudText> collected_;
    std::unique_ptr<HudText> total_;
    std::unique_ptr<HudText> time_;
    std::unique_ptr<HudText> best_;
    std::optional<double> bestValue_;
    uint32_t collectedValue_ = 0;
    uint32_t totalValue_ = 0;
    double timeValue_ = 0.0;
    float totalX_ = 0.0f;
};
