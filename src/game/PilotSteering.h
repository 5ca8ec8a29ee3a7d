#pragma once

#include "game/Controls.h"

#include <glm/gtc/quaternion.hpp>
#include <glm/vec3.hpp>

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

struct ObstacleSurface;

// What the test pilot's hands and eyes do: how it judges the ship's
// handling, which keys it holds to turn towards a point, how it steers
// around a rock and which rocks it sees. The course it chooses to a ring is
// the course planner's (CoursePlanner.h).
namespace pilot {

// A held key: the game's commands are 0 or +-KEY.
inline constexpr float KEY = 300.0f;
// How far the pilot keeps the ship's centre from an asteroid's bounding
// sphere when it steers around it.
inline constexpr float DETOUR_MARGIN = 3.0f;

// What the pilot knows of the ship when it decides.
struct ShipView {
    glm::vec3 position{0.0f};
    glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
    glm::vec3 spin{0.0f}; // angular velocity, radians a second

    glm::vec3 forward() const { return rotation * glm::vec3(0, 0, 1); }
    glm::vec3 up() const { return rotation * glm::vec3(0, 1, 0); }
    glm::vec3 left() const { return rotation * glm::vec3(1, 0, 0); }
};

// Keys chosen at a look, and the step from which they act.
using PendingKeys = std::deque<std::pair<uint64_t, ShipControl>>;

// One fixed step of the ship with `keys` held: the game's torque, damping
// and speed, as a player who knows the ship's handling judges them.
void stepShip(ShipView& ship, const ShipControl& keys, float damping);

// Where the ship will be `count` steps after `step`, with the keys it holds
// now and those it has chosen to press next: a player knows the ship's
// handling and what its own hands do.
ShipView predict(ShipView ship, ShipControl keys, const PendingKeys& pending, uint64_t step,
                 uint64_t count, float damping);

// The keys a key-holding player gives to turn the ship towards `target`, at
// most at `rate` radians a second (one key's steady rate), or, `hard` into
// a corner, as fast as the ship turns: each of pitch, roll and yaw is 0 or
// +-KEY.
ShipControl steer(const ShipView& ship, const glm::vec3& target, float rate, bool hard);

// Where to steer for `target`: the target itself, or a point beside the
// first asteroid whose bounding sphere the straight line would cut.
glm::vec3 aimPoint(const glm::vec3& from, const glm::vec3& target, const glm::vec3& up,
                   const std::vector<const ObstacleSurface*>& surfaces);

// A point the ship cannot reach by turning, since it lies inside one of its
// turning circles: the ship flies on until it can.
bool insideTurn(const ShipView& ship, const glm::vec3& point, float turnRadius);

// What the pilot sees of the obstacles: a player those in the camera's view
// cone (the ship's heading, the wider of the view's angles) and within its
// far plane; the perfect pilot knows them all.
class Sight {
public:
    Sight(const std::vector<ObstacleSurface>& surfaces, bool everything);

    const std::vector<const ObstacleSurface*>& seenFrom(const ShipView& ship);

    // Whether any of a sphere is on the screen (always, for the perfect pilot).
    bool inView(const ShipView& ship, const glm::vec3& centre, float radius) const;

private:
    std::vector<const ObstacleSurface*> all_;
    std::vector<const ObstacleSurface*> seen_;
    bool everything_ = true;
    float halfAngle_ = 0.0f;
    float farPlane_ = 0.0f;
};

} // namespace pilot

namespace pilot {

// The keys to hold instead of `keys` when holding them for the next
// DODGE_SECONDS would bring the ship too near a rock seen: of the nine ways
// of holding pitch and yaw, the one that keeps furthest from them, as a
// player swerves from a rock looming up. `keys` when they are safe, or when
// no way is safer.
ShipControl dodgeRocks(const ShipView& ship, const ShipControl& keys,
                       const std::vector<const ObstacleSurface*>& seen, float damping);

} // namespace pilot
