#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// A screenshot read back from a PNG file, as RGB bytes with the origin at the
// top left.
struct ScreenImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;

    bool load(const std::filesystem::path& file);
    // Pixels of the region brighter than `level` in all channels.
    std::vector<bool> brightMask(int x0, int y0, int w, int h, int level) const;
    // Pixels of the whole image within `tolerance` of the colour in every channel.
    int countColor(uint8_t r, uint8_t g, uint8_t b, int tolerance) const;
};
