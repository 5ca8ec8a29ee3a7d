#include "render/BloomStages.h"

#include "render/FullscreenQuad.h"
#include "render/Uniforms.h"

#include <GL/glew.h>

BloomBlurStage::BloomBlurStage() : VFShader("blur.vert", "blur.frag") {}

BloomBlurStage& BloomBlurStage::instance() {
    static BloomBlurStage stage;
    return stage;
}

void BloomBlurStage::blur(const BloomTargets& targets, uint32_t passes) {
    GLint activeUnit = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    glUseProgram(programId);
    setUniform(programId, "image", 0);
    setUniform(programId, "texelStep",
               glm::vec2(1.0f / float(targets.blurWidth), 1.0f / float(targets.blurHeight)));
    // The passes draw into the half-size blur buffers; the rest of the frame
    // keeps the window's viewport.
    glViewport(0, 0, GLsizei(targets.blurWidth), GLsizei(targets.blurHeight));
    bool horizontal = true;
    bool first = true;
    for (uint32_t pass = 0; pass < passes; ++pass) {
        glBindFramebuffer(GL_FRAMEBUFFER, targets.pingpongFramebuffers[horizontal]);
        setUniform(programId, "horizontal", int32_t(horizontal));
        glActiveTexture(GL_TEXTURE0);
        horizontal = !horizontal;
        // After the flip, pingpongBuffers[horizontal] is what the previous
        // pass wrote.
        glBindTexture(GL_TEXTURE_2D,
                      first ? targets.colourBuffers[1] : targets.pingpongBuffers[horizontal]);
        drawFullscreenQuad();
        first = false;
    }
    glViewport(0, 0, GLsizei(targets.width), GLsizei(targets.height));
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
