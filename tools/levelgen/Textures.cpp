#include "Textures.h"

#include <algorithm>
#include <cmath>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "Noise.h"
#include "Tracks.h"

namespace {

uint8_t toByte(float v) {
    return static_cast<uint8_t>(std::clamp(std::lround(v * 255.0f), 0L, 255L));
}

float smoothstep(float e0, float e1, float x) {
    float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Distance to the nearest grid line of a cells x cells grid over [0, 1), in cell units.
float gridLineDistance(float x, float cells) {
    float f = x * cells - std::floor(x * cells);
    return std::min(f, 1.0f - f);
}

bool writePair(const std::string& dir, const std::string& name, const Image& diffuse,
               const HeightField& height, float strength) {
    return writePng(dir + "/" + name + "_diffuse.png", diffuse) &&
           writePng(dir + "/" + name + "_normal.png", normalMapFromHeight(height, strength));
}

// The rock's relief is the same on every track (they share one normal map); only its
// colours change.
bool writeRock(const std::string& dir, const std::string& name, const Noise& noise, glm::vec3 grey,
               glm::vec3 brown, bool withNormalMap) {
    const int n = 512;
    Image diffuse(n, n);
    HeightField height(n, n);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            float u = (x + 0.5f) / n, v = (y + 0.5f) / n;
            float broad = noise.periodicFbm(u, v, 4, 5);
            float grit = noise.periodicFbm(u + 0.37f, v + 0.11f, 32, 3);
            float ridges = 1.0f - std::abs(noise.periodicFbm(u + 0.5f, v, 8, 4));
            float h = 0.55f * broad + 0.25f * grit + 0.35f * ridges * ridges;
            height.at(x, y) = h;
            float mineral = smoothstep(0.05f, 0.35f, noise.periodicFbm(u, v + 0.6f, 3, 3));
            glm::vec3 c = glm::mix(grey, brown, mineral);
            c *= 0.7f + 0.45f * h + 0.25f * grit;
            diffuse.set(x, y, c);
        }
    }
    if (!withNormalMap) {
        return writePng(dir + "/" + name + "_diffuse.png", diffuse);
    }
    return writePair(dir, name, diffuse, height, 5.0f);
}

bool writeRing(const std::string& dir, const Noise& noise) {
    // u runs around the ring (many repeats), t around the tube.
    const int w = 512, h = 256;
    Image diffuse(w, h);
    HeightField height(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float u = (x + 0.5f) / w, v = (y + 0.5f) / h;
            float scratch = noise.periodicFbm(u, v, 16, 3);
            float panel = gridLineDistance(u, 4.0f);
            float seam = smoothstep(0.0f, 0.03f, panel);
            bool stripe = static_cast<int>(std::floor((u * 8.0f + v * 2.0f) * 2.0f)) % 2 == 0;
            glm::vec3 yellow(0.95f, 0.72f, 0.12f), dark(0.12f, 0.12f, 0.14f);
            glm::vec3 c = stripe ? yellow : dark;
            // A bright guide band on the tube's inner and outer lines.
            float band = std::max(1.0f - smoothstep(0.0f, 0.06f, std::abs(v - 0.5f)),
                                  1.0f - smoothstep(0.0f, 0.06f, std::min(v, 1.0f - v)));
            c = glm::mix(c, glm::vec3(0.55f, 0.95f, 1.0f), band);
            c *= (0.85f + 0.15f * scratch) * (0.4f + 0.6f * seam);
            diffuse.set(x, y, c);
            height.at(x, y) = 0.6f * seam + 0.05f * scratch + (stripe ? 0.05f : 0.0f);
        }
    }
    return writePair(dir, "ring", diffuse, height, 4.0f);
}

bool writeTrashCan(const std::string& dir, const Noise& noise) {
    // u runs around the can, t from the lid (top rows) to the bottom.
    const int n = 256;
    Image diffuse(n, n);
    HeightField height(n, n);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            float u = (x + 0.5f) / n, v = (y + 0.5f) / n;
            float brushed = noise.periodicFbm(u * 0.1f, v, 64, 2);
            float dents = noise.periodicFbm(u, v, 4, 3);
            glm::vec3 c(0.22f, 0.48f, 0.34f); // green bin
            float label = smoothstep(0.42f, 0.44f, v) * (1.0f - smoothstep(0.60f, 0.62f, v));
            // Three arrows chasing each other around the label.
            float arrow = std::fmod(u * 3.0f + std::abs(v - 0.51f) * 2.0f, 1.0f);
            float mark = label * (arrow < 0.45f ? 1.0f : 0.0f);
            c = glm::mix(c, glm::vec3(0.92f, 0.9f, 0.8f), label);
            c = glm::mix(c, glm::vec3(0.15f, 0.55f, 0.2f), mark);
            float lid = 1.0f - smoothstep(0.17f, 0.19f, v);
            c = glm::mix(c, glm::vec3(0.55f, 0.57f, 0.6f), lid);
            c *= 0.85f + 0.2f * brushed + 0.1f * dents;
            diffuse.set(x, y, c);
            height.at(x, y) = 0.3f * brushed + 0.6f * dents + 0.3f * label;
        }
    }
    return writePair(dir, "tcan", diffuse, height, 2.0f);
}

bool writeShip(const std::string& dir, const Noise& noise) {
    // Atlas: the top half is hull plating (u around / along the hull), the bottom left
    // quarter the canopy glass, the bottom right quarter the engine glow.
    const int n = 1024;
    Image diffuse(n, n);
    HeightField height(n, n);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            float u = (x + 0.5f) / n, v = (y + 0.5f) / n;
            glm::vec3 c;
            float h = 0.0f;
            if (v < 0.5f) {
                float hv = v * 2.0f;
                float grime = noise.periodicFbm(u, hv, 8, 4);
                // Staggered panels: each row of panels is shifted by half a panel.
                float row = std::floor(hv * 8.0f);
                float shifted = u + (static_cast<int>(row) % 2 ? 1.0f / 24.0f : 0.0f);
                float seam = std::min(gridLineDistance(shifted, 12.0f), gridLineDistance(hv, 8.0f));
                float line = smoothstep(0.0f, 0.04f, seam);
                float tone = 0.78f + 0.08f * noise.periodic(std::floor(shifted * 12.0f) + 0.5f,
                                                            row + 0.5f, 64);
                c = glm::vec3(tone, tone, tone * 1.03f);
                float stripe = std::abs(u - 0.25f) < 0.025f || std::abs(u - 0.75f) < 0.025f;
                c = glm::mix(c, glm::vec3(0.75f, 0.12f, 0.1f), stripe);
                c *= (0.35f + 0.65f * line) * (0.9f + 0.12f * grime);
                h = 0.7f * line + 0.05f * grime;
            } else if (u < 0.5f) {
                float gu = u * 2.0f, gv = (v - 0.5f) * 2.0f;
                float glint =
                    std::pow(std::max(0.0f, 1.0f - std::abs(gu - gv * 0.6f - 0.2f) * 6.0f), 3.0f);
                c = glm::mix(glm::vec3(0.05f, 0.12f, 0.25f), glm::vec3(0.2f, 0.45f, 0.7f), gv) +
                    glm::vec3(0.6f) * glint;
                float frame = smoothstep(0.0f, 0.03f, gridLineDistance(gu, 3.0f));
                c *= 0.3f + 0.7f * frame;
                h = 0.5f * frame;
            } else {
                float gu = (u - 0.5f) * 2.0f, gv = (v - 0.5f) * 2.0f;
                float r = glm::length(glm::vec2(gu - 0.5f, gv - 0.5f)) * 2.0f;
                float flicker = 0.9f + 0.1f * noise.periodicFbm(gu, gv, 8, 3);
                c = glm::mix(glm::vec3(1.0f, 0.95f, 0.8f), glm::vec3(1.0f, 0.45f, 0.1f),
                             smoothstep(0.0f, 0.8f, r)) *
                    flicker;
                h = 0.0f;
            }
            diffuse.set(x, y, c);
            height.at(x, y) = h;
        }
    }
    return writePair(dir, "ship", diffuse, height, 3.0f);
}

bool writeSun(const std::string& dir, const Noise& noise) {
    const int n = 256;
    Image diffuse(n, n);
    HeightField height(n, n);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            float u = (x + 0.5f) / n, v = (y + 0.5f) / n;
            float cells = 1.0f - std::abs(noise.periodicFbm(u, v, 16, 3));
            float flares = noise.periodicFbm(u, v, 4, 4);
            glm::vec3 c = glm::mix(glm::vec3(1.0f, 0.62f, 0.2f), glm::vec3(1.0f, 0.95f, 0.75f),
                                   std::clamp(cells * 0.8f + flares * 0.4f, 0.0f, 1.0f));
            diffuse.set(x, y, c);
            height.at(x, y) = cells;
        }
    }
    return writePair(dir, "sun", diffuse, height, 1.0f);
}

} // namespace

void Image::set(int x, int y, glm::vec3 rgb) {
    size_t i = (static_cast<size_t>(y) * width + x) * 3;
    pixels[i] = toByte(rgb.r);
    pixels[i + 1] = toByte(rgb.g);
    pixels[i + 2] = toByte(rgb.b);
}

bool writePng(const std::string& path, const Image& image) {
    return stbi_write_png(path.c_str(), image.width, image.height, 3, image.pixels.data(),
                          image.width * 3) != 0;
}

Image normalMapFromHeight(const HeightField& height, float strength) {
    Image out(height.width, height.height);
    for (int y = 0; y < height.height; ++y) {
        for (int x = 0; x < height.width; ++x) {
            // Slopes per texture-coordinate unit / 256, so strength means the same at any size.
            float dx = (height.get(x + 1, y) - height.get(x - 1, y)) * 0.5f * height.width / 256.0f;
            float dy =
                (height.get(x, y + 1) - height.get(x, y - 1)) * 0.5f * height.height / 256.0f;
            glm::vec3 n = glm::normalize(glm::vec3(-dx * strength, -dy * strength, 1.0f));
            out.set(x, y, n * 0.5f + 0.5f);
        }
    }
    return out;
}

bool writeMaterialTextures(const std::string& textureDir, const Noise& noise) {
    const TrackLook shipped;
    return writeRock(textureDir, "rock", noise, shipped.rockBase, shipped.rockMineral, true) &&
           writeRing(textureDir, noise) && writeTrashCan(textureDir, noise) &&
           writeShip(textureDir, noise) && writeSun(textureDir, noise);
}

bool writeRockColours(const std::string& textureDir, const Noise& noise, const TrackLook& look) {
    return writeRock(textureDir, look.rockTexture, noise, look.rockBase, look.rockMineral, false);
}
