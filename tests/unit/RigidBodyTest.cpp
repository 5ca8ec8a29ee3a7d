#include "PhysicsFixtures.h"

#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>

#include <cmath>

using namespace physics_test;

namespace {

const float DT = PHYSICS_STEP;

// A ship-like body standing still, so that only its rotation changes.
std::unique_ptr<RigidBody> makeTurningBody() {
    auto ship = makeShip({0, 0, 0});
    ship->setLinearVelocity(glm::vec3(0.0f));
    return ship;
}

using RigidBodyTest = PhysicsTest;

TEST_F(RigidBodyTest, DampingTakesOneAndAHalfPercentPerStep) {
    auto ship = makeTurningBody();
    ship->setAngularVelocity({0, 1, 0});
    steps(1);
    EXPECT_NEAR(ship->angularVelocity().y, 0.98611111f, 1e-6f);
    // A new body has the light default damping.
    auto plain = RigidBody::createDynamic({5, 0, 0}, glm::quat(1, 0, 0, 0));
    EXPECT_FLOAT_EQ(plain->angularDamping(), 0.05f);
}

TEST_F(RigidBodyTest, TorqueAndDampingFollowTheIntegrationRuleStepByStep) {
    auto ship = makeTurningBody();
    const glm::dvec3 torque(0.5, 2.0, -1.0);
    glm::dvec3 expected(0.0);
    const double keep = 1.0 - 2.0 * double(DT);
    for (int i = 0; i < 400; ++i) {
        // Torque for the first 250 steps, then free spinning down.
        if (i < 250) {
            ship->addTorque(glm::vec3(torque));
            expected += torque * double(DT);
        }
        expected *= keep;
        steps(1);
    }
    const glm::vec3 omega = ship->angularVelocity();
    EXPECT_NEAR(omega.x, expected.x, 1e-4);
    EXPECT_NEAR(omega.y, expected.y, 1e-4);
    EXPECT_NEAR(omega.z, expected.z, 1e-4);
    EXPECT_GT(std::abs(expected.y), 0.1);
}

TEST_F(RigidBodyTest, AngularSpeedIsLimitedToSevenRadiansPerSecond) {
    auto ship = makeTurningBody();
    for (int i = 0; i < 20; ++i) {
        ship->addTorque({3000, 4000, 0});
        steps(1);
    }
    const glm::vec3 omega = ship->angularVelocity();
    EXPECT_NEAR(glm::length(omega), RigidBody::MAX_ANGULAR_VELOCITY, 1e-4f);
    // The limit keeps the direction.
    EXPECT_NEAR(omega.x / omega.y, 0.75f, 1e-4f);
}

TEST_F(RigidBodyTest, AHeldTurnKeySettlesAtTheBalanceOfTorqueAndDamping) {
    auto ship = makeTurningBody();
    for (int i = 0; i < 3000; ++i) {
        ship->addTorque({0, 300.0f * DT, 0});
        steps(1);
    }
    // Gain per step 300·dt², loss c·dt of the rest: ω = 300·dt²·(1 − c·dt) / (c·dt).
    const double dt = double(DT);
    const double balance = 300.0 * dt * dt * (1.0 - 2.0 * dt) / (2.0 * dt);
    EXPECT_NEAR(balance, 1.03, 0.005);
    EXPECT_NEAR(ship->angularVelocity().y, balance, 1e-3);
    EXPECT_NEAR(ship->angularVelocity().x, 0.0f, 1e-6f);
}

TEST_F(RigidBodyTest, TheAngularVelocityTurnsThePose) {
    auto ship = makeTurningBody();
    ship->setAngularDamping(0.0f);
    ship->setAngularVelocity({0, 1, 0});
    steps(144);
    // One radian about +y after a second.
    const glm::quat expected = glm::angleAxis(144 * DT, glm::vec3(0, 1, 0));
    EXPECT_NEAR(std::abs(glm::dot(ship->rotation(), expected)), 1.0f, 1e-5f);
    EXPECT_NEAR(ship->angularVelocity().y, 1.0f, 1e-6f);
    // Flying forward along its turned nose is the game's business; the body
    // goes where its velocity says.
    ship->setLinearVelocity({1, 0, 0});
    steps(144);
    EXPECT_NEAR(ship->position().x, 144 * DT, 1e-4f);
}

TEST_F(RigidBodyTest, PoseReadsBackWhatWasSet) {
    const glm::quat turn = glm::angleAxis(0.7f, glm::normalize(glm::vec3(1, 2, 3)));
    auto body = RigidBody::createStatic({1, 2, 3}, turn);
    EXPECT_EQ(body->position(), glm::vec3(1, 2, 3));
    EXPECT_NEAR(std::abs(glm::dot(body->rotation(), turn)), 1.0f, 1e-6f);
    body->setGlobalPose({-4, 5, 6}, glm::quat(0, 0, 1, 0));
    EXPECT_EQ(body->position(), glm::vec3(-4, 5, 6));
    EXPECT_NEAR(std::abs(glm::dot(body->rotation(), glm::quat(0, 0, 1, 0))), 1.0f, 1e-6f);
}

TEST_F(RigidBodyTest, ShapesAreRefusedWhereTheyCannotWork) {
    auto rock = RigidBody::createStatic({0, 0, 0}, glm::quat(1, 0, 0, 0));
    EXPECT_TRUE(rock->attachTriangleMesh(boxSurface({1, 1, 1}), {1, 1, 1}));
    EXPECT_FALSE(rock->attachConvex(boxHull({1, 1, 1})));
    EXPECT_FALSE(rock->attachTriangleMesh(boxSurface({1, 1, 1}), {1, 1, 1}));
    EXPECT_EQ(rock->shapeCount(), 1u);
    auto ship = RigidBody::createDynamic({0, 0, 0}, glm::quat(1, 0, 0, 0));
    EXPECT_FALSE(ship->attachTriangleMesh(boxSurface({1, 1, 1}), {1, 1, 1}));
    EXPECT_FALSE(ship->attachConvex(nullptr));
    EXPECT_EQ(ship->shapeCount(), 0u);
    EXPECT_EQ(ship->shapeMesh(0), nullptr);
}

TEST_F(RigidBodyTest, BodiesWithoutShapesTakeNoPartButStayUntilReleased) {
    auto trash = makeTrigger(boxHull({1, 1, 1}), {0, 0, 0});
    auto ship = makeShip({0, 0, 0});
    ship->setLinearVelocity(glm::vec3(0.0f));
    steps(1);
    ASSERT_EQ(record->triggers.size(), 1u);
    trash->detachShapes();
    EXPECT_EQ(trash->shapeCount(), 0u);
    EXPECT_TRUE(trash->inWorld());
    steps(3);
    // Detached while overlapping: no lost report names it.
    EXPECT_EQ(record->triggers.size(), 1u);
    trash->release();
    EXPECT_FALSE(trash->inWorld());
    EXPECT_EQ(PhysicsContext::instance().bodyCount(), 1u);
    trash->release();
    EXPECT_EQ(PhysicsContext::instance().bodyCount(), 1u);
}

TEST_F(RigidBodyTest, FilterAndTriggerChangesInTheWorldTakeEffect) {
    auto box = RigidBody::createStatic({0, 0, 0}, glm::quat(1, 0, 0, 0));
    box->attachConvex(boxHull({1, 1, 1}));
    box->setFilter({ObstacleGroup, 0});
    PhysicsContext::instance().addBody(*box);
    auto ship = makeShip({0, 0, 0});
    ship->setLinearVelocity(glm::vec3(0.0f));
    steps(2);
    EXPECT_TRUE(record->contacts.empty());
    box->setFilter({ObstacleGroup, ShipGroup});
    EXPECT_EQ(box->filter(), (FilterData{ObstacleGroup, ShipGroup}));
    steps(1);
    ASSERT_EQ(record->contacts.size(), 1u);
    box->setTrigger(true);
    steps(1);
    ASSERT_EQ(record->triggers.size(), 1u);
    EXPECT_EQ(record->triggers[0].pair.triggerBody, box.get());
}

TEST(CookedMesh, AHullNeedsFourPointsThatSpanAVolume) {
    EXPECT_EQ(ConvexMesh::cook({}), nullptr);
    EXPECT_EQ(ConvexMesh::cook({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}), nullptr);
    EXPECT_EQ(ConvexMesh::cook({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 3, 0}}), nullptr);
    EXPECT_EQ(ConvexMesh::cook({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}), nullptr);
    EXPECT_EQ(ConvexMesh::cook({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, NAN}}), nullptr);
    auto tetra = ConvexMesh::cook({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
    ASSERT_NE(tetra, nullptr);
    EXPECT_EQ(tetra->vertices().size(), 4u);
}

TEST(CookedMesh, AHullKeepsOnlyTheCornersOfThePointCloud) {
    auto points = boxCorners({1, 2, 3});
    points.push_back({0, 0, 0});
    points.push_back({0.5f, -1, 2});
    points.push_back({1, 0, 0}); // on a face
    auto hull = ConvexMesh::cook(points);
    ASSERT_NE(hull, nullptr);
    ASSERT_EQ(hull->vertices().size(), 8u);
    for (const glm::vec3& v : hull->vertices()) {
        EXPECT_EQ(glm::abs(v), glm::vec3(1, 2, 3));
    }
}

TEST(CookedMesh, ATriangleMeshRejectsBrokenIndexLists) {
    const auto corners = boxCorners({1, 1, 1});
    EXPECT_EQ(TriangleMesh::cook(corners, {}), nullptr);
    EXPECT_EQ(TriangleMesh::cook(corners, {0, 1}), nullptr);
    EXPECT_EQ(TriangleMesh::cook(corners, {0, 1, 8}), nullptr);
    EXPECT_EQ(TriangleMesh::cook({}, {0, 0, 0}), nullptr);
    auto one = TriangleMesh::cook(corners, {0, 1, 2});
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->triangleCount(), 1u);
    EXPECT_EQ(one->vertexCount(), 8u);
}

} // namespace
