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

TEST(GlyphQuad, ALineMeasuresTheUnionOfItsGlyphQuads) {
    GlyphSet set;
    set['A'] = Glyph{1, {30, 40}, {3, 35}, 64 * 40};
    set['g'] = Glyph{2, {20, 50}, {1, 38}, 64 * 25};
    set[' '] = Glyph{3, {0, 0}, {0, 0}, 64 * 12};
    // "A g": A at pen 10, space moves 12 more, g at pen 62, at scale 2.
    TextExtent e = measureText(set, "A g", 10.0f, 100.0f, 2.0f);
    EXPECT_FLOAT_EQ(e.left, 10.0f + 6.0f);
    EXPECT_FLOAT_EQ(e.right, 10.0f + 2.0f * (40 + 12) + 2.0f + 40.0f);
    EXPECT_FLOAT_EQ(e.bottom, 100.0f - 2.0f * 12);
    // The g reaches higher than the A (38 against 35 above the baseline).
    EXPECT_FLOAT_EQ(e.top, 100.0f + 2.0f * 38);
    EXPECT_FLOAT_EQ(e.penEnd, 10.0f + 2.0f * (40 + 12 + 25));
    EXPECT_FLOAT_EQ(e.width(), e.right - e.left);
    // A code the set lacks covers nothing and does not move the pen; an empty
    // line covers nothing at all.
    TextExtent gap = measureText(set,
                                 "A\x01"
                                 "A",
                                 0.0f, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(gap.penEnd, 80.0f);
    EXPECT_TRUE(measureText(set, "", 5.0f, 5.0f, 1.0f).empty());
    EXPECT_TRUE(measureText(set, "   ", 5.0f, 5.0f, 1.0f).empty());
    EXPECT_FLOAT_EQ(measureText(set, "   ", 5.0f, 5.0f, 1.0f).width(), 0.0f);
}

} // namespace
