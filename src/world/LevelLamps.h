#pragma once

#include "world/LevelBuild.h"
#include "world/LevelChecks.h"

#include <glm/vec3.hpp>

#include <string>

struct aiLight;
struct aiNode;
struct Placement;

// The fall-off Blender writes into a COLLADA lamp (constant 1, quadratic
// 1 / 25²): a glTF lamp's inverse square, which would be unbounded at its
// centre, becomes this, so that both exports of a level light alike.
inline constexpr glm::vec3 COLLADA_LAMP_FALLOFF{1.0f, 0.0f, 1.0f / 625.0f};

// A lamp as the game lights with it, before `saneLamp`'s checks: the colour
// in watts (colour × power) and the fall-off (constant, linear, quadratic).
struct LampValues {
    glm::vec3 colour{1.0f};
    glm::vec3 attenuation{1.0f, 0.0f, 0.0f};
};

// What a glTF point light, as the importer hands it on (colour × candela,
// inverse square), becomes: the power in watts and the COLLADA fall-off. A
// light with a range lights nothing beyond it; the fall-off then drops to a
// hundredth at the range, and never falls slower than Blender's.
LampValues gltfLamp(const glm::vec3& colourTimesCandela, float range);

// Whether the scene holds a light of exactly the node's name: a light whose
// node name lacks "Lamp" would otherwise be dropped without a word.
bool hasLightOfItsName(const aiNode* node, const aiScene* scene);

// Adds the point light of a lamp node, with the findings on its values, or a
// finding that says why it gives none (no light of its name, a light that is
// no point light, more than the lamps the game lights with).
void placeLamp(const aiNode* node, const std::string& label, const Placement& placement,
               LevelBuild& build);
