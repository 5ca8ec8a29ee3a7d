#include "assets/ImageFileChecks.h"

#include <algorithm>
#include <climits>

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

} // namespace

std::string imageReaderProblem(std::FILE* file) {
    if (std::string problem = jpegHuffmanProblem(file); !problem.empty()) {
        return problem;
    }
    return pnmHeaderProblem(file);
}
