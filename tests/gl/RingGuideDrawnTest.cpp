#include "GlWindow.h"
#include "TempDir.h"

#include "core/Config.h"
#include "game/RingGuide.h"
#include "render/Text.h"
#include "world/Camera.h"

#include <GL/glew.h>
#include <glm/gtc/constants.hpp>
#include <gtest/gtest.h>

#include <optional>

namespace {

// The guide drawn into a frame of the configured window's size (the text
// program's projection is made for it), read back pixel by pixel.
class RingGuideDrawn : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        cwd.emplace(KELVARO_SOURCE_DIR);
        width = int(config().windowWidth);
        height = int(config().windowHeight);
        initText();
        createTextBuffer();
        glGenFramebuffers(1, &frame);
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glBindFramebuffer(GL_FRAMEBUFFER, frame);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
        glViewport(0, 0, width, height);
    }
    void TearDown() override {
        if (frame) {
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            glDeleteFramebuffers(1, &frame);
            glDeleteRenderbuffers(1, &colour);
        }
        cwd.reset();
        GlTest::TearDown();
    }

    // Pixels of the guide's gold in each third of the frame.
    struct Thirds {
        int left = 0, middle = 0, right = 0, bottom = 0, centre = 0, top = 0;
    };
    Thirds goldPixels() const {
        const auto pixels = readPixels(0, 0, width, height);
        Thirds t;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = &pixels[(size_t(y) * size_t(width) + size_t(x)) * 4];
                if (p[0] > 200 && p[1] > 150 && p[2] < 120) {
                    (x < width / 3 ? t.left : x < 2 * width / 3 ? t.middle : t.right)++;
                    (y < height / 3 ? t.bottom : y < 2 * height / 3 ? t.centre : t.top)++;
                }
            }
        }
        return t;
    }

    int width = 0, height = 0;
    GLuint frame = 0, colour = 0;
    std::optional<ScopedWorkingDir> cwd;
};

TEST_F(RingGuideDrawn, TheArrowStandsOnTheSideOfTheRing) {
    enum Side { Left, Right, Top, Bottom, Middle };
    const struct {
        const char* name;
        glm::vec3 ring;
        float roll;
        Side side;
    } cases[] = {
        {"right", {100, 0, 0}, 0.0f, Right},
        {"left", {-100, 0, 10}, 0.0f, Left},
        {"above", {0, 100, 0}, 0.0f, Top},
        {"below", {0, -100, 0}, 0.0f, Bottom},
        {"ahead: the marker", {0, 0, -100}, 0.0f, Middle},
        {"above, the ship rolled a quarter turn", {0, 100, 0}, glm::half_pi<float>(), Right},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Camera camera(glm::vec3(0.0f), glm::angleAxis(c.roll, glm::vec3(0, 0, 1)));
        camera.fovY = glm::radians(60.0f);
        camera.aspect = float(width) / float(height);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        drawRingGuide(ringGuide(camera, c.ring, float(width), float(height)), float(width),
                      float(height));
        // The pass leaves the state as it found it.
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        GLint program = -1;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        EXPECT_EQ(program, 0);
        const Thirds t = goldPixels();
        switch (c.side) {
        case Right:
            EXPECT_GT(t.right, 50);
            EXPECT_EQ(t.left, 0);
            break;
        case Left:
            EXPECT_GT(t.left, 50);
            EXPECT_EQ(t.right, 0);
            break;
        case Top:
            EXPECT_GT(t.top, 50);
            EXPECT_EQ(t.bottom, 0);
            break;
        case Bottom:
            EXPECT_GT(t.bottom, 50);
            EXPECT_EQ(t.top, 0);
            break;
        case Middle:
            EXPECT_GT(t.middle, 50);
            EXPECT_GT(t.centre, 50);
            EXPECT_EQ(t.left + t.right, 0);
            break;
        }
    }
}

} // namespace
