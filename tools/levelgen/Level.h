#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include "GenMesh.h"
#include "TrackCheck.h"
#include "Tracks.h"

// One placed node of the level.
struct Placement {
    std::string name;
    int mesh = 0; // which of the plan's meshes of its kind
    glm::vec3 position{0.0f};
    glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
    glm::vec3 scale{1.0f};
};

struct LampPlan {
    std::string name;
    glm::vec3 position{0.0f};
    glm::vec3 color{1.0f};
    glm::vec3 attenuation{1.0f, 0.0f, 0.0f}; // constant, linear, quadratic
};

// Everything the level file holds, decided before anything is written.
struct LevelPlan {
    TrackDesign design;
    glm::vec3 start{0.0f};
    glm::vec3 startDirection{0.0f, 0.0f, -1.0f}; // the ship's first flight direction
    glm::quat cameraRotation{1.0f, 0.0f, 0.0f, 0.0f};

    std::vector<TrackRing> rings;
    std::vector<Placement> ringNodes;
    std::vector<Placement> asteroids;
    std::vector<Placement> trashCans;
    Placement sun;
    std::vector<LampPlan> lamps;

    std::vector<GenMesh> rockMeshes;
    GenMesh ringMesh, ringTrigger, canMesh, canTrigger, sunMesh;

    FlightLimits limits;
    TrackReport report;
    int nearAsteroids = 0; // asteroids placed close beside the line
    int gateAsteroids = 0; // asteroids that make the narrow gaps
};

// Designs the track, checks it and places everything around it. Returns false with the
// reason when a check fails; nothing should be written then.
bool planLevel(const TrackDesign& design, LevelPlan& plan, std::string& problem);
