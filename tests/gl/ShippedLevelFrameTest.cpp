#include "assets/ModelLoader.h"
#include "core/Config.h"
#include "render/BloomShader.h"
#include "render/Culling.h"
#include "render/FrameRenderer.h"
#include "render/FullscreenQuad.h"
#include "render/Shader.h"
#include "render/Text.h"
#include "world/Camera.h"
#include "world/WorldLoader.h"

#include "GlWindow.h"
#include "RenderScene.h"
#include "RenderTestSupport.h"
#include "TempDir.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <glm/gtc/quaternion.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

namespace {

constexpr int SHOT_WIDTH = 640;
constexpr int SHOT_HEIGHT = 360;

// The shipped level drawn from the ship's camera as the game's first frame
// would show it, written to shipped_level_frame.png in the test's folder.
class ShippedLevelFrame : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        outputDir = std::filesystem::current_path();
        rendertest::prepareShot(glWindow, SHOT_WIDTH, SHOT_HEIGHT, 10);
        cwd.emplace(KELVARO_SOURCE_DIR);
    }

    std::filesystem::path outputDir;
    std::optional<ScopedWorkingDir> cwd;
};

TEST_F(ShippedLevelFrame, DrawsWithoutAConsoleLine) {
    testing::internal::CaptureStdout();
    WorldLoader loader;
    LevelResult level = loader.read("sub2demo_debug.dae");
    ASSERT_TRUE(level.world) << level.error;
    World& world = *level.world;
    world.camera.aspect = float(SHOT_WIDTH) / float(SHOT_HEIGHT);
    initText();
    createTextBuffer();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    world.render(world.camera, true, true, 3);
    drawText("Trash collected: 0/" + std::to_string(world.remainingTrash), 12.0f, 12.0f, 0.25f,
             glm::vec3(0.84f));
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(console.find("ERROR"), std::string::npos) << console;

    std::vector<uint8_t> pixels = readPixels(0, 0, SHOT_WIDTH, SHOT_HEIGHT);
    std::vector<uint8_t> image(size_t(SHOT_WIDTH) * SHOT_HEIGHT * 3);
    int lit = 0;
    for (int y = 0; y < SHOT_HEIGHT; ++y) {
        for (int x = 0; x < SHOT_WIDTH; ++x) {
            const uint8_t* p = &pixels[(size_t(y) * SHOT_WIDTH + x) * 4];
            lit += p[0] + p[1] + p[2] > 150 ? 1 : 0;
            for (int c = 0; c < 3; ++c) {
                image[(size_t(SHOT_HEIGHT - 1 - y) * SHOT_WIDTH + x) * 3 + c] = p[c];
            }
        }
    }
    renderscene::writePng(outputDir / "shipped_level_frame.png", SHOT_WIDTH, SHOT_HEIGHT, 3, image);
    // Stars, the ship and the rocks: a good part of the picture is not dark.
    EXPECT_GT(lit, SHOT_WIDTH * SHOT_HEIGHT / 50);
}

// A camera at `eye` looking at `target`, with the world camera's lens.
Camera lookingAt(const Camera& lens, const glm::vec3& eye, const glm::vec3& target) {
    Camera camera(eye, glm::quatLookAt(glm::normalize(target - eye), glm::vec3(0, 1, 0)));
    camera.fovY = lens.fovY;
    camera.aspect = lens.aspect;
    camera.farPlane = std::max(lens.farPlane, 2.0f * glm::length(target - eye));
    return camera;
}

// How two window pictures (RGBA rows, bottom first) compare: pixels where a
// channel differs by more than 8/255, and pixels of the second whose channels
// add up to more than `bright`. Writes them side by side to `png`.
struct PictureDifference {
    int differing = 0, bright = 0;
};
PictureDifference comparePictures(const std::vector<uint8_t> (&frames)[2], int bright,
                                  const std::filesystem::path& png) {
    PictureDifference result;
    std::vector<uint8_t> sideBySide(size_t(SHOT_WIDTH) * 2 * SHOT_HEIGHT * 3);
    for (int y = 0; y < SHOT_HEIGHT; ++y) {
        for (int x = 0; x < SHOT_WIDTH; ++x) {
            const size_t at = (size_t(y) * SHOT_WIDTH + x) * 4;
            int most = 0;
            for (int c = 0; c < 3; ++c) {
                most = std::max(most, std::abs(int(frames[0][at + c]) - frames[1][at + c]));
                for (int side = 0; side < 2; ++side) {
                    sideBySide[((size_t(SHOT_HEIGHT - 1 - y) * 2 + side) * SHOT_WIDTH + x) * 3 +
                               c] = frames[side][at + c];
                }
            }
            result.differing += most > 8 ? 1 : 0;
            result.bright += frames[1][at] + frames[1][at + 1] + frames[1][at + 2] > bright;
        }
    }
    renderscene::writePng(png, SHOT_WIDTH * 2, SHOT_HEIGHT, 3, sideBySide);
    return result;
}

// Each asteroid at the level its size on screen asks for gives the picture
// of every asteroid at the finest level, seen from the start, beside a rock
// and from far off; the pairs are written side by side to
// detail_<view>.png in the test's folder.
TEST_F(ShippedLevelFrame, LevelsChosenBySizeDrawTheFinestLevelsPicture) {
    WorldLoader loader;
    LevelResult level = loader.read("sub2demo_debug.dae");
    ASSERT_TRUE(level.world) << level.error;
    World& world = *level.world;
    world.camera.aspect = float(SHOT_WIDTH) / float(SHOT_HEIGHT);
    const Camera start =
        lookingAt(world.camera, world.camera.getPosition(),
                  world.camera.getPosition() + world.camera.getRotation() * glm::vec3(0, 0, -1));
    // The rock nearest the start, seen from just off its surface, and the
    // whole asteroid field from outside.
    BoundingSphere rock;
    glm::vec3 low(1e30f), high(-1e30f);
    for (GameObject& object : world.objects) {
        const Model& model = ModelLoader::instance().get(object.name);
        if (object.kind != ObjectKind::Obstacle || model.meshLevels.size() < 2) {
            continue; // not an asteroid with levels of detail
        }
        const BoundingSphere sphere = transformBounds(modelBounds(model), object.getModelMatrix());
        low = glm::min(low, sphere.centre);
        high = glm::max(high, sphere.centre);
        if (rock.radius < 0.0f || glm::length(sphere.centre - start.getPosition()) <
                                      glm::length(rock.centre - start.getPosition())) {
            rock = sphere;
        }
    }
    ASSERT_GT(rock.radius, 0.0f);
    const glm::vec3 towardsStart = glm::normalize(start.getPosition() - rock.centre);
    const glm::vec3 middle = 0.5f * (low + high);
    struct View {
        const char* name;
        Camera camera;
    };
    const View views[] = {
        {"start", start},
        {"near_rock",
         lookingAt(start, rock.centre + towardsStart * rock.radius * 1.5f, rock.centre)},
        {"wide",
         lookingAt(start, middle + glm::vec3(0.0f, 0.2f, 0.6f) * glm::length(high - low), middle)},
    };
    for (const View& view : views) {
        std::vector<uint8_t> frames[2];
        GLuint triangles[2] = {0, 0};
        for (int finest = 0; finest < 2; ++finest) {
            RenderSettings settings;
            settings.detailBySize = finest == 0;
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            GLuint query = 0;
            glGenQueries(1, &query);
            glBeginQuery(GL_PRIMITIVES_GENERATED, query);
            renderWorld(world.objects, world.directionalLights, world.pointLights, world.ambient,
                        world.skyboxName, world.currentRing, view.camera, settings);
            glEndQuery(GL_PRIMITIVES_GENERATED);
            glGetQueryObjectuiv(query, GL_QUERY_RESULT, &triangles[finest]);
            glDeleteQueries(1, &query);
            frames[finest] = readPixels(0, 0, SHOT_WIDTH, SHOT_HEIGHT);
        }
        // ... from a small share of the triangles.
        EXPECT_LT(triangles[0], triangles[1] / 2) << view.name;
        const auto [differing, lit] =
            comparePictures(frames, 150, outputDir / (std::string("detail_") + view.name + ".png"));
        std::printf("%s: %d of %d pixels differ by more than 8/255; %u triangles, %u at the "
                    "finest level\n",
                    view.name, differing, SHOT_WIDTH * SHOT_HEIGHT, triangles[0], triangles[1]);
        EXPECT_LE(differing, SHOT_WIDTH * SHOT_HEIGHT / 200) << view.name;
        // Something was drawn to compare: not a black or empty picture.
        EXPECT_GT(lit, SHOT_WIDTH * SHOT_HEIGHT / 100) << view.name;
    }
}

// The blur the glow's width was set by: passes over the whole window, each a
// 9-tap binomial (row 12, outer taps dropped).
const char* WHOLE_WINDOW_BLUR = R"(#version 330 core
in vec2 texCoord;
out vec4 fragColor;
uniform sampler2D image;
uniform int horizontal;
const float WEIGHTS[5] = float[](924.0, 792.0, 495.0, 220.0, 66.0);
void main() {
    vec2 texel = 1.0 / vec2(textureSize(image, 0));
    vec2 step = horizontal != 0 ? vec2(texel.x, 0.0) : vec2(0.0, texel.y);
    vec3 sum = texture(image, texCoord).rgb * WEIGHTS[0];
    for (int i = 1; i < 5; ++i) {
        sum += (texture(image, texCoord + step * float(i)).rgb +
                texture(image, texCoord - step * float(i)).rgb) * WEIGHTS[i];
    }
    fragColor = vec4(sum / 4070.0, 1.0);
}
)";

// The glow blurred over the small blur buffers gives the picture that as
// many passes over the whole window give, at the default number of passes
// and the software preset's, with the ship's view of the sun; the pairs are
// written side by side (small buffers left) to glow_<passes>.png in the
// test's folder.
TEST_F(ShippedLevelFrame, GlowFromSmallBuffersLooksLikeTheWholeWindowsGlow) {
    WorldLoader loader;
    LevelResult level = loader.read("sub2demo_debug.dae");
    ASSERT_TRUE(level.world) << level.error;
    World& world = *level.world;
    world.camera.aspect = float(SHOT_WIDTH) / float(SHOT_HEIGHT);
    TempDir shaders;
    shaders.write("res/shaders/blur.vert", readShaderFile("res/shaders/blur.vert"));
    shaders.write("res/shaders/whole_window_blur.frag", WHOLE_WINDOW_BLUR);
    std::optional<VFShader> wholeWindow;
    {
        ScopedWorkingDir inside(shaders.path());
        wholeWindow.emplace("blur.vert", "whole_window_blur.frag");
    }
    BloomShader& bloom = BloomShader::instance();
    // The whole window's ping-pong buffers, in place of the small ones.
    BloomTargets whole = bloom.targets;
    glGenFramebuffers(2, whole.pingpongFramebuffers);
    glGenTextures(2, whole.pingpongBuffers);
    for (int j = 0; j < 2; ++j) {
        glBindTexture(GL_TEXTURE_2D, whole.pingpongBuffers[j]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB16F, SHOT_WIDTH, SHOT_HEIGHT, 0, GL_RGB, GL_FLOAT,
                     nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glBindFramebuffer(GL_FRAMEBUFFER, whole.pingpongFramebuffers[j]);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                               whole.pingpongBuffers[j], 0);
    }
    for (uint32_t passes : {25u, 6u}) {
        config().blurIterations = passes;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderWorld(world.objects, world.directionalLights, world.pointLights, world.ambient,
                    world.skyboxName, world.currentRing, world.camera, RenderSettings{});
        std::vector<uint8_t> frames[2];
        frames[0] = readPixels(0, 0, SHOT_WIDTH, SHOT_HEIGHT);
        // The same scene and bright parts, blurred over the whole window.
        glUseProgram(wholeWindow->programId);
        glUniform1i(glGetUniformLocation(wholeWindow->programId, "image"), 0);
        glActiveTexture(GL_TEXTURE0);
        bool horizontal = true;
        for (uint32_t pass = 0; pass < passes; ++pass) {
            glBindFramebuffer(GL_FRAMEBUFFER, whole.pingpongFramebuffers[horizontal]);
            glUniform1i(glGetUniformLocation(wholeWindow->programId, "horizontal"), horizontal);
            horizontal = !horizontal;
            glBindTexture(GL_TEXTURE_2D,
                          pass == 0 ? whole.colourBuffers[1] : whole.pingpongBuffers[horizontal]);
            drawFullscreenQuad();
        }
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_BLEND);
        bloom.blendStage->blend(whole, passes, true);
        glEnable(GL_BLEND);
        frames[1] = readPixels(0, 0, SHOT_WIDTH, SHOT_HEIGHT);

        const auto [differing, glowing] =
            comparePictures(frames, 600, outputDir / ("glow_" + std::to_string(passes) + ".png"));
        std::printf("%u passes: %d of %d pixels differ by more than 8/255, %d glowing\n", passes,
                    differing, SHOT_WIDTH * SHOT_HEIGHT, glowing);
        EXPECT_LE(differing, SHOT_WIDTH * SHOT_HEIGHT / 200) << passes;
        // There was a glow to compare: the sun and its halo are near white.
        EXPECT_GT(glowing, SHOT_WIDTH * SHOT_HEIGHT / 400) << passes;
    }
}

} // namespace
