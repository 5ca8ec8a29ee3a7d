#include "game/PilotSteering.h"

#include "core/CameraDefaults.h"
#include "core/LoopScheduler.h"
#include "game/Input.h"
#include "game/TrackGeometry.h"
#include "physics/RigidBody.h"

#include <glm/geometric.hpp>
#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace pilot {

namespace {

// Pitch and yaw held together spin the ship this many times as fast as one.
const float BOTH_KEYS = std::sqrt(2.0f);
// A turn longer than this (radians), or faster than this share of one
// key's rate, is worth rolling onto the diagonal.
constexpr float ROLL_INTO_TURN = 0.35f;
constexpr float ROLL_ABOVE = 0.8f;
// How much harder than the steady turn to a point the pilot turns for it,
// making up for the ship's lag behind its keys.
constexpr float PURSUIT_GAIN = 1.2f;
// How far ahead (seconds) a pilot looks for a rock in its way, and the room
// (metres) from a rock's bounding sphere it wants to keep: about the ship's
// half span and a little.
constexpr double DODGE_SECONDS = 1.2;
constexpr float DODGE_ROOM = 2.5f;

// The least room to the rocks along the way the ship flies holding `keys`.
float roomHolding(ShipView ship, const ShipControl& keys,
                  const std::vector<const ObstacleSurface*>& seen, float damping) {
    const int steps = int(DODGE_SECONDS / double(PHYSICS_STEP));
    float least = std::numeric_limits<float>::infinity();
    for (int k = 0; k < steps; ++k) {
        stepShip(ship, keys, damping);
        if (k % 4 == 3) {
            for (const ObstacleSurface* surface : seen) {
                // The bounding sphere first: the surface only when that is near.
                const float bound = glm::length(ship.position - surface->centre) - surface->radius;
                if (bound < least && bound < DODGE_ROOM) {
                    least = std::min(least, surface->distanceTo(ship.position));
                } else {
                    least = std::min(least, std::max(bound, DODGE_ROOM));
                }
            }
        }
    }
    return least;
}

float key(float error) {
    constexpr float DEAD_BAND = 0.02f;
    return error > DEAD_BAND ? KEY : error < -DEAD_BAND ? -KEY : 0.0f;
}

} // namespace

void stepShip(ShipView& ship, const ShipControl& keys, float damping) {
    const float dt = PHYSICS_STEP;
    const glm::quat r = ship.rotation;
    const glm::vec3 torque = (dt * STEP_TORQUE_SHARE) * (keys.pitch * (r * glm::vec3(-1, 0, 0)) +
                                                         keys.roll * (r * glm::vec3(0, 0, 1)) +
                                                         keys.yaw * (r * glm::vec3(0, -1, 0)));
    ship.spin = (ship.spin + torque * dt) * std::max(0.0f, 1.0f - damping * dt);
    const float speed = glm::length(ship.spin);
    if (speed > RigidBody::MAX_ANGULAR_VELOCITY) {
        ship.spin *= RigidBody::MAX_ANGULAR_VELOCITY / speed;
    }
    ship.position += ship.forward() * (SHIP_SPEED * dt);
    const float angle = glm::length(ship.spin) * dt;
    if (angle > 1e-9f) {
        ship.rotation = glm::normalize(glm::angleAxis(angle, glm::normalize(ship.spin)) * r);
    }
}

ShipView predict(ShipView ship, ShipControl keys, const PendingKeys& pending, uint64_t step,
                 uint64_t count, float damping) {
    auto next = pending.begin();
    for (uint64_t k = 0; k < count; ++k) {
        while (next != pending.end() && next->first <= step + k) {
            keys = next->second;
            ++next;
        }
        stepShip(ship, keys, damping);
    }
    return ship;
}

ShipControl steer(const ShipView& ship, const glm::vec3& target, float rate, bool hard) {
    ShipControl control;
    const glm::vec3 line = target - ship.position;
    if (glm::length(line) < 1e-4f) {
        return control;
    }
    const glm::vec3 toTarget = glm::normalize(line);
    const glm::vec3 forward = ship.forward(), up = ship.up(), left = ship.left();
    // Wanted turn rates (rad/s) from the angle still to turn, split between
    // pitch and yaw so that the nose turns in the plane that holds the
    // target, even when it lies behind. Pitch and yaw held together turn the
    // nose faster than either alone.
    const float angle = std::acos(glm::clamp(glm::dot(toTarget, forward), -1.0f, 1.0f));
    glm::vec3 across = toTarget - glm::dot(toTarget, forward) * forward;
    if (glm::length(across) < 1e-4f) {
        across = up;
    }
    across = glm::normalize(across);
    float wanted = std::min(2.5f * angle, rate);
    if (hard) {
        // Into a corner: at least the steady turn that arrives at the target
        // (a chord of a circle makes the same angle with its tangent at both
        // ends), with both keys where one is not enough.
        const float arc = angle < glm::half_pi<float>()
                              ? 2.0f * SHIP_SPEED * std::sin(angle) / glm::length(line)
                              : BOTH_KEYS * rate;
        wanted = std::min(std::max(2.5f * angle, PURSUIT_GAIN * arc), BOTH_KEYS * rate);
    }
    const bool longTurn = hard && (angle > ROLL_INTO_TURN || wanted > ROLL_ABOVE * rate);
    // Each key alone spins the ship at most at `rate`.
    const float wantUp = glm::clamp(wanted * glm::dot(across, up), -rate, rate);
    const float wantRight = glm::clamp(wanted * -glm::dot(across, left), -rate, rate);
    // S (+300) turns the nose up, about the ship's -x; E (+300) turns it
    // right, about its -y; D (+300) rolls about its +z.
    control.pitch = key(wantUp - glm::dot(ship.spin, -left));
    control.yaw = key(wantRight - glm::dot(ship.spin, -up));
    // For a long turn the player rolls it onto the nearest diagonal between
    // pitch and yaw, where both keys stay held; otherwise the roll is held
    // still. Rolling by b turns the target's bearing (in the ship's left-up
    // plane) back by b.
    float wantRoll = 0.0f;
    if (longTurn) {
        const float quarter = glm::half_pi<float>();
        const float bearing = std::atan2(glm::dot(across, up), glm::dot(across, left));
        const float diagonal =
            std::round((bearing - 0.5f * quarter) / quarter) * quarter + 0.5f * quarter;
        wantRoll = glm::clamp(2.5f * (bearing - diagonal), -rate, rate);
    }
    control.roll = key(wantRoll - glm::dot(ship.spin, forward));
    return control;
}

glm::vec3 aimPoint(const glm::vec3& from, const glm::vec3& target, const glm::vec3& up,
                   const std::vector<const ObstacleSurface*>& surfaces) {
    const glm::vec3 line = target - from;
    const float length = glm::length(line);
    if (length < 1e-3f) {
        return target;
    }
    const glm::vec3 direction = line / length;
    const ObstacleSurface* blocking = nullptr;
    float nearest = length;
    glm::vec3 offset(0.0f);
    for (const ObstacleSurface* surface : surfaces) {
        const float clear = surface->radius + DETOUR_MARGIN;
        // Inside a sphere there is no side to pass it on; beside one, the
        // line must still pass it.
        if (glm::length(from - surface->centre) < surface->radius ||
            glm::length(target - surface->centre) < clear) {
            continue;
        }
        const float along = glm::dot(surface->centre - from, direction);
        if (along <= 0.0f || along >= nearest) {
            continue;
        }
        const glm::vec3 beside = from + along * direction - surface->centre;
        if (glm::length(beside) < clear) {
            blocking = surface;
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
    // Twice the margin out: a line to a point on the margin's sphere would
    // still cut into it.
    return blocking->centre + glm::normalize(side) * (blocking->radius + 2.0f * DETOUR_MARGIN);
}

bool insideTurn(const ShipView& ship, const glm::vec3& point, float turnRadius) {
    const glm::vec3 line = point - ship.position;
    const float along = glm::dot(line, ship.forward());
    const float across = glm::length(line - along * ship.forward());
    // Distance from the centre of the turning circle on the point's side.
    const float toCentre = std::hypot(along, across - turnRadius);
    return toCentre < turnRadius;
}

ShipControl dodgeRocks(const ShipView& ship, const ShipControl& keys,
                       const std::vector<const ObstacleSurface*>& seen, float damping) {
    if (seen.empty()) {
        return keys;
    }
    float best = roomHolding(ship, keys, seen, damping);
    if (best > DODGE_ROOM) {
        return keys;
    }
    ShipControl chosen = keys;
    for (float pitch : {0.0f, -KEY, KEY}) {
        for (float yaw : {0.0f, -KEY, KEY}) {
            const ShipControl swerve{keys.ship, pitch, 0.0f, yaw};
            const float room = roomHolding(ship, swerve, seen, damping);
            // A clearly better way only: an even choice keeps the pilot's.
            if (room > best + 0.5f) {
                best = room;
                chosen = swerve;
            }
        }
    }
    return chosen;
}

Sight::Sight(const std::vector<ObstacleSurface>& surfaces, bool everything)
    : everything_(everything) {
    const float halfHeight = std::tan(glm::radians(cameraDefaults.fovDegrees) * 0.5f);
    halfAngle_ = std::atan(halfHeight * std::max(1.0f, cameraDefaults.aspectRatio));
    farPlane_ = cameraDefaults.farPlane;
    for (const ObstacleSurface& surface : surfaces) {
        all_.push_back(&surface);
    }
}

const std::vector<const ObstacleSurface*>& Sight::seenFrom(const ShipView& ship) {
    if (everything_) {
        return all_;
    }
    seen_.clear();
    for (const ObstacleSurface* surface : all_) {
        if (inView(ship, surface->centre, surface->radius)) {
            seen_.push_back(surface);
        }
    }
    return seen_;
}

bool Sight::inView(const ShipView& ship, const glm::vec3& centre, float radius) const {
    if (everything_) {
        return true;
    }
    const glm::vec3 line = centre - ship.position;
    const float distance = glm::length(line);
    if (distance - radius > farPlane_) {
        return false;
    }
    if (distance <= radius) {
        return true;
    }
    const float off = std::acos(glm::clamp(glm::dot(line / distance, ship.forward()), -1.0f, 1.0f));
    return off - std::asin(radius / distance) <= halfAngle_;
}

} // namespace pilot
