#include "render/LevelOfDetail.h"
#include "assets/Model.h"
#include "assets/ShapeStores.h"
#include "world/DetailLevels.h"

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

// An octahedron: eight equal triangles around the origin, radius 1.
uint32_t octahedron(float scale) {
    const glm::vec3 corner[6] = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                 {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};
    std::vector<Vertex> vertices;
    for (const glm::vec3& p : corner) {
        Vertex v;
        v.position = p * scale;
        v.normal = p;
        vertices.push_back(v);
    }
    std::vector<uint32_t> indices = {0, 2, 4, 2, 1, 4, 1, 3, 4, 3, 0, 4,
                                     2, 0, 5, 1, 2, 5, 3, 1, 5, 0, 3, 5};
    return meshStore().push(Mesh(std::move(vertices), std::move(indices), Material{}));
}

TEST(LevelOfDetail, TriangleSizesShrinkWithEachLevelAndHoldAtAnyScale) {
    std::vector<float> sizesAt[2];
    const float scales[2] = {1.0f, 40.0f};
    for (int i = 0; i < 2; ++i) {
        Model model;
        model.meshLevels.push_back({octahedron(scales[i])});
        addDetailLevels(model);
        ASSERT_EQ(model.meshLevels.size(), 4u);
        sizesAt[i] = levelTriangleSizes(model, scales[i]);
    }
    const std::vector<float>& sizes = sizesAt[0];
    ASSERT_EQ(sizes.size(), 4u);
    // Level 0: triangles of sides √2 at radius 1, of area √3 / 2.
    EXPECT_NEAR(sizes[0], std::sqrt(std::sqrt(3.0f) / 2.0f), 1e-4f);
    for (size_t k = 1; k < sizes.size(); ++k) {
        // Four triangles in place of one, on a surface that shrinks towards
        // its limit: at most about half as large.
        EXPECT_GT(sizes[k], 0.2f * sizes[k - 1]) << "level " << k;
        EXPECT_LT(sizes[k], 0.55f * sizes[k - 1]) << "level " << k;
    }
    for (size_t k = 0; k < sizes.size(); ++k) {
        EXPECT_NEAR(sizesAt[1][k], sizes[k], 1e-4f) << "level " << k;
    }
    // A model without levels has no sizes; an empty level has size 0.
    EXPECT_TRUE(levelTriangleSizes(Model{}, 1.0f).empty());
    Model empty;
    empty.meshLevels.push_back({});
    EXPECT_EQ(levelTriangleSizes(empty, 1.0f), std::vector<float>{0.0f});
}

} // namespace
