#include "assets/ImageFileChecks.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

namespace {

// stb_image as Debian ships it writes past its table when a JPEG declares a
// Huffman table of more than 256 codes (found by fuzzing). Such a file is
// refused before decoding. The walk finds the tables the way stb_image does:
// segments are skipped by their length, and where no marker follows, bytes are
// skipped up to the next one (this also crosses the image data, in which 0xFF
// is only ever followed by 0 or a restart marker). Like every marker, the
// start of the image may follow any number of 0xFF fill bytes. The file is
// left at its start.
std::string jpegHuffmanProblem(std::FILE* file) {
    auto byte = [file] { return std::fgetc(file); };
    auto startOfImage = [&] {
        if (byte() != 0xFF) {
            return false;
        }
        int c = byte();
        while (c == 0xFF) {
            c = byte();
        }
        return c == 0xD8;
    };
    std::string problem;
    if (startOfImage()) {
        for (int c = byte(); c != EOF && problem.empty(); c = byte()) {
            if (c != 0xFF) {
                continue;
            }
            int marker = byte();
            while (marker == 0xFF) {
                marker = byte();
            }
            // No length: the stuffed zero of the image data, restarts, start.
            if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
                continue;
            }
            const int high = byte(), low = byte();
            if (marker == EOF || marker == 0xD9 || low == EOF) {
                break;
            }
            long left = long(high) * 256 + low - 2;
            while (marker == 0xC4 && left > 0 && problem.empty() && !std::feof(file)) {
                byte(); // table class and number
                int codes = 0;
                for (int i = 0; i < 16; ++i) {
                    codes += std::max(byte(), 0);
                }
                if (codes > 256) {
                    problem = "the JPEG declares a Huffman table of " + std::to_string(codes) +
                              " codes, more than 256; refused before decoding";
                }
                left -= 17 + codes;
                std::fseek(file, codes, SEEK_CUR);
            }
            // The scan header of the image data is skipped; the data itself
            // is crossed byte by byte.
            if (marker != 0xC4 && left > 0) {
                std::fseek(file, left, SEEK_CUR);
            }
        }
    }
    std::fseek(file, 0, SEEK_SET);
    return problem;
}

bool pnmBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A binary PNM (P5, P6) starts with its width, height and largest value as
// decimal numbers between blanks and '#' comments, read as the image reader
// reads them: digit by digit into an int, with no bound.
std::string pnmHeaderProblem(std::FILE* file) {
    auto byte = [file] { return std::fgetc(file); };
    std::string problem;
    const int p = byte(), kind = byte();
    if (p == 'P' && (kind == '5' || kind == '6')) {
        int c = byte();
        for (const char* field : {"width", "height", "largest value"}) {
            for (;;) {
                while (pnmBlank(c)) {
                    c = byte();
                }
                if (c != '#') {
                    break;
                }
                while (c != EOF && c != '\n' && c != '\r') {
                    c = byte();
                }
            }
            long long value = 0;
            for (; c >= '0' && c <= '9'; c = byte()) {
                value = std::min(value * 10 + (c - '0'), static_cast<long long>(INT_MAX) + 1);
            }
            if (value > INT_MAX) {
                problem = std::string("the PNM header gives a ") + field + " of more than " +
                          std::to_string(INT_MAX) + "; refused before decoding";
                break;
            }
        }
    }
    std::fseek(file, 0, SEEK_SET);
    return problem;
}

std::string tooShort(const char* format, long fileSize, long long width, long long height,
                     long long least) {
    return std::string("the ") + format + " file is " + std::to_string(fileSize) +
           " bytes, too short for the " + std::to_string(width) + "x" + std::to_string(height) +
           " pixels its header gives (at least " + std::to_string(least) +
           "); refused before decoding";
}

// A TGA has no signature: the image reader takes as one any file whose first
// bytes pass its test (repeated here), which no other format's signature
// does. It then reads zeros past the end of a file too short for its pixels,
// taking seconds to decode pixels a file of a few hundred bytes never held.
// The bound is the least a TGA of those pixels can take: its header, its
// name and its pixels, each run-length packet holding one pixel for 128.
std::string tgaProblem(std::FILE* file) {
    unsigned char header[18];
    const std::size_t got = std::fread(header, 1, sizeof header, file);
    std::fseek(file, 0, SEEK_END);
    const long fileSize = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    if (got < sizeof header) {
        return {};
    }
    const int colourType = header[1], imageType = header[2];
    const int width = header[12] | header[13] << 8, height = header[14] | header[15] << 8;
    const int bits = header[16];
    const bool mapped = colourType == 1;
    const auto oneOf = [](int value, std::initializer_list<int> allowed) {
        return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
    };
    const bool tga =
        colourType <= 1 && width >= 1 && height >= 1 &&
        (mapped ? oneOf(imageType, {1, 9}) && oneOf(header[7], {8, 15, 16, 24, 32}) &&
                      oneOf(bits, {8, 16})
                : oneOf(imageType, {2, 3, 10, 11}) && oneOf(bits, {8, 15, 16, 24, 32}));
    if (!tga) {
        return {};
    }
    const long long pixels = static_cast<long long>(width) * height;
    const long long bytesPerPixel = (bits + 7) / 8;
    const bool runLength = imageType >= 9;
    const long long least =
        18 + header[0] +
        (runLength ? (pixels + 127) / 128 * (1 + bytesPerPixel) : pixels * bytesPerPixel);
    if (fileSize >= least) {
        return {};
    }
    return tooShort("TGA", fileSize, width, height, least);
}

// An uncompressed BMP holds its rows of pixels whole, each padded to four
// bytes; a file too short for them is decoded the same way, from nothing.
std::string bmpProblem(std::FILE* file) {
    unsigned char header[34] = {};
    const std::size_t got = std::fread(header, 1, sizeof header, file);
    std::fseek(file, 0, SEEK_END);
    const long fileSize = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    auto number = [&header](int at, int bytes) {
        uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i) {
            value = value << 8 | header[at + i];
        }
        return value;
    };
    if (got < 26 || header[0] != 'B' || header[1] != 'M') {
        return {};
    }
    const uint32_t infoSize = number(14, 4);
    long long width = 0, height = 0, bits = 0;
    if (infoSize == 12) { // the old OS/2 header: 16-bit sizes, no compression
        width = number(18, 2);
        height = number(20, 2);
        bits = number(24, 2);
    } else if (const auto compression = int32_t(number(30, 4));
               got == sizeof header && infoSize >= 40 && compression != 1 && compression != 2 &&
               compression < 4) {
        // The reader refuses run-length and embedded JPEG or PNG data, and
        // reads any other value, a negative one too, as uncompressed.
        width = int32_t(number(18, 4));
        height = std::llabs(int32_t(number(22, 4)));
        bits = number(28, 2);
    }
    if (width < 1 || height < 1 || bits < 1) {
        return {};
    }
    // The reader takes any depth beyond 24 bits but 16 as four bytes a pixel.
    bits = std::min(bits, 32LL);
    // Rows of up to 2^31 pixels, 2^31 of them: more bytes than a long long
    // counts is no file's size either.
    const long long rowBytes = (width * bits + 31) / 32 * 4;
    const long long least = height > LLONG_MAX / rowBytes ? LLONG_MAX : rowBytes * height;
    if (fileSize >= least) {
        return {};
    }
    return tooShort("BMP", fileSize, width, height, least);
}

} // namespace

std::string imageReaderProblem(std::FILE* file) {
    for (auto check : {jpegHuffmanProblem, pnmHeaderProblem, tgaProblem, bmpProblem}) {
        if (std::string problem = check(file); !problem.empty()) {
            return problem;
        }
    }
    return {};
}
