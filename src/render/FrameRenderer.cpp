#include "render/FrameRenderer.h"

#include "assets/Model.h"
#include "assets/ModelLoader.h"
#include "core/Config.h"
#include "render/BloomShader.h"
#include "render/Camera.h"
#include "render/Culling.h"
#include "render/SkyboxShader.h"

#include <GL/glew.h>

#include <algorithm>
#include <unordered_map>

namespace {

// The model of an object, found on its first draw; null when its file failed
// to load (reported when it was loaded), whose empty record has nothing to
// draw.
Model* modelOf(GameObject& object) {
    if (!object.model) {
        object.model = &ModelLoader::instance().get(object.name);
    }
    if (object.model->meshLevels.empty() && object.model->geometryLevels.empty()) {
        return nullptr;
    }
    return object.model;
}

// Models keep their place in the model cache until exit, and their meshes
// never change, so each one's bounds are worked out once.
const BoundingSphere& cachedBounds(const Model& model) {
    static std::unordered_map<const Model*, BoundingSphere> bounds;
    auto found = bounds.find(&model);
    if (found == bounds.end()) {
        found = bounds.emplace(&model, modelBounds(model)).first;
    }
    return found->second;
}

struct Visible {
    GameObject* object;
    Model* model;
    float distance;
};

// The objects that can reach the picture, nearest first: what lies wholly
// outside the view costs the rasteriser its vertex work and adds nothing,
// and near objects drawn first hide the far ones' pixels before they are
// shaded.
std::vector<Visible> visibleObjects(const std::vector<GameObject*>& objects,
                                    const glm::mat4& projView, const glm::vec3& eye) {
    std::vector<Visible> visible;
    visible.reserve(objects.size());
    for (GameObject* object : objects) {
        Model* model = modelOf(*object);
        if (!model) {
            continue;
        }
        const BoundingSphere sphere =
            transformBounds(cachedBounds(*model), object->getModelMatrix());
        if (outsideView(sphere, projView)) {
            continue;
        }
        visible.push_back({object, model, glm::length(sphere.centre - eye) - sphere.radius});
    }
    std::stable_sort(visible.begin(), visible.end(),
                     [](const Visible& a, const Visible& b) { return a.distance < b.distance; });
    return visible;
}

void drawObjects(BloomShader& bloom, const std::vector<Visible>& objects, bool normalMapping,
                 int32_t detailLevel) {
    for (const Visible& v : objects) {
        bloom.setModel(*v.object);
        bloom.phongStage->drawModel(*v.model, &normalMapping, detailLevel);
    }
}

} // namespace

void prepareFrame(BloomShader& bloom, SkyboxShader& sky, const FrameScene& scene,
                  const Camera& camera) {
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
}

void drawSceneObjects(BloomShader& bloom, const FrameScene& scene, const Camera& camera,
                      const RenderSettings& settings) {
    const glm::mat4 projView = camera.getProjection() * camera.getViewMatrix();
    const glm::vec3 eye = camera.getPosition();
    glBindFramebuffer(GL_FRAMEBUFFER, bloom.targets.hdrFramebuffer);
    if (settings.wireframe) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(bloom.phongStage->programId);
    drawObjects(bloom, visibleObjects(scene.obstacles, projView, eye), settings.normalMapping,
                settings.detailLevel);
    drawObjects(bloom, visibleObjects(scene.others, projView, eye), false, settings.detailLevel);
    glUseProgram(0);
    if (settings.wireframe) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
}

void drawSceneSky(BloomShader& bloom, SkyboxShader& sky, const FrameScene& scene) {
    glBindFramebuffer(GL_FRAMEBUFFER, bloom.targets.hdrFramebuffer);
    glUseProgram(sky.programId);
    // A sky that cannot glow leaves the bright parts as the clear left them:
    // writing its zeros would only cost the rasteriser a buffer.
    const bool skyGlows = config().brightness > SKY_GLOW_THRESHOLD;
    if (!skyGlows) {
        const GLenum sceneOnly[2] = {GL_COLOR_ATTACHMENT0, GL_NONE};
        glDrawBuffers(2, sceneOnly);
    }
    sky.draw(scene.skyboxName);
    if (!skyGlows) {
        const GLenum both[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
        glDrawBuffers(2, both);
    }
    glUseProgram(0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void renderFrame(BloomShader& bloom, SkyboxShader& sky, const FrameScene& scene,
                 const Camera& camera, const RenderSettings& settings) {
    const Config& cfg = config();
    // Every pass of the frame writes opaque colour, so blending would give
    // the same picture; off, the rasteriser need not read back its targets.
    // The overlay after the frame blends again.
    glDisable(GL_BLEND);
    prepareFrame(bloom, sky, scene, camera);
    drawSceneObjects(bloom, scene, camera, settings);
    drawSceneSky(bloom, sky, scene);
    bloom.blurStage->blur(bloom.targets, cfg.blurIterations);
    bloom.blendStage->blend(bloom.targets, cfg.blurIterations, settings.bloomEnabled);
    glEnable(GL_BLEND);
}

void renderFrameWithSingletons(const FrameScene& scene, const Camera& camera,
                               const RenderSettings& settings) {
    // The first frame builds the bloom composite here.
    renderFrame(BloomShader::instance(), SkyboxShader::instance(), scene, camera, settings);
}
