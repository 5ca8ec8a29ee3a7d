#include "PngBytes.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

std::string pngBytes(int width, int height, int channels, const std::vector<uint8_t>& pixels) {
    std::string bytes;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                                       std::size_t(size));
        },
        &bytes, width, height, channels, pixels.data(), width * channels);
    return bytes;
}
