#pragma once

#include <array>
#include <cstdint>

#include <glm/glm.hpp>

// Seeded gradient noise: 3-D noise for things defined on directions and surfaces, and 2-D
// noise that repeats with a whole-number period so that textures tile without seams.
class Noise {
public:
    explicit Noise(uint64_t seed);

    // Gradient noise in about [-1, 1].
    float at(glm::vec3 p) const;
    float fbm(glm::vec3 p, int octaves, float gain = 0.5f) const;

    // Noise on the plane that repeats every `period` units in x and y.
    float periodic(float x, float y, int period) const;
    // Octaves of periodic noise; the texture coordinates x, y run over [0, 1) and the result
    // tiles over that square. basePeriod is the lattice count of the first octave.
    float periodicFbm(float x, float y, int basePeriod, int octaves, float gain = 0.5f) const;

private:
    std::array<uint8_t, 512> perm{};
    int hash(int x, int y) const { return perm[(perm[x & 255] + y) & 255]; }
};
