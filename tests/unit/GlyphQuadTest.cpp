#include "render/Glyph.h"

#include <gtest/gtest.h>

namespace {

TEST(GlyphQuad, PlacesTheBitmapFromBearingAndSizeAtTheScale) {
    // A glyph 30 x 40 pixels whose top is 35 above the baseline (5 below it).
    Glyph glyph{7, {30, 40}, {3, 35}, 2000};
    GlyphQuad quad = glyphQuad(glyph, 100.0f, 200.0f, 2.0f);
    const float left = 106.0f, bottom = 190.0f, right = 166.0f, top = 270.0f;
    const GlyphQuad expected = {{{left, top, 0, 0},
                                 {left, bottom, 0, 1},
                                 {right, bottom, 1, 1},
                                 {left, top, 0, 0},
                                 {right, bottom, 1, 1},
                                 {right, top, 1, 0}}};
    for (int v = 0; v < 6; ++v) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_FLOAT_EQ(quad[v][c], expected[v][c]) << "vertex " << v << " component " << c;
        }
    }
}

TEST(GlyphQuad, PenAdvancesInWholePixelsTimesTheScale) {
    // 2000 / 64 = 31.25: the fraction is dropped before scaling.
    EXPECT_FLOAT_EQ(glyphAdvance(Glyph{0, {0, 0}, {0, 0}, 2000}, 2.0f), 62.0f);
    EXPECT_FLOAT_EQ(glyphAdvance(Glyph{0, {0, 0}, {0, 0}, 63}, 10.0f), 0.0f);
    // An empty record (a code the font lacks) neither draws nor moves.
    Glyph empty;
    GlyphQuad quad = glyphQuad(empty, 5.0f, 6.0f, 3.0f);
    for (const auto& vertex : quad) {
        EXPECT_FLOAT_EQ(vertex[0], 5.0f);
        EXPECT_FLOAT_EQ(vertex[1], 6.0f);
    }
    EXPECT_FLOAT_EQ(glyphAdvance(empty, 3.0f), 0.0f);
}

TEST(GlyphQuad, DescenderDifferenceIsTakenInWholePixelsBeforeScaling) {
    // A 'g'-like glyph reaching 12 pixels below the baseline at scale 0.5.
    Glyph glyph{1, {20, 50}, {1, 38}, 64 * 25};
    GlyphQuad quad = glyphQuad(glyph, 0.0f, 100.0f, 0.5f);
    EXPECT_FLOAT_EQ(quad[1][1], 100.0f - 6.0f);
    EXPECT_FLOAT_EQ(quad[0][1], 100.0f - 6.0f + 25.0f);
    EXPECT_FLOAT_EQ(quad[0][0], 0.5f);
}

} // namespace
