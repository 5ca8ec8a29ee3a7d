#pragma once

#include "render/BloomTargets.h"
#include "render/Shader.h"

#include <cstdint>

// The blur program of the glow ("blur.vert" + "blur.frag"): one direction of
// a separable Gaussian per pass, with the program that first shrinks the
// bright parts to the blur buffers' size ("blur.vert" + "shrink.frag").
class BloomBlurStage : public VFShader {
public:
    BloomBlurStage();

    // The program singleton, built on first use and kept until exit.
    static BloomBlurStage& instance();

    // Blurs the bright parts (colourBuffers[1]) with `passes` passes over the
    // small blur buffers, alternately horizontal and vertical, ping-ponging
    // between the two pingpong buffers: the bright parts are first shrunk
    // into pingpongBuffers[0], then pass k writes pingpongBuffers[1 - k % 2]
    // and reads the previous pass's output (pass 0 reads the shrunk bright
    // parts). After N >= 1 passes the result is in pingpongBuffers[N % 2];
    // with none, nothing is drawn. Ends with the window's framebuffer and
    // viewport (the targets' output size) and the active texture unit as it
    // was.
    void blur(const BloomTargets& targets, uint32_t passes);

    VFShader shrink;
};

// The final program of the frame ("blend.vert" + "blend.frag"): scene plus
// glow through an exposure curve into the bound framebuffer.
class BloomBlendStage : public VFShader {
public:
    // Exposure of the final tone mapping.
    static constexpr float EXPOSURE = 2.2f;

    BloomBlendStage();

    // The program singleton, built on first use and kept until exit.
    static BloomBlendStage& instance();

    // Draws the scene (colourBuffers[0], unit 0) with the glow of the last
    // blur (pingpongBuffers[passes % 2], unit 1) when `bloomEnabled` and at
    // least one pass ran; with no pass there is no glow. The active texture
    // unit is left as it was found.
    void blend(const BloomTargets& targets, uint32_t passes, bool bloomEnabled);
};
