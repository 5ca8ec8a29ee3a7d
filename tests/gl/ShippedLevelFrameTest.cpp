#include "core/Config.h"
#include "render/Text.h"
#include "world/WorldLoader.h"

#include "GlWindow.h"
#include "RenderScene.h"
#include "RenderTestSupport.h"
#include "TempDir.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

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

} // namespace
