#include "assets/TextureImage.h"

#include "core/RegularFile.h"

#define STB_IMAGE_IMPLEMENTATION
// Long, readable failure reasons ("Image not of any known type, or corrupt").
#define STBI_FAILURE_USERMSG
#include <stb_image.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

std::string size(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

// Averages blocks of fx x fy pixels; the last partial block of a row or a
// column is dropped, so the result is width / fx by height / fy. Each input
// row is added into one row of sums, pixel by pixel with the channel count
// fixed, so that a long image costs one pass and no loop per channel.
template <int CHANNELS>
void shrinkInto(unsigned char* out, const unsigned char* in, int width, int height, int fx,
                int fy) {
    const int w = width / fx, h = height / fy;
    const std::size_t rowBytes = std::size_t(width) * CHANNELS;
    const std::size_t blockBytes = std::size_t(fx) * CHANNELS;
    const unsigned block = unsigned(fx) * unsigned(fy);
    std::vector<unsigned> sums(std::size_t(w) * CHANNELS);
    for (int y = 0; y < h; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int dy = 0; dy < fy; ++dy) {
            const unsigned char* p = in + (std::size_t(y) * fy + dy) * rowBytes;
            unsigned* sum = sums.data();
            for (int x = 0; x < w; ++x, sum += CHANNELS) {
                for (const unsigned char* end = p + blockBytes; p < end; p += CHANNELS) {
                    for (int c = 0; c < CHANNELS; ++c) {
                        sum[c] += p[c];
                    }
                }
            }
        }
        unsigned char* q = out + std::size_t(y) * w * CHANNELS;
        for (std::size_t i = 0; i < sums.size(); ++i) {
            q[i] = static_cast<unsigned char>((sums[i] + block / 2) / block);
        }
    }
}

unsigned char* shrink(const unsigned char* in, int width, int height, int channels, int fx,
                      int fy) {
    auto* out = static_cast<unsigned char*>(
        std::malloc(std::size_t(width / fx) * std::size_t(height / fy) * channels));
    if (!out) {
        return nullptr;
    }
    switch (channels) {
    case 1:
        shrinkInto<1>(out, in, width, height, fx, fy);
        break;
    case 2:
        shrinkInto<2>(out, in, width, height, fx, fy);
        break;
    case 3:
        shrinkInto<3>(out, in, width, height, fx, fy);
        break;
    default: // the reader gives 1 to 4
        shrinkInto<4>(out, in, width, height, fx, fy);
        break;
    }
    return out;
}

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

} // namespace

TextureImage::TextureImage(const std::string& path, int maxEdge, Shape shape) {
    if (const std::string problem = regularFileProblem(path); !problem.empty()) {
        failure = "Unable to open file: " + problem;
        return;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        failure = "Unable to open file";
        return;
    }
    if (std::string problem = jpegHuffmanProblem(file); !problem.empty()) {
        std::fclose(file);
        failure = problem;
        return;
    }
    int fileChannels = 0;
    if (stbi_info_from_file(file, &fileWidth, &fileHeight, &fileChannels) &&
        int64_t(fileWidth) * fileHeight > MAX_TEXTURE_PIXELS) {
        std::fclose(file);
        failure = "the image is " + size(fileWidth, fileHeight) + " pixels; images of more than " +
                  std::to_string(MAX_TEXTURE_PIXELS) + " pixels (4096x4096) are refused";
        return;
    }
    if (shape == Shape::Square && fileWidth != fileHeight) {
        std::fclose(file);
        failure = "the image is " + size(fileWidth, fileHeight) + " pixels; it must be square";
        return;
    }
    pixels.reset(stbi_load_from_file(file, &width, &height, &channels, 0));
    std::fclose(file);
    if (!pixels) {
        const char* reason = stbi_failure_reason();
        failure = reason ? reason : "unknown decoding failure";
        return;
    }
    fileWidth = width;
    fileHeight = height;
    // The reader hands back images with a side of 0 (a PNM header can say so,
    // found by fuzzing): nothing to draw, and nothing to scale.
    if (width < 1 || height < 1) {
        pixels.reset();
        failure = "the image is " + size(width, height) + " pixels: it has no pixels to draw";
        return;
    }
    if (maxEdge > 0 && (width > maxEdge || height > maxEdge)) {
        const int fx = (width + maxEdge - 1) / maxEdge;
        const int fy = (height + maxEdge - 1) / maxEdge;
        unsigned char* smaller = shrink(pixels.get(), width, height, channels, fx, fy);
        if (!smaller) {
            pixels.reset();
            failure = "out of memory scaling the image down";
            return;
        }
        pixels.reset(smaller);
        width /= fx;
        height /= fy;
        note = "the image is " + size(fileWidth, fileHeight) +
               " pixels, more than the largest edge the graphics driver takes (" +
               std::to_string(maxEdge) + "); scaled down to " + size(width, height);
    }
}
