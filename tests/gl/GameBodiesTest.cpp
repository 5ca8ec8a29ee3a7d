#include "GlWindow.h"
#include "LevelWriter.h"
#include "TempDir.h"

#include "assets/ModelLoader.h"
#include "assets/ShapeStores.h"
#include "physics/CollisionMeshes.h"
#include "physics/PhysicsContext.h"
#include "world/GameBodies.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

Mesh meshOf(const TestMesh& shape) {
    std::vector<Vertex> vertices(shape.positions.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        vertices[i].position = shape.positions[i];
        vertices[i].normal = shape.normals[i];
    }
    return Mesh(std::move(vertices), shape.indices, Material{});
}

// Registers a model the way the level loader does: one drawn mesh and the
// collision mesh cooked from `collision` (or `cooked` as given).
void registerModel(const std::string& name, std::shared_ptr<const CookedMesh> cooked) {
    const uint32_t drawn = meshStore().push(meshOf(boxMesh(glm::vec3(1.0f))));
    const uint32_t collision = collisionMeshStore().push(std::move(cooked));
    ModelLoader::instance().add(name, {drawn}, {}, {collision});
}

std::string captured(auto&& make) {
    testing::internal::CaptureStdout();
    make();
    return testing::internal::GetCapturedStdout();
}

class GameBodies : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        bodiesBefore = PhysicsContext::instance().bodyCount();
    }
    std::size_t bodiesBefore = 0;
};

TEST_F(GameBodies, AnObstacleIsAStaticScaledTriangleMeshThatReportsTouchesWithTheShip) {
    registerModel("bodies_rock", cookTriMesh(meshOf(sphereMesh(1.0f))));
    const glm::quat turn = glm::angleAxis(0.5f, glm::vec3(0, 0, 1));
    GameObject rock = createObstacle({1, 2, 3}, turn, {2, 2, 2}, "bodies_rock");
    EXPECT_EQ(rock.kind, ObjectKind::Obstacle);
    EXPECT_EQ(rock.name, "bodies_rock");
    EXPECT_EQ(rock.scale, glm::vec3(2.0f));
    EXPECT_EQ(rock.position, glm::vec3(1, 2, 3));
    ASSERT_TRUE(rock.actor);
    EXPECT_EQ(rock.actor->userData(), &rock);
    EXPECT_FALSE(rock.actor->isDynamic());
    EXPECT_FALSE(rock.actor->isTrigger());
    EXPECT_TRUE(rock.actor->inWorld());
    EXPECT_EQ(rock.actor->filter(), (FilterData{2, 1}));
    ASSERT_EQ(rock.actor->shapeCount(), 1u);
    EXPECT_TRUE(dynamic_cast<const TriangleMesh*>(rock.actor->shapeMesh(0)));
    EXPECT_EQ(rock.actor->shapeScale(0), glm::vec3(2.0f));
    EXPECT_NEAR(std::abs(glm::dot(rock.actor->rotation(), turn)), 1.0f, 1e-6f);
    EXPECT_EQ(PhysicsContext::instance().bodyCount(), bodiesBefore + 1);
}

TEST_F(GameBodies, ObstaclesOfOneModelShareTheCookedMeshButNotTheirShapesOrBodies) {
    registerModel("bodies_shared", cookTriMesh(meshOf(sphereMesh(1.0f))));
    GameObject a = createObstacle({0, 0, 0}, {1, 0, 0, 0}, {1, 1, 1}, "bodies_shared");
    GameObject b = createObstacle({9, 0, 0}, {1, 0, 0, 0}, {3, 1, 2}, "bodies_shared");
    EXPECT_NE(a.actor.get(), b.actor.get());
    EXPECT_EQ(a.actor->shapeMesh(0), b.actor->shapeMesh(0));
    EXPECT_EQ(a.actor->shapeScale(0), glm::vec3(1, 1, 1));
    EXPECT_EQ(b.actor->shapeScale(0), glm::vec3(3, 1, 2));
}

TEST_F(GameBodies, TrashAndRingsAreTriggerHullsWithTheirOwnGroups) {
    registerModel("bodies_can", cookConvex(meshOf(boxMesh({0.3f, 0.5f, 0.3f}))));
    registerModel("bodies_ring", cookConvex(meshOf(discMesh(2.0f, 0.1f))));
    GameObject can = createTrash({0, 0, 5}, {1, 0, 0, 0}, {1, 2, 1}, "bodies_can");
    GameObject ring = createRing({0, 0, 9}, {1, 0, 0, 0}, {1, 1, 1}, "bodies_ring");
    EXPECT_EQ(can.kind, ObjectKind::Trash);
    EXPECT_EQ(ring.kind, ObjectKind::Ring);
    for (const GameObject* object : {&can, &ring}) {
        EXPECT_TRUE(object->actor->isTrigger());
        EXPECT_FALSE(object->actor->isDynamic());
        ASSERT_EQ(object->actor->shapeCount(), 1u);
        EXPECT_TRUE(dynamic_cast<const ConvexMesh*>(object->actor->shapeMesh(0)));
    }
    EXPECT_EQ(can.actor->filter(), (FilterData{4, 1}));
    EXPECT_EQ(ring.actor->filter(), (FilterData{8, 1}));
    EXPECT_EQ(can.actor->shapeScale(0), glm::vec3(1, 2, 1));
}

TEST_F(GameBodies, ACollisionMeshOfTheWrongKindIsReportedAndTheObjectKeptWithoutShape) {
    registerModel("bodies_hull_only", cookConvex(meshOf(boxMesh(glm::vec3(1.0f)))));
    registerModel("bodies_surface_only", cookTriMesh(meshOf(boxMesh(glm::vec3(1.0f)))));
    std::optional<GameObject> rock, can;
    EXPECT_EQ(
        captured([&] {
            rock.emplace(createObstacle({0, 0, 0}, {1, 0, 0, 0}, {1, 1, 1}, "bodies_hull_only"));
        }),
        "[ ERROR ]\tThe collision mesh of bodies_hull_only is a convex hull, but an "
        "obstacle needs a triangle mesh: it is drawn, but the ship flies through it.\n");
    EXPECT_EQ(
        captured([&] {
            can.emplace(createTrash({0, 0, 0}, {1, 0, 0, 0}, {1, 1, 1}, "bodies_surface_only"));
        }),
        "[ ERROR ]\tThe collision mesh of bodies_surface_only is a triangle mesh, but a "
        "trigger volume needs a convex hull: it is drawn, but it can never be collected.\n");
    EXPECT_EQ(rock->actor->shapeCount(), 0u);
    EXPECT_EQ(can->actor->shapeCount(), 0u);
    EXPECT_EQ(PhysicsContext::instance().bodyCount(), bodiesBefore + 2);
}

TEST_F(GameBodies, NoCollisionMeshOrAFailedOneIsReportedAndNeverReadsBeyondTheStore) {
    // A failed cooking is kept in the store as an empty entry.
    registerModel("bodies_failed", nullptr);
    const uint32_t drawn = meshStore().push(meshOf(boxMesh(glm::vec3(1.0f))));
    ModelLoader::instance().add("bodies_none", {drawn}, {}, {});
    ModelLoader::instance().add("bodies_beyond", {drawn}, {},
                                {static_cast<uint32_t>(collisionMeshStore().size() + 5)});
    std::optional<GameObject> ring, rock, can;
    EXPECT_EQ(captured([&] {
                  ring.emplace(createRing({0, 0, 0}, {1, 0, 0, 0}, {1, 1, 1}, "bodies_failed"));
              }),
              "[ ERROR ]\tThe collision mesh of bodies_failed could not be cooked: it is drawn, "
              "but it can never be passed, so the track cannot be finished.\n");
    const std::string none = captured([&] {
        rock.emplace(createObstacle({0, 0, 0}, {1, 0, 0, 0}, {1, 1, 1}, "bodies_none"));
    });
    EXPECT_EQ(none, "[ ERROR ]\tbodies_none has no collision mesh (a level node takes it from the "
                    "first mesh of its first child): it is drawn, but the ship flies through "
                    "it.\n");
    const std::string beyond = captured([&] {
        can.emplace(createTrash({0, 0, 0}, {1, 0, 0, 0}, {1, 1, 1}, "bodies_beyond"));
    });
    EXPECT_NE(beyond.find("[ ERROR ]\tbodies_beyond has no collision mesh"), std::string::npos);
    for (const auto* object : {&ring, &rock, &can}) {
        EXPECT_EQ((*object)->actor->shapeCount(), 0u);
        EXPECT_TRUE((*object)->actor->inWorld());
    }
}

class ShipModel : public GameBodies {
protected:
    void SetUp() override {
        GameBodies::SetUp();
        cwd.emplace(folder.path());
    }
    TempDir folder;
    std::optional<ScopedWorkingDir> cwd;
};

TEST_F(ShipModel, CollMeshesBecomeHullsAndGraphMeshesAreDrawnUnderTheFileName) {
    writeTestShip(folder.path() / "res/assets/models");
    const std::size_t meshesBefore = meshStore().size();
    const glm::quat turn = glm::angleAxis(1.0f, glm::vec3(0, 1, 0));
    std::optional<GameObject> ship;
    EXPECT_EQ(captured([&] {
                  ship.emplace(createShip({1, 2, 3}, turn, {2, 2, 2}, "spaceshipNew.obj"));
              }),
              "");
    EXPECT_EQ(ship->kind, ObjectKind::Ship);
    EXPECT_EQ(ship->name, "spaceshipNew.obj");
    EXPECT_EQ(ship->actor->userData(), &*ship);
    EXPECT_TRUE(ship->actor->isDynamic());
    EXPECT_TRUE(ship->actor->inWorld());
    EXPECT_FLOAT_EQ(ship->actor->angularDamping(), 2.0f);
    EXPECT_EQ(ship->actor->filter(), (FilterData{1, 14}));
    ASSERT_EQ(ship->actor->shapeCount(), 2u); // coll_front and coll_back
    for (uint32_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(dynamic_cast<const ConvexMesh*>(ship->actor->shapeMesh(i)));
        EXPECT_EQ(ship->actor->shapeScale(i), glm::vec3(1.0f)); // whatever the object's scale
    }
    // Only graph_hull was drawn.
    EXPECT_EQ(meshStore().size(), meshesBefore + 1);
    const Model& model = ModelLoader::instance().get("spaceshipNew.obj");
    ASSERT_EQ(model.meshLevels.size(), 1u);
    EXPECT_EQ(model.meshLevels[0], std::vector<uint32_t>{static_cast<uint32_t>(meshesBefore)});
    EXPECT_TRUE(model.geometryLevels[0].empty());
    EXPECT_TRUE(model.collisionMeshes.empty());
    EXPECT_NE(meshStore().at(meshesBefore).vao, 0u); // uploaded
}

TEST_F(ShipModel, MeshNamesDecideWhatIsShapeWhatIsDrawnAndWhatIsIgnored) {
    const std::filesystem::path models = folder.path() / "res/assets/models";
    std::filesystem::create_directories(models);
    std::ostringstream obj;
    int base = 1;
    // hull_graph_1 is drawn, coll_graph is a shape and not drawn, wing is
    // neither, a flat coll_flat cannot be cooked.
    for (const auto& [name, flat] :
         std::vector<std::pair<std::string, bool>>{{"hull_graph_1", false},
                                                   {"coll_graph", false},
                                                   {"wing", false},
                                                   {"coll_flat", true}}) {
        obj << "o " << name << "\nvn 0 1 0\n";
        const TestMesh box = boxMesh({0.5f, flat ? 0.0f : 0.5f, 0.5f});
        for (const glm::vec3& p : box.positions) {
            obj << "v " << p.x << " " << p.y << " " << p.z << "\n";
        }
        for (std::size_t i = 0; i < box.indices.size(); i += 3) {
            obj << "f";
            for (std::size_t k = 0; k < 3; ++k) {
                obj << " " << base + int(box.indices[i + k]) << "//1";
            }
            obj << "\n";
        }
        base += int(box.positions.size());
    }
    std::ofstream(models / "parts_ship.obj") << obj.str();
    const std::size_t meshesBefore = meshStore().size();
    std::optional<GameObject> ship;
    const std::string out = captured([&] {
        ship.emplace(createShip({0, 0, 0}, {1, 0, 0, 0}, {1, 1, 1}, "parts_ship.obj"));
    });
    EXPECT_EQ(out, "[ ERROR ]\tShip model res/assets/models/parts_ship.obj: "
                   "the collision mesh coll_flat could not be cooked (a hull needs at least four "
                   "points that are not on one plane).\n");
    EXPECT_EQ(ship->actor->shapeCount(), 1u);
    EXPECT_EQ(meshStore().size(), meshesBefore + 1);
    EXPECT_EQ(ModelLoader::instance().get("parts_ship.obj").meshLevels[0].size(), 1u);
}

TEST_F(ShipModel, AMissingShipModelIsReportedAndTheShipStillFliesWithoutShapes) {
    std::optional<GameObject> ship;
    const std::string out = captured([&] {
        ship.emplace(createShip({0, 0, 0}, {1, 0, 0, 0}, {1, 1, 1}, "gone_ship.obj"));
    });
    EXPECT_EQ(out.rfind("[ ERROR ]\tAssimp: ", 0), 0u) << out;
    EXPECT_NE(out.find("res/assets/models/gone_ship.obj"), std::string::npos) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_TRUE(ship->actor->isDynamic());
    EXPECT_TRUE(ship->actor->inWorld());
    EXPECT_EQ(ship->actor->shapeCount(), 0u);
    EXPECT_EQ(ship->actor->filter(), (FilterData{1, 14}));
}

TEST_F(ShipModel, AShipModelWithoutCollMeshesIsReported) {
    const std::filesystem::path models = folder.path() / "res/assets/models";
    std::filesystem::create_directories(models);
    std::ofstream(models / "bare_ship.obj")
        << "o graph_only\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n";
    std::optional<GameObject> ship;
    EXPECT_EQ(captured([&] {
                  ship.emplace(createShip({0, 0, 0}, {1, 0, 0, 0}, {1, 1, 1}, "bare_ship.obj"));
              }),
              "[ ERROR ]\tShip model res/assets/models/bare_ship.obj has no usable mesh whose name "
              "contains \"coll_\": the ship can never touch anything.\n");
    EXPECT_EQ(ship->actor->shapeCount(), 0u);
}

} // namespace
