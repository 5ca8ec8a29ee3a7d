#include "world/World.h"
#include "PhysicsFixtures.h"

#include <glm/gtc/quaternion.hpp>

#include <iterator>
#include <string>

using namespace physics_test;

namespace {

// A world shaped as the loader leaves it: the ship, obstacles and trash,
// then the rings, each object with a real body in the physics world.
class WorldSteps : public PhysicsTest {
protected:
    void TearDown() override {
        world.objects.clear();
        PhysicsTest::TearDown();
    }

    void add(ObjectKind kind, const std::string& name, const glm::vec3& position) {
        std::unique_ptr<RigidBody> body;
        switch (kind) {
        case ObjectKind::Ship:
            body = makeShip(position);
            break;
        case ObjectKind::Obstacle:
            body = makeObstacle(boxSurface(glm::vec3(1.0f)), position);
            break;
        case ObjectKind::Trash:
            body = makeTrigger(boxHull(glm::vec3(0.5f)), position);
            break;
        case ObjectKind::Ring:
            body = makeTrigger(boxHull(glm::vec3(2.0f, 2.0f, 0.2f)), position, glm::vec3(1.0f),
                               RingGroup);
            break;
        }
        world.objects.emplace_back(position, glm::quat(1, 0, 0, 0), glm::vec3(1.0f), name, kind,
                                   std::move(body));
    }

    // ship, rock0, rock1, can0 (3), rock2, can1 (5), rock3 (6), ring0 (7), ring1
    void buildTrack() {
        add(ObjectKind::Ship, "ship", {0, 0, 0});
        add(ObjectKind::Obstacle, "rock0", {20, 0, 0});
        add(ObjectKind::Obstacle, "rock1", {-20, 0, 0});
        add(ObjectKind::Trash, "can0", {0, 20, 0});
        add(ObjectKind::Obstacle, "rock2", {0, -20, 0});
        add(ObjectKind::Trash, "can1", {20, 20, 0});
        add(ObjectKind::Obstacle, "rock3", {-20, -20, 0});
        add(ObjectKind::Ring, "ring0", {0, 0, 50});
        add(ObjectKind::Ring, "ring1", {0, 0, 100});
        world.remainingTrash = 2;
        world.currentRing = 7;
    }

    GameObject& at(std::size_t position) { return *std::next(world.objects.begin(), position); }

    std::vector<std::string> names() {
        std::vector<std::string> result;
        for (const GameObject& object : world.objects) {
            result.push_back(object.name);
        }
        return result;
    }

    World world;
};

TEST_F(WorldSteps, TrashAtThreeAndFiveGoesInOneStepAndTheRingMovesDownByTwo) {
    buildTrack();
    GameObject* ring = &at(7);
    GameObject* rock3 = &at(6);
    world.removalQueue = {3, 5};
    world.processRemovals();
    EXPECT_EQ(names(), (std::vector<std::string>{"ship", "rock0", "rock1", "rock2", "rock3",
                                                 "ring0", "ring1"}));
    EXPECT_EQ(&at(4), rock3); // the same object, not a copy
    EXPECT_EQ(world.currentRing, 5);
    EXPECT_EQ(&at(5), ring);
    EXPECT_TRUE(world.removalQueue.empty());
    // The bodies left the physics world with their objects.
    EXPECT_EQ(PhysicsContext::instance().bodyCount(), 7u);
}

TEST_F(WorldSteps, PositionsAreReadAgainstTheListAsItWasQueuedInAnyOrder) {
    buildTrack();
    // Removing 3 first must not make 5 name the object after can1.
    world.removalQueue = {5, 3};
    world.processRemovals();
    EXPECT_EQ(names(), (std::vector<std::string>{"ship", "rock0", "rock1", "rock2", "rock3",
                                                 "ring0", "ring1"}));
}

TEST_F(WorldSteps, APositionQueuedTwiceRemovesItsObjectOnce) {
    buildTrack();
    world.removalQueue = {3, 3};
    world.processRemovals();
    EXPECT_EQ(names(), (std::vector<std::string>{"ship", "rock0", "rock1", "rock2", "can1", "rock3",
                                                 "ring0", "ring1"}));
    EXPECT_EQ(world.currentRing, 6);
    EXPECT_EQ(PhysicsContext::instance().bodyCount(), 8u);
}

TEST_F(WorldSteps, PositionsBeyondTheListAndAnEmptyQueueChangeNothing) {
    buildTrack();
    world.processRemovals();
    EXPECT_EQ(world.objects.size(), 9u);
    EXPECT_EQ(world.currentRing, 7);
    world.removalQueue = {9, 4000000000u};
    world.processRemovals();
    EXPECT_EQ(world.objects.size(), 9u);
    EXPECT_EQ(world.currentRing, 7);
    EXPECT_TRUE(world.removalQueue.empty());
}

TEST_F(WorldSteps, WithoutRingsTheCurrentRingStaysMinusOne) {
    add(ObjectKind::Ship, "ship", {0, 0, 0});
    add(ObjectKind::Trash, "can0", {0, 20, 0});
    world.removalQueue = {1};
    world.processRemovals();
    EXPECT_EQ(world.objects.size(), 1u);
    EXPECT_EQ(world.currentRing, -1);
}

TEST_F(WorldSteps, SyncCopiesTheShipsPoseAndLeavesStaticsAsLoaded) {
    buildTrack();
    GameObject& ship = at(0);
    GameObject& rock = at(1);
    ship.actor->setAngularVelocity({0.0f, 1.0f, 0.0f});
    const glm::vec3 rockPosition = rock.position;
    const glm::quat rockRotation = rock.rotation;
    steps(10);
    world.syncFromPhysics();
    EXPECT_EQ(ship.position, ship.actor->position());
    EXPECT_EQ(ship.rotation, ship.actor->rotation());
    EXPECT_GT(ship.position.z, 2.0f); // it flew: 10 steps at 35 units a second
    EXPECT_LT(std::abs(glm::dot(ship.rotation, glm::quat(1, 0, 0, 0))), 0.99999f); // it turned
    EXPECT_EQ(rock.position, rockPosition);
    EXPECT_NEAR(std::abs(glm::dot(rock.rotation, rockRotation)), 1.0f, 1e-6f);
}

TEST_F(WorldSteps, AReplacedMovingObjectIsFollowedAtTheSameCount) {
    buildTrack();
    world.syncFromPhysics();
    world.objects.pop_front();
    world.objects.emplace_front(glm::vec3(0.0f), glm::quat(1, 0, 0, 0), glm::vec3(1.0f), "ship",
                                ObjectKind::Ship, makeShip({0, 0, 0}));
    world.objectsReplaced();
    steps(10);
    world.syncFromPhysics();
    EXPECT_GT(at(0).position.z, 2.0f);
    EXPECT_EQ(at(0).position, at(0).actor->position());
}

TEST_F(WorldSteps, MovingTheWorldKeepsEveryObjectAndTheCameraTargetInPlace) {
    buildTrack();
    GameObject* ship = &at(0);
    world.camera = StickyCamera(ship, {0, 3, -10}, glm::quat(1, 0, 0, 0));
    World moved(std::move(world));
    EXPECT_EQ(&moved.objects.front(), ship);
    EXPECT_EQ(moved.camera.target, ship);
    EXPECT_EQ(ship->actor->userData(), ship);
    world = std::move(moved); // hand it back for the tear-down
}

TEST(WorldLights, DirectionalLightsComeFirstThenPointLightsInStoredOrder) {
    World world;
    EXPECT_TRUE(world.collectLights().empty());
    world.pointLights.emplace_back(glm::vec3(1, 0, 0), glm::vec3(1, 2, 3), glm::vec3(1, 0, 0));
    world.pointLights.emplace_back(glm::vec3(0, 1, 0), glm::vec3(4, 5, 6), glm::vec3(1, 0, 0));
    PointLight sun(glm::vec3(1.0f), glm::vec3(0.0f), glm::vec3(1, 0, 0));
    world.directionalLights.push_back(&sun);
    const std::vector<Light*> lights = world.collectLights();
    ASSERT_EQ(lights.size(), 3u);
    EXPECT_EQ(lights[0], &sun);
    EXPECT_EQ(lights[1], &world.pointLights[0]);
    EXPECT_EQ(lights[2], &world.pointLights[1]);
}

} // namespace
