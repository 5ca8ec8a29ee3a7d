#include "game/TestPilot.h"

#include "core/LoopScheduler.h"
#include "game/GameRules.h"
#include "game/GameState.h"
#include "game/Input.h"
#include "game/Run.h"
#include "game/TrackGeometry.h"
#include "physics/PhysicsContext.h"
#include "physics/RigidBody.h"
#include "world/World.h"

#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <optional>

namespace {

constexpr float KEY = 300.0f;
// The game reads the keys once per pass; at 60 frames a second a pass holds
// about two steps, and only the first step carries the torque.
constexpr uint64_t STEPS_PER_PASS = 2;
// How far the pilot keeps the ship's centre from an asteroid's bounding sphere
// when it steers around it.
constexpr float DETOUR_MARGIN = 3.0f;
// How far past a ring's plane the ship may be before the ring counts as
// missed (the trigger reports within a step of the ship entering it).
constexpr float PAST_PLANE = 3.0f;

float key(float error) {
    constexpr float DEAD_BAND = 0.02f;
    return error > DEAD_BAND ? KEY : error < -DEAD_BAND ? -KEY : 0.0f;
}

std::string oneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// The game's rules, noting the first obstacle the ship touches.
class PilotRules : public GameRules {
public:
    using GameRules::GameRules;

    void onContact(const ContactPairHeader& header, const ContactPair* pairs,
                   uint32_t count) override {
        for (uint32_t i = 0; i < count && !hit; ++i) {
            if (!pairs[i].touchFound()) {
                continue;
            }
            for (RigidBody* body : header.bodies) {
                const GameObject* object = body ? body->userData() : nullptr;
                if (object && object->kind != ObjectKind::Ship) {
                    hit = designerName(object->name);
                }
            }
        }
        GameRules::onContact(header, pairs, count);
    }

    std::optional<std::string> hit;
};

// Where to steer for `target`: the target itself, or a point beside the
// first asteroid whose bounding sphere the straight line would cut.
glm::vec3 aimPoint(const glm::vec3& from, const glm::vec3& target, const glm::vec3& up,
                   const std::vector<ObstacleSurface>& surfaces) {
    const glm::vec3 line = target - from;
    const float length = glm::length(line);
    if (length < 1e-3f) {
        return target;
    }
    const glm::vec3 direction = line / length;
    const ObstacleSurface* blocking = nullptr;
    float nearest = length;
    glm::vec3 offset(0.0f);
    for (const ObstacleSurface& surface : surfaces) {
        const float clear = surface.radius + DETOUR_MARGIN;
        // Inside a sphere there is no side to pass it on.
        if (glm::length(from - surface.centre) < clear ||
            glm::length(target - surface.centre) < clear) {
            continue;
        }
        const float along = glm::dot(surface.centre - from, direction);
        if (along <= 0.0f || along >= nearest) {
            continue;
        }
        const glm::vec3 beside = from + along * direction - surface.centre;
        if (glm::length(beside) < clear) {
            blocking = &surface;
            nearest = along;
            offset = beside;
        }
    }
    if (!blocking) {
        return target;
    }
    glm::vec3 side = offset;
    if (glm::length(side) < 1e-3f) {
        side = up - glm::dot(up, direction) * direction;
    }
    return blocking->centre + glm::normalize(side) * (blocking->radius + DETOUR_MARGIN);
}

GameObject* objectAt(World& world, int32_t position) {
    if (position < 0 || position >= int32_t(world.objects.size())) {
        return nullptr;
    }
    return &*std::next(world.objects.begin(), position);
}

// The ring to pass next, looked up in the list only when the position or the
// list changed (a long track would otherwise be walked on every step).
class NextRing {
public:
    GameObject* get(World& world) {
        if (world.currentRing != position_ || world.objects.size() != size_) {
            position_ = world.currentRing;
            size_ = world.objects.size();
            ring_ = objectAt(world, position_);
        }
        return ring_;
    }

private:
    int32_t position_ = -1;
    size_t size_ = 0;
    GameObject* ring_ = nullptr;
};

// Watches the current ring's plane: whether, and where, the ship crossed it.
struct RingWatch {
    GameObject* ring = nullptr;
    std::optional<RingOpening> opening;
    std::optional<float> side;
    std::optional<float> crossedAt; // distance from the centre in the plane

    void follow(GameObject* current) {
        if (current != ring) {
            *this = RingWatch{current, current ? ringOpening(*current) : std::nullopt, {}, {}};
        }
    }
    // True once the ship is well past the plane it crossed.
    bool missed(const glm::vec3& ship) {
        if (!opening) {
            return false;
        }
        const glm::vec3 offset = ship - opening->centre;
        const float now = glm::dot(offset, opening->normal);
        if (side && !crossedAt && (now > 0.0f) != (*side > 0.0f)) {
            const float across = glm::length(offset - now * opening->normal);
            // A plane crossed far from the ring is the pilot turning round,
            // not an attempt at the opening.
            if (across < std::max(4.0f * opening->radius, opening->radius + 30.0f)) {
                crossedAt = across;
            }
        }
        side = now;
        return crossedAt && std::abs(now) > PAST_PLANE;
    }
};

} // namespace

std::string PilotReport::line() const {
    switch (outcome) {
    case Outcome::Finished: {
        std::string text = "FINISHED " + std::to_string(ringsPassed) + "/" +
                           std::to_string(ringCount) + " rings in " + oneDecimal(seconds) + " s, " +
                           std::to_string(cansCollected) + "/" + std::to_string(canCount) +
                           " cans, closest approach ";
        if (std::isinf(closestApproach)) {
            return text + "none (no obstacles)";
        }
        return text + oneDecimal(closestApproach) + " m (" + closestObject + " at " +
               oneDecimal(closestAt) + " s)";
    }
    case Outcome::Missed:
        return "NOT FINISHED: missed " + object + " at " + oneDecimal(seconds) + " s (" +
               (missedBy > 0.0f ? "passed " + oneDecimal(missedBy) + " m outside its opening"
                                : std::string("passed its opening without touching its "
                                              "collision shape")) +
               ")";
    case Outcome::Hit:
        return "NOT FINISHED: hit " + object + " at " + oneDecimal(seconds) + " s";
    case Outcome::Unpassable:
        return "NOT FINISHED: " + object + " cannot be passed at " + oneDecimal(seconds) +
               " s (it has no collision shape)";
    case Outcome::OutOfTime:
        return "NOT FINISHED: " + object + " not reached in " + oneDecimal(seconds) + " s";
    case Outcome::NoRing:
        return "NOT FINISHED: the level has no ring to fly through";
    case Outcome::NoShip:
        return "NOT FINISHED: the level has no ship (no \"Camera\" node)";
    }
    return "NOT FINISHED";
}

ShipControl steerTowards(const GameObject& ship, const glm::vec3& target) {
    const glm::quat r = ship.getRotation();
    const glm::vec3 forward = r * glm::vec3(0, 0, 1);
    const glm::vec3 up = r * glm::vec3(0, 1, 0);
    const glm::vec3 left = r * glm::vec3(1, 0, 0);
    ShipControl control;
    control.ship = const_cast<GameObject*>(&ship);
    const glm::vec3 line = target - ship.getPosition();
    if (glm::length(line) < 1e-4f || !ship.actor) {
        return control;
    }
    const glm::vec3 toTarget = glm::normalize(line);
    const glm::vec3 w = ship.actor->angularVelocity();
    // Wanted turn rates (rad/s) from the angle still to turn.
    const float upError = std::atan2(glm::dot(toTarget, up), glm::dot(toTarget, forward));
    const float rightError = std::atan2(-glm::dot(toTarget, left), glm::dot(toTarget, forward));
    const float wantUp = glm::clamp(3.0f * upError, -1.0f, 1.0f);
    const float wantRight = glm::clamp(3.0f * rightError, -1.0f, 1.0f);
    // S (+300) turns the nose up, about the ship's -x; E (+300) turns it
    // right, about its -y; D (+300) rolls about its +z.
    control.pitch = key(wantUp - glm::dot(w, -left));
    control.yaw = key(wantRight - glm::dot(w, -up));
    control.roll = key(-glm::dot(w, forward));
    return control;
}

PilotReport flyTrack(World& world, const PilotOptions& options) {
    PilotReport report;
    GameObject* ship = nullptr;
    for (GameObject& object : world.objects) {
        if (object.kind == ObjectKind::Ship && !ship) {
            ship = &object;
        }
        report.ringCount += object.kind == ObjectKind::Ring;
    }
    report.canCount = world.remainingTrash + world.collectedTrash;
    if (!ship || !ship->actor) {
        report.outcome = PilotReport::Outcome::NoShip;
        return report;
    }
    if (world.currentRing < 0 || report.ringCount == 0) {
        report.outcome = PilotReport::Outcome::NoRing;
        return report;
    }

    GameState state = GameState::Running;
    GameState* const previousState = world.gameStatePtr;
    world.gameStatePtr = &state;
    auto ownRules = std::make_unique<PilotRules>(&world);
    PilotRules& rules = *ownRules;
    auto previousRules = PhysicsContext::instance().setCallback(std::move(ownRules));
    ShipControl control{ship, 0.0f, 0.0f, 0.0f};

    const std::vector<ObstacleSurface> surfaces = obstacleSurfaces(world);
    const uint64_t limit = uint64_t(options.timeLimit / double(PHYSICS_STEP));
    RingWatch watch;
    NextRing next;
    const int32_t ringsBefore = report.ringCount;
    auto ringsLeft = [&] { return int32_t(world.objects.size()) - world.currentRing; };
    uint64_t steps = 0;
    while (state == GameState::Running && steps < limit) {
        watch.follow(next.get(world));
        if (watch.ring && (!watch.ring->actor || watch.ring->actor->shapeCount() == 0)) {
            report.outcome = PilotReport::Outcome::Unpassable;
            report.object = designerName(watch.ring->name);
            break;
        }
        if (steps % STEPS_PER_PASS == 0 && watch.ring) {
            const glm::vec3 goal =
                watch.opening ? watch.opening->centre : watch.ring->getPosition();
            const glm::vec3 aim = aimPoint(ship->getPosition(), goal,
                                           ship->getRotation() * glm::vec3(0, 1, 0), surfaces);
            control = steerTowards(*ship, aim);
        }
        applyShipControl(control, PHYSICS_STEP);
        world.processRemovals();
        PhysicsContext::instance().simulateStep();
        world.syncFromPhysics();
        ++steps;

        const glm::vec3 position = ship->getPosition();
        for (const ObstacleSurface& surface : surfaces) {
            if (glm::length(position - surface.centre) - surface.radius >= report.closestApproach) {
                continue;
            }
            const float distance = surface.distanceTo(position);
            if (distance < report.closestApproach) {
                report.closestApproach = distance;
                report.closestObject = designerName(surface.object->name);
                report.closestAt = double(steps) * double(PHYSICS_STEP);
            }
        }
        if (state == GameState::Running && next.get(world) == watch.ring &&
            watch.missed(position)) {
            report.outcome = PilotReport::Outcome::Missed;
            report.object = designerName(watch.ring->name);
            report.missedBy = std::max(0.0f, *watch.crossedAt - watch.opening->radius);
            break;
        }
    }

    report.steps = steps;
    report.seconds = double(steps) * double(PHYSICS_STEP);
    report.cansCollected = world.collectedTrash;
    report.ringsPassed = state == GameState::Finished ? ringsBefore : ringsBefore - ringsLeft();
    if (state == GameState::Finished) {
        report.outcome = PilotReport::Outcome::Finished;
    } else if (state == GameState::GameOver) {
        report.outcome = PilotReport::Outcome::Hit;
        report.object = rules.hit.value_or("an obstacle");
    } else if (report.outcome != PilotReport::Outcome::Missed &&
               report.outcome != PilotReport::Outcome::Unpassable) {
        report.outcome = PilotReport::Outcome::OutOfTime;
        const GameObject* ring = objectAt(world, world.currentRing);
        report.object = ring ? designerName(ring->name) : "the next ring";
    }

    PhysicsContext::instance().setCallback(std::move(previousRules));
    world.gameStatePtr = previousState;
    return report;
}
