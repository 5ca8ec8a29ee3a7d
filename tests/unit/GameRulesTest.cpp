#include "game/GameRules.h"
#include "core/GameState.h"
#include "world/World.h"

#include "PhysicsFixtures.h"

#include <gtest/gtest.h>

using namespace physics_test;

namespace {

// A straight track along +z for a ship starting at the origin: game objects
// with real bodies in the process-wide physics world, and the rules installed
// as its callback.
class GameRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(PhysicsContext::instance().bodyCount(), 0u) << "a test left bodies behind";
        previous = PhysicsContext::instance().setCallback(std::make_unique<GameRules>(
            &world, [this](int32_t collected) { shown.push_back(collected); }));
        world.gameStatePtr = &state;
    }
    void TearDown() override {
        world.objects.clear();
        PhysicsContext::instance().setCallback(std::move(previous));
    }

    GameObject& add(ObjectKind kind, std::unique_ptr<RigidBody> body, const std::string& name) {
        glm::vec3 p = body->position();
        world.objects.emplace_back(p, glm::quat(1, 0, 0, 0), glm::vec3(1.0f), name, kind,
                                   std::move(body));
        return world.objects.back();
    }
    GameObject& addShip() { return add(ObjectKind::Ship, makeShip({0, 0, 0}), "spaceshipNew.obj"); }
    // A ship of two hulls side by side, whose fronts reach a can in the same step.
    GameObject& addTwinHullShip() {
        auto body = RigidBody::createDynamic({0, 0, 0}, glm::quat(1, 0, 0, 0));
        body->attachConvex(boxHull({0.4f, 0.25f, 1.0f}, {-0.5f, 0, 0}));
        body->attachConvex(boxHull({0.4f, 0.25f, 1.0f}, {0.5f, 0, 0}));
        body->setFilter({ShipGroup, 14});
        PhysicsContext::instance().addBody(*body);
        body->setLinearVelocity({0.0f, 0.0f, SHIP_SPEED});
        return add(ObjectKind::Ship, std::move(body), "spaceshipNew.obj");
    }
    GameObject& addTrigger(ObjectKind kind, float z, const glm::vec3& half = {3, 3, 0.5f}) {
        auto body = RigidBody::createStatic({0, 0, z}, glm::quat(1, 0, 0, 0));
        body->attachConvex(boxHull(half));
        body->setTrigger(true);
        body->setFilter({kind == ObjectKind::Trash ? TrashGroup : RingGroup, ShipGroup});
        PhysicsContext::instance().addBody(*body);
        return add(kind, std::move(body), kind == ObjectKind::Trash ? "tcan" : "ring");
    }
    // One fixed step as the game runs it (the ship keeps its speed itself).
    void step() {
        world.processRemovals();
        PhysicsContext::instance().simulateStep();
        world.syncFromPhysics();
    }
    void fly(float distance) {
        int steps = int(distance / STEP_DISTANCE) + 1;
        for (int i = 0; i < steps && state == GameState::Running; ++i) {
            step();
        }
    }
    void finishCounters() {
        for (GameObject& o : world.objects) {
            if (o.kind == ObjectKind::Trash) {
                ++world.remainingTrash;
            }
        }
        int32_t position = 0;
        for (GameObject& o : world.objects) {
            if (o.kind == ObjectKind::Ring) {
                world.currentRing = position;
                break;
            }
            ++position;
        }
    }

    World world;
    GameState state = GameState::Running;
    std::vector<int32_t> shown;
    std::unique_ptr<CollisionCallback> previous;
};

TEST_F(GameRulesTest, ACanTouchedByBothHullsInOneStepIsCollectedOnce) {
    addTwinHullShip();
    addTrigger(ObjectKind::Trash, 5.0f);
    addTrigger(ObjectKind::Ring, 50.0f);
    finishCounters();
    ASSERT_EQ(world.remainingTrash, 1);
    fly(10.0f);
    EXPECT_EQ(world.collectedTrash, 1);
    EXPECT_EQ(world.remainingTrash, 0);
    EXPECT_EQ(shown, std::vector<int32_t>{1});
    // Removed at the next step; the ring moved down one place with it.
    EXPECT_EQ(world.objects.size(), 2u);
    EXPECT_EQ(world.currentRing, 1);
    EXPECT_TRUE(world.removalQueue.empty());
}

TEST_F(GameRulesTest, TwoCansEnteredInOneStepAreBothCollectedAndRemoved) {
    addShip();
    addTrigger(ObjectKind::Trash, 5.0f, {0.5f, 3, 0.5f});
    auto& second = addTrigger(ObjectKind::Trash, 5.0f, {0.5f, 3, 0.5f});
    second.actor->setGlobalPose({0.3f, 0, 5.0f}, glm::quat(1, 0, 0, 0));
    addTrigger(ObjectKind::Ring, 80.0f);
    finishCounters();
    while (world.collectedTrash == 0) {
        step();
    }
    EXPECT_EQ(world.collectedTrash, 2);
    EXPECT_EQ(world.removalQueue.size(), 2u);
    step();
    ASSERT_EQ(world.objects.size(), 2u);
    EXPECT_EQ(world.objects.back().kind, ObjectKind::Ring);
    EXPECT_EQ(world.currentRing, 1);
}

TEST_F(GameRulesTest, RingsCountOnlyInTrackOrderAndTheLastFinishes) {
    addShip();
    // Ring 1 lies first on the way, ring 0 behind it, ring 2 last: flying
    // straight passes ring 1 too early, so only ring 0 counts, then ring 2
    // would need ring 1 again.
    GameObject& ring0 = addTrigger(ObjectKind::Ring, 20.0f);
    addTrigger(ObjectKind::Ring, 10.0f);
    addTrigger(ObjectKind::Ring, 30.0f);
    finishCounters();
    ASSERT_EQ(world.currentRing, 1);
    ASSERT_EQ(&*std::next(world.objects.begin()), &ring0);
    fly(15.0f); // through ring 1 only: nothing changes
    EXPECT_EQ(world.currentRing, 1);
    fly(10.0f); // through ring 0
    EXPECT_EQ(world.currentRing, 2);
    fly(10.0f); // through ring 2, while ring 1 is current
    EXPECT_EQ(world.currentRing, 2);
    EXPECT_EQ(state, GameState::Running);
}

TEST_F(GameRulesTest, PassingTheLastRingFinishesTheTrack) {
    addShip();
    addTrigger(ObjectKind::Ring, 10.0f);
    addTrigger(ObjectKind::Ring, 20.0f);
    finishCounters();
    fly(15.0f);
    EXPECT_EQ(world.currentRing, 2);
    EXPECT_EQ(state, GameState::Running);
    fly(10.0f);
    EXPECT_EQ(state, GameState::Finished);
}

// A run put back at its start from inside the last ring's trigger leaves it
// at once: leaving a ring passes nothing, so a one-ring track is not
// finished again before the ship has flown.
TEST_F(GameRulesTest, LeavingARingOrBeingPutBackFromInsideItPassesNothing) {
    GameObject& ship = addShip();
    addTrigger(ObjectKind::Ring, 10.0f);
    finishCounters();
    const int32_t first = world.currentRing;
    fly(10.0f);
    ASSERT_EQ(state, GameState::Finished);
    state = GameState::Running;
    world.currentRing = first;
    ship.actor->setGlobalPose({0, 0, -30.0f}, glm::quat(1, 0, 0, 0));
    step();
    step();
    EXPECT_EQ(state, GameState::Running);
    EXPECT_EQ(world.currentRing, first);
}

TEST_F(GameRulesTest, TouchingAnObstacleEndsTheGame) {
    addShip();
    add(ObjectKind::Obstacle, makeObstacle(boxSurface({2, 2, 2}), {0, 0, 10}), "roid");
    addTrigger(ObjectKind::Ring, 40.0f);
    finishCounters();
    fly(30.0f);
    EXPECT_EQ(state, GameState::GameOver);
    EXPECT_EQ(world.currentRing, 2);
}

TEST_F(GameRulesTest, AReportWithoutAGameObjectIsPassedOverAndTheRestCount) {
    addShip();
    GameObject& can = addTrigger(ObjectKind::Trash, 0.0f);
    finishCounters();
    GameRules rules(&world);
    auto orphan = RigidBody::createStatic({0, 0, 0}, glm::quat(1, 0, 0, 0));
    TriggerPair pairs[2];
    pairs[0].triggerBody = orphan.get();
    pairs[0].otherBody = world.objects.front().actor.get();
    pairs[1].triggerBody = can.actor.get();
    pairs[1].otherBody = world.objects.front().actor.get();
    rules.onTrigger(pairs, 2);
    EXPECT_EQ(world.collectedTrash, 1);
}

} // namespace
