#include "PhysicsFixtures.h"

#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>

#include <cmath>

using namespace physics_test;

namespace {

// Checks that a predicted gap is not so close to the reporting margin that
// Bullet's distance arithmetic could tip the report into the next step.
void expectClearOfMargin(float gap) {
    EXPECT_GT(std::abs(gap - MARGIN), 0.01f) << "test geometry too close to the margin";
}

// The step (counted from 1) whose start-of-step pose first brings a leading
// face within the margin of a face `distance` ahead; detection runs on the
// pose at the start of each step.
uint64_t firstTouchStep(float distance) {
    for (uint64_t k = 1;; ++k) {
        const float gap = distance - float(k - 1) * STEP_DISTANCE;
        if (gap <= MARGIN) {
            expectClearOfMargin(gap);
            expectClearOfMargin(gap + STEP_DISTANCE);
            return k;
        }
    }
}

// The first step whose start-of-step pose has carried a trailing face more
// than the margin past a face `distance` ahead of it.
uint64_t firstClearStep(float distance) {
    for (uint64_t k = 1;; ++k) {
        const float gap = float(k - 1) * STEP_DISTANCE - distance;
        if (gap > MARGIN) {
            expectClearOfMargin(gap);
            expectClearOfMargin(gap - STEP_DISTANCE);
            return k;
        }
    }
}

bool samePair(const ContactPair& pair, const RigidBody* x, const RigidBody* y) {
    return (pair.bodies[0] == x && pair.bodies[1] == y) ||
           (pair.bodies[0] == y && pair.bodies[1] == x);
}

TEST(GameFilterShader, TriggersPassWhateverTheirWords) {
    const FilterObject trash{{TrashGroup, ShipGroup}, true};
    EXPECT_EQ(gameFilterShader(trash, {{0, 0}, false}), PairKind::Trigger);
    EXPECT_EQ(gameFilterShader({{ObstacleGroup, ShipGroup}, false}, trash), PairKind::Trigger);
    EXPECT_EQ(gameFilterShader(trash, {{ShipGroup, 14}, false}), PairKind::Trigger);
}

TEST(GameFilterShader, OtherPairsNeedBothMasksToMatch) {
    const FilterObject ship{{ShipGroup, 14}, false};
    const FilterObject obstacle{{ObstacleGroup, ShipGroup}, false};
    EXPECT_EQ(gameFilterShader(ship, obstacle), PairKind::Contact);
    EXPECT_EQ(gameFilterShader(obstacle, ship), PairKind::Contact);
    EXPECT_EQ(gameFilterShader(obstacle, obstacle), PairKind::Dropped);
    EXPECT_EQ(gameFilterShader(ship, ship), PairKind::Dropped);
    // One-sided interest is not enough.
    EXPECT_EQ(gameFilterShader(ship, {{ObstacleGroup, 0}, false}), PairKind::Dropped);
    EXPECT_EQ(gameFilterShader({{ShipGroup, 0}, false}, obstacle), PairKind::Dropped);
}

using PhysicsContextTest = PhysicsTest;

TEST_F(PhysicsContextTest, InstanceIsOneWorldWithoutGravity) {
    EXPECT_EQ(&PhysicsContext::instance(), &PhysicsContext::instance());
    auto body = RigidBody::createDynamic({1, 2, 3}, glm::quat(1, 0, 0, 0));
    body->attachConvex(boxHull({1, 1, 1}));
    PhysicsContext::instance().addBody(*body);
    steps(144);
    EXPECT_EQ(body->position(), glm::vec3(1, 2, 3));
    EXPECT_EQ(body->linearVelocity(), glm::vec3(0.0f));
    EXPECT_EQ(record->step(), 144u);
}

TEST_F(PhysicsContextTest, ShipFliesThroughAThinObstacleWithOneTouchAndKeepsItsVelocity) {
    auto plate = makeObstacle(boxSurface({2.0f, 2.0f, 0.1f}), {0, 0, 5});
    auto ship = makeShip({0, 0, 0});
    steps(40);
    ASSERT_EQ(record->contacts.size(), 1u);
    const ContactRecord& touch = record->contacts[0];
    EXPECT_TRUE(touch.pair.touchFound());
    EXPECT_TRUE(samePair(touch.pair, ship.get(), plate.get()));
    // The plate's near face is 3.9 ahead of the ship's nose.
    EXPECT_EQ(touch.step, firstTouchStep(3.9f));
    EXPECT_TRUE(record->triggers.empty());
    // Never pushed back: velocity and path are exactly those of free flight.
    EXPECT_EQ(ship->linearVelocity(), glm::vec3(0, 0, SHIP_SPEED));
    EXPECT_NEAR(ship->position().z, 40 * STEP_DISTANCE, 1e-3f);
    EXPECT_EQ(ship->position().x, 0.0f);
    EXPECT_EQ(ship->position().y, 0.0f);
}

TEST_F(PhysicsContextTest, AHollowAsteroidIsTouchedOnTheWayInAndAgainOnTheWayOut) {
    auto rock = makeObstacle(boxSurface({3, 3, 3}), {0, 0, 10});
    auto ship = makeShip({0, 0, 0});
    steps(70);
    ASSERT_EQ(record->contacts.size(), 2u);
    // Entry: the near face (z = 7) is 6 ahead of the nose; exit: the far face
    // (z = 13) is 12 ahead of it.
    EXPECT_EQ(record->contacts[0].step, firstTouchStep(6.0f));
    EXPECT_EQ(record->contacts[1].step, firstTouchStep(12.0f));
    EXPECT_EQ(ship->linearVelocity(), glm::vec3(0, 0, SHIP_SPEED));
}

TEST_F(PhysicsContextTest, OverlappingObstaclesReportNothing) {
    auto mesh = boxSurface({1, 1, 1});
    auto a = makeObstacle(mesh, {0, 0, 0});
    auto b = makeObstacle(mesh, {0.5f, 0, 0});
    auto trash = makeTrigger(boxHull({1, 1, 1}), {0, 0.5f, 0});
    steps(5);
    EXPECT_TRUE(record->contacts.empty());
    EXPECT_TRUE(record->triggers.empty());
}

TEST_F(PhysicsContextTest, MovingBodiesTouchOnlyWhenEachIsInTheOthersMask) {
    auto hull = boxHull({1, 1, 1});
    auto make = [&](FilterData filter) {
        auto body = RigidBody::createDynamic({0, 0, 0}, glm::quat(1, 0, 0, 0));
        body->attachConvex(hull);
        body->setFilter(filter);
        PhysicsContext::instance().addBody(*body);
        return body;
    };
    auto a = make({ObstacleGroup, ShipGroup});
    auto b = make({ObstacleGroup, ShipGroup});
    steps(3);
    EXPECT_TRUE(record->contacts.empty());
    auto ship = make({ShipGroup, 14});
    steps(3);
    // The ship touches both and is reported once per touch; a and b still not.
    ASSERT_EQ(record->contacts.size(), 2u);
    for (const ContactRecord& c : record->contacts) {
        EXPECT_EQ(c.step, 4u);
        EXPECT_TRUE(samePair(c.pair, ship.get(), a.get()) || samePair(c.pair, ship.get(), b.get()));
    }
}

TEST_F(PhysicsContextTest, ATriggerReportsAnyBodyWhateverItsFilterWords) {
    auto trash = makeTrigger(boxHull({1, 1, 1}), {0, 0, 0});
    auto stranger = makeShip({0, 0, 0}, false, {16, 0});
    stranger->setLinearVelocity(glm::vec3(0.0f));
    steps(2);
    ASSERT_EQ(record->triggers.size(), 1u);
    EXPECT_EQ(record->triggers[0].pair.triggerBody, trash.get());
    EXPECT_EQ(record->triggers[0].pair.otherBody, stranger.get());
    EXPECT_EQ(record->triggers[0].pair.status, TriggerStatus::Found);
}

TEST_F(PhysicsContextTest, ShipThroughATriggerIsFoundThenLostAtThePredictedSteps) {
    auto ring = makeTrigger(boxHull({1, 1, 0.5f}), {0, 0, 10}, glm::vec3(1.0f), RingGroup);
    auto ship = makeShip({0, 0, 0});
    steps(70);
    ASSERT_EQ(record->triggers.size(), 2u);
    const TriggerRecord& found = record->triggers[0];
    const TriggerRecord& lost = record->triggers[1];
    EXPECT_EQ(found.pair.status, TriggerStatus::Found);
    EXPECT_EQ(found.pair.triggerBody, ring.get());
    EXPECT_EQ(found.pair.otherBody, ship.get());
    // Near face z = 9.5, 8.5 ahead of the nose; far face z = 10.5, which the
    // tail (z = −1) must pass.
    EXPECT_EQ(found.step, firstTouchStep(8.5f));
    EXPECT_EQ(lost.pair.status, TriggerStatus::Lost);
    EXPECT_EQ(lost.pair.triggerBody, ring.get());
    EXPECT_EQ(lost.step, firstClearStep(11.5f));
    EXPECT_TRUE(record->contacts.empty());
}

TEST_F(PhysicsContextTest, EachShipHullMakesItsOwnTriggerPair) {
    auto trash = makeTrigger(boxHull({1, 1, 0.5f}), {0, 0, 10});
    auto ship = makeShip({0, 0, 0}, true);
    ASSERT_EQ(ship->shapeCount(), 2u);
    steps(70);
    ASSERT_EQ(record->triggers.size(), 4u);
    uint64_t foundStep[2] = {0, 0};
    uint64_t lostStep[2] = {0, 0};
    for (const TriggerRecord& r : record->triggers) {
        ASSERT_LT(r.pair.otherShape, 2u);
        EXPECT_EQ(r.pair.triggerShape, 0u);
        (r.pair.status == TriggerStatus::Found ? foundStep : lostStep)[r.pair.otherShape] = r.step;
    }
    EXPECT_EQ(foundStep[0], firstTouchStep(8.5f));
    EXPECT_EQ(lostStep[0], firstClearStep(11.5f));
    // The fin spans z −0.9 to −0.3 on the body.
    EXPECT_EQ(foundStep[1], firstTouchStep(9.8f));
    EXPECT_EQ(lostStep[1], firstClearStep(11.4f));
}

TEST_F(PhysicsContextTest, ATriggerRemovedBetweenStepsIsNeverReportedAgain) {
    auto first = makeTrigger(boxHull({1, 1, 2}), {0, 0, 0});
    auto second = makeTrigger(boxHull({1, 1, 2}), {0, 0, 0.5f});
    auto ship = makeShip({0, 0, 0});
    ship->setLinearVelocity(glm::vec3(0.0f));
    steps(1);
    ASSERT_EQ(record->triggers.size(), 2u);
    RigidBody* gone = first.get();
    first.reset();
    EXPECT_EQ(PhysicsContext::instance().bodyCount(), 2u);
    steps(5);
    EXPECT_EQ(record->triggers.size(), 2u);
    // The ship leaves; only the remaining trigger reports losing it.
    ship->setGlobalPose({0, 0, 50}, glm::quat(1, 0, 0, 0));
    steps(2);
    ASSERT_EQ(record->triggers.size(), 3u);
    EXPECT_EQ(record->triggers[2].pair.triggerBody, second.get());
    EXPECT_EQ(record->triggers[2].pair.status, TriggerStatus::Lost);
    for (const TriggerRecord& r : record->triggers) {
        EXPECT_EQ(r.step == 1 || r.pair.triggerBody != gone, true);
    }
}

TEST_F(PhysicsContextTest, BodiesAddedInABatchTakePartOnlyOnceItEnds) {
    PhysicsContext& context = PhysicsContext::instance();
    context.beginBatch();
    context.beginBatch();
    // A track of triggers along the ship's line, and one that leaves before
    // the batch ends.
    std::vector<std::unique_ptr<RigidBody>> track;
    for (int i = 0; i < 200; ++i) {
        track.push_back(makeTrigger(boxHull({1, 1, 0.5f}), {0, 0, 4.0f * float(i)}));
    }
    auto gone = makeTrigger(boxHull({1, 1, 1}), {0, 0, 0});
    auto ship = makeShip({0, 0, 0});
    ship->setLinearVelocity(glm::vec3(0.0f));
    gone.reset();
    EXPECT_EQ(context.bodyCount(), 201u);
    steps(1);
    EXPECT_TRUE(record->triggers.empty());
    context.endBatch(); // the inner one: still waiting
    steps(1);
    EXPECT_TRUE(record->triggers.empty());
    context.endBatch();
    steps(1);
    ASSERT_EQ(record->triggers.size(), 1u);
    EXPECT_EQ(record->triggers[0].pair.triggerBody, track[0].get());
    // The far end of the track is met where it was placed.
    ship->setGlobalPose({0, 0, 4.0f * 199}, glm::quat(1, 0, 0, 0));
    steps(1);
    ASSERT_EQ(record->triggers.size(), 3u);
    EXPECT_EQ(record->triggers[2].pair.triggerBody, track[199].get());
    EXPECT_EQ(record->triggers[2].pair.status, TriggerStatus::Found);
}

TEST_F(PhysicsContextTest, AMovedStaticBodyIsMetAtItsNewPlace) {
    auto trash = makeTrigger(boxHull({1, 1, 1}), {0, 50, 0});
    auto ship = makeShip({0, 0, 0});
    ship->setLinearVelocity(glm::vec3(0.0f));
    steps(2);
    EXPECT_TRUE(record->triggers.empty());
    trash->setGlobalPose({0, 0, 0.5f}, glm::quat(1, 0, 0, 0));
    EXPECT_EQ(trash->position(), glm::vec3(0, 0, 0.5f));
    steps(1);
    ASSERT_EQ(record->triggers.size(), 1u);
    EXPECT_EQ(record->triggers[0].step, 3u);
}

TEST_F(PhysicsContextTest, ScaledMeshesAndHullsAreMetAtTheirScaledSize) {
    auto unitMesh = boxSurface({0.5f, 0.5f, 0.5f});
    auto unitHull = boxHull({0.5f, 0.5f, 0.5f});
    for (bool trigger : {false, true}) {
        SCOPED_TRACE(trigger ? "hull" : "mesh");
        auto make = [&](const glm::vec3& position, const glm::vec3& scale) {
            return trigger ? makeTrigger(unitHull, position, scale)
                           : makeObstacle(unitMesh, position, scale);
        };
        auto reports = [&] { return trigger ? record->triggers.size() : record->contacts.size(); };
        auto firstStep = [&] {
            return trigger ? record->triggers.at(0).step : record->contacts.at(0).step;
        };
        {
            // Stretched to 4 long, the near face is at z = 8, 7 ahead of the nose.
            auto body = make({0, 0, 10}, {1, 1, 4});
            EXPECT_EQ(body->shapeScale(0), glm::vec3(1, 1, 4));
            auto ship = makeShip({0, 0, 0});
            record->base = PhysicsContext::instance().stepCount();
            steps(35);
            ASSERT_GE(reports(), 1u);
            EXPECT_EQ(firstStep(), firstTouchStep(7.0f));
        }
        record->contacts.clear();
        record->triggers.clear();
        {
            // A ship passing 1.6 to the side (its flank at x = 1.1) meets the
            // body only when it is widened to x = ±2.
            auto narrow = make({0, 0, 10}, {1, 1, 1});
            auto ship = makeShip({1.6f, 0, 0});
            steps(60);
            EXPECT_EQ(reports(), 0u);
        }
        {
            auto wide = make({0, 0, 10}, {4, 1, 1});
            auto ship = makeShip({1.6f, 0, 0});
            steps(60);
            EXPECT_GE(reports(), 1u);
        }
        record->contacts.clear();
        record->triggers.clear();
    }
}

TEST_F(PhysicsContextTest, ObstaclesOfOneModelShareTheCookedMeshButNotTheirShapes) {
    auto mesh = boxSurface({1, 1, 1});
    auto small = makeObstacle(mesh, {0, 0, 0});
    auto big = makeObstacle(mesh, {10, 0, 0}, {2, 2, 2});
    EXPECT_EQ(small->shapeMesh(0), mesh.get());
    EXPECT_EQ(big->shapeMesh(0), mesh.get());
    EXPECT_EQ(small->shapeScale(0), glm::vec3(1, 1, 1));
    EXPECT_EQ(big->shapeScale(0), glm::vec3(2, 2, 2));
}

TEST_F(PhysicsContextTest, ReplacingTheCallbackHandsBackThePreviousOne) {
    auto other = std::make_unique<RecordingCallback>();
    RecordingCallback* otherPtr = other.get();
    auto mine = PhysicsContext::instance().setCallback(std::move(other));
    EXPECT_EQ(mine.get(), record);
    EXPECT_EQ(&PhysicsContext::instance().callback(), otherPtr);
    auto back = PhysicsContext::instance().setCallback(nullptr);
    EXPECT_EQ(back.get(), otherPtr);
    // A null callback is replaced by one that ignores everything.
    auto trash = makeTrigger(boxHull({1, 1, 1}), {0, 0, 0});
    auto ship = makeShip({0, 0, 0});
    steps(2);
    EXPECT_TRUE(otherPtr->triggers.empty());
    PhysicsContext::instance().setCallback(std::move(mine));
    EXPECT_TRUE(record->triggers.empty());
}

} // namespace
