#include "render/LevelOfDetail.h"

#include <glm/gtc/constants.hpp>
#include <gtest/gtest.h>

#include <cmath>

namespace {

float degrees(float angle) {
    return angle * glm::pi<float>() / 180.0f;
}

// A model whose triangles are 2, 1, 0.5 and 0.25 units across at levels 0
// to 3 on a sphere of radius 10. With a 90° field of view, 720 pixels high,
// a unit at distance d is 360 / d pixels: level 0 is at most two pixels
// across from 360 on, level 1 from 180, level 2 from 90.
const std::vector<float> FOUR_LEVELS = {0.2f, 0.1f, 0.05f, 0.025f};
constexpr float RADIUS = 10.0f;

TEST(LevelOfDetail, TheCoarsestLevelWhoseTrianglesAreAtMostTwoPixelsAcross) {
    struct Case {
        float distance, fovDegrees, height;
        int32_t cap, level;
    };
    const float narrow = 2.0f * std::atan(0.5f) * 180.0f / glm::pi<float>(); // twice the pixels
    const Case cases[] = {
        {5000.0f, 90.0f, 720.0f, 3, 0}, // a far rock
        {365.0f, 90.0f, 720.0f, 3, 0},  // level 0 just under two pixels across
        {350.0f, 90.0f, 720.0f, 3, 1},
        {185.0f, 90.0f, 720.0f, 3, 1},
        {170.0f, 90.0f, 720.0f, 3, 2},
        {95.0f, 90.0f, 720.0f, 3, 2},
        {85.0f, 90.0f, 720.0f, 3, 3},
        {20.0f, 90.0f, 720.0f, 3, 3}, // a near rock
        {0.0f, 90.0f, 720.0f, 3, 3},  // the eye touches its bounds
        {-8.0f, 90.0f, 720.0f, 3, 3}, // the eye inside them
        // A taller picture or a narrower view makes everything larger on
        // screen, a lower one smaller.
        {700.0f, 90.0f, 1440.0f, 3, 1},
        {200.0f, 90.0f, 1440.0f, 3, 2},
        {100.0f, 90.0f, 360.0f, 3, 1},
        {370.0f, narrow, 720.0f, 3, 1},
        {100.0f, narrow, 720.0f, 3, 3},
        {360.0f, 120.0f, 720.0f, 3, 0},
        // The player's detail level caps it, and detail 0 is level 0 always.
        {20.0f, 90.0f, 720.0f, 2, 2},
        {20.0f, 90.0f, 720.0f, 1, 1},
        {20.0f, 90.0f, 720.0f, 0, 0},
        {20.0f, 90.0f, 720.0f, -1, 0},
        {5000.0f, 90.0f, 720.0f, 1, 0},
        // A cap beyond the model's levels draws its last.
        {20.0f, 90.0f, 720.0f, 7, 3},
        // Nothing to go by: the finest allowed.
        {200.0f, 90.0f, 0.0f, 3, 3},
        {200.0f, 0.0f, 720.0f, 2, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(screenDetailLevel(FOUR_LEVELS, RADIUS, c.distance, degrees(c.fovDegrees),
                                    c.height, c.cap),
                  c.level)
            << "distance " << c.distance << ", field of view " << c.fovDegrees << "°, height "
            << c.height << ", cap " << c.cap;
    }
    // A model of one level, or of none, only has level 0.
    EXPECT_EQ(screenDetailLevel({0.2f}, RADIUS, 20.0f, degrees(90.0f), 720.0f, 3), 0);
    EXPECT_EQ(screenDetailLevel({}, RADIUS, 20.0f, degrees(90.0f), 720.0f, 3), 0);
    // The same rock twice the size is the same picture from twice as far.
    EXPECT_EQ(screenDetailLevel(FOUR_LEVELS, 2.0f * RADIUS, 340.0f, degrees(90.0f), 720.0f, 3), 2);
}

} // namespace
