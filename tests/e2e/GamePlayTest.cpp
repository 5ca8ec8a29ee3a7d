#include "GameProcess.h"
#include "LevelWriter.h"
#include "ScreenImage.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
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
        EXPECT_TRUE(process->flyFromStartScreen(60s)) << process->windowTitle();
    }
    // The bests of the game's own home (see GameProcess).
    std::filesystem::path bestsFile() const {
        return dir.path() / "home/.local/share/kelvaro19/bests.txt";
    }
    ~Game() {
        if (process->windowId()) {
            process->requestClose();
            process->waitForExit(30s);
        }
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
    // The end screen stands a fifth of the window above the middle, clear of
    // the ship.
    constexpr int END_MIDDLE = 360 / 2 - 72;
    ASSERT_TRUE(game.process->waitForTitle("Kelvaro19: Game finished @", 60s))
        << game.process->windowTitle() << "\n"
        << game.process->output();
    // "TRACK FINISHED" stands on the middle line, centred, clear of both
    // edges; the points line sits below it, clear of the overlay's count.
    auto messagePixels = [](const ScreenImage& image) {
        return countTrue(image.brightMask(0, END_MIDDLE - 100, 640, 100, 180));
    };
    ScreenImage image;
    auto columns = [&image](int y0, int h) {
        int first = -1, last = -1;
        auto mask = image.brightMask(0, y0, 640, h, 180);
        for (int x = 0; x < 640; ++x) {
            for (int y = 0; y < h; ++y) {
                if (mask[size_t(y) * 640 + size_t(x)]) {
                    first = first < 0 ? x : first;
                    last = x;
                }
            }
        }
        return std::make_pair(first, last);
    };
    // The line of keys, the lowest, is wider than "New best" above it. A
    // screenshot taken while a frame is still being copied to the screen can
    // hold the new message over an old bottom, so the picture is taken again
    // until the whole end screen is in it.
    auto endScreenDrawn = [&] {
        auto [bestLeft, bestRight] = columns(END_MIDDLE + 38, 26);
        auto [hintLeft, hintRight] = columns(END_MIDDLE + 65, 25);
        return messagePixels(image) > 200 && bestLeft >= 0 &&
               hintRight - hintLeft > bestRight - bestLeft;
    };
    // The title changes just before the end screen is first drawn.
    bool shown = game.process->waitForPicture(
        game.dir.path() / "finished.png",
        [&](const auto& file) { return image.load(file) && endScreenDrawn(); }, 20s);
    ASSERT_TRUE(shown) << "no whole end screen drawn: " << messagePixels(image)
                       << " bright pixels in the message";
    auto [left, right] = columns(END_MIDDLE - 60, 60);
    EXPECT_GT(left, 5);
    EXPECT_LT(right, 634);
    EXPECT_NEAR(left + right, 640, 12);
    auto [pointsLeft, pointsRight] = columns(END_MIDDLE + 5, 40);
    EXPECT_GT(pointsLeft, 5);
    EXPECT_NEAR(pointsLeft + pointsRight, 640, 12);
    // The first finish is a new best, kept in the player's data folder, and
    // the end screen says it with what can be done next below.
    EXPECT_TRUE(std::filesystem::exists(game.bestsFile())) << game.process->output();
    auto [bestLeft, bestRight] = columns(END_MIDDLE + 38, 26);
    EXPECT_NEAR(bestLeft + bestRight, 640, 12) << "no \"New best\" line";
    auto [hintLeft, hintRight] = columns(END_MIDDLE + 65, 25);
    EXPECT_NEAR(hintLeft + hintRight, 640, 12) << "no line of keys";

    // Esc lists the tracks; Esc again goes back to the end screen; N flies the
    // next track, here the only one, again.
    game.process->tapKey("Escape");
    EXPECT_TRUE(game.process->waitForTitle("Kelvaro19: Choosing a track @", 10s))
        << game.process->windowTitle();
    game.process->tapKey("Escape");
    EXPECT_TRUE(game.process->waitForTitle("Kelvaro19: Game finished @", 10s))
        << game.process->windowTitle();
    game.process->tapKey("n");
    EXPECT_TRUE(game.process->waitForTitle("Kelvaro19: Game running @", 10s))
        << game.process->windowTitle();
    EXPECT_TRUE(game.process->waitForTitle("Kelvaro19: Game finished @", 60s))
        << game.process->windowTitle();
}

TEST(GamePlay, ADamagedBestsFileIsToldOnScreenAndNothingOfItIsLost) {
    TempDir dir;
    prepareGameFolder(dir.path(), 640, 360, 2, 30);
    writeTestShip(dir.path() / "res/assets/models");
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addRing(level, 0, -2000);
    level.write(dir.path() / "res/assets/models/worlds/sub2demo_debug.dae");
    const auto bests = dir.path() / "home/.local/share/kelvaro19/bests.txt";
    const std::string damaged = "00112233445566aa 40.000 500 other.dae\nx\n";
    dir.write("home/.local/share/kelvaro19/bests.txt", damaged);
    GameProcess game(dir.path());
    ASSERT_NE(game.waitForWindow(120s), 0u) << game.output();
    EXPECT_TRUE(game.waitForOutput("[ ERROR ]\tBests file " + bests.string() + ": line 2:", 30s))
        << game.output();
    // The line stands at the bottom, centred and wide.
    ScreenImage image;
    auto noticeShown = [&](const std::filesystem::path& file) {
        if (!image.load(file)) {
            return false;
        }
        const auto mask = image.brightMask(0, 360 - 30, 640, 30, 180);
        int first = -1, last = -1;
        for (int x = 0; x < 640; ++x) {
            for (int y = 0; y < 30; ++y) {
                if (mask[size_t(y) * 640 + size_t(x)]) {
                    first = first < 0 ? x : first;
                    last = x;
                }
            }
        }
        return last - first > 300 && std::abs(first + last - 640) < 40;
    };
    EXPECT_TRUE(game.waitForPicture(dir.path() / "notice.png", noticeShown, 30s));
    // The good line stays; the file as it was is kept beside it.
    std::ifstream copy(bests.string() + ".bad");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copy), {}), damaged);
    std::ifstream kept(bests);
    const std::string text(std::istreambuf_iterator<char>(kept), {});
    EXPECT_NE(text.find("00112233445566aa 40.000 500 other.dae\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("\nx\n"), std::string::npos) << text;
    game.requestClose();
    EXPECT_EQ(game.waitForExit(30s), 0);
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
    // R flies again from the start, into the same rock; a game over keeps
    // no best.
    game.process->tapKey("r");
    EXPECT_TRUE(game.process->waitForTitle("Kelvaro19: Game running @", 10s))
        << game.process->windowTitle();
    EXPECT_TRUE(game.process->waitForTitle("Kelvaro19: Game over @", 60s))
        << game.process->windowTitle();
    EXPECT_FALSE(std::filesystem::exists(game.bestsFile()));
}

TEST(GamePlay, PauseFreezesTheGameAndResumes) {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addRing(level, 0, -2000);
    level.addLamp("Lamp", {0, 20, -30}, {1, 1, 1});
    Game game(level, 320, 180);
    ASSERT_TRUE(game.process->waitForTitle("Kelvaro19: Game running @", 60s));
    game.process->tapKey("p");
    ASSERT_TRUE(game.process->waitForTitle("Kelvaro19: Game paused @", 10s))
        << game.process->windowTitle();
    // The running clock changes the overlay every frame, so a picture that
    // stays the same for a second is paused. The pause reaches the screen
    // with the next frame, which can take a while on a slow machine: wait
    // for a still second rather than comparing the first two pictures.
    ScreenImage previous, current;
    bool still = game.process->waitForPicture(
        game.dir.path() / "paused.png",
        [&](const auto& file) {
            previous = current;
            if (current.load(file) && !previous.rgb.empty() && previous.rgb == current.rgb) {
                return true;
            }
            std::this_thread::sleep_for(1s); // before the next picture
            return false;
        },
        30s);
    EXPECT_TRUE(still) << "the paused picture kept changing";
    game.process->tapKey("p");
    EXPECT_TRUE(game.process->waitForTitle("Kelvaro19: Game running @", 10s))
        << game.process->windowTitle();
}

// The first and last columns holding bright pixels in a band of rows.
std::pair<int, int> brightColumns(const ScreenImage& image, int y0, int h, int level) {
    int first = -1, last = -1;
    const auto mask = image.brightMask(0, y0, image.width, h, level);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (mask[size_t(y) * size_t(image.width) + size_t(x)]) {
                first = first < 0 || x < first ? x : first;
                last = std::max(last, x);
            }
        }
    }
    return {first, last};
}

TEST(GamePlay, ThePictureFollowsTheWindowAndAHiddenWindowPauses) {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addRing(level, 0, -2000);
    level.addLamp("Lamp", {0, 20, -30}, {1, 1, 1});
    Game game(level, 320, 180);
    ASSERT_TRUE(game.process->waitForTitle("Kelvaro19: Game running @", 60s));
    const std::string id = std::to_string(game.process->windowId());
    auto geometry = [&] {
        return runCommand("xdotool getwindowgeometry " + id + " | sed -n 's/.*Geometry: //p'");
    };
    runCommand("xdotool windowsize --sync " + id + " 640 480");
    ASSERT_EQ(geometry(), "640x480");
    // Flying, the ship sits in the middle of the whole window, not in the
    // corner where the first size left it, and the overlay at its bottom left.
    ScreenImage image;
    std::pair<int, int> ship, overlay;
    bool filled = game.process->waitForPicture(
        game.dir.path() / "resized.png",
        [&](const auto& file) {
            if (!image.load(file) || image.width != 640) {
                return false;
            }
            ship = brightColumns(image, 120, 240, 120);
            overlay = brightColumns(image, 405, 35, 150);
            return ship.first >= 0 && std::abs(ship.first + ship.second - 640) < 40 &&
                   overlay.first >= 0 && overlay.first < 30 && overlay.second > 150;
        },
        30s);
    EXPECT_TRUE(filled) << "ship columns " << ship.first << "-" << ship.second << ", overlay "
                        << overlay.first << "-" << overlay.second;
    EXPECT_EQ(game.process->windowTitle().rfind("Kelvaro19: Game running @", 0), 0u)
        << game.process->output();

    // A window taken off the screen pauses the flight, and coming back shows
    // the pause menu, centred in the window, until the player goes on.
    runCommand("xdotool windowunmap --sync " + id);
    ASSERT_TRUE(game.process->waitForTitle("Kelvaro19: Game paused @", 10s))
        << game.process->windowTitle();
    runCommand("xdotool windowmap --sync " + id);
    std::pair<int, int> menu;
    bool shown = game.process->waitForPicture(
        game.dir.path() / "paused.png",
        [&](const auto& file) {
            if (!image.load(file) || image.width != 640) {
                return false;
            }
            // Above the overlay at the bottom left.
            menu = brightColumns(image, 20, 360, 180);
            return menu.first > 5 && menu.second - menu.first > 150 &&
                   std::abs(menu.first + menu.second - 640) < 24;
        },
        30s);
    EXPECT_TRUE(shown) << "the menu's text spans columns " << menu.first << "-" << menu.second;
    EXPECT_EQ(game.process->windowTitle().rfind("Kelvaro19: Game paused @", 0), 0u);
    game.process->tapKey("Escape");
    EXPECT_TRUE(game.process->waitForTitle("Kelvaro19: Game running @", 10s))
        << game.process->windowTitle();
}

TEST(GamePlay, F9SwitchesToTheFreeCameraAndBackToPause) {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addRing(level, 0, -2000);
    Game game(level, 320, 180);
    ASSERT_TRUE(game.process->waitForTitle("Kelvaro19: Game running @", 60s));
    game.process->tapKey("F9");
    ASSERT_TRUE(game.process->waitForTitle("Kelvaro19: Debugging @", 10s))
        << game.process->windowTitle();
    game.process->tapKey("F9");
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
    // The overlay is laid out for a 1080-pixel-high window and scaled by the
    // height, here a third: the collected count is drawn at x = 360 / 3,
    // baseline 100 / 3 px above the bottom, at a sixth of the font's 100 px.
    const int top = 360 - 100 / 3 - 20;
    ScreenImage a;
    std::vector<bool> countBefore, labelBefore;
    // The title says "running" before the first frame is drawn.
    bool drawn = game.process->waitForPicture(
        game.dir.path() / "before.png",
        [&](const auto& file) {
            if (!a.load(file)) {
                return false;
            }
            countBefore = a.brightMask(118, top, 16, 22, 150);
            labelBefore = a.brightMask(8, top, 108, 22, 150);
            return countTrue(countBefore) > 4 && countTrue(labelBefore) > 50;
        },
        20s);
    ASSERT_TRUE(drawn) << "no overlay drawn: count " << countTrue(countBefore) << ", label "
                       << countTrue(labelBefore) << " bright pixels";

    // Watch the count while the ship flies through both cans.
    bool changed = false;
    ScreenImage b;
    auto end = std::chrono::steady_clock::now() + 15s;
    while (!changed && std::chrono::steady_clock::now() < end) {
        auto after = game.dir.path() / "after.png";
        ASSERT_TRUE(game.process->screenshot(after));
        ASSERT_TRUE(b.load(after));
        changed = b.brightMask(118, top, 16, 22, 150) != countBefore;
    }
    EXPECT_TRUE(changed) << "the count did not change on screen\n" << game.process->output();
    EXPECT_EQ(game.process->windowTitle().rfind("Kelvaro19: Game running @", 0), 0u);
    // The label stays where it was (allowing a few pixels of edge noise, a
    // larger share of the strokes at this small size).
    auto labelAfter = b.brightMask(8, top, 108, 22, 150);
    int differing = 0;
    for (size_t i = 0; i < labelBefore.size(); ++i) {
        differing += labelBefore[i] != labelAfter[i];
    }
    EXPECT_LT(differing, countTrue(labelBefore) / 8);
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
