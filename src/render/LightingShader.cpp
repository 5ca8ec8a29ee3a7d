#include "render/LightingShader.h"

#include "assets/Material.h"
#include "assets/Model.h"
#include "assets/ShapeStores.h"
#include "assets/TextureLoader.h"
#include "render/Uniforms.h"
#include "world/SceneObject.h"

#include <GL/glew.h>

#include <algorithm>
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

namespace {

// The level of `count` levels that draws for a wanted one, compared unsigned.
size_t levelDrawn(size_t count, int32_t wanted) {
    return std::min(size_t(uint32_t(wanted)), count - 1);
}

} // namespace

uint64_t drawModelLevel(const Model& model, int32_t level, uint32_t materialProgram) {
    uint64_t triangles = 0;
    const size_t meshLevelCount = model.meshLevels.size();
    size_t wanted = size_t(uint32_t(level));
    if (meshLevelCount > 0) {
        wanted = levelDrawn(meshLevelCount, level);
        for (uint32_t index : model.meshLevels[wanted]) {
            Mesh& mesh = meshStore().at(index);
            if (materialProgram != 0) {
                bindMaterial(materialProgram, mesh.material);
            }
            mesh.draw();
            triangles += uint64_t(mesh.triangleCount);
        }
    }
    const size_t geometryLevelCount = model.geometryLevels.size();
    if (geometryLevelCount > 0) {
        for (uint32_t index : model.geometryLevels[std::min(wanted, geometryLevelCount - 1)]) {
            Geometry& geometry = geometryStore().at(index);
            geometry.draw();
            triangles += uint64_t(geometry.triangleCount);
        }
    }
    return triangles;
}
