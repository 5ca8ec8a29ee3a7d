#include "core/FrameSize.h"
#include "core/Config.h"

#include <gtest/gtest.h>

namespace {

TEST(FrameSize, TheSceneIsTheWindowScaledAndNeverEmptyUnlessTheWindowIs) {
    struct Case {
        FrameSize window;
        float scale;
        FrameSize scene;
    };
    const Case cases[] = {
        {{1920, 1080}, 1.0f, {1920, 1080}},
        {{1920, 1080}, 0.5f, {960, 540}},
        {{1920, 1080}, 0.1f, {480, 270}}, // held at a quarter
        {{1280, 720}, 3.0f, {1280, 720}}, // never larger than the window
        {{3, 1}, 0.25f, {1, 1}},
        {{0, 720}, 0.5f, {0, 0}}, // minimised
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sceneSize(c.window, c.scale), c.scene)
            << c.window.width << "x" << c.window.height;
    }
}

TEST(FrameSize, ThePresetsScaleKeepsThePicturesPixelsAtEverySize) {
    Config preset;
    preset.scenePixels = 800 * 450;
    preset.renderScale = 0.75f; // not the player's choice here: the pixels win
    const struct {
        FrameSize window;
        FrameSize scene;
    } cases[] = {
        {{800, 450}, {800, 450}},  {{1920, 1080}, {800, 450}},
        {{1280, 720}, {800, 450}}, {{3840, 2160}, {960, 540}}, // a quarter at most
        {{640, 480}, {640, 480}},  {{320, 180}, {320, 180}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sceneSize(c.window, renderScaleFor(preset, c.window)), c.scene)
            << c.window.width << "x" << c.window.height;
    }
    Config chosen;
    chosen.renderScale = 0.5f;
    EXPECT_FLOAT_EQ(renderScaleFor(chosen, {1920, 1080}), 0.5f);
}

TEST(FrameSize, AWindowBeyondTheDriversLimitIsHeldAtIt) {
    EXPECT_EQ(withinLimit({32767, 32767}, {16384, 16384}), (FrameSize{16384, 16384}));
    EXPECT_EQ(withinLimit({1920, 20000}, {16384, 16384}), (FrameSize{1920, 16384}));
    EXPECT_EQ(withinLimit({1920, 1080}, {0, 0}), (FrameSize{1920, 1080})); // limit unknown
}

} // namespace
