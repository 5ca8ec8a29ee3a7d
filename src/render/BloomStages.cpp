#include "render/BloomStages.h"

#include "render/BloomBlurKernel.h"
#include "render/FullscreenQuad.h"
#include "render/Uniforms.h"

#include <GL/glew.h>

BloomBlurStage::BloomBlurStage()
    : VFShader("blur.vert", "blur.frag"), shrink("blur.vert", "shrink.frag") {}

BloomBlurStage& BloomBlurStage::instance() {
    static BloomBlurStage stage;
    return stage;
}

void BloomBlurStage::blur(const BloomTargets& targets, uint32_t passes) {
    GLint activeUnit = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    glActiveTexture(GL_TEXTURE0);
    // The passes draw into the small blur buffers; the rest of the frame
    // keeps the window's viewport.
    glViewport(0, 0, GLsizei(targets.blurWidth), GLsizei(targets.blurHeight));
    if (passes > 0) {
        glUseProgram(shrink.programId);
        setUniform(shrink.programId, "image", 0);
        setUniform(shrink.programId, "texelStep",
                   glm::vec2(1.0f / float(targets.width), 1.0f / float(targets.height)));
        glBindFramebuffer(GL_FRAMEBUFFER, targets.pingpongFramebuffers[0]);
        glBindTexture(GL_TEXTURE_2D, targets.colourBuffers[1]);
        drawFullscreenQuad();
    }
    glUseProgram(programId);
    setUniform(programId, "image", 0);
    setUniform(programId, "texelStep",
               glm::vec2(1.0f / float(targets.blurWidth), 1.0f / float(targets.blurHeight)));
    // Indexed by `horizontal`.
    const float reach[2] = {blurPassReach(passes, false), blurPassReach(passes, true)};
    bool horizontal = true;
    for (uint32_t pass = 0; pass < passes; ++pass) {
        glBindFramebuffer(GL_FRAMEBUFFER, targets.pingpongFramebuffers[horizontal]);
        setUniform(programId, "horizontal", int32_t(horizontal));
        setUniform(programId, "reach", reach[horizontal]);
        horizontal = !horizontal;
        // After the flip, pingpongBuffers[horizontal] is what the previous
        // pass wrote (for pass 0, the shrunk bright parts).
        glBindTexture(GL_TEXTURE_2D, targets.pingpongBuffers[horizontal]);
        drawFullscreenQuad();
    }
    glViewport(0, 0, GLsizei(targets.outputWidth), GLsizei(targets.outputHeight));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glActiveTexture(GLenum(activeUnit));
}

BloomBlendStage::BloomBlendStage() : VFShader("blend.vert", "blend.frag") {}

BloomBlendStage& BloomBlendStage::instance() {
    static BloomBlendStage stage;
    return stage;
}

void BloomBlendStage::blend(const BloomTargets& targets, uint32_t passes, bool bloomEnabled) {
    GLint activeUnit = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    glUseProgram(programId);
    setUniform(programId, "scene", 0);
    setUniform(programId, "bloomBlur", 1);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, targets.colourBuffers[0]);
    // Without a blur pass no glow buffer was written this frame: reading one
    // would put whatever it last held on screen.
    const bool glow = bloomEnabled && passes > 0;
    if (glow) {
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, targets.pingpongBuffers[passes & 1u]);
    }
    setUniform(programId, "bloom", int32_t(glow));
    setUniform(programId, "exposure", EXPOSURE);
    drawFullscreenQuad();
    glActiveTexture(GLenum(activeUnit));
}
