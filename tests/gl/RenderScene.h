#pragma once

// Small scenes for the rendering tests and the frame benchmark: procedural
// meshes with full tangent frames, and textures and sky faces written as PNG
// files into a game folder.

#include "assets/Material.h"
#include "assets/Shape.h"
#include "assets/Vertex.h"

#include <glm/glm.hpp>
#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace renderscene {

// A UV sphere around the origin, counter-clockwise seen from outside.
inline Mesh makeSphere(float radius, int slices, int stacks, const Material& material) {
    std::vector<Vertex> vertices;
    std::vector<uint32_t> indices;
    for (int j = 0; j <= stacks; ++j) {
        const float v = float(j) / float(stacks);
        const float theta = v * glm::pi<float>(); // from the south pole up
        for (int i = 0; i <= slices; ++i) {
            const float u = float(i) / float(slices);
            const float phi = u * glm::two_pi<float>();
            const glm::vec3 outward(std::sin(theta) * std::sin(phi), -std::cos(theta),
                                    std::sin(theta) * std::cos(phi));
            // Directions of growing u and growing v on the surface.
            const glm::vec3 tangent(std::cos(phi), 0.0f, -std::sin(phi));
            const glm::vec3 bitangent(std::cos(theta) * std::sin(phi), std::sin(theta),
                                      std::cos(theta) * std::cos(phi));
            vertices.push_back(
                Vertex{outward * radius, outward, glm::vec2(u, v), tangent, bitangent});
        }
    }
    const uint32_t row = uint32_t(slices + 1);
    for (int j = 0; j < stacks; ++j) {
        for (int i = 0; i < slices; ++i) {
            const uint32_t a = uint32_t(j) * row + uint32_t(i), b = a + 1, c = a + row, d = c + 1;
            indices.insert(indices.end(), {a, b, d, a, d, c});
        }
    }
    return Mesh(std::move(vertices), std::move(indices), material);
}

// A square in the z = 0 plane facing +z, from -half to +half, uv 0..1.
inline Mesh makeQuad(float half, const Material& material) {
    const glm::vec3 n(0, 0, 1), t(1, 0, 0), b(0, 1, 0);
    std::vector<Vertex> vertices = {
        Vertex{{-half, -half, 0}, n, {0, 0}, t, b},
        Vertex{{half, -half, 0}, n, {1, 0}, t, b},
        Vertex{{half, half, 0}, n, {1, 1}, t, b},
        Vertex{{-half, half, 0}, n, {0, 1}, t, b},
    };
    return Mesh(std::move(vertices), {0, 1, 2, 0, 2, 3}, material);
}

inline void writePng(const std::filesystem::path& path, int width, int height, int channels,
                     const std::vector<uint8_t>& pixels) {
    std::filesystem::create_directories(path.parent_path());
    stbi_write_png(path.string().c_str(), width, height, channels, pixels.data(), width * channels);
}

// A one-colour 4 x 4 texture in res/assets/textures/.
inline void writeSolidTexture(const std::filesystem::path& game, const std::string& name,
                              glm::u8vec3 colour) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 16; ++i) {
        pixels.insert(pixels.end(), {colour.r, colour.g, colour.b});
    }
    writePng(game / "res/assets/textures" / name, 4, 4, 3, pixels);
}

// A rock-like diffuse texture: warm grey with darker blotches.
inline void writeRockTexture(const std::filesystem::path& game, const std::string& name, int size) {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float fx = float(x) / float(size), fy = float(y) / float(size);
            const float blotch = 0.5f + 0.25f * std::sin(fx * 37.0f + std::sin(fy * 11.0f) * 3.0f) +
                                 0.25f * std::sin(fy * 23.0f + fx * 7.0f);
            const float shade = 0.45f + 0.4f * blotch;
            pixels.insert(pixels.end(), {uint8_t(std::clamp(shade * 200.0f, 0.0f, 255.0f)),
                                         uint8_t(std::clamp(shade * 170.0f, 0.0f, 255.0f)),
                                         uint8_t(std::clamp(shade * 140.0f, 0.0f, 255.0f))});
        }
    }
    writePng(game / "res/assets/textures" / name, size, size, 3, pixels);
}

// A tangent-space normal map of round bumps (craters seen from above).
inline void writeBumpNormalMap(const std::filesystem::path& game, const std::string& name, int size,
                               int bumps) {
    std::vector<uint8_t> pixels;
    const float cell = float(size) / float(bumps);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Height h = cos of the distance to the cell centre; the normal is
            // (-dh/dx, -dh/dy, 1).
            const float cx = std::fmod(float(x), cell) / cell - 0.5f;
            const float cy = std::fmod(float(y), cell) / cell - 0.5f;
            const float r = std::sqrt(cx * cx + cy * cy);
            glm::vec3 n(0, 0, 1);
            if (r < 0.45f && r > 1e-4f) {
                const float slope = 2.5f * std::sin(r / 0.45f * glm::pi<float>());
                n = glm::normalize(glm::vec3(cx / r * slope, cy / r * slope, 1.0f));
            }
            pixels.insert(pixels.end(), {uint8_t((n.x * 0.5f + 0.5f) * 255.0f),
                                         uint8_t((n.y * 0.5f + 0.5f) * 255.0f),
                                         uint8_t((n.z * 0.5f + 0.5f) * 255.0f)});
        }
    }
    writePng(game / "res/assets/textures" / name, size, size, 3, pixels);
}

// Six sky faces in res/assets/textures/cubemaps/<name>/. With `faceColours`
// every face is one plain colour (right red, left green, top blue, bottom
// yellow, front magenta, back cyan) so that a test can tell which way it
// looks; otherwise a dark blue star field.
inline void writeSky(const std::filesystem::path& game, const std::string& name, int size,
                     bool faceColours) {
    const char* faces[6] = {"right", "left", "top", "bottom", "front", "back"};
    const glm::u8vec3 colours[6] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                    {255, 255, 0}, {255, 0, 255}, {0, 255, 255}};
    uint32_t seed = 12345;
    auto random = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return float(seed >> 8) / float(1u << 24);
    };
    for (int f = 0; f < 6; ++f) {
        std::vector<uint8_t> pixels;
        for (int i = 0; i < size * size; ++i) {
            glm::u8vec3 c = colours[f];
            if (!faceColours) {
                const float star = random();
                const float y = float(i / size) / float(size);
                c = glm::u8vec3(uint8_t(6 + 10 * y), uint8_t(8 + 12 * y), uint8_t(22 + 26 * y));
                if (star > 0.996f) {
                    const uint8_t v = uint8_t(150 + 105 * random());
                    c = glm::u8vec3(v, v, uint8_t(std::min(255, v + 30)));
                }
            }
            pixels.insert(pixels.end(), {c.r, c.g, c.b});
        }
        writePng(game / "res/assets/textures/cubemaps" / name / (std::string(faces[f]) + ".png"),
                 size, size, 3, pixels);
    }
}

// Copies the game's shader sources into a game folder.
inline void copyShaders(const std::filesystem::path& game) {
    std::filesystem::create_directories(game / "res/shaders");
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(KELVARO_SOURCE_DIR) / "res/shaders")) {
        std::filesystem::copy_file(entry.path(), game / "res/shaders" / entry.path().filename(),
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

} // namespace renderscene
