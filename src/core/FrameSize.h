#pragma once

#include <cstdint>

struct Config;

// A width and height in pixels.
struct FrameSize {
    uint32_t width = 0;
    uint32_t height = 0;

    // A minimised window's drawable area is empty: nothing is drawn into it.
    bool empty() const { return width == 0 || height == 0; }
    bool operator==(const FrameSize&) const = default;
};

// The smallest share of each side the 3D picture is drawn at: below it the
// scaled-up picture is more blur than scene.
inline constexpr float MIN_RENDER_SCALE = 0.25f;

// The smallest window the game lays its overlay out for; the window system
// is asked to keep the window at least this large.
inline constexpr FrameSize MIN_WINDOW_SIZE{320, 180};

// The size the 3D picture is drawn at in a window of `window`: each side
// times `scale` (held within MIN_RENDER_SCALE and 1), rounded, at least one
// pixel. Empty for an empty window.
FrameSize sceneSize(FrameSize window, float scale);

// The scale that draws about `pixels` pixels of picture in a window of
// `window`, held within MIN_RENDER_SCALE and 1 (a window with fewer pixels
// is drawn whole).
float scaleForPixels(FrameSize window, uint64_t pixels);

// The render scale for a window: the one that keeps the picture near
// `cfg.scenePixels` when the software preset chose it, else RENDER_SCALE.
float renderScaleFor(const Config& cfg, FrameSize window);

// `size` with each side at most the driver's limit (GL_MAX_VIEWPORT_DIMS):
// a larger window would make the driver allocate a frame it cannot draw.
FrameSize withinLimit(FrameSize size, FrameSize limit);
