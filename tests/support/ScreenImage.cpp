#include "ScreenImage.h"

#include <stb/stb_image.h>

#include <cstdlib>

bool ScreenImage::load(const std::filesystem::path& file) {
    int channels;
    uint8_t* data = stbi_load(file.c_str(), &width, &height, &channels, 3);
    if (!data) {
        return false;
    }
    rgb.assign(data, data + size_t(width) * size_t(height) * 3);
    stbi_image_free(data);
    return true;
}

std::vector<bool> ScreenImage::brightMask(int x0, int y0, int w, int h, int level) const {
    std::vector<bool> mask;
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) {
            const uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            mask.push_back(p[0] > level && p[1] > level && p[2] > level);
        }
    }
    return mask;
}

int ScreenImage::countColor(uint8_t r, uint8_t g, uint8_t b, int tolerance) const {
    int count = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        count += std::abs(rgb[i] - r) <= tolerance && std::abs(rgb[i + 1] - g) <= tolerance &&
                 std::abs(rgb[i + 2] - b) <= tolerance;
    }
    return count;
}
