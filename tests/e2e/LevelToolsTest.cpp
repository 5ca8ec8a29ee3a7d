#include "GameProcess.h"
#include "LevelWriter.h"
#include "ScreenImage.h"
#include "TempDir.h"

#include "physics/CollisionLines.h"
#include "render/CollisionLineRenderer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace std::chrono_literals;

namespace {

void addRing(LevelWriter& level, int number, float z) {
    level.addMeshNode("ring_" + std::to_string(number), "ring" + std::to_string(number),
                      torusMesh(6.0f, 0.4f), {0, 0, z}, glm::quat(1, 0, 0, 0), glm::vec3(1.0f),
                      discMesh(5.6f, 0.5f));
}

// A game folder without any level of its own in res/.
struct Folder {
    TempDir dir;
    explicit Folder(int width = 320, int height = 180) {
        prepareGameFolder(dir.path(), width, height, 2, 30);
        writeTestShip(dir.path() / "res/assets/models");
    }
};

TEST(LevelTools, PlaysALevelFileFromOutsideResToTheFinish) {
    Folder folder;
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addRing(level, 0, -20);
    addRing(level, 1, -40);
    level.addLamp("Lamp", {0, 20, -30}, {1, 1, 1});
    level.write(folder.dir.path() / "my levels/first track.dae");
    GameProcess game(folder.dir.path(), {}, {"my levels/first track.dae"});
    ASSERT_NE(game.waitForWindow(120s), 0u) << game.output();
    EXPECT_TRUE(game.waitForTitle("Kelvaro19: Game finished @", 60s)) << game.windowTitle() << "\n"
                                                                      << game.output();
    // Nothing was looked for in the shipped level's place.
    EXPECT_EQ(game.output().find("sub2demo_debug.dae"), std::string::npos) << game.output();
    game.requestClose();
    EXPECT_EQ(game.waitForExit(30s), 0);
}

TEST(LevelTools, ALevelFileThatCannotBePlayedEndsWithOneLineNamingIt) {
    struct Case {
        const char* file;
        const char* content; // null: no file at all
        const char* line;
    };
    const Case cases[] = {
        {"missing.dae", nullptr, "[ ERROR ]\tLevel missing.dae cannot be read: no such file."},
        {"broken.dae", "<COLLADA>", "[ ERROR ]\tLevel broken.dae cannot be read: Assimp: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Folder folder;
        if (c.content) {
            folder.dir.write(c.file, c.content);
        }
        GameProcess game(folder.dir.path(), {}, {c.file});
        auto code = game.waitForExit(60s);
        ASSERT_TRUE(code) << game.output();
        EXPECT_EQ(*code, 1);
        const std::string out = game.output();
        EXPECT_NE(out.find(c.line), std::string::npos) << out;
        // One ERROR line, and no window was needed to say it.
        EXPECT_EQ(out.find("[ ERROR ]"), out.rfind("[ ERROR ]")) << out;
    }
}

TEST(LevelTools, HelpAndBadArgumentsPrintTheUsage) {
    Folder folder;
    GameProcess help(folder.dir.path(), {}, {"--help"});
    EXPECT_EQ(help.waitForExit(30s), 0);
    EXPECT_NE(help.output().find("Usage: kelvaro19 [LEVEL]\n"), std::string::npos) << help.output();
    // The default keys, from the table the game binds by.
    EXPECT_NE(help.output().find("\n  F1                  controls (gamepad: Back)\n"),
              std::string::npos)
        << help.output();
    GameProcess wrong(folder.dir.path(), {}, {"--fly-me"});
    EXPECT_EQ(wrong.waitForExit(30s), 2);
    EXPECT_NE(wrong.output().find("[ ERROR ]\tkelvaro19: unknown option --fly-me."),
              std::string::npos)
        << wrong.output();
    EXPECT_NE(wrong.output().find("Usage: kelvaro19 [LEVEL]\n"), std::string::npos);
    EXPECT_EQ(wrong.output().find("Keys ("), std::string::npos);
}

TEST(LevelTools, CheckingNeedsNoDisplayAndSaysWhenThereIsNothingToCheck) {
    Folder folder;
    GameProcess missing(folder.dir.path(), {"DISPLAY="}, {"--check", "missing.dae"});
    EXPECT_EQ(missing.waitForExit(30s), 2);
    EXPECT_NE(missing.output().find("ERROR missing.dae: cannot be read: no such file; "),
              std::string::npos)
        << missing.output();
    EXPECT_NE(missing.output().find("\nUNREADABLE: missing.dae cannot be read\n"),
              std::string::npos)
        << missing.output();
    GameProcess nothing(folder.dir.path(), {"DISPLAY="}, {"--check"});
    EXPECT_EQ(nothing.waitForExit(30s), 2);
    EXPECT_NE(nothing.output().find("[ ERROR ]\tkelvaro19: --check needs the level file to check."),
              std::string::npos)
        << nothing.output();
}

TEST(LevelTools, CheckingALevelWithoutADisplayFliesItAndGivesTheVerdict) {
    Folder folder;
    LevelWriter straight;
    straight.addEmpty("Camera", {0, 0, 0});
    addRing(straight, 0, -20);
    addRing(straight, 1, -40);
    straight.addLamp("Lamp", {0, 20, -30}, {1, 1, 1});
    straight.write(folder.dir.path() / "straight.dae");
    GameProcess good(folder.dir.path(), {"DISPLAY="}, {"--check", "straight.dae"});
    EXPECT_EQ(good.waitForExit(60s), 0) << good.output();
    // The flights' line comes first: nothing else is on the console.
    EXPECT_EQ(good.output().rfind("Player-like flights: finished by 8 of 8 (", 0), 0u)
        << good.output();
    EXPECT_NE(good.output().find(
                  "\nOK: the game plays straight.dae and 8 of 8 player-like flights finish it\n"),
              std::string::npos)
        << good.output();
    EXPECT_EQ(good.output().find("WARNING"), std::string::npos) << good.output();

    LevelWriter gap;
    gap.addEmpty("Camera", {0, 0, 0});
    addRing(gap, 0, -20);
    addRing(gap, 2, -40);
    gap.write(folder.dir.path() / "gap.dae");
    GameProcess refused(folder.dir.path(), {"DISPLAY="}, {"--check", "gap.dae"});
    EXPECT_EQ(refused.waitForExit(60s), 1) << refused.output();
    EXPECT_NE(refused.output().find("\nREFUSED: "), std::string::npos) << refused.output();
}

TEST(LevelTools, TheCheckersOutputHoldsOnlyItsFindingsTheFlightAndTheVerdict) {
    // The folder's INI is read, a can's collision child is flat (it cannot be
    // cooked), and a font is missing: none of it may add lines of its own.
    Folder folder;
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addRing(level, 0, -20);
    level.addMeshNode("tcan_flat", "can", boxMesh({0.5f, 0.5f, 0.5f}), {0, 5, -10},
                      glm::quat(1, 0, 0, 0), glm::vec3(1.0f), boxMesh({1.0f, 0.0f, 1.0f}));
    level.write(folder.dir.path() / "flat.dae");
    std::filesystem::remove_all(folder.dir.path() / "res/assets/fonts");
    GameProcess check(folder.dir.path(), {"DISPLAY="}, {"--check", "flat.dae"});
    const auto code = check.waitForExit(60s);
    ASSERT_TRUE(code) << check.output();
    EXPECT_NE(*code, 2) << check.output();
    const std::string out = check.output();
    EXPECT_NE(out.find("ERROR tcan_flat: "), std::string::npos) << out;
    std::istringstream lines(out);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        bool known = false;
        for (const char* start :
             {"ERROR ", "WARNING ", "Player-like flights: ", "FINISHED ",
              "NOT FINISHED: ", "Loop at ", "Difficulty: ", "A perfect pilot: ", "OK: ", "NOT OK: ",
              "TOO HARD: ", "NOT FINISHABLE: ", "REFUSED: ", "UNDECIDED: "}) {
            known = known || line.starts_with(start);
        }
        EXPECT_TRUE(known) << "stray line: " << line;
    }
    EXPECT_GE(count, 3) << out;
}

TEST(LevelTools, F4ShowsTheShipsCollisionHullsAndHidesThemAgain) {
    Folder folder(320, 180);
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addRing(level, 0, -3000);
    level.write(folder.dir.path() / "far.dae");
    GameProcess game(folder.dir.path(), {}, {"far.dae"});
    ASSERT_NE(game.waitForWindow(120s), 0u) << game.output();
    ASSERT_TRUE(game.waitForTitle("Kelvaro19: Game running @", 60s)) << game.output();
    const glm::vec3 ship = shapeKindColor(ShapeKind::Ship) * 255.0f;
    auto shipPixels = [&](const std::filesystem::path& file) {
        ScreenImage image;
        return image.load(file)
                   ? image.countColor(uint8_t(ship.r), uint8_t(ship.g), uint8_t(ship.b), 3)
                   : -1;
    };
    auto hullsShown = [&](const std::filesystem::path& file) { return shipPixels(file) > 30; };
    auto hullsHidden = [&](const std::filesystem::path& file) { return shipPixels(file) == 0; };
    const auto before = folder.dir.path() / "before.png";
    EXPECT_TRUE(game.waitForPicture(before, hullsHidden, 30s)) << shipPixels(before);
    game.holdKey("F4", 300ms);
    const auto on = folder.dir.path() / "on.png";
    EXPECT_TRUE(game.waitForPicture(on, hullsShown, 30s)) << shipPixels(on);
    game.holdKey("F4", 300ms);
    const auto off = folder.dir.path() / "off.png";
    EXPECT_TRUE(game.waitForPicture(off, hullsHidden, 30s)) << shipPixels(off);
}

} // namespace
