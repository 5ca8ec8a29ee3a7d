#include "render/BloomShader.h"

#include "core/Config.h"
#include "render/Uniforms.h"

#include <GL/glew.h>

BloomPhongStage::BloomPhongStage() : LightingShader("nm_bloom.vert", "nm_bloom.frag") {}

BloomPhongStage& BloomPhongStage::instance() {
    static BloomPhongStage stage;
    return stage;
}

uint64_t BloomPhongStage::drawModel(Model& model, const bool* normalMapping, int32_t level) {
    glUseProgram(programId);
    setUniform(programId, "normalMapping", int32_t(*normalMapping));
    return drawModelLevel(model, level, programId);
}

BloomShader& BloomShader::instance() {
    static BloomShader composite = [] {
        // Built in this order: phong stage, blur stage, blend stage, then the
        // sky (already there from start-up) and the buffers.
        BloomPhongStage& phong = BloomPhongStage::instance();
        BloomBlurStage& blur = BloomBlurStage::instance();
        BloomBlendStage& blend = BloomBlendStage::instance();
        SkyboxShader& sky = SkyboxShader::instance();
        return BloomShader(phong, blur, blend, sky, config().windowWidth, config().windowHeight);
    }();
    return composite;
}

BloomShader::BloomShader(BloomPhongStage& phongStage, BloomBlurStage& blurStage,
                         BloomBlendStage& blendStage, SkyboxShader& skybox, uint32_t width,
                         uint32_t height)
    : phongStage(&phongStage), blurStage(&blurStage), blendStage(&blendStage), skybox(&skybox),
      targets(createBloomTargets(width, height)) {}

void BloomShader::setCamera(const Camera& camera) {
    glUseProgram(phongStage->programId);
    phongStage->setCamera(camera);
}

void BloomShader::setBrightness(const float* brightness) {
    glUseProgram(phongStage->programId);
    phongStage->setBrightness(brightness);
}

void BloomShader::setModel(const SceneObject& object) {
    glUseProgram(phongStage->programId);
    phongStage->setModel(object);
}

void BloomShader::setAmbient(const glm::vec3& color) {
    glUseProgram(phongStage->programId);
    phongStage->setAmbient(color);
}

void BloomShader::setLights(std::vector<Light*> lights) {
    glUseProgram(phongStage->programId);
    phongStage->setLights(lights);
}

void BloomShader::resize(uint32_t sceneWidth, uint32_t sceneHeight, uint32_t windowWidth,
                         uint32_t windowHeight) {
    if (targets.width == sceneWidth && targets.height == sceneHeight &&
        targets.outputWidth == windowWidth && targets.outputHeight == windowHeight) {
        return;
    }
    if (targets.width == sceneWidth && targets.height == sceneHeight) {
        // Only the window changed: the buffers stay, the picture is shown larger.
        targets.outputWidth = windowWidth;
        targets.outputHeight = windowHeight;
        return;
    }
    deleteBloomTargets(targets);
    targets = createBloomTargets(sceneWidth, sceneHeight, windowWidth, windowHeight);
}
