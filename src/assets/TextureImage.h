#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

// The pixels of one image file at 8 bits per channel with the file's own
// channel count, first row first, read without OpenGL and kept within what
// the game can afford to hold and draw:
// - an image of more than MAX_TEXTURE_PIXELS pixels is refused from its
//   header, before any pixel is decoded (a 16,384 x 16,384 image would cost
//   gigabytes and seconds);
// - an image with an edge longer than `maxEdge` (the driver's largest
//   texture) is scaled down along that edge by the smallest whole factor that
//   fits, averaging the pixels it merges;
// - a path that is not a regular file (a folder, a named pipe) is refused
//   without being opened, and a file of more than MAX_FILE_BYTES unread;
// - asked for a square image (a cube map face), one whose header gives
//   unequal sides is refused before decoding, rather than decoded and scaled
//   only to be thrown away.
class TextureImage {
public:
    static constexpr int64_t MAX_TEXTURE_PIXELS = int64_t(4096) * 4096;
    // Files are read whole before decoding; a larger one is refused unread.
    static constexpr long MAX_FILE_BYTES = 256L << 20;

    enum class Shape { Any, Square };

    TextureImage(const std::string& path, int maxEdge, Shape shape = Shape::Any);
    // The same for an image file's bytes held in memory (an image embedded
    // in a level), with the same checks.
    TextureImage(const std::vector<unsigned char>& bytes, int maxEdge, Shape shape = Shape::Any);

    bool ok() const { return pixels != nullptr; }
    const unsigned char* data() const { return pixels.get(); }

    int width = 0;  // as held, after any scaling
    int height = 0; // as held, after any scaling
    int channels = 0;
    int fileWidth = 0;   // as the file gives it
    int fileHeight = 0;  // as the file gives it
    std::string failure; // why nothing is held
    std::string note;    // what was done to fit, "" when nothing

private:
    void decode(const std::vector<unsigned char>& bytes, int maxEdge, Shape shape);

    std::unique_ptr<unsigned char, decltype(&std::free)> pixels{nullptr, &std::free};
};
