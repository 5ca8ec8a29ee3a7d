#include "game/RingGuide.h"
#include "world/Camera.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>

namespace {

constexpr float W = 1600.0f;
constexpr float H = 900.0f;

Camera lookingAlongMinusZ(float rollRadians = 0.0f) {
    Camera camera(glm::vec3(0.0f), glm::angleAxis(rollRadians, glm::vec3(0, 0, 1)));
    camera.fovY = glm::radians(60.0f);
    camera.aspect = W / H;
    camera.farPlane = 5000.0f;
    return camera;
}

TEST(RingGuide, PointsTheWayToTurnFromTheEdgeOrMarksTheRingInView) {
    const struct {
        const char* name;
        glm::vec3 ring;
        float roll;
        bool inView;
        glm::vec2 direction; // for the arrow
        glm::vec2 at;        // where the marker or the tip is, roughly
    } cases[] = {
        {"ahead", {0, 0, -100}, 0.0f, true, {}, {W / 2, H / 2}},
        {"ahead and a little right", {20, 0, -100}, 0.0f, true, {}, {W / 2 + 0.2f * 779.4f, H / 2}},
        {"right", {100, 0, 0}, 0.0f, false, {1, 0}, {W - 40 * H / 1080, H / 2}},
        {"left", {-100, 0, -10}, 0.0f, false, {-1, 0}, {40 * H / 1080, H / 2}},
        {"above", {0, 100, 0}, 0.0f, false, {0, 1}, {W / 2, H - 40 * H / 1080}},
        {"below", {0, -100, -20}, 0.0f, false, {0, -1}, {W / 2, 40 * H / 1080}},
        {"straight behind: pitch up", {0, 0, 100}, 0.0f, false, {0, 1}, {W / 2, H - 40 * H / 1080}},
        // Rolled a quarter turn, its right pointing up: the world's up is the view's right.
        {"above, rolled a quarter turn",
         {0, 100, 0},
         glm::half_pi<float>(),
         false,
         {1, 0},
         {W - 40 * H / 1080, H / 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RingGuide guide = ringGuide(lookingAlongMinusZ(c.roll), c.ring, W, H);
        EXPECT_EQ(guide.inView, c.inView);
        EXPECT_NEAR(guide.distance, glm::length(c.ring), 1e-3f);
        EXPECT_NEAR(guide.at.x, c.at.x, 2.0f);
        EXPECT_NEAR(guide.at.y, c.at.y, 2.0f);
        if (!c.inView) {
            EXPECT_NEAR(guide.direction.x, c.direction.x, 1e-3f);
            EXPECT_NEAR(guide.direction.y, c.direction.y, 1e-3f);
        }
    }
}

TEST(RingGuide, ACornerRingPutsTheTipOnTheEdgeItCrossesFirst) {
    const RingGuide guide = ringGuide(lookingAlongMinusZ(), {100, 100, 50}, W, H);
    ASSERT_FALSE(guide.inView);
    // At 45° the short side is reached first: the top edge, right of the middle.
    EXPECT_NEAR(guide.at.y, H - 40 * H / 1080, 1.0f);
    EXPECT_GT(guide.at.x, W / 2);
    EXPECT_LT(guide.at.x, W);
}

// The distance's box never lies under the arrow (which spans the tip back to
// its base, 44 px at 1080 high) and never leaves the window, at every edge
// and corner, for a short and a long distance; under the marker in view.
TEST(RingGuide, TheDistanceStandsClearOfItsArrowInsideTheWindow) {
    const float unit = H / 1080.0f;
    const glm::vec3 rings[] = {{100, 0, 0},    {-100, 0, -10}, {0, 100, 0},
                               {0, -100, -20}, {100, 100, 50}, {-100, -60, 30}};
    for (const glm::vec2& size : {glm::vec2(40.0f, 14.0f), glm::vec2(160.0f, 14.0f)}) {
        for (const glm::vec3& ring : rings) {
            const RingGuide guide = ringGuide(lookingAlongMinusZ(), ring, W, H);
            SCOPED_TRACE(testing::Message()
                         << ring.x << "," << ring.y << "," << ring.z << " width " << size.x);
            ASSERT_FALSE(guide.inView);
            const glm::vec2 corner = distanceTextCorner(guide, size, unit, W, H);
            EXPECT_GE(corner.x, 0.0f);
            EXPECT_GE(corner.y, 0.0f);
            EXPECT_LE(corner.x + size.x, W);
            EXPECT_LE(corner.y + size.y, H);
            // Every corner of the box lies behind the arrow's base.
            const float base = glm::dot(guide.at, guide.direction) - 44.0f * unit;
            for (const glm::vec2& c : {corner, corner + glm::vec2(size.x, 0.0f),
                                       corner + glm::vec2(0.0f, size.y), corner + size}) {
                EXPECT_LT(glm::dot(c, guide.direction), base);
            }
        }
    }
    const RingGuide ahead = ringGuide(lookingAlongMinusZ(), {0, 0, -100}, W, H);
    const glm::vec2 corner = distanceTextCorner(ahead, {40.0f, 14.0f}, unit, W, H);
    EXPECT_LT(corner.y + 14.0f, ahead.at.y);
    EXPECT_NEAR(corner.x + 20.0f, ahead.at.x, 1.0f);
}

TEST(RingGuide, TheDistanceIsInWholeMetres) {
    EXPECT_EQ(ringDistanceText(0.2f), "0 m");
    EXPECT_EQ(ringDistanceText(119.6f), "120 m");
    EXPECT_EQ(ringDistanceText(-3.0f), "0 m");
}

} // namespace
