#include "render/BloomBlurKernel.h"
#include "render/BloomTargets.h"

#include <gtest/gtest.h>

namespace {

TEST(BloomBlurKernel, BlurBuffersAreAQuarterOfEachSideRoundedUpNeverEmpty) {
    const std::pair<uint32_t, uint32_t> cases[] = {{1280, 320}, {720, 180}, {450, 113},
                                                   {1281, 321}, {1, 1},     {0, 1}};
    for (auto [window, blur] : cases) {
        EXPECT_EQ(blurSide(window), blur) << window;
    }
}

// Two taps at +-reach spread by reach blur texels squared per pass: with the
// resampling, the passes along a side spread the glow as far as as many
// passes over the whole window, or add nothing where they cannot make up for
// the resampling.
TEST(BloomBlurKernel, PassesSpreadTheGlowAsFarAsPassesOverTheWholeWindow) {
    struct Case {
        uint32_t passes;
        bool horizontal;
        uint32_t along; // passes along that side
        float reach;
    };
    const float full = (13.0f * PASS_SPREAD - resamplingSpread(4)) / 13.0f / 16.0f;
    const Case cases[] = {
        {25, true, 13, full}, {25, false, 12, -1}, {6, true, 3, -1}, {6, false, 3, -1},
        {100, false, 50, -1}, {3, true, 2, -1},    {3, false, 1, 0}, {2, true, 1, 0},
        {1, true, 1, 0},      {1, false, 0, 0},    {0, true, 0, 0},
    };
    for (const Case& c : cases) {
        const float reach = blurPassReach(c.passes, c.horizontal);
        if (c.reach >= 0.0f) {
            EXPECT_FLOAT_EQ(reach, c.reach) << c.passes << c.horizontal;
        } else {
            EXPECT_NEAR(float(c.along) * reach * 16.0f + resamplingSpread(BLUR_SCALE),
                        float(c.along) * PASS_SPREAD, 1e-3f)
                << c.passes << c.horizontal;
        }
    }
    EXPECT_FLOAT_EQ(resamplingSpread(4), 15.0f / 12.0f + 16.0f / 6.0f);
    // Two taps one texel apart cannot spread as far as a whole-window pass.
    EXPECT_EQ(blurPassReach(25, true, 1), 1.0f);
}

} // namespace
