#pragma once

#include "render/LightUpload.h"
#include "render/Shader.h"

#include <glm/glm.hpp>

#include <vector>

class SceneObject;
struct Material;
struct Model;

// A program that lights meshes with point lights, an ambient colour and each
// mesh's material. Per frame: program current, setBrightness, setCamera,
// setAmbient, setLights; then per object setModel and the concrete class's
// drawModel.
class LightingShader : public VFShader {
public:
    using VFShader::VFShader;

    // "model" = the object's model matrix.
    virtual void setModel(const SceneObject& object);
    // "ambient" = the ambient light colour.
    virtual void setAmbient(const glm::vec3& color);
    // Writes the lights in list order (entries from 0) and their counts; the
    // list holds non-owning pointers and is consumed.
    virtual void setLights(std::vector<Light*> lights);

protected:
    LightingShader() = default;
};

// Texture unit that first uses of textures load on, so that loading never
// disturbs the units the programs sample (0 to 3).
inline constexpr uint32_t TEXTURE_LOAD_UNIT = 4;

// Binds a mesh's material into `program`: the first diffuse texture on unit 2
// ("diffuseColor"), the first normal map on unit 3 ("normalMap"), and the
// material values. A material without a texture (or whose texture failed to
// load) leaves the unit as it was and tells the program so
// ("hasDiffuseTexture", "hasNormalMap"): it then draws in its diffuse colour
// ("materialDiffuse") with its surface normal as it is. "emissiveColor" is
// the light the surface gives off.
void bindMaterial(uint32_t program, const Material& material);

// Draws level `level` of a model: each of its meshes, binding the mesh's
// material into `materialProgram` first (unless that is 0), then its
// geometries. This is the one rule for which level every program draws: the
// level asked for where the model has it, else its last one (a negative level
// counts as a huge unsigned one, so the last too); the geometries take the
// meshes' level, or their own last where they have fewer levels. A model
// without levels (a file that failed to load) draws nothing. Returns the
// number of triangles drawn.
uint64_t drawModelLevel(const Model& model, int32_t level, uint32_t materialProgram);
