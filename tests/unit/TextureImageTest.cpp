#include "PngBytes.h"
#include "TempDir.h"

#include "assets/ModelFiles.h"
#include "assets/TextureImage.h"
#include "core/RegularFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// The start of a PNG whose header claims the given size, with no pixel data:
// enough for the size to be read, far too little to decode.
std::string pngHeaderOnly(uint32_t width, uint32_t height) {
    std::string bytes("\x89PNG\r\n\x1a\n", 8);
    const auto word = [&bytes](uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            bytes.push_back(char((v >> shift) & 0xFF));
        }
    };
    word(13);
    bytes += "IHDR";
    word(width);
    word(height);
    bytes += std::string("\x08\x02\x00\x00\x00", 5); // 8-bit RGB
    word(0);                                         // checksum (not checked)
    return bytes;
}

TEST(TextureImage, ImagesWithinTheCeilingsAreReadAsTheyAre) {
    TempDir folder;
    const auto path = folder.write("small.png", pngBytes(3, 2, 3, std::vector<uint8_t>(18, 7)));
    const TextureImage image(path.string(), 16384);
    ASSERT_TRUE(image.ok()) << image.failure;
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.channels, 3);
    EXPECT_EQ(image.note, "");
    EXPECT_EQ(image.data()[17], 7);
}

TEST(TextureImage, AnImageOfTooManyPixelsIsRefusedFromItsHeader) {
    TempDir folder;
    const auto path = folder.write("huge.png", pngHeaderOnly(16384, 16384));
    const TextureImage image(path.string(), 16384);
    EXPECT_FALSE(image.ok());
    EXPECT_EQ(image.failure, "the image is 16384x16384 pixels; images of more than 16777216 "
                             "pixels (4096x4096) are refused");
}

TEST(TextureImage, ASquareImageIsAskedOfTheHeaderBeforeDecoding) {
    TempDir folder;
    // Only a header: were it decoded, the failure would be the reader's.
    const auto path = folder.write("strip.png", pngHeaderOnly(622526, 6));
    const TextureImage face(path.string(), 2048, TextureImage::Shape::Square);
    EXPECT_FALSE(face.ok());
    EXPECT_EQ(face.failure, "the image is 622526x6 pixels; it must be square");
    const TextureImage any(path.string(), 2048);
    EXPECT_FALSE(any.ok());
    EXPECT_NE(any.failure, face.failure);
}

// The image reader would write past its table on such a file.
TEST(TextureImage, AJpegWithAnOverfullHuffmanTableIsRefusedBeforeDecoding) {
    TempDir folder;
    // The reader skips fill bytes before its start marker as before any other.
    std::string bytes("\xFF\xFF\xFF\xD8\xFF\xC4", 6);
    const int codes = 16 * 17; // 272 codes, 16 more than a table holds
    const int length = 2 + 1 + 16 + codes;
    bytes.push_back(char(length >> 8));
    bytes.push_back(char(length & 0xFF));
    bytes.push_back('\x00');
    bytes.append(16, char(17));
    bytes.append(size_t(codes), '\x01');
    bytes += std::string("\xFF\xD9", 2);
    const TextureImage image(folder.write("overfull.jpg", bytes).string(), 0);
    EXPECT_FALSE(image.ok());
    EXPECT_EQ(image.failure, "the JPEG declares a Huffman table of 272 codes, more than 256; "
                             "refused before decoding");
    // A sound JPEG still reads.
    const TextureImage sound(std::string(KELVARO_SOURCE_DIR) + "/fuzz/corpus/image/plasma.jpg", 0);
    EXPECT_TRUE(sound.ok()) << sound.failure;
    EXPECT_EQ(sound.width, 8);
}

// The image reader would overflow its int on these headers.
TEST(TextureImage, APnmHeaderNumberBeyondAnIntIsRefusedBeforeDecoding) {
    TempDir folder;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"P6\n2147483648 1\n255\n", "width"},
        {"P5 # a comment\n1\t99999999999\n255\n", "height"},
        {"P6\n1 1\n\v2147483648\n", "largest value"},
    };
    for (const auto& [header, field] : cases) {
        SCOPED_TRACE(header);
        const TextureImage image(folder.write("big.ppm", header + "xyz").string(), 0);
        EXPECT_EQ(image.failure, "the PNM header gives a " + field +
                                     " of more than 2147483647; refused before decoding");
    }
    // Within an int the reader's own checks answer.
    const TextureImage fits(folder.write("fits.ppm", "P6\n2147483647 1\n255\n").string(), 0);
    EXPECT_FALSE(fits.ok());
    EXPECT_EQ(fits.failure.find("PNM header"), std::string::npos) << fits.failure;
}

// The reader would decode a short file's missing pixels as zeros, for seconds.
TEST(TextureImage, ATgaOrBmpTooShortForItsPixelsIsRefusedBeforeDecoding) {
    TempDir folder;
    auto tga = [](int type, int width, int height, const std::string& body) {
        std::string header(18, '\0');
        header[2] = char(type);
        header[12] = char(width & 0xFF);
        header[13] = char(width >> 8);
        header[14] = char(height & 0xFF);
        header[15] = char(height >> 8);
        header[16] = 24;
        return header + body;
    };
    const TextureImage whole(folder.write("whole.tga", tga(2, 2, 2, std::string(12, 'x'))).string(),
                             0);
    EXPECT_TRUE(whole.ok()) << whole.failure;
    // One run-length packet: four pixels of one colour.
    const TextureImage packed(folder.write("rle.tga", tga(10, 2, 2, "\x83xyz")).string(), 0);
    EXPECT_TRUE(packed.ok()) << packed.failure;
    const TextureImage cut(folder.write("cut.tga", tga(2, 2, 2, std::string(11, 'x'))).string(), 0);
    EXPECT_EQ(cut.failure, "the TGA file is 29 bytes, too short for the 2x2 pixels its header "
                           "gives (at least 30); refused before decoding");
    // A BMP of two million one-pixel rows in 233 bytes (found by fuzzing); the
    // reader takes its compression, a negative number, for none.
    const std::string bmp = "BM" + std::string(12, '\0') + "|" + std::string(3, '\0') +
                            std::string("\x01\0\0\0\x34\x01\x20\0\x01\0\x18\0", 12) +
                            std::string(4, '\xBD');
    const TextureImage rows(folder.write("rows.bmp", bmp).string(), 0);
    // The same header for 1x2 pixels, with its two padded rows, is read.
    std::string small = bmp;
    small[10] = 54; // where the pixels start, after a 40-byte header
    small[14] = 40;
    small[22] = 2;
    small[23] = small[24] = 0;
    small.resize(54, '\0');
    const TextureImage twoRows(folder.write("two.bmp", small + std::string(8, 'x')).string(), 0);
    EXPECT_TRUE(twoRows.ok()) << twoRows.failure;
    EXPECT_EQ(rows.failure, "the BMP file is 34 bytes, too short for the 1x2097460 pixels its "
                            "header gives (at least 8389840); refused before decoding");
    // A depth of 48,408 bits is read as 32 (found by fuzzing).
    std::string deep = bmp;
    deep[29] = '\xBD';
    EXPECT_EQ(TextureImage(folder.write("deep.bmp", deep).string(), 0).failure,
              "the BMP file is 34 bytes, too short for the 1x2097460 pixels its header gives (at "
              "least 8389840); refused before decoding");
    // Sides of 2^31 - 1 make more bytes than the check can count: still too short.
    std::string widest = bmp;
    widest.replace(18, 8, std::string("\xFF\xFF\xFF\x7F\xFF\xFF\xFF\x7F", 8));
    EXPECT_NE(TextureImage(folder.write("widest.bmp", widest).string(), 0)
                  .failure.find("too short for the 2147483647x2147483647 pixels"),
              std::string::npos);
    const TextureImage huge(folder.write("huge.tga", tga(10, 65284, 224, "\x83xyz")).string(), 0);
    EXPECT_EQ(huge.failure, "the TGA file is 22 bytes, too short for the 65284x224 pixels its "
                            "header gives (at least 457006); refused before decoding");
}

TEST(TextureImage, AnImageWithASideOfNoPixelsIsRefused) {
    TempDir folder;
    // A binary PNM 20000 pixels wide and 0 high: wider than any texture.
    const auto path = folder.write("flat.ppm", std::string("P6\n20000 0\n255\n"));
    const TextureImage image(path.string(), 16384);
    EXPECT_FALSE(image.ok());
    EXPECT_NE(image.failure.find("no pixels"), std::string::npos) << image.failure;
}

TEST(TextureImage, AnEdgeLongerThanTheDriverTakesIsScaledDownAveraging) {
    TempDir folder;
    // 20,000 x 8 fits the pixel ceiling but not a 16,384 edge: halved along x.
    const auto wide =
        folder.write("wide.png", pngBytes(20000, 8, 1, std::vector<uint8_t>(160000, 9)));
    const TextureImage scaled(wide.string(), 16384);
    ASSERT_TRUE(scaled.ok()) << scaled.failure;
    EXPECT_EQ(scaled.width, 10000);
    EXPECT_EQ(scaled.height, 8);
    EXPECT_EQ(scaled.fileWidth, 20000);
    EXPECT_EQ(scaled.note, "the image is 20000x8 pixels, more than the largest edge the graphics "
                           "driver takes (16384); scaled down to 10000x8");
    // Blocks of 3 x 1 are averaged (rounded) and the partial block is dropped.
    const auto row = folder.write("row.png", pngBytes(7, 1, 1, {0, 3, 6, 10, 20, 31, 99}));
    const TextureImage small(row.string(), 3);
    ASSERT_TRUE(small.ok());
    ASSERT_EQ(small.width, 2);
    EXPECT_EQ(small.data()[0], 3);
    EXPECT_EQ(small.data()[1], 20);
    // Blocks of 2 x 2 over rows and channels: grey 10x + 40y, alpha 255 - grey.
    std::vector<uint8_t> square;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            square.push_back(uint8_t(10 * x + 40 * y));
            square.push_back(uint8_t(255 - 10 * x - 40 * y));
        }
    }
    const auto grid = folder.write("grid.png", pngBytes(4, 4, 2, square));
    const TextureImage halved(grid.string(), 2);
    ASSERT_TRUE(halved.ok());
    ASSERT_EQ(halved.width, 2);
    ASSERT_EQ(halved.height, 2);
    EXPECT_EQ(std::vector<uint8_t>(halved.data(), halved.data() + 8),
              (std::vector<uint8_t>{25, 230, 45, 210, 105, 150, 125, 130}));
}

TEST(TextureImage, WhatIsNotARegularFileIsRefusedUnopened) {
    TempDir folder;
    const std::string pipe = (folder.path() / "pipe.png").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::filesystem::create_directories(folder.path() / "folder.png");
    struct Case {
        std::string path;
        std::string problem;
    };
    for (const Case& c :
         {Case{pipe, "it is a named pipe, not a regular file"},
          Case{(folder.path() / "folder.png").string(), "it is a folder, not a file"},
          Case{(folder.path() / "none.png").string(), "no such file"}}) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(regularFileProblem(c.path), c.problem);
        const TextureImage image(c.path, 16384);
        EXPECT_FALSE(image.ok());
        EXPECT_EQ(image.failure, "Unable to open file: " + c.problem);
    }
}

TEST(RegularFile, AReadIsBoundedByTheCeilingAndByTheSizeTheFileReports) {
    TempDir folder;
    const std::string small = folder.write("small.txt", "twelve bytes").string();
    const std::string large = folder.write("large.txt", std::string(13, 'x')).string();
    struct Case {
        std::string path;
        std::string text, problem;
        bool missing, tooLarge;
    };
    for (const Case& c : {
             Case{small, "twelve bytes", "", false, false},
             Case{large, "", "it is larger than 12 bytes", false, true},
             Case{(folder.path() / "none").string(), "", "no such file", true, false},
             Case{folder.path().string(), "", "it is a folder, not a file", false, false},
             // Says 0 bytes and never ends.
             Case{"/proc/self/status", "",
                  "it yields more than the 0 bytes it says it holds (a device or a file of the "
                  "system)",
                  false, false},
         }) {
        SCOPED_TRACE(c.path);
        const BoundedRead read = readBoundedFile(c.path, 12);
        EXPECT_EQ(read.text, c.text);
        EXPECT_EQ(read.problem, c.problem);
        EXPECT_EQ(read.missing, c.missing);
        EXPECT_EQ(read.tooLarge, c.tooLarge);
    }
    EXPECT_EQ(byteSizeText(1 << 20), "1 MiB");
    EXPECT_EQ(byteSizeText(64 << 10), "64 KiB");
    EXPECT_EQ(quoted("abcdef", 3), "\"abc...\"");
    EXPECT_EQ(quoted("abc", 3), "\"abc\"");
}

TEST(RegularFile, AWholeWriteReplacesOnlyWhenAsked) {
    TempDir folder;
    const std::string file = folder.write("file.txt", "old").string();
    const WholeWrite kept = writeFileWhole(file, "new", false);
    EXPECT_TRUE(kept.exists);
    EXPECT_EQ(readBoundedFile(file, 10).text, "old");
    EXPECT_EQ(writeFileWhole(file, "new").problem, "");
    EXPECT_EQ(readBoundedFile(file, 10).text, "new");
    // Nothing but the file is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(ModelFiles, AMissingMaterialTableIsNamed) {
    TempDir folder;
    const auto ship =
        folder.write("ship.obj", "mtllib ship.mtl\nmtllib  extra parts.mtl \no hull\n");
    folder.write("extra parts.mtl", "newmtl a\n");
    const std::string expected = (folder.path() / "ship.mtl").generic_string();
    EXPECT_EQ(missingMaterialLibraries(ship.string()), std::vector<std::string>{expected});
    EXPECT_EQ(materialLibraryProblem(ship.string()),
              "Model " + ship.string() + " names the material table " + expected +
                  ", which is not there: its surfaces are drawn in plain colours, without "
                  "textures.");
    folder.write("ship.mtl", "newmtl b\n");
    EXPECT_EQ(materialLibraryProblem(ship.string()), "");
    // Other formats name no tables.
    const auto level = folder.write("level.dae", "mtllib ship.mtl\n");
    EXPECT_TRUE(missingMaterialLibraries(level.string()).empty());
}

} // namespace
