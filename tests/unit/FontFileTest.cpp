// Reading a font into glyph bitmaps, without a window.
#include "assets/FontFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

const std::string SOURCE = KELVARO_SOURCE_DIR;

TEST(FontFile, GlyphsAreWholeBitmapsOfOneBytePerPixel) {
    const FontRead outline = readFontFile(SOURCE + "/res/assets/fonts/spacejunkXL.ttf");
    ASSERT_EQ(outline.problem, "");
    EXPECT_EQ(outline.glyphs.size(), 128u);
    EXPECT_EQ(outline.failed, 0);
    const GlyphBitmap& a = outline.glyphs.at('A');
    EXPECT_GT(a.size.y, 50);
    EXPECT_EQ(a.pixels.size(), std::size_t(a.size.x * a.size.y));
    // A bitmap font holds one bit per pixel, in rows padded to bytes.
    const FontRead bits = readFontFile(SOURCE + "/fuzz/corpus/font/seed-a.bdf");
    ASSERT_EQ(bits.problem, "");
    ASSERT_EQ(bits.glyphs.count('A'), 1u);
    EXPECT_EQ(bits.glyphs.at('A').size, glm::ivec2(60, 100));
    EXPECT_EQ(bits.failed, 128 - int(bits.glyphs.size()));
    const std::vector<unsigned char>& pixels = bits.glyphs.at('A').pixels;
    EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(),
                            [](unsigned char p) { return p == 0 || p == 255; }));
    EXPECT_NE(std::count(pixels.begin(), pixels.end(), 255), 0);
}

TEST(FontFile, WhatIsNoFontIsNamed) {
    EXPECT_EQ(readFont("not a font").problem, "it is not a font FreeType reads");
    EXPECT_EQ(readFontFile(SOURCE).problem, "it is a folder, not a file");
    EXPECT_EQ(readFontFile(SOURCE + "/nothing.ttf").problem, "no such file");
    EXPECT_TRUE(readFontFile(SOURCE).glyphs.empty());
}

} // namespace
