#include "GlWindow.h"
#include "LevelWriter.h"
#include "TempDir.h"

#include "physics/CollisionGroup.h"
#include "physics/CollisionLines.h"
#include "physics/CookedMesh.h"
#include "physics/PhysicsContext.h"
#include "physics/RigidBody.h"
#include "render/Camera.h"
#include "render/CollisionLineRenderer.h"

#include <GL/glew.h>
#include <glm/gtc/constants.hpp>
#include <gtest/gtest.h>

#include <memory>

namespace {

std::shared_ptr<const ConvexMesh> hullOf(const TestMesh& mesh) {
    return ConvexMesh::cook(mesh.positions);
}

// A ring trigger shaped by a disc of radius 2 (16 sides) in the XY plane.
std::unique_ptr<RigidBody> ringBody(glm::vec3 position, glm::quat rotation, float scale) {
    auto body = RigidBody::createStatic(position, rotation);
    body->attachConvex(hullOf(discMesh(2.0f, 0.1f)), glm::vec3(scale));
    body->setTrigger(true);
    body->setFilter({RingGroup, ShipGroup});
    PhysicsContext::instance().addBody(*body);
    return body;
}

// Looks from z = 10 towards the origin with a 90° view: a point at (x, y, 0)
// lands at pixel 32 + 3.2 x, 32 + 3.2 y (origin bottom left).
class CollisionLinesDrawn : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        cwd.emplace(KELVARO_SOURCE_DIR);
        camera.fovY = glm::half_pi<float>();
        camera.aspect = 1.0f;
        camera.farPlane = 100.0f;
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // Pixels of `kind`'s colour in the square of side 2 r + 1 around (x, y).
    int colored(ShapeKind kind, int x, int y, int r = 1) const {
        const glm::vec3 want = shapeKindColor(kind) * 255.0f;
        const auto pixels = readPixels(x - r, y - r, 2 * r + 1, 2 * r + 1);
        int count = 0;
        for (size_t i = 0; i < pixels.size(); i += 4) {
            count += std::abs(pixels[i] - want.r) < 3 && std::abs(pixels[i + 1] - want.g) < 3 &&
                     std::abs(pixels[i + 2] - want.b) < 3;
        }
        return count;
    }

    std::optional<ScopedWorkingDir> cwd;
    Camera camera{glm::vec3(0, 0, 10), glm::quat(1, 0, 0, 0)};
};

TEST_F(CollisionLinesDrawn, ARingIsDrawnAtItsScaledRimInItsColour) {
    auto ring = ringBody({0, 0, 0}, glm::quat(1, 0, 0, 0), 1.5f);
    drawCollisionLines(camera);
    // Rim radius 3: pixels 22 and 42 on the middle row and column.
    EXPECT_GT(colored(ShapeKind::Ring, 42, 32), 0);
    EXPECT_GT(colored(ShapeKind::Ring, 22, 32), 0);
    EXPECT_GT(colored(ShapeKind::Ring, 32, 42), 0);
    // Not at the unscaled rim (radius 2, pixel 38), nor in the opening.
    EXPECT_EQ(colored(ShapeKind::Ring, 38, 32, 0), 0);
    EXPECT_EQ(colored(ShapeKind::Ring, 32, 32, 3), 0);
}

TEST_F(CollisionLinesDrawn, ATurnedRingIsSeenEdgeOn) {
    auto ring =
        ringBody({0, 0, 0}, glm::angleAxis(glm::half_pi<float>(), glm::vec3(0, 1, 0)), 1.0f);
    drawCollisionLines(camera);
    EXPECT_GT(colored(ShapeKind::Ring, 32, 32), 0);
    EXPECT_GT(colored(ShapeKind::Ring, 32, 37), 0);
    EXPECT_EQ(colored(ShapeKind::Ring, 38, 32, 0), 0);
}

TEST_F(CollisionLinesDrawn, EachKindHasItsOwnColourWhereItsBodyIs) {
    // An asteroid surface at the upper left, the ship's hull at the lower right.
    const TestMesh rock = boxMesh({1.0f, 1.0f, 1.0f});
    auto obstacle = RigidBody::createStatic({-5, 5, 0}, glm::quat(1, 0, 0, 0));
    obstacle->attachTriangleMesh(TriangleMesh::cook(rock.positions, rock.indices), glm::vec3(1.0f));
    obstacle->setFilter({ObstacleGroup, ShipGroup});
    PhysicsContext::instance().addBody(*obstacle);
    auto ship = RigidBody::createDynamic({5, -5, 0}, glm::quat(1, 0, 0, 0));
    ship->attachConvex(hullOf(boxMesh({1.0f, 1.0f, 1.0f})));
    ship->setFilter({ShipGroup, ObstacleGroup | TrashGroup | RingGroup});
    PhysicsContext::instance().addBody(*ship);

    const std::vector<CollisionLine> lines = collisionLines(PhysicsContext::instance());
    // A box hull has 12 edges; a box surface 12 triangles of 3 lines each.
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const CollisionLine& l) { return l.kind == ShapeKind::Ship; }),
              12);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const CollisionLine& l) { return l.kind == ShapeKind::Obstacle; }),
              36);

    drawCollisionLines(camera);
    // The boxes' front faces span 1 unit round their centres: 3.2 pixels.
    EXPECT_GT(colored(ShapeKind::Obstacle, 32 - 16, 32 + 16, 4), 0);
    EXPECT_EQ(colored(ShapeKind::Ship, 32 - 16, 32 + 16, 4), 0);
    EXPECT_GT(colored(ShapeKind::Ship, 32 + 16, 32 - 16, 4), 0);
    EXPECT_EQ(colored(ShapeKind::Obstacle, 32 + 16, 32 - 16, 4), 0);
}

TEST_F(CollisionLinesDrawn, NothingIsDrawnWithoutBodies) {
    EXPECT_TRUE(collisionLines(PhysicsContext::instance()).empty());
    drawCollisionLines(camera);
    const auto pixels = readPixels(0, 0, WIDTH, HEIGHT);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0), WIDTH * HEIGHT * 3);
}

} // namespace
