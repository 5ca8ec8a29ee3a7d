#include "assets/TextureImage.h"

#include "assets/ImageFileChecks.h"
#include "core/RegularFile.h"

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
    if (std::string problem = imageReaderProblem(file); !problem.empty()) {
        std::fclose(file);
        failure = problem;
        return;
    }
    // The reader is given the file whole: from memory it skips and reads past
    // the end for nothing, where from a file it seeks once per row (a BMP of
    // two million one-pixel rows in 233 bytes took 3.4 s).
    std::fseek(file, 0, SEEK_END);
    const long length = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    if (length < 0 || length > MAX_FILE_BYTES) {
        std::fclose(file);
        failure = length < 0 ? "Unable to read file"
                             : "the file is " + std::to_string(length) +
                                   " bytes; image files of more than " +
                                   std::to_string(MAX_FILE_BYTES) + " bytes are refused";
        return;
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(length));
    const bool read = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    if (!read) {
        failure = "Unable to read file";
        return;
    }
    decode(bytes, maxEdge, shape);
}

TextureImage::TextureImage(const std::vector<unsigned char>& bytes, int maxEdge, Shape shape) {
    if (bytes.size() > std::size_t(MAX_FILE_BYTES)) {
        failure = "the image is " + std::to_string(bytes.size()) + " bytes; images of more than " +
                  std::to_string(MAX_FILE_BYTES) + " bytes are refused";
        return;
    }
    if (bytes.empty()) {
        failure = "the image is empty";
        return;
    }
    // The reader's own checks read a file; the bytes are one.
    std::FILE* file = fmemopen(const_cast<unsigned char*>(bytes.data()), bytes.size(), "rb");
    if (!file) {
        failure = "out of memory reading the image";
        return;
    }
    std::string problem = imageReaderProblem(file);
    std::fclose(file);
    if (!problem.empty()) {
        failure = std::move(problem);
        return;
    }
    decode(bytes, maxEdge, shape);
}

void TextureImage::decode(const std::vector<unsigned char>& bytes, int maxEdge, Shape shape) {
    const int byteCount = static_cast<int>(bytes.size());
    int fileChannels = 0;
    if (stbi_info_from_memory(bytes.data(), byteCount, &fileWidth, &fileHeight, &fileChannels) &&
        int64_t(fileWidth) * fileHeight > MAX_TEXTURE_PIXELS) {
        failure = "the image is " + size(fileWidth, fileHeight) + " pixels; images of more than " +
                  std::to_string(MAX_TEXTURE_PIXELS) + " pixels (4096x4096) are refused";
        return;
    }
    if (shape == Shape::Square && fileWidth != fileHeight) {
        failure = "the image is " + size(fileWidth, fileHeight) + " pixels; it must be square";
        return;
    }
    pixels.reset(stbi_load_from_memory(bytes.data(), byteCount, &width, &height, &channels, 0));
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
