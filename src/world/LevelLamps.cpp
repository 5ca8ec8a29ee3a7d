#include "world/LevelLamps.h"

#include "world/LevelChecks.h"
#include "world/Placement.h"

#include <assimp/scene.h>
#include <glm/common.hpp>

#include <algorithm>
#include <cmath>

using Severity = LevelFinding::Severity;

namespace {

// The range of a glTF light, which the importer keeps beside the node; 0
// when it has none.
float lightRange(const aiNode* node) {
    float range = 0.0f;
    if (node->mMetaData && node->mMetaData->Get("PBR_LightRange", range) && std::isfinite(range) &&
        range > 0.0f) {
        return range;
    }
    return 0.0f;
}

const char* lightKind(aiLightSourceType type) {
    switch (type) {
    case aiLightSource_DIRECTIONAL:
        return "a sun (directional) light";
    case aiLightSource_SPOT:
        return "a spot light";
    case aiLightSource_AREA:
        return "an area light";
    case aiLightSource_AMBIENT:
        return "an ambient light";
    default:
        return "a light the game does not know";
    }
}

} // namespace

LampValues gltfLamp(const glm::vec3& colourTimesCandela, float range) {
    LampValues lamp;
    // Blender's watts come back whole: 10 W is written as 543.514 cd and
    // would return as 10.00001 W, beyond the 10 W a lamp is allowed.
    lamp.colour = glm::round(colourTimesCandela / CANDELA_PER_WATT * 1e4f) / 1e4f;
    lamp.attenuation = COLLADA_LAMP_FALLOFF;
    if (range > 0.0f && std::isfinite(range)) {
        lamp.attenuation.z = std::max(COLLADA_LAMP_FALLOFF.z, 100.0f / (range * range));
    }
    return lamp;
}

bool hasLightOfItsName(const aiNode* node, const aiScene* scene) {
    for (unsigned i = 0; i < scene->mNumLights; ++i) {
        if (scene->mLights[i]->mName == node->mName) {
            return true;
        }
    }
    return false;
}

void placeLamp(const aiNode* node, const std::string& label, const Placement& placement,
               LevelBuild& build) {
    const aiScene* scene = build.scene;
    const aiLight* light = nullptr;
    for (unsigned i = 0; i < scene->mNumLights && !light; ++i) {
        if (scene->mLights[i]->mName == node->mName) {
            light = scene->mLights[i];
        }
    }
    if (!light) {
        build.report(Severity::Warning, label,
                     "no light of the scene has its name, so it gives no light",
                     "give the lamp node and its light the same name");
        return;
    }
    const bool gltf = isGltf(build.format);
    if (gltf && light->mType != aiLightSource_POINT) {
        build.report(Severity::Warning, label,
                     std::string("it is ") + lightKind(light->mType) +
                         ", and the game lights with point lamps only, so it gives no light",
                     "make it a point light in Blender");
        return;
    }
    if (!placement.problem.empty()) {
        build.report(Severity::Error, label, placement.problem + ", so it is left out",
                     "clear the lamp's transform in Blender and place it again");
        return;
    }
    if (build.pointLights.size() >= MAX_POINT_LIGHTS) {
        build.report(Severity::Warning, label,
                     "the level has more than " + std::to_string(MAX_POINT_LIGHTS) +
                         " lamps, and the game lights with the first " +
                         std::to_string(MAX_POINT_LIGHTS) + " only, so this one is left out",
                     "use at most " + std::to_string(MAX_POINT_LIGHTS) + " lamps");
        return;
    }
    const aiColor3D& c = light->mColorDiffuse;
    LampValues lamp{glm::vec3(c.r, c.g, c.b),
                    glm::vec3(light->mAttenuationConstant, light->mAttenuationLinear,
                              light->mAttenuationQuadratic)};
    if (gltf) {
        lamp = gltfLamp(lamp.colour, lightRange(node));
    }
    build.pointLights.push_back(saneLamp(label, lamp.colour, placement.position, lamp.attenuation,
                                         build.findings,
                                         gltf ? LampUnits::Candela : LampUnits::Watts));
    build.pointLightNames.push_back(label);
}
