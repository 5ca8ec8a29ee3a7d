#include "render/FrameRenderer.h"

#include "assets/Model.h"
#include "assets/ModelLoader.h"
#include "core/Config.h"
#include "render/BloomShader.h"
#include "render/Camera.h"
#include "render/SkyboxShader.h"

#include <GL/glew.h>

namespace {

void drawObjects(BloomShader& bloom, const std::vector<GameObject*>& objects, bool normalMapping,
                 int32_t detailLevel) {
    for (GameObject* object : objects) {
        bloom.setModel(*object);
        if (!object->model) {
            object->model = &ModelLoader::instance().get(object->name);
        }
        // A model file that failed to load was reported when it was loaded;
        // its empty record has nothing to draw.
        if (object->model->meshLevels.empty() && object->model->geometryLevels.empty()) {
            continue;
        }
        bloom.phongStage->drawModel(*object->model, &normalMapping, detailLevel);
    }
}

} // namespace

void renderFrame(BloomShader& bloom, SkyboxShader& sky, const FrameScene& scene,
                 const Camera& camera, const RenderSettings& settings) {
    Config& cfg = config();
    // Brightness is read every frame: the end-of-game message dims it.
    glUseProgram(sky.programId);
    sky.setBrightness(&cfg.brightness);
    sky.setCamera(camera);
    glUseProgram(0);

    bloom.setBrightness(&cfg.brightness);
    bloom.setCamera(camera);
    bloom.setAmbient(scene.ambient);
    bloom.setLights(scene.lights);

    glBindFramebuffer(GL_FRAMEBUFFER, bloom.targets.hdrFramebuffer);
    if (settings.wireframe) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(bloom.phongStage->programId);
    drawObjects(bloom, scene.obstacles, settings.normalMapping, settings.detailLevel);
    drawObjects(bloom, scene.others, false, settings.detailLevel);

    glUseProgram(0);
    if (settings.wireframe) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
    glUseProgram(sky.programId);
    sky.draw(scene.skyboxName);
    glUseProgram(0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    bloom.blurStage->blur(bloom.targets, cfg.blurIterations);
    bloom.blendStage->blend(bloom.targets, cfg.blurIterations, settings.bloomEnabled);
}

void renderFrameWithSingletons(const FrameScene& scene, const Camera& camera,
                               const RenderSettings& settings) {
    // The first frame builds the bloom composite here.
    renderFrame(BloomShader::instance(), SkyboxShader::instance(), scene, camera, settings);
}
