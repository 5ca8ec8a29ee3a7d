#include "LevelWriter.h"

#include "game/TrackGeometry.h"

#include <gtest/gtest.h>

namespace {

TEST(TrackGeometry, ObjectsAreNamedAsTheDesignerNamedThem) {
    const std::pair<const char*, const char*> rows[] = {
        {"ring_3", "ring_3"},
        {"ring_3#2", "ring_3"},
        {"roid.017#12", "roid.017"},
        {"tcan#", "tcan#"},
        {"a#b", "a#b"},
        {"#2", ""},
        {"ring_1#2#3", "ring_1#2"},
        {"", ""},
    };
    for (const auto& [name, shown] : rows) {
        EXPECT_EQ(designerName(name), shown) << name;
    }
}

// A 2 × 2 × 2 box surface round (10, 0, 0).
ObstacleSurface boxSurface() {
    const TestMesh box = boxMesh({1.0f, 1.0f, 1.0f});
    ObstacleSurface surface;
    for (uint32_t index : box.indices) {
        surface.corners.push_back(box.positions[index] + glm::vec3(10, 0, 0));
    }
    surface.centre = {10, 0, 0};
    surface.radius = std::sqrt(3.0f);
    return surface;
}

TEST(TrackGeometry, DistanceToAnObstacleIsToItsNearestSurfacePoint) {
    const ObstacleSurface box = boxSurface();
    EXPECT_NEAR(box.distanceTo({10, 0, 5}), 4.0f, 1e-5f);            // above a face
    EXPECT_NEAR(box.distanceTo({13, 3, 0}), std::sqrt(8.0f), 1e-5f); // beside an edge
    EXPECT_NEAR(box.distanceTo({12, 2, 2}), std::sqrt(3.0f), 1e-5f); // off a corner
    EXPECT_NEAR(box.distanceTo({10, 0, 0.5f}), 0.5f, 1e-5f);         // inside, to the nearest face
}

TEST(TrackGeometry, APointIsInsideAClosedSurfaceOrNot) {
    const ObstacleSurface box = boxSurface();
    EXPECT_TRUE(box.contains({10, 0, 0}));
    EXPECT_TRUE(box.contains({10.9f, 0.9f, -0.9f}));
    EXPECT_FALSE(box.contains({11.1f, 0, 0}));
    EXPECT_FALSE(box.contains({0, 0, 0}));
    EXPECT_FALSE(ObstacleSurface{}.contains({0, 0, 0}));
}

} // namespace
