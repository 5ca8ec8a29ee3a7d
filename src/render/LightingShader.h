#pragma once

#include "render/Light.h"
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

// The positions of a model's level `level`, or null when the model lacks it
// (a model whose file failed to load has no level at all).
const std::vector<uint32_t>* modelLevel(const std::vector<std::vector<uint32_t>>& levels,
                                        size_t level);

// Phong lighting with materials, drawn straight to the bound framebuffer
// ("phong.vert" + "phong.frag"). Built at start-up and kept; the frame itself
// draws through the bloom programs.
class PhongShader : public LightingShader {
public:
    PhongShader();

    // The start-up program, built by buildStartUpPrograms and kept until exit.
    static PhongShader& instance();

    // Draws level `level` of the model, binding each mesh's material, then
    // its geometries. A level the model lacks draws nothing.
    void drawModel(Model& model, int32_t level);
};

// Shapes without materials: every mesh in one lit grey ("phong.vert" +
// "greybox.frag"). Built at start-up and kept.
class GreyboxShader : public LightingShader {
public:
    GreyboxShader();

    // The start-up program, built by buildStartUpPrograms and kept until exit.
    static GreyboxShader& instance();

    // Draws level 0 of the model without binding materials; a model without
    // level 0 draws nothing.
    void drawModel(Model& model);
};
