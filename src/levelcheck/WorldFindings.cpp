#include "levelcheck/WorldFindings.h"

#include "assets/AssetPaths.h"
#include "assets/ModelLoader.h"
#include "assets/ShapeStores.h"
#include "game/TrackGeometry.h"
#include "world/World.h"

#include <LinearMath/btConvexHullComputer.h>
#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>
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
                 "scale the collision child's mesh data to fill the opening (the game ignores "
                 "the child's own transform: apply its scale in Blender)"});
        }
        return;
    }
    findings.push_back({Severity::Error, designerName(ring.name),
                        "its collision shape does not reach the middle of its opening, so a ship "
                        "flying through the middle is not counted",
                        "make its collision child a solid disc that fills the opening, centred "
                        "on the ring, with scale and rotation applied to the mesh data"});
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
