#include "render/BloomTargets.h"

#include "core/Log.h"

#include <GL/glew.h>

namespace {
// Half-float colour keeps the lit scene's values above 1 for the glow.
void allocateColourTexture(GLuint texture, uint32_t width, uint32_t height) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB16F, GLsizei(width), GLsizei(height), 0, GL_RGB, GL_FLOAT,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}
} // namespace

uint32_t blurSide(uint32_t windowSide) {
    return windowSide == 0 ? 1 : (windowSide + BLUR_SCALE - 1) / BLUR_SCALE;
}

BloomTargets createBloomTargets(uint32_t width, uint32_t height, uint32_t outputWidth,
                                uint32_t outputHeight) {
    BloomTargets t;
    t.width = width;
    t.height = height;
    t.outputWidth = outputWidth > 0 ? outputWidth : width;
    t.outputHeight = outputHeight > 0 ? outputHeight : height;
    t.blurWidth = blurSide(width);
    t.blurHeight = blurSide(height);
    glGenFramebuffers(1, &t.hdrFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, t.hdrFramebuffer);
    glGenTextures(2, t.colourBuffers);
    for (GLenum i = 0; i < 2; ++i) {
        allocateColourTexture(t.colourBuffers[i], width, height);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D,
                               t.colourBuffers[i], 0);
    }
    glGenRenderbuffers(1, &t.depthRenderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, t.depthRenderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, GLsizei(width), GLsizei(height));
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              t.depthRenderbuffer);
    const GLenum drawBuffers[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
    glDrawBuffers(2, drawBuffers);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        logMessage(LogLevel::ERROR, "Framebuffer incomplete!");
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    glGenFramebuffers(1, &t.pictureFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, t.pictureFramebuffer);
    glGenTextures(1, &t.pictureBuffer);
    glBindTexture(GL_TEXTURE_2D, t.pictureBuffer);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(width), GLsizei(height), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.pictureBuffer, 0);

    glGenFramebuffers(2, t.pingpongFramebuffers);
    glGenTextures(2, t.pingpongBuffers);
    for (int j = 0; j < 2; ++j) {
        glBindFramebuffer(GL_FRAMEBUFFER, t.pingpongFramebuffers[j]);
        allocateColourTexture(t.pingpongBuffers[j], t.blurWidth, t.blurHeight);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                               t.pingpongBuffers[j], 0);
    }
    return t;
}

void deleteBloomTargets(BloomTargets& t) {
    glDeleteFramebuffers(1, &t.hdrFramebuffer);
    glDeleteFramebuffers(2, t.pingpongFramebuffers);
    glDeleteTextures(2, t.colourBuffers);
    glDeleteTextures(2, t.pingpongBuffers);
    glDeleteRenderbuffers(1, &t.depthRenderbuffer);
    glDeleteFramebuffers(1, &t.pictureFramebuffer);
    glDeleteTextures(1, &t.pictureBuffer);
    t = BloomTargets{};
}
