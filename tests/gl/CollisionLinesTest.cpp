#include "GlWindow.h"
#include "LevelWriter.h"
#include "TempDir.h"

#include "core/Log.h"
#include "physics/CollisionGroup.h"
#include "physics/CollisionLines.h"
#include "physics/CookedMesh.h"
#include "physics/PhysicsContext.h"
#include "physics/RigidBody.h"
#include "render/CollisionLineRenderer.h"
#include "world/Camera.h"

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

    // A box hull has 12 edges; a box surface 12 more across its faces.
    const CollisionLineFrame frame = drawCollisionLines(camera);
    EXPECT_EQ(frame.drawn, 2u);
    EXPECT_EQ(frame.lines, 12u + 18u);
    // The boxes' front faces span 1 unit round their centres: 3.2 pixels.
    EXPECT_GT(colored(ShapeKind::Obstacle, 32 - 16, 32 + 16, 4), 0);
    EXPECT_EQ(colored(ShapeKind::Ship, 32 - 16, 32 + 16, 4), 0);
    EXPECT_GT(colored(ShapeKind::Ship, 32 + 16, 32 - 16, 4), 0);
    EXPECT_EQ(colored(ShapeKind::Obstacle, 32 + 16, 32 - 16, 4), 0);
}

TEST_F(CollisionLinesDrawn, NothingIsDrawnWithoutBodies) {
    EXPECT_EQ(drawCollisionLines(camera).shapes, 0u);
    const auto pixels = readPixels(0, 0, WIDTH, HEIGHT);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0), WIDTH * HEIGHT * 3);
}

// A rock of a box surface (18 lines) at `position`, in view of the camera
// for z > -90 and |x|, |y| < 10 - z.
std::unique_ptr<RigidBody> rockBody(std::shared_ptr<const TriangleMesh> mesh, glm::vec3 position) {
    auto body = RigidBody::createStatic(position, glm::quat(1, 0, 0, 0));
    body->attachTriangleMesh(std::move(mesh), glm::vec3(1.0f));
    body->setFilter({ObstacleGroup, ShipGroup});
    PhysicsContext::instance().addBody(*body);
    return body;
}

std::shared_ptr<const TriangleMesh> rockMesh() {
    const TestMesh box = boxMesh({1.0f, 1.0f, 1.0f});
    return TriangleMesh::cook(box.positions, box.indices);
}

// Made once, drawn at each body; released, made again when next drawn.
TEST_F(CollisionLinesDrawn, AMeshSharedByBodiesIsMadeOnceAndDrawnAtEach) {
    const auto mesh = rockMesh();
    auto upperLeft = rockBody(mesh, {-5, 5, 0});
    auto lowerRight = rockBody(mesh, {5, -5, 0});
    CollisionLineRenderer renderer;
    for (int frame = 0; frame < 3; ++frame) {
        glClear(GL_COLOR_BUFFER_BIT);
        const CollisionLineFrame shown =
            renderer.draw(placedShapes(PhysicsContext::instance()), camera);
        EXPECT_EQ(shown.drawn, 2u);
        EXPECT_EQ(shown.lines, 36u);
        EXPECT_EQ(renderer.heldMeshes(), 1u);
        EXPECT_EQ(renderer.heldLines(), 18u);
        EXPECT_GT(colored(ShapeKind::Obstacle, 32 - 16, 32 + 16, 4), 0);
        EXPECT_GT(colored(ShapeKind::Obstacle, 32 + 16, 32 - 16, 4), 0);
        if (frame == 1) {
            renderer.release();
            EXPECT_EQ(renderer.heldMeshes(), 0u);
            EXPECT_EQ(renderer.heldLines(), 0u);
        }
    }
}

TEST_F(CollisionLinesDrawn, ShapesOutOfViewAreNeitherMadeNorDrawn) {
    auto inView = rockBody(rockMesh(), {0, 0, 0});
    auto behind = rockBody(rockMesh(), {0, 0, 20});
    auto aside = rockBody(rockMesh(), {40, 0, 0});
    auto beyondFarPlane = rockBody(rockMesh(), {0, 0, -200});
    CollisionLineRenderer renderer;
    const CollisionLineFrame shown =
        renderer.draw(placedShapes(PhysicsContext::instance()), camera);
    EXPECT_EQ(shown.shapes, 4u);
    EXPECT_EQ(shown.inView, 1u);
    EXPECT_EQ(shown.drawn, 1u);
    EXPECT_EQ(renderer.heldMeshes(), 1u);
}

// Three rocks of one mesh, the nearest at the lower right.
TEST_F(CollisionLinesDrawn, TheBudgetDrawsTheNearestShapesAndSaysSoOnce) {
    const auto mesh = rockMesh();
    auto nearest = rockBody(mesh, {5, -5, 0});
    auto middle = rockBody(mesh, {-5, 5, -10});
    auto farthest = rockBody(mesh, {-5, -5, -20});
    struct Row {
        std::size_t budget;
        std::size_t drawn;
    };
    // The nearest is drawn even when it alone is over the budget.
    for (const Row row : {Row{10, 1}, Row{18, 1}, Row{40, 2}, Row{54, 3}}) {
        SCOPED_TRACE(row.budget);
        glClear(GL_COLOR_BUFFER_BIT);
        CollisionLineRenderer renderer(row.budget);
        LogCapture log;
        for (int frame = 0; frame < 3; ++frame) {
            EXPECT_EQ(renderer.draw(placedShapes(PhysicsContext::instance()), camera).drawn,
                      row.drawn);
        }
        EXPECT_GT(colored(ShapeKind::Obstacle, 32 + 16, 32 - 16, 4), 0);
        if (row.drawn == 3) {
            EXPECT_TRUE(log.lines().empty());
            continue;
        }
        ASSERT_EQ(log.lines().size(), 1u);
        EXPECT_EQ(log.lines()[0].level, LogLevel::INFO);
        EXPECT_EQ(log.lines()[0].text, "Collision lines: showing the nearest " +
                                           std::to_string(row.drawn) +
                                           " of 3 shapes in view (at most " +
                                           std::to_string(row.budget) + " lines a frame).");
        // Let go and shown again, it says so again.
        renderer.release();
        renderer.draw(placedShapes(PhysicsContext::instance()), camera);
        EXPECT_EQ(log.lines().size(), 2u);
    }
}

// With more than twice the budget held, the lines not drawn longest go.
TEST_F(CollisionLinesDrawn, LinesNotDrawnLatelyGoWhenTooManyAreHeld) {
    auto first = rockBody(rockMesh(), {0, 0, 0});
    auto second = rockBody(rockMesh(), {100, 0, 0});
    auto third = rockBody(rockMesh(), {200, 0, 0});
    CollisionLineRenderer renderer(18);
    for (float x : {0.0f, 100.0f, 200.0f}) {
        camera.position = {x, 0, 10};
        EXPECT_EQ(renderer.draw(placedShapes(PhysicsContext::instance()), camera).drawn, 1u);
    }
    EXPECT_EQ(renderer.heldMeshes(), 2u);
    EXPECT_EQ(renderer.heldLines(), 36u);
}

TEST_F(CollisionLinesDrawn, DrawingLeavesTheStateAsItWas) {
    auto rock = rockBody(rockMesh(), {0, 0, 0});
    CollisionLineRenderer renderer;
    GLuint vao = 0, buffer = 0;
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &buffer);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttrib4f(1, 0.1f, 0.2f, 0.3f, 0.4f);
    renderer.draw(placedShapes(PhysicsContext::instance()), camera);
    GLint program = -1, boundVao = 0, boundBuffer = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &boundVao);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &boundBuffer);
    glm::vec4 color;
    glGetVertexAttribfv(1, GL_CURRENT_VERTEX_ATTRIB, &color.x);
    EXPECT_EQ(glm::ivec3(program, boundVao, boundBuffer), glm::ivec3(0, vao, buffer));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)); // as the test window starts
    EXPECT_EQ(color, glm::vec4(0.1f, 0.2f, 0.3f, 0.4f));
}

} // namespace
