#include "core/Config.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Parsed {
    Config config;
    std::string console;
};

Parsed parse(const std::string* content) {
    TempDir dir;
    std::string path = (dir.path() / "Kelvaro.ini").string();
    if (content) {
        dir.write("Kelvaro.ini", *content);
    }
    testing::internal::CaptureStdout();
    Config cfg = parseConfig(path);
    return {cfg, testing::internal::GetCapturedStdout()};
}

Parsed parse(const std::string& content) {
    return parse(&content);
}

void expectDefaults(const Config& c) {
    EXPECT_EQ(c.maxFps, 60u);
    EXPECT_EQ(c.windowWidth, 1920u);
    EXPECT_EQ(c.windowHeight, 1080u);
    EXPECT_EQ(c.blurIterations, 25u);
    EXPECT_FLOAT_EQ(c.fov, 90.0f);
    EXPECT_FLOAT_EQ(c.brightness, 1.0f);
    EXPECT_FLOAT_EQ(c.drawDistance, 1000000.0f);
    EXPECT_FLOAT_EQ(c.aspectRatio, 1920.0f / 1080.0f);
    EXPECT_FALSE(c.fullscreenMode);
}

TEST(Config, MissingFileGivesDefaultsSilently) {
    Parsed p = parse(nullptr);
    expectDefaults(p.config);
    EXPECT_EQ(p.console, "");
}

TEST(Config, PartialFileOverridesOnlyItsKeys) {
    Parsed p = parse("[GRAPHICS]\nWINDOW_WIDTH = 1280\nWINDOW_HEIGHT = 1024\n");
    EXPECT_EQ(p.config.windowWidth, 1280u);
    EXPECT_EQ(p.config.windowHeight, 1024u);
    EXPECT_FLOAT_EQ(p.config.aspectRatio, 1.25f);
    EXPECT_EQ(p.config.maxFps, 60u);
    EXPECT_EQ(p.config.blurIterations, 25u);
    EXPECT_EQ(p.console, "[ INFO ]\t.ini parsed successfully.\n");
}

TEST(Config, RemembersWhichKeysTheFileSet) {
    Parsed p = parse("[GRAPHICS]\nwindow_width = 1280\nBLUR_ITERATIONS = 3\n[OTHER]\nFOV = 60\n");
    EXPECT_EQ(p.config.keysSet, (std::set<std::string>{"WINDOW_WIDTH", "BLUR_ITERATIONS"}));
    EXPECT_TRUE(parse(nullptr).config.keysSet.empty());
}

TEST(Config, EveryKeyIsRead) {
    Parsed p = parse("[graphics]\nmax_fps=0x1e\nWINDOW_WIDTH=640\nWINDOW_HEIGHT=360\n"
                     "BLUR_ITERATIONS=010\nFOV=75.5\nBRIGHTNESS=0.5\nDRAW_DISTANCE=500\n"
                     "FULLSCREEN_MODE=ON\n");
    EXPECT_EQ(p.config.maxFps, 30u);        // hexadecimal
    EXPECT_EQ(p.config.blurIterations, 8u); // octal
    EXPECT_FLOAT_EQ(p.config.fov, 75.5f);
    EXPECT_FLOAT_EQ(p.config.brightness, 0.5f);
    EXPECT_FLOAT_EQ(p.config.drawDistance, 500.0f);
    EXPECT_FLOAT_EQ(p.config.aspectRatio, 640.0f / 360.0f);
    EXPECT_TRUE(p.config.fullscreenMode);
}

TEST(Config, BooleansAcceptOnlyTheKnownWords) {
    EXPECT_TRUE(parse("[GRAPHICS]\nFULLSCREEN_MODE = yes\n").config.fullscreenMode);
    EXPECT_FALSE(parse("[GRAPHICS]\nFULLSCREEN_MODE = maybe\n").config.fullscreenMode);
}

TEST(Config, OtherSectionsAreIgnored) {
    Parsed p = parse("[DISPLAY]\nWINDOW_WIDTH = 800\nFOV = 10\n");
    expectDefaults(p.config);
}

TEST(Config, UnreadableValuesKeepTheirDefaults) {
    Parsed p = parse("[GRAPHICS]\nFOV = abc\nMAX_FPS = fast\n");
    EXPECT_FLOAT_EQ(p.config.fov, 90.0f);
    EXPECT_EQ(p.config.maxFps, 60u);
}

TEST(Config, ParseErrorKeepsTheLinesThatParsed) {
    Parsed p = parse("[GRAPHICS]\nWINDOW_WIDTH = 800\nthis line is broken\nMAX_FPS = 30\n");
    EXPECT_EQ(p.config.windowWidth, 800u);
    EXPECT_EQ(p.config.maxFps, 30u);
    // The parse-error message is below the console filter, and success is not claimed.
    EXPECT_EQ(p.console, "");
}

TEST(Config, ValuesThatWouldBreakTheGameAreRejectedLoudly) {
    Parsed p = parse("[GRAPHICS]\nWINDOW_WIDTH = 0\nWINDOW_HEIGHT = 0\nMAX_FPS = 0\n"
                     "BLUR_ITERATIONS = -1\n");
    expectDefaults(p.config);
    EXPECT_TRUE(std::isfinite(p.config.aspectRatio));
    for (const char* key :
         {"WINDOW_WIDTH = 0", "WINDOW_HEIGHT = 0", "MAX_FPS = 0", "BLUR_ITERATIONS = -1"}) {
        EXPECT_NE(p.console.find(std::string("[ ERROR ]\tRejected ") + key), std::string::npos)
            << key << " in:\n"
            << p.console;
    }
    EXPECT_NE(p.console.find("Kelvaro.ini"), std::string::npos);
}

TEST(Config, NegativeAndOversizedCountsAreRejected) {
    Parsed p =
        parse("[GRAPHICS]\nMAX_FPS = -5\nWINDOW_WIDTH = 4294967296\nWINDOW_HEIGHT = 4294967295\n"
              "BLUR_ITERATIONS = 0\n");
    EXPECT_EQ(p.config.maxFps, 60u);
    EXPECT_EQ(p.config.windowWidth, 1920u);
    EXPECT_EQ(p.config.windowHeight, 4294967295u);
    EXPECT_EQ(p.config.blurIterations, 0u); // no blur is a valid choice
    EXPECT_NE(p.console.find("Rejected MAX_FPS = -5"), std::string::npos);
    EXPECT_NE(p.console.find("Rejected WINDOW_WIDTH = 4294967296"), std::string::npos);
}

} // namespace
