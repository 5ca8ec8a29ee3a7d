#pragma once

#include <cstdint>

// The off-screen buffers of the bloom frame, all at the configured window
// size (a later window resize does not change them). Created once by the
// bloom composite and kept until exit.
struct BloomTargets {
    // Scene pass target: colour attachment 0 the lit scene, 1 its bright parts.
    uint32_t hdrFramebuffer = 0;
    uint32_t pingpongFramebuffers[2] = {0, 0};
    // [0] the scene, [1] the bright parts; RGB16F, linear filtering.
    uint32_t colourBuffers[2] = {0, 0};
    // The blur passes write these alternately.
    uint32_t pingpongBuffers[2] = {0, 0};
    uint32_t depthRenderbuffer = 0;
};

// Builds the targets at width x height. An incomplete scene framebuffer logs
// "Framebuffer incomplete!" and the build goes on. The second ping-pong
// framebuffer is left bound; every user binds its own target first.
BloomTargets createBloomTargets(uint32_t width, uint32_t height);
