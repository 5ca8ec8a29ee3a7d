#include "levelcheck/WorldFindings.h"

#include "assets/AssetPaths.h"
#include "assets/ModelLoader.h"
#include "assets/ShapeStores.h"
#include "core/CameraDefaults.h"
#include "game/TrackGeometry.h"
#include "world/World.h"

#include <LinearMath/btConvexHullComputer.h>
#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <set>

namespace {

using Severity = LevelFinding::Severity;

// Whether `point` lies inside the convex hull of `corners` (a flat or empty
// hull holds nothing).
bool hullHolds(const std::vector<glm::vec3>& corners, const glm::vec3& point) {
    if (corners.size() < 4) {
        return false;
    }
    btConvexHullComputer hull;
    hull.compute(&corners[0].x, sizeof(glm::vec3), int(corners.size()), 0.0f, 0.0f);
    if (hull.faces.size() == 0) {
        return false;
    }
    float size = 0.0f;
    for (const glm::vec3& c : corners) {
        size = std::max(size, glm::length(c - corners.front()));
    }
    const float tolerance = 1e-4f * size;
    auto toGlm = [](const btVector3& v) { return glm::vec3(v.x(), v.y(), v.z()); };
    for (int f = 0; f < hull.faces.size(); ++f) {
        const btConvexHullComputer::Edge* first = &hull.edges[hull.faces[f]];
        const btConvexHullComputer::Edge* second = first->getNextEdgeOfFace();
        const glm::vec3 a = toGlm(hull.vertices[first->getSourceVertex()]);
        const glm::vec3 b = toGlm(hull.vertices[second->getSourceVertex()]);
        const glm::vec3 c = toGlm(hull.vertices[second->getTargetVertex()]);
        const glm::vec3 normal = glm::cross(b - a, c - b);
        const float length = glm::length(normal);
        if (length < 1e-12f) {
            continue;
        }
        // Faces wind counter-clockwise seen from outside.
        if (glm::dot(normal / length, point - a) > tolerance) {
            return false;
        }
    }
    return true;
}

// The radius of the hole in a ring's drawn mesh, in the opening's plane.
float holeRadius(const GameObject& ring, const RingOpening& opening) {
    float hole = std::numeric_limits<float>::infinity();
    for (const glm::vec3& p : drawnCorners(ring)) {
        const glm::vec3 offset = p - opening.centre;
        hole =
            std::min(hole, glm::length(offset - glm::dot(offset, opening.normal) * opening.normal));
    }
    return hole;
}

// A trigger narrower than this share of the hole lets a ship that passes off
// the middle through uncounted.
constexpr float LEAST_FILLED_SHARE = 0.5f;

void checkRing(const GameObject& ring, std::vector<LevelFinding>& findings) {
    const std::vector<glm::vec3> corners = hullCorners(ring);
    const auto middle = drawnCentre(ring);
    if (corners.empty() || !middle) {
        return;
    }
    if (hullHolds(corners, *middle)) {
        const auto opening = ringOpening(ring);
        const float hole = opening ? holeRadius(ring, *opening) : 0.0f;
        if (opening && std::isfinite(hole) && opening->radius < LEAST_FILLED_SHARE * hole) {
            findings.push_back(
                {Severity::Warning, designerName(ring.name),
                 "its collision shape spans only " +
                     std::to_string(int(std::lround(100.0f * opening->radius / hole))) +
                     "% of the width of its opening, so a ship passing off the middle is not "
                     "counted",
                 "scale the collision child to fill the opening (the game applies the child's "
                 "own transform, its scale too, to the collision shape)"});
        }
        return;
    }
    findings.push_back({Severity::Error, designerName(ring.name),
                        "its collision shape does not reach the middle of its opening, so a ship "
                        "flying through the middle is not counted",
                        "make its collision child a solid disc that fills the opening, centred "
                        "on the ring"});
}

// A ring turned further than this from the line that reaches it is passed
// side-on, through the drawn ring itself.
constexpr float MOST_TURNED_DEGREES = 60.0f;

// The rings in track order, each against the straight line from the ring
// before it (the first from where the ship starts).
void checkFacing(const World& world, std::vector<LevelFinding>& findings) {
    std::optional<glm::vec3> from;
    std::string fromName = "the start";
    for (const GameObject& object : world.objects) {
        if (object.kind == ObjectKind::Ship && !from) {
            from = object.getPosition();
        }
    }
    for (const GameObject& ring : world.objects) {
        if (ring.kind != ObjectKind::Ring) {
            continue;
        }
        const auto opening = ringOpening(ring);
        const glm::vec3 centre = opening ? opening->centre : ring.getPosition();
        if (opening && from && glm::length(centre - *from) > 1e-3f) {
            const glm::vec3 line = glm::normalize(centre - *from);
            // Either face of a ring can be flown through.
            const float facing = std::abs(glm::dot(line, opening->normal));
            const float degrees = glm::degrees(std::acos(glm::clamp(facing, 0.0f, 1.0f)));
            if (degrees > MOST_TURNED_DEGREES) {
                findings.push_back(
                    {Severity::Warning, designerName(ring.name),
                     "its opening faces " + std::to_string(int(std::lround(degrees))) +
                         " degrees away from the line from " + fromName +
                         ", so a ship flying that line passes it side-on, through the drawn ring",
                     "turn it to face that line, or mean it: the pilot then flies a loop to "
                     "line up with it"});
            }
        }
        from = centre;
        fromName = designerName(ring.name);
    }
}

// The rings in track order with the middle of each opening.
std::vector<std::pair<const GameObject*, glm::vec3>> ringMiddles(const World& world) {
    std::vector<std::pair<const GameObject*, glm::vec3>> rings;
    for (const GameObject& ring : world.objects) {
        if (ring.kind == ObjectKind::Ring) {
            const auto opening = ringOpening(ring);
            rings.emplace_back(&ring, opening ? opening->centre : ring.getPosition());
        }
    }
    return rings;
}

const GameObject* shipOf(const World& world) {
    for (const GameObject& object : world.objects) {
        if (object.kind == ObjectKind::Ship) {
            return &object;
        }
    }
    return nullptr;
}

// The first thing a player sees is where the Camera looks: ring_0 should be
// on the screen, or the player starts by searching for it.
void checkCamera(const World& world, std::vector<LevelFinding>& findings) {
    const GameObject* ship = shipOf(world);
    const auto rings = ringMiddles(world);
    if (!ship || rings.empty()) {
        return;
    }
    const glm::vec3 line = rings.front().second - ship->getPosition();
    if (glm::length(line) < 1e-3f) {
        return;
    }
    const glm::vec3 forward = ship->getRotation() * glm::vec3(0, 0, 1);
    const float off =
        glm::degrees(std::acos(glm::clamp(glm::dot(glm::normalize(line), forward), -1.0f, 1.0f)));
    const float halfHeight = std::tan(glm::radians(cameraDefaults.fovDegrees) * 0.5f);
    const float halfWidth =
        glm::degrees(std::atan(halfHeight * std::max(1.0f, cameraDefaults.aspectRatio)));
    if (off > halfWidth) {
        findings.push_back({Severity::Warning, "Camera",
                            "its view misses " + designerName(rings.front().first->name) +
                                ", which lies " + std::to_string(int(std::lround(off))) +
                                " degrees off where it looks (the view reaches " +
                                std::to_string(int(std::lround(halfWidth))) +
                                " degrees to each side), so a player starts by searching for it",
                            "turn the Camera towards " + designerName(rings.front().first->name)});
    }
}

// The stretch before a ring (metres) where a rock on the straight line in
// stands in the way of the ring itself, and the room (metres from its
// surface) the ship needs to pass.
constexpr float APPROACH = 40.0f;
constexpr float SHIP_ROOM = 2.5f;

// A rock on the straight line into a ring, within APPROACH of the ring: the
// ship must swerve round it just where it lines up with the ring.
void checkRocksOnLines(const World& world, const std::vector<ObstacleSurface>& surfaces,
                       std::vector<LevelFinding>& findings) {
    const GameObject* ship = shipOf(world);
    if (!ship) {
        return;
    }
    glm::vec3 from = ship->getPosition();
    std::string fromName = "the start";
    std::set<const GameObject*> named;
    for (const auto& [ring, middle] : ringMiddles(world)) {
        const float length = glm::length(middle - from);
        if (length > 1e-3f) {
            const glm::vec3 direction = (middle - from) / length;
            const float approach = std::min(APPROACH, length);
            for (const ObstacleSurface& surface : surfaces) {
                // A rock on the ship where it starts is named as that.
                if (named.count(surface.object) ||
                    surface.distanceTo(ship->getPosition()) < SHIP_ROOM) {
                    continue;
                }
                // Nearest point of the stretch to the rock's bounding sphere.
                const float along =
                    glm::clamp(glm::dot(surface.centre - middle, -direction), 0.0f, approach);
                const glm::vec3 nearest = middle - along * direction;
                if (glm::length(nearest - surface.centre) > surface.radius + SHIP_ROOM) {
                    continue;
                }
                for (float back = 0.0f; back <= approach; back += 1.0f) {
                    if (surface.distanceTo(middle - back * direction) < SHIP_ROOM) {
                        named.insert(surface.object);
                        findings.push_back(
                            {Severity::Warning, designerName(surface.object->name),
                             "it lies on the straight line from " + fromName + " into " +
                                 designerName(ring->name) + ", " +
                                 std::to_string(int(std::lround(back))) +
                                 " m before the ring, so the ship must swerve round it just "
                                 "where it lines up with the ring",
                             "move it off that line, or mean it"});
                        break;
                    }
                }
            }
        }
        from = middle;
        fromName = designerName(ring->name);
    }
}

// Light on a light grey surface facing a lamp (linear albedo 0.5, as most
// of a texture is) is white once it passes 1: how far out a lamp does that.
constexpr float LIGHT_GREY = 0.5f;

float washOutReach(const PointLight& lamp) {
    const float brightest = std::max({lamp.color.r, lamp.color.g, lamp.color.b});
    const glm::vec3 a = lamp.attenuation;
    // brightest * grey / (a + b d + c d^2) > 1
    const float excess = brightest * LIGHT_GREY - a.x;
    if (excess <= 0.0f) {
        return 0.0f;
    }
    if (a.z > 0.0f) {
        return (-a.y + std::sqrt(a.y * a.y + 4.0f * a.z * excess)) / (2.0f * a.z);
    }
    return a.y > 0.0f ? excess / a.y : std::numeric_limits<float>::infinity();
}

// A lamp bright enough to wash the surfaces near it out to white: Blender's
// preview shows nothing of it, the game does.
void checkLamps(const World& world, std::vector<LevelFinding>& findings) {
    for (size_t i = 0; i < world.pointLights.size(); ++i) {
        const PointLight& lamp = world.pointLights[i];
        const float reach = washOutReach(lamp);
        if (reach <= 0.0f) {
            continue;
        }
        const GameObject* nearest = nullptr;
        float distance = std::numeric_limits<float>::infinity();
        for (const GameObject& object : world.objects) {
            if (object.kind == ObjectKind::Ship) {
                continue;
            }
            const std::vector<glm::vec3> corners = drawnCorners(object);
            float least = std::numeric_limits<float>::infinity(), most = 0.0f;
            for (const glm::vec3& corner : corners) {
                const float d = glm::length(corner - lamp.position);
                least = std::min(least, d);
                most = std::max(most, d);
            }
            // A lamp inside a glowing sun lights its inside, which no one sees.
            const auto middle = drawnCentre(object);
            const bool inside = middle && glm::length(*middle - lamp.position) < 0.5f * least &&
                                least > 0.5f * most;
            if (!inside && least < distance) {
                distance = least;
                nearest = &object;
            }
        }
        if (!nearest || distance >= reach) {
            continue;
        }
        const float brightness = std::max({lamp.color.r, lamp.color.g, lamp.color.b});
        char text[160];
        std::snprintf(text, sizeof text,
                      "its brightness of %.3g (%.3g W in Blender) washes a light surface out to "
                      "white ",
                      double(brightness), double(brightness));
        const std::string within = std::isinf(reach)
                                       ? std::string("at any distance (its light does not fade)")
                                       : "within " + std::to_string(int(std::lround(reach))) + " m";
        const std::string name =
            i < world.pointLightNames.size() ? world.pointLightNames[i] : "a lamp";
        findings.push_back({Severity::Warning, name,
                            text + within + ", and " + designerName(nearest->name) + " is " +
                                std::to_string(int(std::lround(distance))) + " m from it",
                            "set the lamp's power to about 1 W (2 W at most) in Blender"});
    }
}

void checkCan(const GameObject& can, const std::vector<ObstacleSurface>& surfaces,
              std::vector<LevelFinding>& findings) {
    const std::vector<glm::vec3> corners = hullCorners(can);
    glm::vec3 centre = can.getPosition();
    if (!corners.empty()) {
        glm::vec3 low(std::numeric_limits<float>::infinity()), high(-low);
        for (const glm::vec3& c : corners) {
            low = glm::min(low, c);
            high = glm::max(high, c);
        }
        centre = 0.5f * (low + high);
    }
    for (const ObstacleSurface& surface : surfaces) {
        if (surface.contains(centre)) {
            findings.push_back({Severity::Error, designerName(can.name),
                                "lies inside " + designerName(surface.object->name) +
                                    ", so the ship cannot collect it without hitting the asteroid",
                                "move it out of the asteroid"});
            return;
        }
    }
}

void checkTextures(const GameObject& object, std::set<std::string>& reported,
                   std::vector<LevelFinding>& findings) {
    const Model& model = ModelLoader::instance().get(object.name);
    if (model.meshLevels.empty()) {
        return;
    }
    for (uint32_t position : model.meshLevels.front()) {
        if (position >= meshStore().size()) {
            continue;
        }
        const Material& material = meshStore().at(position).material;
        // The loader has looked in the texture folder and beside the level
        // already; what it kept as missing was found nowhere.
        for (const std::string& name : material.missingTextures) {
            if (!reported.insert(name).second) {
                continue;
            }
            findings.push_back(
                {Severity::Error, designerName(object.name),
                 "its material names the texture " + name + ", which is neither in " +
                     textureDirectory() +
                     " nor beside the level (the game draws the surface in its "
                     "own colour)",
                 "copy the image to one of those places, or name one that is there"});
        }
    }
}

} // namespace

std::vector<LevelFinding> builtWorldFindings(const World& world) {
    std::vector<LevelFinding> findings;
    const std::vector<ObstacleSurface> surfaces = obstacleSurfaces(world);
    std::set<std::string> reportedTextures;
    checkFacing(world, findings);
    checkCamera(world, findings);
    checkRocksOnLines(world, surfaces, findings);
    checkLamps(world, findings);
    for (const GameObject& object : world.objects) {
        switch (object.kind) {
        case ObjectKind::Ring:
            checkRing(object, findings);
            break;
        case ObjectKind::Trash:
            checkCan(object, surfaces, findings);
            break;
        case ObjectKind::Obstacle:
        case ObjectKind::Ship:
            break;
        }
        if (object.kind != ObjectKind::Ship) {
            checkTextures(object, reportedTextures, findings);
        }
    }
    return findings;
}
