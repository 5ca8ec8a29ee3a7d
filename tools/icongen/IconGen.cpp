// Writes the game's application icon at the sizes a desktop's icon theme
// looks for: a rock inside a tilted, glowing ring on a rounded dark tile.
// Every pixel is computed here, supersampled, so each size is drawn for
// itself rather than scaled from another.
//
//   icongen OUTPUT_FOLDER SIZE...   writes OUTPUT_FOLDER/<s>x<s>/apps/kelvaro19.png
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Colour {
    float r = 0, g = 0, b = 0, a = 0;
};

// Paints `top` over `base`, both with straight alpha.
Colour over(const Colour& top, const Colour& base) {
    const float a = top.a + base.a * (1 - top.a);
    if (a <= 0) {
        return {};
    }
    auto mix = [&](float t, float b) { return (t * top.a + b * base.a * (1 - top.a)) / a; };
    return {mix(top.r, base.r), mix(top.g, base.g), mix(top.b, base.b), a};
}

float smoothEdge(float distance, float width) {
    return std::clamp(0.5f - distance / width, 0.0f, 1.0f);
}

// The icon at a point of the unit square (0..1, y down).
Colour iconAt(float x, float y) {
    const float cx = x - 0.5f, cy = y - 0.5f;
    // The tile: a square with rounded corners, dark blue towards the bottom.
    const float corner = 0.18f, half = 0.47f;
    const float qx = std::max(std::fabs(cx) - (half - corner), 0.0f);
    const float qy = std::max(std::fabs(cy) - (half - corner), 0.0f);
    const float tileDistance = std::sqrt(qx * qx + qy * qy) - corner;
    if (tileDistance > 0.01f) {
        return {};
    }
    Colour colour{0.03f, 0.04f + 0.06f * y, 0.10f + 0.14f * y, smoothEdge(tileDistance, 0.01f)};
    // A few fixed stars.
    const float stars[][3] = {{0.22f, 0.20f, 0.012f}, {0.78f, 0.16f, 0.010f},
                              {0.84f, 0.70f, 0.009f}, {0.16f, 0.76f, 0.011f},
                              {0.62f, 0.86f, 0.008f}, {0.40f, 0.12f, 0.007f}};
    for (const auto& star : stars) {
        const float d = std::hypot(x - star[0], y - star[1]);
        colour = over({0.95f, 0.95f, 1.0f, smoothEdge(d - star[2], 0.008f)}, colour);
    }
    // The ring, tilted: an ellipse band. Its far half is drawn behind the
    // rock, its near half in front.
    const float tilt = -0.35f;
    const float rx = cx * std::cos(tilt) - cy * std::sin(tilt);
    const float ry = (cx * std::sin(tilt) + cy * std::cos(tilt)) / 0.42f;
    const float ringDistance = std::fabs(std::hypot(rx, ry) - 0.33f) - 0.035f;
    const Colour ringColour{1.0f, 0.62f, 0.15f, smoothEdge(ringDistance * 0.42f, 0.006f)};
    const Colour glow{1.0f, 0.5f, 0.1f, 0.35f * std::exp(-std::max(ringDistance, 0.0f) * 30.0f)};
    const bool nearHalf = ry > 0;
    if (!nearHalf) {
        colour = over(ringColour, over(glow, colour));
    }
    // The rock: a lumpy sphere lit from the upper left.
    const float angle = std::atan2(cy, cx);
    const float radius =
        0.19f * (1 + 0.07f * std::sin(5 * angle) + 0.04f * std::sin(9 * angle + 1));
    const float rockDistance = std::hypot(cx, cy) - radius;
    if (rockDistance < 0.01f) {
        const float nx = cx / radius, ny = cy / radius;
        const float nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
        const float light = std::clamp(-0.55f * nx - 0.6f * ny + 0.58f * nz, 0.0f, 1.0f);
        const float crater = std::hypot(cx + 0.05f, cy - 0.06f) < 0.045f ? 0.75f : 1.0f;
        const float shade = (0.18f + 0.7f * light) * crater;
        colour = over(
            {0.62f * shade, 0.58f * shade, 0.55f * shade, smoothEdge(rockDistance, 0.01f)}, colour);
    }
    if (nearHalf) {
        colour = over(ringColour, over(glow, colour));
    }
    // Nothing reaches beyond the tile's own soft edge.
    colour.a = std::min(colour.a, smoothEdge(tileDistance, 0.01f));
    return colour;
}

std::vector<unsigned char> drawIcon(int size) {
    constexpr int SAMPLES = 4;
    std::vector<unsigned char> pixels(size_t(size) * size * 4);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < SAMPLES; ++sy) {
                for (int sx = 0; sx < SAMPLES; ++sx) {
                    const Colour c = iconAt((px + (sx + 0.5f) / SAMPLES) / size,
                                            (py + (sy + 0.5f) / SAMPLES) / size);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            unsigned char* out = &pixels[(size_t(py) * size + px) * 4];
            auto byte = [](float v) {
                return (unsigned char)std::lround(std::clamp(v, 0.0f, 1.0f) * 255);
            };
            out[0] = byte(a > 0 ? r / a : 0);
            out[1] = byte(a > 0 ? g / a : 0);
            out[2] = byte(a > 0 ? b / a : 0);
            out[3] = byte(a / (SAMPLES * SAMPLES));
        }
    }
    return pixels;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "Usage: icongen OUTPUT_FOLDER SIZE...\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 8 || size > 1024) {
            std::fprintf(stderr, "icongen: size %s is not from 8 to 1024\n", argv[i]);
            return 2;
        }
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path file = folder / name / "apps" / "kelvaro19.png";
        std::filesystem::create_directories(file.parent_path());
        // Written beside and renamed, so that a stopped build leaves no half icon.
        const std::filesystem::path temporary = file.string() + ".tmp";
        const std::vector<unsigned char> pixels = drawIcon(size);
        if (!stbi_write_png(temporary.c_str(), size, size, 4, pixels.data(), size * 4)) {
            std::fprintf(stderr, "icongen: cannot write %s\n", temporary.c_str());
            return 1;
        }
        std::filesystem::rename(temporary, file);
    }
    return 0;
}
