#include "core/SoftwarePreset.h"

#include <gtest/gtest.h>

#include <climits>

#include <string>
#include <vector>

namespace {

const std::string INI = "res/config/Kelvaro.ini";

Config withKeys(std::vector<std::string> keys) {
    Config cfg;
    for (const std::string& key : keys) {
        cfg.keysSet.insert(key);
    }
    return cfg;
}

TEST(SoftwarePreset, SoftwareRasterisersAreRecognisedByName) {
    struct Case {
        const char* renderer;
        const char* name; // empty: a graphics card
    };
    const Case cases[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", "llvmpipe"},
        {"Gallium 0.4 on softpipe", "softpipe"},
        {"Google SwiftShader", "SwiftShader"},
        {"Apple Software Rasterizer", "Software Rasterizer"},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", ""},
        {"NVIDIA GeForce RTX 3060/PCIe/SSE2", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        auto found = softwareRendererName(c.renderer);
        EXPECT_EQ(found.value_or(""), c.name) << c.renderer;
    }
}

TEST(SoftwarePreset, AGraphicsCardKeepsEveryDefault) {
    PresetDecision d = decideDisplaySettings("AMD Radeon RX 6600 (radeonsi)", Config{}, INI);
    EXPECT_EQ(d.config.windowWidth, 1920u);
    EXPECT_EQ(d.config.windowHeight, 1080u);
    EXPECT_EQ(d.config.blurIterations, 25u);
    EXPECT_EQ(d.softwareRenderer, "");
    EXPECT_FALSE(d.detailLevel);
    EXPECT_EQ(d.message, "");
}

TEST(SoftwarePreset, AppliesOnlyToKeysTheIniLeavesUnset) {
    const SoftwarePreset preset;
    Config chosenSize = withKeys({"WINDOW_WIDTH", "WINDOW_HEIGHT"});
    chosenSize.windowWidth = 1280;
    chosenSize.windowHeight = 720;
    Config chosenPasses = withKeys({"BLUR_ITERATIONS"});
    chosenPasses.blurIterations = 25;
    Config onlyWidth = withKeys({"WINDOW_WIDTH"});
    onlyWidth.windowWidth = 800;
    onlyWidth.aspectRatio = 800.0f / 1080.0f;
    Config onlyHeight = withKeys({"WINDOW_HEIGHT", "BLUR_ITERATIONS"});
    onlyHeight.windowHeight = 1000;
    onlyHeight.blurIterations = 3;
    Config hugeHeight = withKeys({"WINDOW_HEIGHT"});
    hugeHeight.windowHeight = uint32_t(INT_MAX);
    Config tinyWidth = withKeys({"WINDOW_WIDTH"});
    tinyWidth.windowWidth = 1;
    Config everything = withKeys({"WINDOW_WIDTH", "WINDOW_HEIGHT", "BLUR_ITERATIONS"});
    everything.blurIterations = 2;
    Config everythingScaled =
        withKeys({"WINDOW_WIDTH", "WINDOW_HEIGHT", "BLUR_ITERATIONS", "RENDER_SCALE"});
    everythingScaled.blurIterations = 2;
    Config otherKeys = withKeys({"FOV", "MAX_FPS"});
    otherKeys.fov = 70.0f;
    otherKeys.maxFps = 30;
    const std::string head = "Software renderer (llvmpipe): ";
    const std::string tail =
        ", the 3D picture drawn at about 800x450 in any window; set WINDOW_WIDTH, WINDOW_HEIGHT, "
        "BLUR_ITERATIONS or RENDER_SCALE in " +
        INI + " to choose";
    const std::string size =
        std::to_string(preset.windowWidth) + "x" + std::to_string(preset.windowHeight);
    const std::string passes = std::to_string(preset.blurIterations) + " glow passes";
    const std::string detail =
        ", level of detail " + std::to_string(preset.detailLevel) + " (F6 changes it)";
    struct Case {
        Config given;
        uint32_t width, height, passes;
        std::string message;
    };
    const Case cases[] = {
        {Config{}, preset.windowWidth, preset.windowHeight, preset.blurIterations,
         head + size + ", " + passes + detail + tail},
        {otherKeys, preset.windowWidth, preset.windowHeight, preset.blurIterations,
         head + size + ", " + passes + detail + tail},
        {chosenSize, 1280, 720, preset.blurIterations,
         head + "1280x720 as set, " + passes + detail + tail},
        {chosenPasses, preset.windowWidth, preset.windowHeight, 25, head + size + detail + tail},
        // A side left unset follows the preset's shape, not the full-size default.
        {onlyWidth, 800, 450, preset.blurIterations,
         head + "800x450 (WINDOW_HEIGHT to the preset's shape), " + passes + detail + tail},
        {onlyHeight, 1778, 1000, 3,
         head + "1778x1000 (WINDOW_WIDTH to the preset's shape)" + detail + tail},
        {hugeHeight, uint32_t(INT_MAX), uint32_t(INT_MAX), preset.blurIterations,
         head + std::to_string(INT_MAX) + "x" + std::to_string(INT_MAX) +
             " (WINDOW_WIDTH to the preset's shape), " + passes + detail + tail},
        {tinyWidth, 1, 1, preset.blurIterations,
         head + "1x1 (WINDOW_HEIGHT to the preset's shape), " + passes + detail + tail},
        // A file that chose the whole frame keeps the finest level of detail
        // too; only the picture's scale is the preset's.
        {everything, 1920, 1080, 2, head + tail.substr(2)},
        {everythingScaled, 1920, 1080, 2, ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        PresetDecision d = decideDisplaySettings("llvmpipe (LLVM 15.0.6, 256 bits)", c.given, INI);
        EXPECT_EQ(d.config.windowWidth, c.width) << "case " << i;
        EXPECT_EQ(d.config.windowHeight, c.height) << "case " << i;
        EXPECT_EQ(d.config.blurIterations, c.passes) << "case " << i;
        EXPECT_FLOAT_EQ(d.config.aspectRatio, float(c.width) / float(c.height)) << "case " << i;
        EXPECT_EQ(d.message, c.message) << "case " << i;
        EXPECT_EQ(d.softwareRenderer, "llvmpipe");
        // The level of detail is the preset's unless the file chose the frame.
        const bool frameChosen = i + 2 >= std::size(cases);
        EXPECT_EQ(d.detailLevel,
                  frameChosen ? std::nullopt : std::optional<int32_t>(preset.detailLevel));
        // The picture keeps the preset window's pixels unless RENDER_SCALE is set.
        EXPECT_EQ(d.config.scenePixels, i + 1 < std::size(cases) ? 800u * 450u : 0u)
            << "case " << i;
        // Keys outside the preset pass through untouched.
        EXPECT_EQ(d.config.maxFps, c.given.maxFps);
        EXPECT_FLOAT_EQ(d.config.fov, c.given.fov);
    }
}

TEST(SoftwarePreset, TheShippedIniLeavesTheDisplayKeysToThePreset) {
    testing::internal::CaptureStdout();
    Config shipped = parseConfig(std::string(KELVARO_SOURCE_DIR) + "/" + INI);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[ INFO ]\t.ini parsed successfully.\n");
    for (const char* key : {"WINDOW_WIDTH", "WINDOW_HEIGHT", "BLUR_ITERATIONS"}) {
        EXPECT_EQ(shipped.keysSet.count(key), 0u) << key;
    }
    // On a graphics card the game therefore runs at the defaults.
    EXPECT_EQ(shipped.windowWidth, 1920u);
    EXPECT_EQ(shipped.windowHeight, 1080u);
    EXPECT_EQ(shipped.blurIterations, 25u);
    EXPECT_EQ(shipped.keysSet.count("MAX_FPS"), 1u);
}

} // namespace

TEST(SoftwarePreset, ALevelOfDetailTheFileChoseIsKept) {
    Config chosen;
    chosen.keysSet = {"LEVEL_OF_DETAIL"};
    chosen.levelOfDetail = 2;
    const PresetDecision d = decideDisplaySettings("llvmpipe", chosen, INI);
    EXPECT_FALSE(d.detailLevel);
    EXPECT_EQ(d.config.levelOfDetail, 2);
    EXPECT_NE(d.message, "");
    EXPECT_EQ(d.message.find("level of detail"), std::string::npos) << d.message;
}
