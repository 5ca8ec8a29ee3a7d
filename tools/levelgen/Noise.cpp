#include "Noise.h"

#include <cmath>
#include <numeric>

#include "Random.h"

namespace {

float fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

float grad3(int h, float x, float y, float z) {
    int k = h & 15;
    float u = k < 8 ? x : y;
    float v = k < 4 ? y : (k == 12 || k == 14 ? x : z);
    return ((k & 1) ? -u : u) + ((k & 2) ? -v : v);
}

float grad2(int h, float x, float y) {
    static const float dirs[8][2] = {{1, 0},
                                     {-1, 0},
                                     {0, 1},
                                     {0, -1},
                                     {0.7071f, 0.7071f},
                                     {-0.7071f, 0.7071f},
                                     {0.7071f, -0.7071f},
                                     {-0.7071f, -0.7071f}};
    const float* d = dirs[h & 7];
    return d[0] * x + d[1] * y;
}

int wrap(int v, int period) {
    return ((v % period) + period) % period;
}

} // namespace

Noise::Noise(uint64_t seed) {
    std::array<uint8_t, 256> p{};
    std::iota(p.begin(), p.end(), 0);
    Random random(seed);
    for (int i = 255; i > 0; --i) {
        std::swap(p[i], p[random.below(i + 1)]);
    }
    for (int i = 0; i < 512; ++i) {
        perm[i] = p[i & 255];
    }
}

float Noise::at(glm::vec3 p) const {
    int X = static_cast<int>(std::floor(p.x)) & 255;
    int Y = static_cast<int>(std::floor(p.y)) & 255;
    int Z = static_cast<int>(std::floor(p.z)) & 255;
    float x = p.x - std::floor(p.x), y = p.y - std::floor(p.y), z = p.z - std::floor(p.z);
    float u = fade(x), v = fade(y), w = fade(z);
    int A = perm[X] + Y, AA = perm[A] + Z, AB = perm[A + 1] + Z;
    int B = perm[X + 1] + Y, BA = perm[B] + Z, BB = perm[B + 1] + Z;
    auto lerp = [](float t, float a, float b) { return a + t * (b - a); };
    return lerp(
        w,
        lerp(v, lerp(u, grad3(perm[AA], x, y, z), grad3(perm[BA], x - 1, y, z)),
             lerp(u, grad3(perm[AB], x, y - 1, z), grad3(perm[BB], x - 1, y - 1, z))),
        lerp(v, lerp(u, grad3(perm[AA + 1], x, y, z - 1), grad3(perm[BA + 1], x - 1, y, z - 1)),
             lerp(u, grad3(perm[AB + 1], x, y - 1, z - 1),
                  grad3(perm[BB + 1], x - 1, y - 1, z - 1))));
}

float Noise::fbm(glm::vec3 p, int octaves, float gain) const {
    float sum = 0.0f, amp = 1.0f, norm = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * at(p);
        norm += amp;
        amp *= gain;
        p = p * 2.03f + glm::vec3(17.1f, 3.7f, 9.3f);
    }
    return sum / norm;
}

float Noise::periodic(float x, float y, int period) const {
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    float fx = x - x0, fy = y - y0;
    int xa = wrap(x0, period), xb = wrap(x0 + 1, period);
    int ya = wrap(y0, period), yb = wrap(y0 + 1, period);
    float n00 = grad2(hash(xa, ya), fx, fy);
    float n10 = grad2(hash(xb, ya), fx - 1, fy);
    float n01 = grad2(hash(xa, yb), fx, fy - 1);
    float n11 = grad2(hash(xb, yb), fx - 1, fy - 1);
    float u = fade(fx), v = fade(fy);
    float a = n00 + u * (n10 - n00), b = n01 + u * (n11 - n01);
    return (a + v * (b - a)) * 1.4f;
}

float Noise::periodicFbm(float x, float y, int basePeriod, int octaves, float gain) const {
    float sum = 0.0f, amp = 1.0f, norm = 0.0f;
    int period = basePeriod;
    for (int i = 0; i < octaves; ++i) {
        // A per-octave offset of whole lattice cells keeps the pattern periodic.
        sum += amp * periodic(x * period + 31 * i, y * period + 17 * i, period);
        norm += amp;
        amp *= gain;
        period *= 2;
    }
    return sum / norm;
}
