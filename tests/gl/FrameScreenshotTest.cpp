#include "assets/ModelLoader.h"
#include "core/Config.h"
#include "render/FrameRenderer.h"
#include "render/Text.h"
#include "render/TextShader.h"
#include "world/Camera.h"

#include "GlWindow.h"
#include "RenderScene.h"
#include "RenderTestSupport.h"
#include "TempDir.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <deque>
#include <filesystem>
#include <optional>
#include <vector>

namespace {

using namespace renderscene;

constexpr int SHOT_WIDTH = 640;
constexpr int SHOT_HEIGHT = 360;

// A whole frame of a small scene as the game draws it: a normal-mapped
// asteroid lit by a glowing sun, a trash can, a star sky and a line of text.
// The picture is written to frame_screenshot.png in the test's folder.
class FrameScreenshot : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        outputDir = std::filesystem::current_path();
        rendertest::prepareShot(glWindow, SHOT_WIDTH, SHOT_HEIGHT, 10);
        config().brightness = 1.0f;

        copyShaders(game.path());
        writeRockTexture(game.path(), "rock.png", 128);
        writeBumpNormalMap(game.path(), "craters.png", 256, 8);
        writeSolidTexture(game.path(), "sun.png", {255, 220, 150});
        writeSolidTexture(game.path(), "can.png", {70, 120, 255});
        writeSky(game.path(), "Stars", 256, false);
        std::filesystem::create_directories(game.path() / "res/assets/fonts");
        std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                   game.path() / "res/assets/fonts/spacejunkXL.ttf");
        cwd.emplace(game.path());
    }

    TempDir game;
    std::optional<ScopedWorkingDir> cwd;
    std::filesystem::path outputDir;
};

TEST_F(FrameScreenshot, LitBloomingSceneWithSkyAndText) {
    Material rock;
    rock.diffuseTextures = {"rock.png"};
    rock.normalTextures = {"craters.png"};
    rock.ambientColor = glm::vec3(0.05f);
    rock.specularColor = glm::vec3(0.3f);
    rock.expShininess = 24.0f;
    Material sun;
    sun.diffuseTextures = {"sun.png"};
    sun.ambientColor = glm::vec3(6.0f);
    sun.diffuseIntensity = 0.0f;
    Material can;
    can.diffuseTextures = {"can.png"};
    can.specularColor = glm::vec3(0.8f);
    can.expShininess = 32.0f;
    auto addModel = [](const char* name, Mesh mesh) {
        std::vector<Mesh> meshes;
        meshes.push_back(std::move(mesh));
        ModelLoader::instance().add(name, std::move(meshes), {});
    };
    addModel("roid", makeSphere(1.0f, 48, 24, rock));
    addModel("sun", makeSphere(0.5f, 32, 16, sun));
    addModel("tcan", makeSphere(0.25f, 24, 12, can));
    const glm::quat none(1.0f, 0.0f, 0.0f, 0.0f);
    std::deque<GameObject> objects;
    objects.emplace_back(glm::vec3(-0.3f, -0.1f, 0.0f),
                         glm::angleAxis(0.6f, glm::normalize(glm::vec3(0.3f, 1.0f, 0.2f))),
                         glm::vec3(1.3f, 1.0f, 1.1f), "roid", ObjectKind::Obstacle, nullptr);
    const glm::vec3 sunPosition(3.2f, 1.4f, -3.0f);
    objects.emplace_back(sunPosition, none, glm::vec3(1.0f), "sun", ObjectKind::Obstacle, nullptr);
    objects.emplace_back(glm::vec3(1.6f, -0.7f, 0.8f), none, glm::vec3(1.0f), "tcan",
                         ObjectKind::Trash, nullptr);
    std::vector<PointLight> noDirectional;
    // The sun's light, and a faint blue fill from the lower left.
    std::vector<PointLight> lights = {
        PointLight(glm::vec3(1.6f, 1.45f, 1.3f), sunPosition, glm::vec3(1.0f, 0.0f, 0.004f)),
        PointLight(glm::vec3(0.05f, 0.08f, 0.2f), glm::vec3(-4.0f, -2.0f, 3.0f),
                   glm::vec3(1.0f, 0.0f, 0.0f))};
    Camera camera(glm::vec3(0.0f, 0.2f, 4.2f), none);
    camera.aspect = float(SHOT_WIDTH) / float(SHOT_HEIGHT);
    camera.fovY = glm::radians(60.0f);

    testing::internal::CaptureStdout();
    initText();
    createTextBuffer();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderWorld(objects, noDirectional, lights, glm::vec3(1.0f), "Stars", -1, camera,
                RenderSettings{});
    drawText("TRASH 3/7   00:42.5", 16.0f, 16.0f, 0.28f, glm::vec3(1.0f, 0.85f, 0.3f));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    std::vector<uint8_t> pixels = readPixels(0, 0, SHOT_WIDTH, SHOT_HEIGHT);
    // Top row first for the image file, opaque.
    std::vector<uint8_t> image(size_t(SHOT_WIDTH) * SHOT_HEIGHT * 3);
    for (int y = 0; y < SHOT_HEIGHT; ++y) {
        for (int x = 0; x < SHOT_WIDTH; ++x) {
            for (int c = 0; c < 3; ++c) {
                image[(size_t(SHOT_HEIGHT - 1 - y) * SHOT_WIDTH + x) * 3 + c] =
                    pixels[(size_t(y) * SHOT_WIDTH + x) * 4 + c];
            }
        }
    }
    writePng(outputDir / "frame_screenshot.png", SHOT_WIDTH, SHOT_HEIGHT, 3, image);

    auto at = [&](int x, int y) {
        const size_t i = (size_t(y) * SHOT_WIDTH + x) * 4;
        return glm::ivec3(pixels[i], pixels[i + 1], pixels[i + 2]);
    };
    auto sum = [](glm::ivec3 c) { return c.r + c.g + c.b; };
    // Where the sun and the asteroid land on screen.
    const glm::mat4 projView = camera.getProjection() * camera.getViewMatrix();
    auto screen = [&](glm::vec3 p) {
        glm::vec4 clip = projView * glm::vec4(p, 1.0f);
        return glm::ivec2((clip.x / clip.w * 0.5f + 0.5f) * SHOT_WIDTH,
                          (clip.y / clip.w * 0.5f + 0.5f) * SHOT_HEIGHT);
    };
    const glm::ivec2 sunPixel = screen(sunPosition);
    // The sun is white hot and glows beyond its disk (radius about 23 pixels).
    EXPECT_GT(sum(at(sunPixel.x, sunPixel.y)), 700);
    EXPECT_GT(sum(at(sunPixel.x + 34, sunPixel.y)), 120);
    // The asteroid's rim towards the sun (right) is lit, its far side (left)
    // only by the faint fill light. It spans about 96 pixels either side.
    const glm::ivec2 roid = screen(glm::vec3(-0.3f, -0.1f, 0.0f));
    auto meanOver = [&](int left, int right) {
        int total = 0, count = 0;
        for (int y = roid.y - 20; y <= roid.y + 20; ++y) {
            for (int x = roid.x + left; x <= roid.x + right; ++x) {
                total += sum(at(x, y));
                ++count;
            }
        }
        return total / count;
    };
    EXPECT_GT(meanOver(70, 88), meanOver(-88, -70) + 60);
    // The text is there in its colour: a warm yellow.
    int textPixels = 0;
    for (int y = 16; y < 40; ++y) {
        for (int x = 16; x < 200; ++x) {
            const glm::ivec3 c = at(x, y);
            textPixels += c.r > 200 && c.g > 160 && c.b < 120 ? 1 : 0;
        }
    }
    EXPECT_GT(textPixels, 150);
}

} // namespace
