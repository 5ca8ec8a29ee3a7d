#pragma once

#include <cstdint>

// The off-screen buffers of the bloom frame: the scene pass's at the size
// the 3D picture is drawn at (the window's, or less at a render scale
// below 1), the blur's at a quarter of each side (rounded up), since the
// glow is soft and a pass over a sixteenth of the pixels costs about a
// sixteenth. The bloom composite builds them again when the window's size
// changes.
struct BloomTargets {
    uint32_t width = 0, height = 0;
    // The window's framebuffer, which the last pass scales the picture up to.
    uint32_t outputWidth = 0, outputHeight = 0;
    uint32_t blurWidth = 0, blurHeight = 0;
    // Scene pass target: colour attachment 0 the lit scene, 1 its bright parts.
    uint32_t hdrFramebuffer = 0;
    uint32_t pingpongFramebuffers[2] = {0, 0};
    // [0] the scene, [1] the bright parts; RGB16F, linear filtering.
    uint32_t colourBuffers[2] = {0, 0};
    // The bright parts shrunk to blur size, then the blur passes, alternately;
    // RGB16F at blurWidth x blurHeight.
    uint32_t pingpongBuffers[2] = {0, 0};
    uint32_t depthRenderbuffer = 0;
    // The finished picture at the scene's size (RGBA8), when it is smaller
    // than the window: scaled up to the window by one filtered copy, so that
    // every pass that shades pixels runs at the picture's size.
    uint32_t pictureFramebuffer = 0;
    uint32_t pictureBuffer = 0;

    bool scaled() const { return width != outputWidth || height != outputHeight; }
};

// How many window pixels one blur texel spans along each side.
inline constexpr uint32_t BLUR_SCALE = 4;

// The blur buffers' side for a window side: a BLUR_SCALE-th of it, rounded
// up, at least 1.
uint32_t blurSide(uint32_t windowSide);

// Builds the targets for a width x height picture shown in an output x
// output window (0: the picture's own size). An incomplete scene framebuffer logs
// "Framebuffer incomplete!" and the build goes on. The second ping-pong
// framebuffer is left bound; every user binds its own target first.
BloomTargets createBloomTargets(uint32_t width, uint32_t height, uint32_t outputWidth = 0,
                                uint32_t outputHeight = 0);
// Deletes the targets' buffers and textures; `targets` then owns nothing.
void deleteBloomTargets(BloomTargets& targets);
