#include "render/FrameRenderer.h"

#include "assets/Model.h"
#include "assets/ModelLoader.h"
#include "core/Config.h"
#include "render/BloomShader.h"
#include "render/Culling.h"
#include "render/LevelOfDetail.h"
#include "render/SkyboxShader.h"
#include "render/TextShader.h"
#include "world/Camera.h"

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

// What the frame needs to know of a model's shape: its bounds and the size
// of its levels' triangles.
struct ModelSizes {
    BoundingSphere bounds;
    std::vector<float> triangleSizes;
};

// Models keep their place in the model cache until exit, and their meshes
// never change, so each one's sizes are worked out once.
const ModelSizes& cachedSizes(const Model& model) {
    static std::unordered_map<const Model*, ModelSizes> sizes;
    auto found = sizes.find(&model);
    if (found == sizes.end()) {
        ModelSizes measured;
        measured.bounds = modelBounds(model);
        measured.triangleSizes = levelTriangleSizes(model, measured.bounds.radius);
        found = sizes.emplace(&model, std::move(measured)).first;
    }
    return found->second;
}

struct Visible {
    GameObject* object;
    Model* model;
    // From the eye to the near side of the object's bounding sphere.
    float distance;
    int32_t level;
};

// What decides each object's level of detail.
struct DetailView {
    glm::mat4 projView;
    glm::vec3 eye;
    float fovY;
    float pictureHeight;
    const RenderSettings& settings;
};

// The objects that can reach the picture, nearest first: what lies wholly
// outside the view costs the rasteriser its vertex work and adds nothing,
// and near objects drawn first hide the far ones' pixels before they are
// shaded.
std::vector<Visible> visibleObjects(const std::vector<GameObject*>& objects,
                                    const DetailView& view) {
    std::vector<Visible> visible;
    visible.reserve(objects.size());
    for (GameObject* object : objects) {
        Model* model = modelOf(*object);
        if (!model) {
            continue;
        }
        const ModelSizes& sizes = cachedSizes(*model);
        const BoundingSphere sphere = transformBounds(sizes.bounds, object->getModelMatrix());
        if (outsideView(sphere, view.projView)) {
            continue;
        }
        const float distance = glm::length(sphere.centre - view.eye) - sphere.radius;
        const int32_t cap = view.settings.detailLevel;
        const int32_t level = view.settings.detailBySize
                                  ? screenDetailLevel(sizes.triangleSizes, sphere.radius, distance,
                                                      view.fovY, view.pictureHeight, cap)
                                  : cap;
        visible.push_back({object, model, distance, level});
    }
    std::stable_sort(visible.begin(), visible.end(),
                     [](const Visible& a, const Visible& b) { return a.distance < b.distance; });
    return visible;
}

void drawObjects(BloomShader& bloom, const std::vector<Visible>& objects, bool normalMapping,
                 SceneDrawn& drawn) {
    for (const Visible& v : objects) {
        bloom.setModel(*v.object);
        drawn.triangles += bloom.phongStage->drawModel(*v.model, &normalMapping, v.level);
        ++drawn.objects;
    }
}

} // namespace

void prepareFrame(BloomShader& bloom, SkyboxShader& sky, const FrameScene& scene,
                  const Camera& camera) {
    // Brightness is set every frame: the end screens and menus dim it.
    glUseProgram(sky.programId);
    sky.setBrightness(&scene.brightness);
    sky.setCamera(camera);
    glUseProgram(0);

    bloom.setBrightness(&scene.brightness);
    bloom.setCamera(camera);
    bloom.setAmbient(scene.ambient);
    bloom.setLights(scene.lights);
}

SceneDrawn drawSceneObjects(BloomShader& bloom, const FrameScene& scene, const Camera& camera,
                            const RenderSettings& settings) {
    const DetailView view{camera.getProjection() * camera.getViewMatrix(), camera.getPosition(),
                          camera.fovY, float(bloom.targets.height), settings};
    // Materials bind their textures unit by unit; the caller's unit comes back.
    GLint activeUnit = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    glBindFramebuffer(GL_FRAMEBUFFER, bloom.targets.hdrFramebuffer);
    glViewport(0, 0, GLsizei(bloom.targets.width), GLsizei(bloom.targets.height));
    if (settings.wireframe) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(bloom.phongStage->programId);
    SceneDrawn drawn;
    drawObjects(bloom, visibleObjects(scene.obstacles, view), settings.normalMapping, drawn);
    drawObjects(bloom, visibleObjects(scene.others, view), false, drawn);
    glUseProgram(0);
    if (settings.wireframe) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
    glActiveTexture(GLenum(activeUnit));
    return drawn;
}

void drawSceneSky(BloomShader& bloom, SkyboxShader& sky, const FrameScene& scene) {
    glBindFramebuffer(GL_FRAMEBUFFER, bloom.targets.hdrFramebuffer);
    glViewport(0, 0, GLsizei(bloom.targets.width), GLsizei(bloom.targets.height));
    glUseProgram(sky.programId);
    // A sky that cannot glow leaves the bright parts as the clear left them:
    // writing its zeros would only cost the rasteriser a buffer.
    const bool skyGlows = scene.brightness > SKY_GLOW_THRESHOLD;
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
    glViewport(0, 0, GLsizei(bloom.targets.outputWidth), GLsizei(bloom.targets.outputHeight));
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
    const BloomTargets& t = bloom.targets;
    if (t.scaled()) {
        // Finished at its own size, then scaled up to the whole window in
        // one filtered copy; the overlay after it is drawn at the window's
        // own resolution.
        glBindFramebuffer(GL_FRAMEBUFFER, t.pictureFramebuffer);
        glViewport(0, 0, GLsizei(t.width), GLsizei(t.height));
        bloom.blendStage->blend(t, cfg.blurIterations, settings.bloomEnabled);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, t.pictureFramebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBlitFramebuffer(0, 0, GLint(t.width), GLint(t.height), 0, 0, GLint(t.outputWidth),
                          GLint(t.outputHeight), GL_COLOR_BUFFER_BIT, GL_LINEAR);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, GLsizei(t.outputWidth), GLsizei(t.outputHeight));
    } else {
        bloom.blendStage->blend(t, cfg.blurIterations, settings.bloomEnabled);
    }
    glEnable(GL_BLEND);
}

void renderFrameWithSingletons(const FrameScene& scene, const Camera& camera,
                               const RenderSettings& settings) {
    // The first frame builds the bloom composite here.
    renderFrame(BloomShader::instance(), SkyboxShader::instance(), scene, camera, settings);
}

void setFrameSize(FrameSize window, FrameSize scene) {
    glViewport(0, 0, GLsizei(window.width), GLsizei(window.height));
    TextShader& text = TextShader::instance();
    glUseProgram(text.programId);
    text.setProjection(float(window.width), float(window.height));
    glUseProgram(0);
    BloomShader::instance().resize(scene.width, scene.height, window.width, window.height);
}
