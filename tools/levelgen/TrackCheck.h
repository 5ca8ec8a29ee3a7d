#pragma once

#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

// Whether a ring track can be flown the way the game flies: always forward at a fixed speed,
// turning no faster than the steering allows, and without meeting an obstacle.

struct TrackRing {
    glm::vec3 centre;
    glm::vec3 normal; // the direction of flight through the ring
};

struct ObstacleSphere {
    glm::vec3 centre;
    float radius; // encloses the whole obstacle
};

struct FlightLimits {
    float speed = 35.0f; // units per second, always
    // rad/s a held key settles at: torque 300 x 60 / 144 on every step of 1/144 s against
    // the damping of 2 per second.
    float steeringRate = 0.43f;
    float designTurnRate = 0.55f; // the planned line may need at most this much
    float pilotInput = 0.8f;      // the simulated pilot holds keys at most this firmly
    float holeRadius = 8.5f;      // radius of a ring's opening
    float shipRadius = 2.0f;      // half the ship's span
    float corridorRadius = 12.0f; // free space kept around the planned line
    float minSpacing = 60.0f;     // between consecutive rings
    float runOut = 80.0f;         // straight line kept free after the last ring
    // Whether the planned line's turn rate and the simulated pilot are checked. A track of
    // corners at the ship's limit turns sharper than this smooth line allows; the game's own
    // checker (kelvaro19 --check) flies it instead.
    bool flownOnLine = true;
};

// The planned line: a smooth curve from the start through every ring centre, leaving each
// ring along its normal, then straight on for the run-out.
struct TrackLine {
    std::vector<glm::vec3> points;   // dense samples
    std::vector<glm::vec3> tangents; // unit
    std::vector<float> distance;     // along the line from the start
    std::vector<size_t> ringSamples; // the sample at each ring, in ring order
};

TrackLine planTrackLine(glm::vec3 start, glm::vec3 startDirection,
                        const std::vector<TrackRing>& rings, float runOut);

struct TrackReport {
    bool flyable = false;
    std::string problem; // the first failed check, empty when flyable

    float length = 0.0f;     // along the planned line, start to last ring
    float minSpacing = 0.0f; // between consecutive rings (first from the start)
    float maxSpacing = 0.0f;
    float maxTurnRate = 0.0f; // rad/s needed on the planned line at full speed
    float maxRingTurn = 0.0f; // largest angle between consecutive ring normals, rad
    // The sharpest turn of the straight lines from ring to ring: at a ring, the angle
    // between the line in and the line out over the time from the middle of one to the
    // middle of the other at full speed, rad/s. A player feels the track's turns so.
    float ringLineTurnRate = 0.0f;
    float pilotWorstOffset = 0.0f;  // largest distance from a ring centre when crossing it
    float pilotMaxTurnRate = 0.0f;  // fastest turn the simulated pilot made
    float pilotClearance = 0.0f;    // nearest the pilot came to an obstacle's sphere
    float corridorClearance = 0.0f; // nearest obstacle sphere to the planned line
    float flightTime = 0.0f;        // seconds for the pilot to pass the last ring
};

// Runs every check: ring spacing, the turn rate the planned line needs, a simulated pilot
// that steers with bounded keys through each ring opening, and the obstacle-free corridor.
TrackReport checkTrack(glm::vec3 start, glm::vec3 startDirection,
                       const std::vector<TrackRing>& rings,
                       const std::vector<ObstacleSphere>& obstacles, const FlightLimits& limits);

// The shortest rotation taking direction `from` onto direction `to`.
glm::quat rotationBetween(glm::vec3 from, glm::vec3 to);

// Distance from a point to the planned line (its polyline of samples).
float distanceToLine(const TrackLine& line, glm::vec3 p);
