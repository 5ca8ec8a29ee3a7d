#pragma once

// Shared helpers for the tests that run real bodies in the process-wide
// physics world: box geometry, the game's kinds of body, and a callback that
// records what each step reports.

#include "core/LoopScheduler.h"
#include "physics/CollisionCallback.h"
#include "physics/CollisionGroup.h"
#include "physics/CookedMesh.h"
#include "physics/PhysicsContext.h"
#include "physics/RigidBody.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace physics_test {

// Distance a body at the game's flying speed covers in one step.
inline const float SHIP_SPEED = 35.0f;
inline const float STEP_DISTANCE = SHIP_SPEED * PHYSICS_STEP;
// Rounding of dynamic shapes: touches are reported from this gap on.
inline const float MARGIN = 0.04f;

inline std::vector<glm::vec3> boxCorners(const glm::vec3& half, const glm::vec3& centre = {}) {
    std::vector<glm::vec3> points;
    for (int i = 0; i < 8; ++i) {
        points.push_back(centre + glm::vec3((i & 1) ? half.x : -half.x, (i & 2) ? half.y : -half.y,
                                            (i & 4) ? half.z : -half.z));
    }
    return points;
}

// A closed box surface of 12 triangles, wound outwards.
inline std::shared_ptr<const TriangleMesh> boxSurface(const glm::vec3& half) {
    const std::vector<uint32_t> indices = {
        0, 2, 1, 1, 2, 3, // -z
        4, 5, 6, 5, 7, 6, // +z
        0, 1, 4, 1, 5, 4, // -y
        2, 6, 3, 3, 6, 7, // +y
        0, 4, 2, 2, 4, 6, // -x
        1, 3, 5, 3, 7, 5, // +x
    };
    return TriangleMesh::cook(boxCorners(half), indices);
}

inline std::shared_ptr<const ConvexMesh> boxHull(const glm::vec3& half,
                                                 const glm::vec3& centre = {}) {
    return ConvexMesh::cook(boxCorners(half, centre));
}

// The ship's main hull: 1 wide, 0.5 high, 2 long, centred on the body.
inline const glm::vec3 HULL_HALF{0.5f, 0.25f, 1.0f};

// A ship as the game builds it: dynamic, angular damping 2, filter (1, 14),
// one or two hulls (the second a fin above the rear).
inline std::unique_ptr<RigidBody> makeShip(const glm::vec3& position, bool withFin = false,
                                           FilterData filter = {ShipGroup, 14}) {
    auto ship = RigidBody::createDynamic(position, glm::quat(1, 0, 0, 0));
    ship->attachConvex(boxHull(HULL_HALF));
    if (withFin) {
        ship->attachConvex(boxHull({0.1f, 0.3f, 0.3f}, {0.0f, 0.5f, -0.6f}));
    }
    ship->setAngularDamping(2.0f);
    ship->setFilter(filter);
    PhysicsContext::instance().addBody(*ship);
    ship->setLinearVelocity({0.0f, 0.0f, SHIP_SPEED});
    return ship;
}

inline std::unique_ptr<RigidBody> makeObstacle(std::shared_ptr<const TriangleMesh> mesh,
                                               const glm::vec3& position,
                                               const glm::vec3& scale = glm::vec3(1.0f)) {
    auto body = RigidBody::createStatic(position, glm::quat(1, 0, 0, 0));
    body->attachTriangleMesh(std::move(mesh), scale);
    body->setFilter({ObstacleGroup, ShipGroup});
    PhysicsContext::instance().addBody(*body);
    return body;
}

inline std::unique_ptr<RigidBody> makeTrigger(std::shared_ptr<const ConvexMesh> hull,
                                              const glm::vec3& position,
                                              const glm::vec3& scale = glm::vec3(1.0f),
                                              uint32_t group = TrashGroup) {
    auto body = RigidBody::createStatic(position, glm::quat(1, 0, 0, 0));
    body->attachConvex(std::move(hull), scale);
    body->setTrigger(true);
    body->setFilter({group, ShipGroup});
    PhysicsContext::instance().addBody(*body);
    return body;
}

struct ContactRecord {
    uint64_t step;
    ContactPair pair;
};

struct TriggerRecord {
    uint64_t step;
    TriggerPair pair;
};

class RecordingCallback : public CollisionCallback {
public:
    void onContact(const ContactPairHeader& header, const ContactPair* pairs,
                   uint32_t count) override {
        EXPECT_GT(count, 0u);
        for (uint32_t i = 0; i < count; ++i) {
            EXPECT_EQ(pairs[i].bodies[0], header.bodies[0]);
            EXPECT_EQ(pairs[i].bodies[1], header.bodies[1]);
            contacts.push_back({step(), pairs[i]});
        }
    }
    void onTrigger(const TriggerPair* pairs, uint32_t count) override {
        EXPECT_GT(count, 0u);
        for (uint32_t i = 0; i < count; ++i) {
            triggers.push_back({step(), pairs[i]});
        }
    }

    // Steps counted from the installation of the recorder: the first step
    // after it is step 1.
    uint64_t step() const { return PhysicsContext::instance().stepCount() - base; }

    uint64_t base = PhysicsContext::instance().stepCount();
    std::vector<ContactRecord> contacts;
    std::vector<TriggerRecord> triggers;
};

// Installs a recorder for the life of a test and puts the previous callback
// back afterwards; also checks that the test left the world empty.
class PhysicsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(PhysicsContext::instance().bodyCount(), 0u) << "an earlier test leaked bodies";
        auto recorder = std::make_unique<RecordingCallback>();
        record = recorder.get();
        previous = PhysicsContext::instance().setCallback(std::move(recorder));
    }
    void TearDown() override { PhysicsContext::instance().setCallback(std::move(previous)); }

    static void steps(int count) {
        for (int i = 0; i < count; ++i) {
            PhysicsContext::instance().simulateStep();
        }
    }

    RecordingCallback* record = nullptr;
    std::unique_ptr<CollisionCallback> previous;
};

} // namespace physics_test
