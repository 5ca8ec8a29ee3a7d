#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

class Noise;
struct TrackLook;

// An 8-bit RGB image, first row first (the row the game uploads first).
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // width * height * 3

    Image(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 3, 0) {}
    void set(int x, int y, glm::vec3 rgb);
};

// A scalar field over an image's pixels, wrapping at the edges.
struct HeightField {
    int width = 0;
    int height = 0;
    std::vector<float> values;

    HeightField(int w, int h) : width(w), height(h), values(static_cast<size_t>(w) * h, 0.0f) {}
    float& at(int x, int y) { return values[static_cast<size_t>(y) * width + x]; }
    float get(int x, int y) const {
        x = (x % width + width) % width;
        y = (y % height + height) % height;
        return values[static_cast<size_t>(y) * width + x];
    }
};

bool writePng(const std::string& path, const Image& image);

// Tangent-space normal map of a height field. Red follows +u (image right) and green
// follows +t (image down), the directions of the tangent and bitangent that the game
// derives from the texture coordinates.
Image normalMapFromHeight(const HeightField& height, float strength);

// The material textures; each returns false if a file could not be written.
bool writeMaterialTextures(const std::string& textureDir, const Noise& noise);
// A track's own rock colours over the shared relief: <rockTexture>_diffuse.png.
bool writeRockColours(const std::string& textureDir, const Noise& noise, const TrackLook& look);
