#include "render/BloomBlurKernel.h"
#include "render/BloomTargets.h"

#include <gtest/gtest.h>

namespace {

TEST(BloomBlurKernel, BlurBuffersAreAQuarterOfEachSideRoundedUp) {
    struct Case {
        uint32_t window, blur;
    };
    const Case cases[] = {
        {1280, 320}, {720, 180}, {800, 200}, {450, 113}, // 450 / 4 = 112.5: no pixel lacks glow
        {1281, 321}, {3, 1},     {1, 1},     {0, 1},     // never an empty buffer
    };
    for (const Case& c : cases) {
        EXPECT_EQ(blurSide(c.window), c.blur) << c.window;
    }
}

TEST(BloomBlurKernel, PassesSpreadTheGlowAsFarAsPassesOverTheWholeWindow) {
    struct Case {
        uint32_t passes;
        bool horizontal;
        uint32_t along; // passes in that direction
    };
    const Case cases[] = {
        {25, true, 13}, {25, false, 12}, // the default
        {6, true, 3},   {6, false, 3},   // the software preset
        {3, true, 2},   {100, false, 50},
    };
    for (const Case& c : cases) {
        const float reach = blurPassReach(c.passes, c.horizontal);
        // Two taps at +-reach spread by reach blur texels squared, sixteen
        // window pixels squared each.
        const float spread =
            float(c.along) * reach * float(BLUR_SCALE * BLUR_SCALE) + resamplingSpread(BLUR_SCALE);
        EXPECT_NEAR(spread, float(c.along) * PASS_SPREAD, 1e-3f) << c.passes << c.horizontal;
        EXPECT_GT(reach, 0.0f);
        EXPECT_LE(reach, 1.0f);
    }
    // More passes, a wider glow.
    EXPECT_LT(blurPassReach(6, true), blurPassReach(25, true));
}

TEST(BloomBlurKernel, PassesThatCannotMakeUpForTheResamplingAddNothing) {
    EXPECT_FLOAT_EQ(resamplingSpread(4), 15.0f / 12.0f + 16.0f / 6.0f);
    EXPECT_FLOAT_EQ(resamplingSpread(1), 1.0f / 6.0f);
    struct Case {
        uint32_t passes;
        bool horizontal;
    };
    // One pass per direction adds less than shrinking and filtering back up;
    // with none in a direction there is nothing to share out.
    const Case none[] = {{0, true}, {0, false}, {1, true}, {1, false},
                         {2, true}, {2, false}, {3, false}};
    for (const Case& c : none) {
        EXPECT_EQ(blurPassReach(c.passes, c.horizontal), 0.0f) << c.passes << c.horizontal;
    }
    // At full size each pass spreads further than two taps one texel apart
    // can: the reach stops at one texel.
    EXPECT_EQ(blurPassReach(25, true, 1), 1.0f);
    EXPECT_EQ(blurPassReach(25, true, 0), 0.0f);
}

} // namespace
