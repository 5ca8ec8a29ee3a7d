#include "assets/FontFile.h"

#include "core/RegularFile.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>

namespace {

// The glyph in the slot as one byte per pixel, rows from the top; false for
// a bitmap of a kind the text cannot draw. FreeType's rows may be padded,
// run upwards (a negative pitch) or hold one bit per pixel.
bool copyBitmap(const FT_Bitmap& bitmap, std::vector<unsigned char>& pixels) {
    const int width = int(bitmap.width), rows = int(bitmap.rows);
    if (width > MAX_GLYPH_SIDE || rows > MAX_GLYPH_SIDE) {
        return false;
    }
    const bool gray = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
    if (!gray && bitmap.pixel_mode != FT_PIXEL_MODE_MONO) {
        return false;
    }
    const std::size_t rowBytes = gray ? std::size_t(width) : (std::size_t(width) + 7) / 8;
    if (std::size_t(std::abs(bitmap.pitch)) < rowBytes || (width * rows > 0 && !bitmap.buffer)) {
        return false;
    }
    pixels.assign(std::size_t(width) * std::size_t(rows), 0);
    for (int y = 0; y < rows; ++y) {
        // With a negative pitch the buffer starts at the bottom row.
        const unsigned char* row =
            bitmap.buffer + (bitmap.pitch >= 0 ? std::ptrdiff_t(y) * bitmap.pitch
                                               : std::ptrdiff_t(rows - 1 - y) * -bitmap.pitch);
        for (int x = 0; x < width; ++x) {
            pixels[std::size_t(y) * width + x] = gray                                ? row[x]
                                                 : ((row[x / 8] >> (7 - x % 8)) & 1) ? 255
                                                                                     : 0;
        }
    }
    return true;
}

} // namespace

FontRead readFont(std::string_view bytes) {
    FontRead font;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library)) {
        font.problem = "FreeType cannot be started";
        return font;
    }
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(bytes.data()),
                           FT_Long(bytes.size()), 0, &face)) {
        font.problem = "it is not a font FreeType reads";
        FT_Done_FreeType(library);
        return font;
    }
    font.family = face->family_name ? face->family_name : "the font";
    if (FT_Set_Pixel_Sizes(face, 0, GLYPH_PIXEL_HEIGHT)) {
        // A font of fixed sizes only, none of them this one.
        font.failed = 128;
    } else {
        for (int code = 0; code < 128; ++code) {
            GlyphBitmap glyph;
            const FT_GlyphSlot slot = face->glyph;
            if (FT_Load_Char(face, FT_ULong(code), FT_LOAD_RENDER) ||
                !copyBitmap(slot->bitmap, glyph.pixels)) {
                ++font.failed;
                continue;
            }
            glyph.size = {int(slot->bitmap.width), int(slot->bitmap.rows)};
            glyph.bearing = {slot->bitmap_left, slot->bitmap_top};
            glyph.advance = uint32_t(slot->advance.x);
            font.glyphs[int8_t(code)] = std::move(glyph);
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return font;
}

FontRead readFontFile(const std::string& path) {
    const BoundedRead file = readBoundedFile(path, MAX_FONT_FILE_BYTES);
    if (!file.problem.empty()) {
        FontRead font;
        font.problem = file.problem;
        return font;
    }
    return readFont(file.text);
}
