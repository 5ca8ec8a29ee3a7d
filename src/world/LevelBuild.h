#pragma once

#include "world/Camera.h"
#include "world/DetailLevels.h"
#include "world/GameObject.h"
#include "world/LevelFinding.h"
#include "world/LevelFormat.h"
#include "world/LevelResult.h"
#include "world/Light.h"

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

struct aiScene;
struct aiNode;

// Everything one load builds before it becomes a world. Whatever is still
// here when the load gives up is released with it.
struct LevelBuild {
    LevelBuild(const std::string& path, const aiScene* scene, uint32_t meshBase,
               const LevelReadOptions& options, LevelFormat format)
        : path(path), scene(scene), meshBase(meshBase), times(options.times),
          upload(options.upload), format(format) {}

    const std::string& path;
    const aiScene* scene;
    uint32_t meshBase;
    LevelLoadTimes* times;
    bool upload;
    // COLLADA gives a lamp's colour times its power in watts, glTF its
    // colour and an intensity in candela.
    LevelFormat format;
    std::list<GameObject> objects;
    std::vector<PointLight> pointLights;
    std::vector<std::string> pointLightNames;
    std::vector<StickyCamera> cameras;
    std::map<int32_t, GameObject> ringsByNumber;
    // The node each ring came from, for the messages.
    std::map<int32_t, std::string> ringNodes;
    // Rings left out, as the words for a message: a gap they cause should
    // not look like a missing node.
    std::vector<std::string> droppedRings;
    // The models this load made, by the meshes that draw them (their
    // positions in the model cache): nodes with the same meshes share one.
    std::map<std::vector<uint32_t>, std::size_t> modelsByMeshes;
    // The asteroids' finer levels this load made.
    Refinements refinements;
    // The first node of each model made by this load, for the messages.
    std::unordered_map<std::string, std::string> firstNodeOfModel;
    // Names of the root's children seen so far.
    std::unordered_map<std::string, int> nodeNames;
    int unnamedMeshNodes = 0;
    std::vector<LevelFinding> findings;
    // Set when the level cannot be played; the walk stops. When set, the
    // last finding says why.
    std::string error;

    double* figure(double LevelLoadTimes::*member) { return times ? &(times->*member) : nullptr; }

    void report(LevelFinding::Severity severity, const std::string& node, std::string problem,
                std::string remedy);
    // Refuses the level with its own line as the error.
    void refuse(const std::string& node, std::string problem, std::string remedy);
    // Refuses the level with an error line of its own wording.
    void refuse(std::string line, const std::string& node, std::string problem, std::string remedy);
};

// A node's name as the importer gives it.
std::string nodeName(const aiNode* node);
