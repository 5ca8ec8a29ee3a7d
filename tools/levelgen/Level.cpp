#include "Level.h"

#include <cmath>
#include <cstdio>
#include <tuple>

#include "Noise.h"
#include "Random.h"

namespace {

constexpr float DEG = 0.017453292f;

glm::vec3 headingDirection(float yaw, float pitch) {
    // Yaw 0, pitch 0 is -Z; positive yaw turns towards -X (left), positive pitch up.
    return {-std::sin(yaw) * std::cos(pitch), std::sin(pitch), -std::cos(yaw) * std::cos(pitch)};
}

// Rotation whose local +Z is `forward`, keeping local +Y as close to world up as possible.
glm::quat lookRotation(glm::vec3 forward) {
    glm::vec3 z = glm::normalize(forward);
    glm::vec3 up(0, 1, 0);
    glm::vec3 x = glm::cross(up, z);
    if (glm::length(x) < 1e-4f) {
        x = glm::vec3(1, 0, 0);
    }
    x = glm::normalize(x);
    glm::vec3 y = glm::cross(z, x);
    return glm::quat_cast(glm::mat3(x, y, z));
}

glm::vec3 perpendicular(glm::vec3 d, Random& random) {
    glm::vec3 r = random.unitVector();
    glm::vec3 p = r - d * glm::dot(r, d);
    return glm::length(p) > 1e-3f ? glm::normalize(p) : glm::vec3(0, 1, 0);
}

std::string numbered(const char* prefix, int i, const char* format = "%s%03d") {
    char text[64];
    std::snprintf(text, sizeof text, format, prefix, i);
    return text;
}

} // namespace

bool planLevel(const TrackDesign& design, LevelPlan& plan, std::string& problem) {
    const uint64_t seed = design.seed;
    Random random(seed);
    Noise noise(seed * 31 + 7);
    plan.design = design;
    plan.limits = design.limits;
    const FlightLimits& limits = plan.limits;
    const std::vector<Leg>& legs = design.legs;

    // Meshes.
    const float elongations[] = {1.0f, 1.35f, 1.15f, 1.6f, 0.9f};
    for (float e : elongations) {
        plan.rockMeshes.push_back(makeRock(noise, random, e));
    }
    const float tubeRadius = 1.1f;
    plan.ringMesh = makeTorus(limits.holeRadius + tubeRadius, tubeRadius, 48, 12, 6.0f);
    plan.ringTrigger = makeCylinderZ(limits.holeRadius, 0.6f, 24);
    plan.canMesh = makeTrashCan();
    plan.canTrigger = makeCylinderZ(1.05f, 1.45f, 12);
    {
        // The trigger hull stands upright like the can.
        glm::mat4 m(1.0f);
        m[1] = glm::vec4(0, 0, 1, 0);
        m[2] = glm::vec4(0, -1, 0, 0);
        plan.canTrigger.transform(glm::transpose(m));
    }
    plan.sunMesh = makeUvSphere(1.0f, 48, 24);

    for (size_t i = 0; i < plan.rockMeshes.size(); ++i) {
        std::string why;
        if (!isClosedManifold(plan.rockMeshes[i], why) ||
            !tangentFramesFinite(plan.rockMeshes[i], why)) {
            problem = "rock mesh " + std::to_string(i) + ": " + why;
            return false;
        }
    }
    for (const GenMesh* m :
         {&plan.ringMesh, &plan.ringTrigger, &plan.canMesh, &plan.canTrigger, &plan.sunMesh}) {
        std::string why;
        if (!tangentFramesFinite(*m, why)) {
            problem = "mesh: " + why;
            return false;
        }
    }

    // Track.
    plan.start = glm::vec3(0.0f);
    float yaw = 0.0f, pitch = 0.0f;
    plan.startDirection = headingDirection(yaw, pitch);
    glm::vec3 position = plan.start, direction = plan.startDirection;
    if (!design.corners.empty()) {
        // A frame that turns with the heading, so that a corner's plane is the ship's own.
        glm::vec3 up(0, 1, 0);
        for (size_t i = 0; i < design.corners.size(); ++i) {
            const Corner& corner = design.corners[i];
            position += direction * corner.spacing;
            const glm::vec3 right = glm::cross(direction, up);
            const glm::vec3 towards =
                std::cos(corner.plane * DEG) * right + std::sin(corner.plane * DEG) * up;
            const glm::quat turn =
                glm::angleAxis(corner.turn * DEG, glm::normalize(glm::cross(direction, towards)));
            const glm::vec3 out = glm::normalize(turn * direction);
            const glm::vec3 normal = glm::normalize(direction + out);
            plan.rings.push_back({position, normal});
            plan.ringNodes.push_back({"ring_" + std::to_string(i), static_cast<int>(i), position,
                                      lookRotation(normal)});
            direction = out;
            up = glm::normalize(turn * up);
        }
    }
    for (size_t i = 0; i < legs.size() && design.corners.empty(); ++i) {
        yaw += legs[i].yaw * DEG;
        pitch += legs[i].pitch * DEG;
        glm::vec3 next = headingDirection(yaw, pitch);
        position += glm::normalize(direction + next) * legs[i].spacing;
        direction = next;
        plan.rings.push_back({position, direction});
        plan.ringNodes.push_back(
            {"ring_" + std::to_string(i), static_cast<int>(i), position, lookRotation(direction)});
    }
    // The ship flies along the camera node's -Z (its rotation is the node's turned half a
    // turn about Y, and it moves along its own +Z).
    plan.cameraRotation = rotationBetween(glm::vec3(0, 0, -1), plan.startDirection);

    const TrackLine line =
        planTrackLine(plan.start, plan.startDirection, plan.rings, limits.runOut);
    // Where the line runs between two rings (-1: the start).
    auto legOf = [&](int afterRing) {
        size_t from = afterRing < 0 ? 0 : line.ringSamples[afterRing];
        return std::make_pair(from, line.ringSamples[afterRing + 1]);
    };
    glm::vec3 lo = line.points[0], hi = line.points[0];
    for (const auto& p : line.points) {
        lo = glm::min(lo, p);
        hi = glm::max(hi, p);
    }

    // Asteroids: first a set close beside the line, then a wider field.
    std::vector<ObstacleSphere> spheres;
    auto fits = [&](glm::vec3 c, float r, float minClearance) {
        if (distanceToLine(line, c) - r < minClearance) {
            return false;
        }
        for (const auto& s : spheres) {
            if (glm::length(s.centre - c) < s.radius + r + 2.0f) {
                return false;
            }
        }
        return true;
    };
    auto chooseRock = [&](float size) {
        int mesh = random.below(static_cast<int>(plan.rockMeshes.size()));
        glm::vec3 scale = size * glm::vec3(random.range(0.75f, 1.3f), random.range(0.7f, 1.2f),
                                           random.range(0.75f, 1.3f));
        float radius =
            plan.rockMeshes[mesh].boundingRadius() * std::max(scale.x, std::max(scale.y, scale.z));
        return std::make_tuple(mesh, scale, radius);
    };
    // The narrow gaps come first, so that the rocks beside the line keep clear of them.
    for (const Gate& gate : design.gates) {
        if (gate.afterRing + 1 >= static_cast<int>(plan.rings.size())) {
            problem = "a narrow gap lies beyond the last ring";
            return false;
        }
        auto [from, to] = legOf(gate.afterRing);
        size_t i = (from + to) / 2;
        glm::vec3 t = line.tangents[i];
        glm::vec3 u = perpendicular(t, random), v = glm::cross(t, u);
        for (int k = 0; k < gate.rocks; ++k) {
            auto [mesh, scale, radius] = chooseRock(gate.size);
            float a = 6.2831853f * static_cast<float>(k) / static_cast<float>(gate.rocks);
            glm::vec3 out = u * std::cos(a) + v * std::sin(a);
            glm::vec3 c = line.points[i] + out * (gate.clearance + radius);
            // The line curves, so another part of it may lie nearer: move the rock out until
            // its clearance is the gap's.
            for (int push = 0; push < 8; ++push) {
                float shortBy = gate.clearance + 0.05f - (distanceToLine(line, c) - radius);
                if (shortBy <= 0.0f) {
                    break;
                }
                c += out * shortBy;
            }
            if (!fits(c, radius, gate.clearance)) {
                problem =
                    "the narrow gap after ring " + std::to_string(gate.afterRing) + " does not fit";
                return false;
            }
            spheres.push_back({c, radius});
            plan.asteroids.push_back({"", mesh, c, random.rotation(), scale});
            ++plan.gateAsteroids;
        }
    }
    int attempts = 0;
    while (plan.nearAsteroids < design.nearRocks && attempts++ < 20000) {
        size_t i = 40 + random.below(static_cast<int>(line.points.size() - 40));
        float size = random.range(design.nearSize.x, design.nearSize.y);
        auto [mesh, scale, radius] = chooseRock(size);
        float gap = random.range(design.nearGap.x, design.nearGap.y);
        glm::vec3 c = line.points[i] + perpendicular(line.tangents[i], random) *
                                           (limits.corridorRadius + radius + gap);
        if (!fits(c, radius, limits.corridorRadius + 0.5f)) {
            continue;
        }
        spheres.push_back({c, radius});
        plan.asteroids.push_back({"", mesh, c, random.rotation(), scale});
        ++plan.nearAsteroids;
    }
    attempts = 0;
    while (plan.asteroids.size() < static_cast<size_t>(design.rocks) && attempts++ < 20000) {
        glm::vec3 c(random.range(lo.x - 250, hi.x + 250), random.range(lo.y - 150, hi.y + 150),
                    random.range(lo.z - 250, hi.z + 250));
        float size = random.range(6.0f, 32.0f);
        auto [mesh, scale, radius] = chooseRock(size);
        if (!fits(c, radius, limits.corridorRadius + 25.0f)) {
            continue;
        }
        spheres.push_back({c, radius});
        plan.asteroids.push_back({"", mesh, c, random.rotation(), scale});
    }
    for (size_t i = 0; i < plan.asteroids.size(); ++i) {
        plan.asteroids[i].name = numbered("roid.", static_cast<int>(i));
    }

    // Sun: far off to the right and above the way ahead, so that it is in view at the start.
    float sunRadius = design.sunRadius;
    glm::vec3 sunPosition = plan.start + design.sunOffset;
    plan.sun = {"sun", 0, sunPosition, glm::quat(1, 0, 0, 0), glm::vec3(sunRadius)};
    float sunDistance = distanceToLine(line, sunPosition) - sunRadius;
    if (sunDistance < 500.0f) {
        problem = "the sun is too close to the track";
        return false;
    }
    spheres.push_back({sunPosition, sunRadius});

    // Trash cans beside the line between the rings, where a small swerve collects them.
    attempts = 0;
    while (plan.trashCans.size() < 18 && attempts++ < 20000) {
        size_t slot = plan.trashCans.size();
        // Segment after segment, somewhere in the middle part between two rings.
        size_t segment = (slot * 5) % plan.rings.size();
        auto [from, to] = legOf(static_cast<int>(segment) - 1);
        size_t i = from + (to - from) / 5 + random.below(static_cast<int>((to - from) * 3 / 5));
        glm::vec3 c =
            line.points[i] + perpendicular(line.tangents[i], random) * random.range(2.5f, 6.5f);
        bool clear = true;
        for (const auto& s : spheres) {
            clear = clear && glm::length(s.centre - c) > s.radius + 4.0f;
        }
        for (const auto& r : plan.rings) {
            clear = clear && glm::length(r.centre - c) > limits.holeRadius + 4.0f;
        }
        if (!clear) {
            continue;
        }
        float s = random.range(1.0f, 1.3f);
        plan.trashCans.push_back(
            {"tcan_" + std::to_string(slot), 0, c, random.rotation(), glm::vec3(s)});
    }

    // Lamps: one in the sun, two fill lights along the track.
    const TrackLook& look = design.look;
    plan.lamps.push_back({"Lamp.000", sunPosition, look.sunLight, {2.2f, 0.0004f, 0.0f}});
    size_t third = line.points.size() / 3;
    plan.lamps.push_back({"Lamp.001",
                          line.points[third] + glm::vec3(-40, 70, 0),
                          look.fillA,
                          {1.0f, 0.004f, 0.00004f}});
    plan.lamps.push_back({"Lamp.002",
                          line.points[2 * third] + glm::vec3(50, -60, 0),
                          look.fillB,
                          {1.0f, 0.004f, 0.00004f}});

    spheres.pop_back(); // the sun is checked above, the pilot never goes near it
    plan.report = checkTrack(plan.start, plan.startDirection, plan.rings, spheres, limits);
    if (plan.asteroids.size() < 50 || plan.nearAsteroids < 10) {
        problem = "could not place enough asteroids";
        return false;
    }
    if (plan.trashCans.size() < 15) {
        problem = "could not place enough trash cans";
        return false;
    }
    if (!plan.report.flyable) {
        problem = "the track is not flyable: " + plan.report.problem;
        return false;
    }
    return true;
}
