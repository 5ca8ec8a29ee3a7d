#pragma once

#include "render/BloomStages.h"
#include "render/BloomTargets.h"
#include "render/LightingShader.h"
#include "render/SkyboxShader.h"

#include <cstdint>

// The scene pass of the bloom frame ("nm_bloom.vert" + "nm_bloom.frag"):
// lit, optionally normal-mapped meshes into the off-screen buffer's two
// outputs, the scene and its bright parts.
class BloomPhongStage : public LightingShader {
public:
    BloomPhongStage();

    // The program singleton, built on first use and kept until exit.
    static BloomPhongStage& instance();

    // Makes this program current, sets "normalMapping" from *normalMapping
    // and draws level `level` of the model with its materials
    // (drawModelLevel: a level beyond the model's last one draws the last
    // one). Returns the number of triangles drawn.
    uint64_t drawModel(Model& model, const bool* normalMapping, int32_t level);
};

// The bloom frame's composite: the three stage programs, the sky program and
// the off-screen buffers. It has no program of its own (programId 0); its
// lighting operations make the phong stage current and forward to it.
class BloomShader : public LightingShader {
public:
    // The composite singleton; the first call builds the stage programs (phong
    // stage, blur stage, blend stage) and the buffers at the configured window
    // size, until the first frame gives them the window's. All of it is kept
    // until exit.
    static BloomShader& instance();

    // A composite over the given stages with its own buffers of width x
    // height (the singleton uses the stage singletons and the configuration).
    BloomShader(BloomPhongStage& phongStage, BloomBlurStage& blurStage, BloomBlendStage& blendStage,
                SkyboxShader& skybox, uint32_t width, uint32_t height);

    void setCamera(const Camera& camera) override;
    void setBrightness(const float* brightness) override;
    void setModel(const SceneObject& object) override;
    void setAmbient(const glm::vec3& color) override;
    void setLights(std::vector<Light*> lights) override;

    // Builds the buffers again for a `scene` picture shown in a `window`
    // framebuffer; nothing happens when both are as they are.
    void resize(uint32_t sceneWidth, uint32_t sceneHeight, uint32_t windowWidth,
                uint32_t windowHeight);

    // The stages are singletons of their own; not owned.
    BloomPhongStage* phongStage;
    BloomBlurStage* blurStage;
    BloomBlendStage* blendStage;
    SkyboxShader* skybox;
    BloomTargets targets;
};
