// Cost of one fixed physics step in a world shaped like a level: 60 static
// asteroids of 1,280 triangles each (one shared cooked surface, scaled per
// rock), 20 trigger hulls standing for trash cans and rings, and a two-hull
// ship flying through them at the game's speed.

#include "core/LoopScheduler.h"
#include "physics/CollisionGroup.h"
#include "physics/CookedMesh.h"
#include "physics/PhysicsContext.h"
#include "physics/RigidBody.h"

#include <benchmark/benchmark.h>
#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>

#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace {

constexpr float SHIP_SPEED = 35.0f;
constexpr float TRACK_LENGTH = 600.0f;

// A lumpy sphere: an icosahedron split three times (1,280 triangles) with
// its radius jittered per vertex.
std::pair<std::vector<glm::vec3>, std::vector<uint32_t>> asteroidSurface(std::mt19937& rng) {
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    std::vector<glm::vec3> v = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (auto& p : v) {
        p = glm::normalize(p);
    }
    std::vector<uint32_t> f = {0, 11, 5,  0, 5,  1, 0, 1, 7, 0, 7,  10, 0, 10, 11, 1, 5, 9, 5, 11,
                               4, 11, 10, 2, 10, 7, 6, 7, 1, 8, 3,  9,  4, 3,  4,  2, 3, 2, 6, 3,
                               6, 8,  3,  8, 9,  4, 9, 5, 2, 4, 11, 6,  2, 10, 8,  6, 7, 9, 8, 1};
    for (int level = 0; level < 3; ++level) {
        std::map<std::pair<uint32_t, uint32_t>, uint32_t> midpoints;
        auto mid = [&](uint32_t a, uint32_t b) {
            auto key = std::minmax(a, b);
            auto [it, added] = midpoints.try_emplace(key, uint32_t(v.size()));
            if (added) {
                v.push_back(glm::normalize(v[a] + v[b]));
            }
            return it->second;
        };
        std::vector<uint32_t> finer;
        for (size_t i = 0; i < f.size(); i += 3) {
            const uint32_t a = f[i], b = f[i + 1], c = f[i + 2];
            const uint32_t ab = mid(a, b), bc = mid(b, c), ca = mid(c, a);
            finer.insert(finer.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        f = std::move(finer);
    }
    std::uniform_real_distribution<float> lump(0.85f, 1.15f);
    for (auto& p : v) {
        p *= lump(rng);
    }
    return {v, f};
}

std::vector<glm::vec3> boxCorners(const glm::vec3& half, const glm::vec3& centre) {
    std::vector<glm::vec3> points;
    for (int i = 0; i < 8; ++i) {
        points.push_back(centre + glm::vec3((i & 1) ? half.x : -half.x, (i & 2) ? half.y : -half.y,
                                            (i & 4) ? half.z : -half.z));
    }
    return points;
}

// A flat disc of points, the hull a ring's trigger volume would have.
std::vector<glm::vec3> discPoints() {
    std::vector<glm::vec3> points;
    for (int i = 0; i < 32; ++i) {
        const float a = 6.2831853f * float(i) / 32.0f;
        points.push_back({std::cos(a), std::sin(a), -0.1f});
        points.push_back({std::cos(a), std::sin(a), 0.1f});
    }
    return points;
}

struct Level {
    std::vector<std::unique_ptr<RigidBody>> bodies;
    std::unique_ptr<RigidBody> ship;

    Level() {
        std::mt19937 rng(19);
        auto [positions, indices] = asteroidSurface(rng);
        auto rock = TriangleMesh::cook(positions, indices);
        auto disc = ConvexMesh::cook(discPoints());
        auto can = ConvexMesh::cook(boxCorners({0.5f, 0.5f, 0.8f}, {}));
        std::uniform_real_distribution<float> across(-25.0f, 25.0f);
        std::uniform_real_distribution<float> along(20.0f, TRACK_LENGTH - 20.0f);
        std::uniform_real_distribution<float> size(2.0f, 8.0f);
        std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
        for (int i = 0; i < 60; ++i) {
            // Every fifth rock sits on the flight line, so the ship passes
            // through some of them.
            const glm::vec3 at = i % 5 == 0 ? glm::vec3(0, 0, along(rng))
                                            : glm::vec3(across(rng), across(rng), along(rng));
            const glm::quat turn =
                glm::normalize(glm::quat(1.0f + unit(rng), unit(rng), unit(rng), unit(rng)));
            auto body = RigidBody::createStatic(at, turn);
            const float s = size(rng);
            body->attachTriangleMesh(rock, {s, s * 0.8f, s * 1.2f});
            body->setFilter({ObstacleGroup, ShipGroup});
            PhysicsContext::instance().addBody(*body);
            bodies.push_back(std::move(body));
        }
        for (int i = 0; i < 20; ++i) {
            const bool ring = i % 2 == 0;
            const glm::vec3 at =
                ring ? glm::vec3(0, 0, 30.0f * float(i + 1))
                     : glm::vec3(across(rng) * 0.1f, across(rng) * 0.1f, along(rng));
            auto body = RigidBody::createStatic(at, glm::quat(1, 0, 0, 0));
            body->attachConvex(ring ? disc : can, ring ? glm::vec3(6, 6, 1) : glm::vec3(1));
            body->setTrigger(true);
            body->setFilter({ring ? uint32_t(RingGroup) : uint32_t(TrashGroup), ShipGroup});
            PhysicsContext::instance().addBody(*body);
            bodies.push_back(std::move(body));
        }
        ship = RigidBody::createDynamic({0, 0, 0}, glm::quat(1, 0, 0, 0));
        ship->attachConvex(ConvexMesh::cook(boxCorners({0.5f, 0.25f, 1.0f}, {})));
        ship->attachConvex(ConvexMesh::cook(boxCorners({1.5f, 0.05f, 0.3f}, {0, 0, -0.5f})));
        ship->setAngularDamping(2.0f);
        ship->setFilter({ShipGroup, 14});
        PhysicsContext::instance().addBody(*ship);
    }
};

// Counts reports the way the game's rules would look at them.
class CountingCallback : public CollisionCallback {
public:
    void onContact(const ContactPairHeader&, const ContactPair* pairs, uint32_t count) override {
        for (uint32_t i = 0; i < count; ++i) {
            contacts += pairs[i].touchFound() ? 1 : 0;
        }
    }
    void onTrigger(const TriggerPair*, uint32_t count) override { triggers += count; }

    int64_t contacts = 0;
    int64_t triggers = 0;
};

void BM_SimulateStep(benchmark::State& state) {
    Level level;
    auto counter = std::make_unique<CountingCallback>();
    CountingCallback* counts = counter.get();
    auto previous = PhysicsContext::instance().setCallback(std::move(counter));
    const float dt = PHYSICS_STEP;
    for (auto _ : state) {
        // What the game's fixed step does before simulating: a held turn key
        // and the forward velocity along the nose.
        level.ship->addTorque({0.0f, 0.0f, 300.0f * dt});
        level.ship->setLinearVelocity(level.ship->rotation() * glm::vec3(0, 0, SHIP_SPEED));
        PhysicsContext::instance().simulateStep();
        if (level.ship->position().z > TRACK_LENGTH) {
            level.ship->setGlobalPose({0, 0, 0}, level.ship->rotation());
        }
    }
    state.counters["steps_per_second"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["contacts"] = double(counts->contacts);
    state.counters["triggers"] = double(counts->triggers);
    PhysicsContext::instance().setCallback(std::move(previous));
}
BENCHMARK(BM_SimulateStep)->Unit(benchmark::kMicrosecond);

void BM_BuildLevelBodies(benchmark::State& state) {
    for (auto _ : state) {
        Level level;
        benchmark::DoNotOptimize(level.bodies.data());
    }
}
BENCHMARK(BM_BuildLevelBodies)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
