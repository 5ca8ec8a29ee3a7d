#include "render/LightingShader.h"

#include "assets/Material.h"
#include "assets/Model.h"
#include "assets/ShapeStores.h"
#include "assets/TextureLoader.h"
#include "render/Uniforms.h"
#include "world/SceneObject.h"

#include <GL/glew.h>

#include <utility>

void LightingShader::setModel(const SceneObject& object) {
    setUniform(programId, "model", object.getModelMatrix());
}

void LightingShader::setAmbient(const glm::vec3& color) {
    setUniform(programId, "ambient", color);
}

void LightingShader::setLights(std::vector<Light*> lights) {
    uploadLights(programId, lights);
}

void bindMaterial(uint32_t program, const Material& material) {
    // A texture's first use loads it, and loading binds it on the active
    // unit; doing that on a scratch unit, before binding anything, keeps a
    // fresh normal map from replacing the diffuse texture on unit 2 (or a
    // fresh diffuse texture from replacing the last normal map on unit 3).
    glActiveTexture(GL_TEXTURE0 + TEXTURE_LOAD_UNIT);
    const Texture* diffuse = material.diffuseTextures.empty()
                                 ? nullptr
                                 : &TextureLoader::instance().get(material.diffuseTextures.front());
    const Texture* normal = material.normalTextures.empty()
                                ? nullptr
                                : &TextureLoader::instance().get(material.normalTextures.front());
    // A texture that failed to load has no image: the material then draws
    // as if it named none.
    const bool hasDiffuse = diffuse && diffuse->id != 0;
    const bool hasNormal = normal && normal->id != 0;
    if (hasDiffuse) {
        diffuse->bind(program, 2, "diffuseColor");
    }
    if (hasNormal) {
        normal->bind(program, 3, "normalMap");
    }
    setUniform(program, "hasDiffuseTexture", int32_t(hasDiffuse));
    setUniform(program, "hasNormalMap", int32_t(hasNormal));
    setUniform(program, "materialDiffuse", material.diffuseColor);
    setUniform(program, "emissiveColor", material.emissiveColor);
    setUniform(program, "ambientColor", material.ambientColor);
    setUniform(program, "specularColor", material.specularColor);
    setUniform(program, "diffuseIntensity", material.diffuseIntensity);
    setUniform(program, "expShininess", material.expShininess);
}

const std::vector<uint32_t>* modelLevel(const std::vector<std::vector<uint32_t>>& levels,
                                        size_t level) {
    return level < levels.size() ? &levels[level] : nullptr;
}

PhongShader::PhongShader() : LightingShader("phong.vert", "phong.frag") {}

PhongShader& PhongShader::instance() {
    static PhongShader shader;
    return shader;
}

void PhongShader::drawModel(Model& model, int32_t level) {
    if (level < 0) {
        return;
    }
    if (auto* meshes = modelLevel(model.meshLevels, size_t(level))) {
        for (uint32_t index : *meshes) {
            Mesh& mesh = meshStore().at(index);
            bindMaterial(programId, mesh.material);
            mesh.draw();
        }
    }
    if (auto* geometries = modelLevel(model.geometryLevels, size_t(level))) {
        for (uint32_t index : *geometries) {
            geometryStore().at(index).draw();
        }
    }
}

GreyboxShader::GreyboxShader() : LightingShader("phong.vert", "greybox.frag") {}

GreyboxShader& GreyboxShader::instance() {
    static GreyboxShader shader;
    return shader;
}

void GreyboxShader::drawModel(Model& model) {
    if (auto* meshes = modelLevel(model.meshLevels, 0)) {
        for (uint32_t index : *meshes) {
            meshStore().at(index).draw();
        }
    }
    if (auto* geometries = modelLevel(model.geometryLevels, 0)) {
        for (uint32_t index : *geometries) {
            geometryStore().at(index).draw();
        }
    }
}
