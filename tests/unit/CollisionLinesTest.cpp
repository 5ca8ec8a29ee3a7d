#include "LevelWriter.h"
#include "PhysicsFixtures.h"

#include "game/CollisionLinesNote.h"
#include "game/SoundNotice.h"
#include "physics/CollisionLines.h"
#include "render/CollisionLineRenderer.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace physics_test;

struct EdgeRow {
    const char* name;
    std::function<std::shared_ptr<const CookedMesh>()> mesh;
    std::size_t edges;
};

TEST(MeshEdges, EachEdgeOnceInTheMeshsOwnFrame) {
    const std::vector<EdgeRow> rows = {
        {"a box hull",
         [] {
             return boxHull({1, 2, 3});
         },
         12},
        // 12 box edges and a diagonal across each face.
        {"a box surface",
         [] {
             return boxSurface({1, 2, 3});
         },
         18},
        {"a box surface with a vertex per face at each corner",
         [] {
             const TestMesh box = boxMesh({1, 2, 3});
             return TriangleMesh::cook(box.positions, box.indices);
         },
         18},
    };
    for (const EdgeRow& row : rows) {
        SCOPED_TRACE(row.name);
        const auto mesh = row.mesh();
        ASSERT_TRUE(mesh);
        const std::vector<glm::vec3> ends = meshEdges(*mesh);
        EXPECT_EQ(ends.size(), 2 * row.edges);
        for (std::size_t i = 0; i + 1 < ends.size(); i += 2) {
            EXPECT_NE(ends[i], ends[i + 1]);
        }
        // Unscaled and unplaced: a box's ends stay on its own corners.
        for (const glm::vec3& end : ends) {
            EXPECT_EQ(glm::abs(end), glm::vec3(1, 2, 3));
        }
    }
}

TEST(PlacedShapes, EachShapeComesWithItsBodysPoseScaleAndKind) {
    const auto rock = boxSurface({1, 1, 1});
    auto near = makeObstacle(rock, {10, 0, 0}, {2, 1, 1});
    auto far = makeObstacle(rock, {20, 0, 0});
    near->setGlobalPose({10, 0, 0}, glm::angleAxis(glm::half_pi<float>(), glm::vec3(0, 1, 0)));
    auto can = makeTrigger(boxHull({1, 1, 1}), {0, 5, 0});
    auto ring = makeTrigger(boxHull({1, 1, 1}), {0, 9, 0}, glm::vec3(1), RingGroup);
    auto ship = makeShip({0, 0, 0}, true);
    auto bare = RigidBody::createStatic({0, 0, 0}, glm::quat(1, 0, 0, 0));
    PhysicsContext::instance().addBody(*bare);

    const std::vector<PlacedShape> shapes = placedShapes(PhysicsContext::instance());
    ASSERT_EQ(shapes.size(), 6u); // the ship's two hulls, none for the bare body
    // Both rocks carry the one cooked mesh.
    EXPECT_EQ(shapes[0].mesh, rock);
    EXPECT_EQ(shapes[1].mesh, rock);
    const std::vector<ShapeKind> kinds = {ShapeKind::Obstacle, ShapeKind::Obstacle,
                                          ShapeKind::Trash,    ShapeKind::Ring,
                                          ShapeKind::Ship,     ShapeKind::Ship};
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        EXPECT_EQ(shapes[i].kind, kinds[i]) << i;
    }
    // Scaled 2 along x, then turned a quarter about y: x becomes -z.
    const glm::vec3 corner = glm::vec3(shapes[0].place * glm::vec4(1, 0, 0, 1));
    EXPECT_NEAR(corner.x, 10.0f, 1e-5f);
    EXPECT_NEAR(corner.z, -2.0f, 1e-5f);
    EXPECT_EQ(glm::vec3(shapes[1].place * glm::vec4(1, 0, 0, 1)), glm::vec3(21, 0, 0));
}

TEST(CollisionLinesNote, SaysHowManyShapesInViewTheBudgetShows) {
    struct Row {
        CollisionLineFrame shown;
        std::string note;
    };
    for (const Row& row : {
             Row{{1503, 1214, 1214, 9'300'550}, ""},
             Row{{0, 0, 0, 0}, ""},
             Row{{1503, 1009, 35, 245'832}, "showing the nearest 35 of 1,009 shapes in view"},
             Row{{2'000'000, 1'234'567, 1, 300'000},
                 "showing the nearest 1 of 1,234,567 shapes in view"},
         }) {
        EXPECT_EQ(budgetNote(row.shown), row.note);
    }
    // Under the word about the sound, inside the window, at every size.
    for (const glm::vec2& window : {glm::vec2(800, 450), glm::vec2(1920, 1080)}) {
        const TextPlacement note = collisionLinesNotePlacement(window.x, window.y);
        const TextPlacement sound = soundNoticePlacement(window.x, window.y);
        EXPECT_EQ(note.x, sound.x);
        EXPECT_LT(note.y, sound.y - 30.0f * sound.scale);
        EXPECT_GT(note.y, 0.5f * window.y);
    }
}

} // namespace
