#include "world/GameObject.h"
#include "PhysicsFixtures.h"

#include <glm/gtc/quaternion.hpp>

#include <list>

using namespace physics_test;

namespace {

glm::vec3 apply(const glm::mat4& m, const glm::vec3& p) {
    return glm::vec3(m * glm::vec4(p, 1));
}

void expectNear(const glm::vec3& actual, const glm::vec3& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

GameObject bare(const glm::vec3& position, const glm::quat& rotation, const glm::vec3& scale) {
    return GameObject(position, rotation, scale, "box.obj", ObjectKind::Obstacle, nullptr);
}

TEST(SceneObject, ModelMatrixIsTranslationTimesRotation) {
    const glm::quat q = glm::normalize(glm::quat(0.8f, 0.1f, -0.3f, 0.5f));
    SceneObject object({1, 2, 3}, q);
    const glm::mat4 m = object.getModelMatrix();
    // Column 0 of the rotation from the quaternion's parts.
    EXPECT_NEAR(m[0][0], 1 - 2 * (q.y * q.y + q.z * q.z), 1e-6f);
    EXPECT_NEAR(m[0][1], 2 * (q.x * q.y + q.w * q.z), 1e-6f);
    EXPECT_NEAR(m[0][2], 2 * (q.x * q.z - q.w * q.y), 1e-6f);
    EXPECT_EQ(m[3], glm::vec4(1, 2, 3, 1));
    expectNear(apply(m, {0, 0, 1}), glm::vec3(1, 2, 3) + q * glm::vec3(0, 0, 1));
    EXPECT_EQ(object.getPosition(), glm::vec3(1, 2, 3));
    EXPECT_EQ(object.getRotation(), q);
}

TEST(GameObject, ScaleAppliesFirstAndTranslationLast) {
    expectNear(apply(bare({0, 0, 0}, {1, 0, 0, 0}, {2, 1, 1}).getModelMatrix(), {1, 1, 1}),
               {2, 1, 1});
    expectNear(apply(bare({5, 0, 0}, {1, 0, 0, 0}, {2, 1, 1}).getModelMatrix(), {1, 1, 1}),
               {7, 1, 1});
    // Scaled along x, then turned a quarter about z onto y, then moved.
    const glm::quat quarter = glm::angleAxis(glm::radians(90.0f), glm::vec3(0, 0, 1));
    expectNear(apply(bare({5, 0, 0}, quarter, {2, 1, 1}).getModelMatrix(), {1, 0, 0}), {5, 2, 0});
}

TEST(GameObject, HalfTurnAboutYFlipsXAndZ) {
    const GameObject object = bare({0, 0, 0}, glm::quat(0, 0, 1, 0), {1, 1, 1});
    expectNear(apply(object.getModelMatrix(), {1, 0, 0}), {-1, 0, 0});
    expectNear(apply(object.getModelMatrix(), {0, 0, 1}), {0, 0, -1});
}

using GameObjectTest = PhysicsTest;

TEST_F(GameObjectTest, MovingHandsTheBodyOverAndPointsItAtTheNewObject) {
    int modelStandIn = 0;
    std::list<GameObject> objects;
    RigidBody* body = nullptr;
    {
        GameObject made({0, 0, 0}, {1, 0, 0, 0}, {2, 2, 2}, "tcan.obj", ObjectKind::Trash,
                        makeTrigger(boxHull({1, 1, 1}), {0, 0, 0}));
        body = made.actor.get();
        EXPECT_EQ(body->userData(), &made);
        made.model = reinterpret_cast<Model*>(&modelStandIn);
        objects.push_back(std::move(made));
        EXPECT_EQ(made.actor, nullptr);
        // The moved-from object dies here and must leave the body alone.
    }
    GameObject& kept = objects.back();
    EXPECT_EQ(kept.actor.get(), body);
    EXPECT_EQ(body->userData(), &kept);
    EXPECT_EQ(kept.model, nullptr);
    EXPECT_EQ(kept.name, "tcan.obj");
    EXPECT_EQ(kept.kind, ObjectKind::Trash);
    EXPECT_EQ(kept.scale, glm::vec3(2, 2, 2));
    EXPECT_TRUE(body->inWorld());
    EXPECT_EQ(body->shapeCount(), 1u);

    // The world reaches the object through the body a report names.
    auto ship = makeShip({0, 0, 0});
    ship->setLinearVelocity(glm::vec3(0.0f));
    steps(1);
    ASSERT_EQ(record->triggers.size(), 1u);
    EXPECT_EQ(record->triggers[0].pair.triggerBody->userData(), &kept);
    EXPECT_EQ(record->triggers[0].pair.otherBody->userData(), nullptr);
}

TEST_F(GameObjectTest, DestroyingAnObjectTakesItsBodyOutOfTheWorld) {
    std::list<GameObject> objects;
    objects.emplace_back(glm::vec3(0, 0, 0), glm::quat(1, 0, 0, 0), glm::vec3(1), "tcan.obj",
                         ObjectKind::Trash, makeTrigger(boxHull({1, 1, 1}), {0, 0, 0}));
    objects.emplace_back(glm::vec3(0, 0, 5), glm::quat(1, 0, 0, 0), glm::vec3(1), "roid.obj",
                         ObjectKind::Obstacle, makeObstacle(boxSurface({1, 1, 1}), {0, 0, 5}));
    auto ship = makeShip({0, 0, 0});
    ship->setLinearVelocity(glm::vec3(0.0f));
    steps(1);
    ASSERT_EQ(record->triggers.size(), 1u);
    EXPECT_EQ(PhysicsContext::instance().bodyCount(), 3u);
    // Collected while the ship is still inside: gone without a lost report.
    objects.pop_front();
    EXPECT_EQ(PhysicsContext::instance().bodyCount(), 2u);
    steps(3);
    EXPECT_EQ(record->triggers.size(), 1u);
    // The obstacle ahead still counts.
    ship->setLinearVelocity({0, 0, SHIP_SPEED});
    steps(20);
    EXPECT_EQ(record->contacts.size(), 1u);
    objects.clear();
    EXPECT_EQ(PhysicsContext::instance().bodyCount(), 1u);
}

TEST_F(GameObjectTest, AnObjectWhoseBodyHasNoShapesIsDestroyedCleanly) {
    {
        auto body = RigidBody::createStatic({0, 0, 0}, glm::quat(1, 0, 0, 0));
        PhysicsContext::instance().addBody(*body);
        GameObject empty({0, 0, 0}, {1, 0, 0, 0}, {1, 1, 1}, "ring.obj", ObjectKind::Ring,
                         std::move(body));
        EXPECT_EQ(empty.actor->shapeCount(), 0u);
        EXPECT_EQ(PhysicsContext::instance().bodyCount(), 1u);
        steps(1);
    }
    EXPECT_EQ(PhysicsContext::instance().bodyCount(), 0u);
}

} // namespace
