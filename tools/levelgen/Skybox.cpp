#include "Skybox.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "Noise.h"
#include "Random.h"
#include "Textures.h"
#include "Tracks.h"

namespace {

const char* const FACE_NAMES[6] = {"right", "left", "top", "bottom", "front", "back"};

// s, t of `direction` on a given face, if it lies in front of that face's plane.
bool projectOnFace(int face, glm::vec3 d, float& s, float& t) {
    float ma, sc, tc;
    switch (face) {
    case 0:
        ma = d.x;
        sc = -d.z;
        tc = -d.y;
        break;
    case 1:
        ma = -d.x;
        sc = d.z;
        tc = -d.y;
        break;
    case 2:
        ma = d.y;
        sc = d.x;
        tc = d.z;
        break;
    case 3:
        ma = -d.y;
        sc = d.x;
        tc = -d.z;
        break;
    case 4:
        ma = d.z;
        sc = d.x;
        tc = -d.y;
        break;
    default:
        ma = -d.z;
        sc = -d.x;
        tc = -d.y;
        break;
    }
    if (ma <= 1e-6f) {
        return false;
    }
    s = (sc / ma + 1.0f) * 0.5f;
    t = (tc / ma + 1.0f) * 0.5f;
    return true;
}

struct Star {
    glm::vec3 direction;
    glm::vec3 color;
    float sigma; // angular radius of the glow, radians
};

} // namespace

glm::vec3 cubeFaceDirection(int face, float s, float t) {
    float sc = 2.0f * s - 1.0f, tc = 2.0f * t - 1.0f;
    glm::vec3 d;
    switch (face) {
    case 0:
        d = {1.0f, -tc, -sc};
        break;
    case 1:
        d = {-1.0f, -tc, sc};
        break;
    case 2:
        d = {sc, 1.0f, tc};
        break;
    case 3:
        d = {sc, -1.0f, -tc};
        break;
    case 4:
        d = {sc, -tc, 1.0f};
        break;
    default:
        d = {-sc, -tc, -1.0f};
        break;
    }
    return glm::normalize(d);
}

int cubeFaceOf(glm::vec3 d, float& s, float& t) {
    glm::vec3 a = glm::abs(d);
    int face;
    if (a.x >= a.y && a.x >= a.z) {
        face = d.x > 0 ? 0 : 1;
    } else if (a.y >= a.z) {
        face = d.y > 0 ? 2 : 3;
    } else {
        face = d.z > 0 ? 4 : 5;
    }
    projectOnFace(face, d, s, t);
    return face;
}

bool writeSkybox(const std::string& directory, int n, uint64_t seed, const TrackLook& look) {
    Noise noise(seed);
    Random random(seed ^ 0x5EEDull);
    std::array<std::vector<glm::vec3>, 6> faces;
    for (auto& f : faces) {
        f.assign(static_cast<size_t>(n) * n, glm::vec3(0.0f));
    }

    // Nebulae and a faint band of unresolved stars, as smooth functions of direction.
    const glm::vec3 bandNormal = glm::normalize(glm::vec3(0.35f, 0.85f, -0.4f));
    for (int face = 0; face < 6; ++face) {
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                glm::vec3 d = cubeFaceDirection(face, (x + 0.5f) / n, (y + 0.5f) / n);
                float cloud = noise.fbm(d * 1.8f + glm::vec3(3.1f), 5);
                float density = std::pow(std::max(0.0f, cloud - 0.05f) * 2.2f, 1.6f);
                float hue = 0.5f + 0.5f * noise.fbm(d * 1.1f + glm::vec3(11.0f), 3);
                glm::vec3 tint = glm::mix(look.nebulaA, look.nebulaB, hue);
                float band = std::exp(-std::pow(glm::dot(d, bandNormal) / 0.22f, 2.0f));
                float dust = 0.5f + 0.5f * noise.fbm(d * 6.0f, 3);
                glm::vec3 c = tint * density * 0.9f + look.starBand * band * dust +
                              glm::vec3(0.004f, 0.004f, 0.01f);
                faces[face][static_cast<size_t>(y) * n + x] = c;
            }
        }
    }

    // Stars: each one is splatted onto every face it reaches, with a brightness that
    // depends only on the angle to the star.
    const float pixelAngle = 2.0f / n;
    std::vector<Star> stars;
    for (int i = 0; i < 9000; ++i) {
        float magnitude = std::pow(random.range(0.0f, 1.0f), 5.0f); // mostly faint
        float temperature = random.range(0.0f, 1.0f);
        glm::vec3 color = temperature < 0.2f   ? glm::vec3(1.0f, 0.75f, 0.55f)
                          : temperature < 0.6f ? glm::vec3(1.0f, 0.97f, 0.9f)
                                               : glm::vec3(0.75f, 0.85f, 1.0f);
        stars.push_back({random.unitVector(), color * (0.25f + 2.5f * magnitude),
                         pixelAngle * (0.45f + 0.9f * magnitude)});
    }
    for (const Star& star : stars) {
        for (int face = 0; face < 6; ++face) {
            float s, t;
            if (!projectOnFace(face, star.direction, s, t)) {
                continue;
            }
            float px = s * n - 0.5f, py = t * n - 0.5f;
            int reach = 4;
            if (px < -reach || py < -reach || px > n + reach || py > n + reach) {
                continue;
            }
            for (int y = static_cast<int>(py) - reach; y <= static_cast<int>(py) + reach; ++y) {
                for (int x = static_cast<int>(px) - reach; x <= static_cast<int>(px) + reach; ++x) {
                    if (x < 0 || y < 0 || x >= n || y >= n) {
                        continue;
                    }
                    glm::vec3 d = cubeFaceDirection(face, (x + 0.5f) / n, (y + 0.5f) / n);
                    float angle2 = 2.0f * std::max(0.0f, 1.0f - glm::dot(d, star.direction));
                    float w = std::exp(-angle2 / (2.0f * star.sigma * star.sigma));
                    faces[face][static_cast<size_t>(y) * n + x] += star.color * w;
                }
            }
        }
    }

    for (int face = 0; face < 6; ++face) {
        Image image(n, n);
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                image.set(x, y, faces[face][static_cast<size_t>(y) * n + x]);
            }
        }
        if (!writePng(directory + "/" + FACE_NAMES[face] + ".png", image)) {
            return false;
        }
    }
    return true;
}
