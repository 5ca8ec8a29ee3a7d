#include "render/BloomStages.h"
#include "render/BloomTargets.h"

#include "GlWindow.h"
#include "RenderTestSupport.h"
#include "TempDir.h"

#include <GL/glew.h>

#include <cmath>
#include <optional>

namespace {

using rendertest::readFloatPixel;
using rendertest::readFloatPixels;

const glm::vec3 GREEN(0, 1, 0);
const glm::vec3 BLUE(0, 0, 1);

class BloomPasses : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        cwd.emplace(KELVARO_SOURCE_DIR);
        targets = createBloomTargets(WIDTH, HEIGHT);
        blurStage.emplace();
        blendStage.emplace();
        // The bright parts: one hot pixel in the middle, nothing elsewhere.
        fill(targets.hdrFramebuffer, 1, glm::vec3(0.0f));
        fillPixel(targets.hdrFramebuffer, 1, CENTRE, CENTRE, glm::vec3(1.0f, 0.0f, 0.0f));
        fill(targets.hdrFramebuffer, 0, glm::vec3(0.0f));
        // Marker colours show which ping-pong buffer a pass or the blend read.
        fill(targets.pingpongFramebuffers[0], 0, GREEN);
        fill(targets.pingpongFramebuffers[1], 0, BLUE);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    static void fill(uint32_t framebuffer, int attachment, glm::vec3 colour) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        const float value[4] = {colour.r, colour.g, colour.b, 1.0f};
        glClearBufferfv(GL_COLOR, attachment, value);
    }

    static void fillPixel(uint32_t framebuffer, int attachment, int x, int y, glm::vec3 colour) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(x, y, 1, 1);
        fill(framebuffer, attachment, colour);
        glDisable(GL_SCISSOR_TEST);
    }

    glm::vec3 pingpong(int j, int x, int y) const {
        return readFloatPixel(targets.pingpongFramebuffers[j], x, y);
    }

    static constexpr int CENTRE = 32;
    // The hot pixel's place in the small blur buffers, and its share of its
    // blur texel.
    static constexpr int C = CENTRE / int(BLUR_SCALE);
    static constexpr float SHRUNK = 1.0f / float(BLUR_SCALE * BLUR_SCALE);
    static constexpr int BLUR_SIDE = WIDTH / int(BLUR_SCALE);
    std::optional<ScopedWorkingDir> cwd;
    BloomTargets targets;
    std::optional<BloomBlurStage> blurStage;
    std::optional<BloomBlendStage> blendStage;
};

TEST_F(BloomPasses, TargetsAreHalfFloatAndComplete) {
    glBindFramebuffer(GL_FRAMEBUFFER, targets.hdrFramebuffer);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    for (uint32_t texture : {targets.colourBuffers[0], targets.colourBuffers[1],
                             targets.pingpongBuffers[0], targets.pingpongBuffers[1]}) {
        glBindTexture(GL_TEXTURE_2D, texture);
        GLint format = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        EXPECT_EQ(format, GL_RGB16F);
    }
    // The scene pass at the window's size, the blur at a quarter of each side.
    auto size = [](uint32_t texture) {
        glBindTexture(GL_TEXTURE_2D, texture);
        GLint width = 0, height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        return std::make_pair(width, height);
    };
    EXPECT_EQ(size(targets.colourBuffers[0]), std::make_pair(WIDTH, HEIGHT));
    EXPECT_EQ(size(targets.colourBuffers[1]), std::make_pair(WIDTH, HEIGHT));
    EXPECT_EQ(size(targets.pingpongBuffers[0]), std::make_pair(WIDTH / 4, HEIGHT / 4));
    EXPECT_EQ(size(targets.pingpongBuffers[1]), std::make_pair(WIDTH / 4, HEIGHT / 4));
    // Values above 1 survive: that is what the glow is made of.
    fill(targets.hdrFramebuffer, 1, glm::vec3(4.0f));
    EXPECT_FLOAT_EQ(readFloatPixel(targets.hdrFramebuffer, 3, 3, GL_COLOR_ATTACHMENT1).r, 4.0f);
}

TEST_F(BloomPasses, ZeroSizeReportsAnIncompleteFramebufferAndGoesOn) {
    testing::internal::CaptureStdout();
    BloomTargets broken = createBloomTargets(0, 0);
    std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(console, "[ ERROR ]\tFramebuffer incomplete!\n");
    EXPECT_NE(broken.pingpongFramebuffers[1], 0u);
}

TEST_F(BloomPasses, NoPassLeavesBothBuffersAndTheBlendDrawsNoGlow) {
    blurStage->blur(targets, 0);
    EXPECT_EQ(pingpong(0, C, C), GREEN);
    EXPECT_EQ(pingpong(1, C, C), BLUE);
    // Neither buffer was written this frame: what they hold (the markers
    // here) must not reach the screen.
    blendStage->blend(targets, 0, true);
    auto pixel = readPixels(CENTRE, CENTRE, 1, 1);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 0);
    EXPECT_EQ(pixel[2], 0);
    float bloom = -1.0f;
    glGetUniformfv(blendStage->programId, glGetUniformLocation(blendStage->programId, "bloom"),
                   &bloom);
    EXPECT_EQ(bloom, 0.0f);
}

TEST_F(BloomPasses, OnePassReadsTheShrunkBrightPartsIntoTheSecondBuffer) {
    blurStage->blur(targets, 1);
    // The hot pixel averaged into its blur texel, in buffer 0 where pass 0
    // read it and in buffer 1 where pass 0 wrote it: shrinking and filtering
    // back up alone spread the glow further than one pass over the window
    // did, so the pass adds nothing.
    for (int j : {0, 1}) {
        EXPECT_NEAR(pingpong(j, C, C).r, SHRUNK, 1e-4f) << j;
        EXPECT_EQ(pingpong(j, C + 1, C), glm::vec3(0.0f)) << j;
        EXPECT_EQ(pingpong(j, C, C + 1), glm::vec3(0.0f)) << j;
    }
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    // The window's viewport is back for the blend and the overlay.
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], WIDTH);
    EXPECT_EQ(viewport[3], HEIGHT);
    // The blend shows the glow filtered back up around the hot pixel only.
    blendStage->blend(targets, 1, true);
    EXPECT_GT(readPixels(CENTRE, CENTRE, 1, 1)[0], 20);
    EXPECT_EQ(readPixels(CENTRE, CENTRE, 1, 1)[1], 0);
    EXPECT_EQ(readPixels(CENTRE, CENTRE + 8, 1, 1)[0], 0);
    EXPECT_EQ(readPixels(CENTRE + 8, CENTRE, 1, 1)[0], 0);
}

TEST_F(BloomPasses, ThreePassesAlternateDirectionsAndReadThePreviousPass) {
    blurStage->blur(targets, 3);
    // Two horizontal passes share what the glow still lacks along the rows;
    // the one vertical pass has nothing to add. Buffer 0 holds pass 1's
    // copy of pass 0's row, buffer 1 pass 2's wider row.
    EXPECT_GT(pingpong(0, C + 1, C).r, 1e-4f);
    EXPECT_EQ(pingpong(0, C + 2, C).r, 0.0f);
    EXPECT_GT(pingpong(1, C + 2, C).r, 1e-6f);
    for (int j : {0, 1}) {
        EXPECT_EQ(pingpong(j, C, C + 1), glm::vec3(0.0f)) << j;
        EXPECT_LT(pingpong(j, C, C).r, SHRUNK) << j;
    }
}

TEST_F(BloomPasses, FourPassesBlurBothWaysAndKeepTheEnergy) {
    blurStage->blur(targets, 4);
    EXPECT_GT(pingpong(0, C, C + 1).r, 1e-4f);
    EXPECT_GT(pingpong(0, C + 1, C).r, 1e-4f);
    // Buffer 1 still holds pass 2's, blurred along the columns once to
    // buffer 0's twice.
    EXPECT_GT(pingpong(1, C + 2, C).r, 1e-6f);
    EXPECT_GT(pingpong(1, C, C + 1).r, 1e-4f);
    EXPECT_LT(pingpong(1, C, C + 1).r, pingpong(0, C, C + 1).r);
    // The hot pixel's energy is all there (a blur texel covers sixteen window
    // pixels).
    float sum = 0.0f;
    for (const glm::vec3& p :
         readFloatPixels(targets.pingpongFramebuffers[0], 0, 0, BLUR_SIDE, BLUR_SIDE)) {
        sum += p.r;
    }
    EXPECT_NEAR(sum / SHRUNK, 1.0f, 0.02f);
    blendStage->blend(targets, 4, true);
    EXPECT_GT(readPixels(CENTRE, CENTRE, 1, 1)[0], 20);
}

TEST_F(BloomPasses, BloomOffLeavesNoGlowAndExposureMapsTheScene) {
    fill(targets.hdrFramebuffer, 0, glm::vec3(0.5f));
    fill(targets.hdrFramebuffer, 1, glm::vec3(8.0f));
    blurStage->blur(targets, 2);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    blendStage->blend(targets, 2, false);
    auto off = readPixels(CENTRE, CENTRE, 1, 1);
    // 0.5 through 1 - exp(-0.5 * 2.2) and gamma 2.2.
    const int expected = int(std::lround(255.0 * std::pow(1.0 - std::exp(-1.1), 1.0 / 2.2)));
    EXPECT_NEAR(off[0], expected, 1);
    EXPECT_NEAR(off[1], expected, 1);
    EXPECT_NEAR(off[2], expected, 1);
    // The unit that was active before is active again.
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
    glActiveTexture(GL_TEXTURE3);
    blendStage->blend(targets, 2, false);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE3);
    glActiveTexture(GL_TEXTURE0);
    float exposure = 0.0f, bloom = -1.0f;
    const uint32_t program = blendStage->programId;
    glGetUniformfv(program, glGetUniformLocation(program, "exposure"), &exposure);
    glGetUniformfv(program, glGetUniformLocation(program, "bloom"), &bloom);
    EXPECT_FLOAT_EQ(exposure, 2.2f);
    EXPECT_EQ(bloom, 0.0f);

    // Each frame starts from a cleared window.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    blendStage->blend(targets, 2, true);
    EXPECT_GT(readPixels(CENTRE, CENTRE, 1, 1)[0], off[0] + 20);
}

} // namespace
