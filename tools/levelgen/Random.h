#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

// A small seeded generator (SplitMix64) whose sequence is fixed by this code alone, so
// the generated content is the same byte for byte on every machine.
class Random {
public:
    explicit Random(uint64_t seed) : state(seed) {}

    uint64_t next() {
        state += 0x9E3779B97F4A7C15ull;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    float range(float lo, float hi) { return lo + (hi - lo) * static_cast<float>(uniform()); }
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }

    glm::vec3 unitVector() {
        float z = range(-1.0f, 1.0f);
        float a = range(0.0f, 6.2831853f);
        float r = std::sqrt(std::max(0.0f, 1.0f - z * z));
        return {r * std::cos(a), r * std::sin(a), z};
    }
    glm::quat rotation() {
        // Uniformly distributed rotation (Shoemake).
        float u1 = range(0.0f, 1.0f), u2 = range(0.0f, 6.2831853f), u3 = range(0.0f, 6.2831853f);
        float a = std::sqrt(1.0f - u1), b = std::sqrt(u1);
        return glm::normalize(
            glm::quat(a * std::cos(u2), a * std::sin(u2), b * std::sin(u3), b * std::cos(u3)));
    }

private:
    uint64_t state;
};
