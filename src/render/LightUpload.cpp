#include "render/LightUpload.h"

#include "render/Uniforms.h"

#include <string>

uint32_t directionalLightCount = 0;
uint32_t pointLightCount = 0;

void PointLight::setUniforms(uint32_t program) {
    if (pointLightCount >= MAX_POINT_LIGHTS) {
        return;
    }
    const std::string prefix = "ptLights[" + std::to_string(pointLightCount) + "].";
    setUniform(program, prefix + "position", position);
    setUniform(program, prefix + "color", color);
    setUniform(program, prefix + "attenuation", attenuation);
    ++pointLightCount;
}

void uploadLights(uint32_t program, const std::vector<Light*>& lights) {
    directionalLightCount = 0;
    pointLightCount = 0;
    for (Light* light : lights) {
        light->setUniforms(program);
    }
    setUniform(program, "numDirLights", directionalLightCount);
    setUniform(program, "numPtLights", pointLightCount);
}
