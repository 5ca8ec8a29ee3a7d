#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The bytes of a PNG file of width x height pixels, `channels` bytes each,
// rows first row first, for tests that write their own images.
std::string pngBytes(int width, int height, int channels, const std::vector<uint8_t>& pixels);
