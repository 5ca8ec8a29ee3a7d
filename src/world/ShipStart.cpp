#include "world/ShipStart.h"

#include "core/Stopwatch.h"
#include "world/GameBodies.h"
#include "world/LevelBuild.h"
#include "world/Placement.h"

#include <glm/gtc/constants.hpp>
#include <glm/mat3x3.hpp>

namespace {

const glm::vec3 CAMERA_OFFSET{0.0f, 3.0f, -10.0f};

glm::quat halfTurn() {
    return glm::angleAxis(glm::pi<float>(), glm::vec3(0.0f, 1.0f, 0.0f));
}

} // namespace

glm::quat rotationLookingAlong(const glm::vec3& forward, const glm::vec3& up) {
    const glm::vec3 back = -glm::normalize(forward);
    glm::vec3 side = glm::cross(up, back);
    if (glm::length(side) < 1e-6f) {
        // Up along the view: any upright will do.
        side = glm::cross(std::abs(back.y) < 0.9f ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0), back);
    }
    side = glm::normalize(side);
    const glm::vec3 upright = glm::cross(back, side);
    return glm::quat_cast(glm::mat3(side, upright, back));
}

void placeCamera(const std::string& label, const Placement& placement, LevelBuild& build) {
    if (!placement.problem.empty()) {
        build.refuse(label, placement.problem + ", so the ship has no start",
                     "clear the camera's transform in Blender and place it again");
        return;
    }
    glm::quat rotation = placement.rotation;
    if (placement.mirrored()) {
        // The decomposition keeps the mirror in the scale and turns the
        // rotation half round about X; the node itself still looks along its
        // own −Z, with its Y up, and so does a player who placed it.
        const glm::mat3 turned = glm::mat3_cast(placement.rotation);
        const glm::mat3 matrix{turned[0] * placement.scale.x, turned[1] * placement.scale.y,
                               turned[2] * placement.scale.z};
        rotation = rotationLookingAlong(matrix * glm::vec3(0, 0, -1), matrix * glm::vec3(0, 1, 0));
        build.report(LevelFinding::Severity::Warning, label,
                     "it is mirrored (a negative scale), which would start the ship backwards "
                     "and upside down; the game starts it along the camera's -Z, upright",
                     "clear the camera's scale in Blender (Alt+S) or apply it (Ctrl+A)");
    }
    GameObject ship = [&] {
        Stopwatch watch(build.figure(&LevelLoadTimes::ship));
        return createShip(placement.position, rotation * halfTurn(), glm::vec3(1.0f), shipModelFile,
                          build.upload ? MeshUpload::Now : MeshUpload::Later);
    }();
    build.objects.push_back(std::move(ship));
    build.cameras.emplace_back(&build.objects.back(), CAMERA_OFFSET, halfTurn());
}
