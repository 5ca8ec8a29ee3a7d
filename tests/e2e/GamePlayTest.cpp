#include "GameProcess.h"
#include "LevelWriter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <stb/stb_image.h>

#include <thread>

using namespace std::chrono_literals;

namespace {

// The ship starts at the camera node turned half a turn, so with the camera
// node at the origin it flies towards -z at 35 units per second.
constexpr float RING_RADIUS = 6.0f;

void addRing(LevelWriter& level, int number, float z) {
    // Rings sharing one mesh would share one model, and with it one number.
    level.addMeshNode("ring_" + std::to_string(number), "ring" + std::to_string(number),
                      torusMesh(RING_RADIUS, 0.4f), {0, 0, z}, glm::quat(1, 0, 0, 0),
                      glm::vec3(1.0f), discMesh(RING_RADIUS - 0.4f, 0.5f));
}

void addTrash(LevelWriter& level, const std::string& name, float z) {
    level.addMeshNode(name, "can", boxMesh({0.5f, 0.8f, 0.5f}), {0, 0, z}, glm::quat(1, 0, 0, 0),
                      glm::vec3(1.0f), boxMesh({0.5f, 0.8f, 0.5f}),
                      {"", "", {0.8f, 0.2f, 0.2f}, {0.2f, 0.2f, 0.2f}, 8.0f});
}

void addRock(LevelWriter& level, const std::string& name, glm::vec3 position) {
    level.addMeshNode(name, "rock", sphereMesh(3.0f), position, glm::quat(1, 0, 0, 0),
                      glm::vec3(1.0f), sphereMesh(3.0f));
}

struct Game {
    TempDir dir;
    std::unique_ptr<GameProcess> process;

    Game(const LevelWriter& level, int width, int height) {
        prepareGameFolder(dir.path(), width, height, 2, 30);
        writeTestShip(dir.path() / "res/assets/models");
        level.write(dir.path() / "res/assets/models/worlds/sub2demo_debug.dae");
        process = std::make_unique<GameProcess>(dir.path());
        EXPECT_NE(process->waitForWindow(120s), 0u) << process->output();
    }
    ~Game() {
        if (process->windowId()) {
            process->requestClose();
            process->waitForExit(30s);
        }
    }
};

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    bool load(const std::filesystem::path& file) {
        int channels;
        uint8_t* data = stbi_load(file.c_str(), &width, &height, &channels, 3);
        if (!data) {
            return false;
        }
        rgb.assign(data, data + size_t(width) * size_t(height) * 3);
        stbi_image_free(data);
        return true;
    }
    // Pixels of the region (top-left origin) brighter than `level` in all channels.
    std::vector<bool> brightMask(int x0, int y0, int w, int h, int level) const {
        std::vector<bool> mask;
        for (int y = y0; y < y0 + h; ++y) {
            for (int x = x0; x < x0 + w; ++x) {
                const uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
                mask.push_back(p[0] > level && p[1] > level && p[2] > level);
            }
        }
        return mask;
    }
};

int countTrue(const std::vector<bool>& v) {
    return int(std::count(v.begin(), v.end(), true));
}

TEST(GamePlay, FlyingStraightThroughTheTrackFinishesIt) {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addRing(level, 2, -60);
    addRing(level, 0, -20);
    addRing(level, 1, -40);
    level.addLamp("Lamp", {0, 20, -30}, {1, 1, 1});
    Game game(level, 640, 360);
    ASSERT_TRUE(game.process->waitForTitle("Kelvaro19: Game finished @", 60s))
        << game.process->windowTitle() << "\n"
        << game.process->output();
    // "TRACK FINISHED" starts at x = W/2 - 600 (off the left edge of a small
    // window) on the middle line; its letters are bright pixels above the
    // middle, and the points line sits below it.
    auto messagePixels = [](const Image& image) {
        return countTrue(image.brightMask(0, 360 / 2 - 150, 640, 150, 180));
    };
    Image image;
    bool shown = game.process->waitForPicture(
        game.dir.path() / "finished.png",
        [&](const auto& file) { return image.load(file) && messagePixels(image) > 200; }, 20s);
    EXPECT_TRUE(shown) << "no end message drawn: " << messagePixels(image) << " bright pixels";
}

TEST(GamePlay, TouchingAnAsteroidEndsTheGame) {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addRock(level, "roid", {0, 0, -20});
    addRing(level, 0, -60);
    Game game(level, 320, 180);
    ASSERT_TRUE(game.process->waitForTitle("Kelvaro19: Game over @", 60s))
        << game.process->windowTitle() << "\n"
        << game.process->output();
}

TEST(GamePlay, PauseFreezesTheGameAndResumes) {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addRing(level, 0, -2000);
    level.addLamp("Lamp", {0, 20, -30}, {1, 1, 1});
    Game game(level, 320, 180);
    ASSERT_TRUE(game.process->waitForTitle("Kelvaro19: Game running @", 60s));
    game.process->holdKey("p", 300ms);
    ASSERT_TRUE(game.process->waitForTitle("Kelvaro19: Game paused @", 10s))
        << game.process->windowTitle();
    // The running clock changes the overlay every frame: the first paused
    // frame is the first picture that stays as it is.
    auto first = game.dir.path() / "a.png", second = game.dir.path() / "b.png";
    Image a, b;
    ASSERT_TRUE(game.process->waitForPicture(
        first,
        [&](const auto& file) {
            Image previous = a;
            return a.load(file) && !previous.rgb.empty() && previous.rgb == a.rgb;
        },
        20s))
        << "the picture never settled after the pause";
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(game.process->screenshot(second));
    ASSERT_TRUE(b.load(second));
    EXPECT_EQ(a.rgb, b.rgb) << "the paused picture changed";
    game.process->holdKey("p", 300ms);
    EXPECT_TRUE(game.process->waitForTitle("Kelvaro19: Game running @", 10s))
        << game.process->windowTitle();
}

TEST(GamePlay, F9SwitchesToTheFreeCameraAndBackToPause) {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addRing(level, 0, -2000);
    Game game(level, 320, 180);
    ASSERT_TRUE(game.process->waitForTitle("Kelvaro19: Game running @", 60s));
    game.process->holdKey("F9", 300ms);
    ASSERT_TRUE(game.process->waitForTitle("Kelvaro19: Debugging @", 10s))
        << game.process->windowTitle();
    game.process->holdKey("F9", 300ms);
    EXPECT_TRUE(game.process->waitForTitle("Kelvaro19: Game paused @", 10s))
        << game.process->windowTitle();
}

TEST(GamePlay, CollectingTrashChangesTheOverlayCount) {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addTrash(level, "tcan_a", -70);
    addTrash(level, "tcan_b", -95);
    addRing(level, 0, -600);
    level.addLamp("Lamp", {0, 20, -30}, {1, 1, 1});
    Game game(level, 640, 360);
    ASSERT_TRUE(game.process->waitForTitle("Kelvaro19: Game running @", 60s));
    // The collected count is drawn at x = 360, baseline 100 px above the
    // bottom, at half the font's 100 px size.
    const int top = 360 - 100 - 55;
    Image a;
    std::vector<bool> countBefore, labelBefore;
    // The title says "running" before the first frame is drawn.
    bool drawn = game.process->waitForPicture(
        game.dir.path() / "before.png",
        [&](const auto& file) {
            if (!a.load(file)) {
                return false;
            }
            countBefore = a.brightMask(355, top, 26, 60, 150);
            labelBefore = a.brightMask(25, top, 300, 60, 150);
            return countTrue(countBefore) > 20 && countTrue(labelBefore) > 500;
        },
        20s);
    ASSERT_TRUE(drawn) << "no overlay drawn: count " << countTrue(countBefore) << ", label "
                       << countTrue(labelBefore) << " bright pixels";

    // Watch the count while the ship flies through both cans.
    bool changed = false;
    Image b;
    auto end = std::chrono::steady_clock::now() + 15s;
    while (!changed && std::chrono::steady_clock::now() < end) {
        auto after = game.dir.path() / "after.png";
        ASSERT_TRUE(game.process->screenshot(after));
        ASSERT_TRUE(b.load(after));
        changed = b.brightMask(355, top, 26, 60, 150) != countBefore;
    }
    EXPECT_TRUE(changed) << "the count did not change on screen\n" << game.process->output();
    EXPECT_EQ(game.process->windowTitle().rfind("Kelvaro19: Game running @", 0), 0u);
    // The label stays where it was (allowing a few pixels of edge noise).
    auto labelAfter = b.brightMask(25, top, 300, 60, 150);
    int differing = 0;
    for (size_t i = 0; i < labelBefore.size(); ++i) {
        differing += labelBefore[i] != labelAfter[i];
    }
    EXPECT_LT(differing, countTrue(labelBefore) / 20);
}

TEST(GamePlay, ALevelWithAGapInItsRingNumbersIsRefusedClearly) {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addRing(level, 0, -20);
    addRing(level, 2, -60);
    TempDir dir;
    prepareGameFolder(dir.path());
    writeTestShip(dir.path() / "res/assets/models");
    level.write(dir.path() / "res/assets/models/worlds/sub2demo_debug.dae");
    GameProcess game(dir.path());
    auto code = game.waitForExit(60s);
    ASSERT_TRUE(code) << game.output();
    EXPECT_EQ(*code, 1);
    std::string out = game.output();
    EXPECT_NE(out.find("[ ERROR ]\t"), std::string::npos) << out;
    EXPECT_NE(out.find("sub2demo_debug.dae"), std::string::npos) << out;
    EXPECT_NE(out.find("ring_1"), std::string::npos) << out;
}

} // namespace
