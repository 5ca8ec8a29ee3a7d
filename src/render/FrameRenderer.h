#pragma once

#include "core/FrameSize.h"
#include "world/GameObject.h"
#include "world/Light.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

class BloomShader;
class Camera;
class SkyboxShader;

// Switches of the world frame that the player toggles (kept by the input code).
struct RenderSettings {
    bool bloomEnabled = true;
    bool normalMapping = true;
    // The finest level of detail, 0 to 3, that any object may draw; models
    // without that level draw their last one.
    int32_t detailLevel = 3;
    // Each object draws the coarsest level (up to detailLevel) whose
    // triangles are at most about a pixel across at its size on screen; off,
    // every object draws detailLevel itself, which gives the same picture at
    // many times the cost (kept for comparing the two).
    bool detailBySize = true;
    // Objects as lines instead of filled (the sky stays filled).
    bool wireframe = false;
    // The scene's brightness this frame (the menus and end screens dim it).
    float brightness = 1.0f;
};

// What one world frame draws, as lists of pointers into the world (rebuilt
// every frame; nothing here is owned).
struct FrameScene {
    // Drawn first, with normal mapping when it is on.
    std::vector<GameObject*> obstacles;
    // Everything else that is visible, never normal-mapped.
    std::vector<GameObject*> others;
    // Directional lights first, then the point lights in stored order.
    std::vector<Light*> lights;
    glm::vec3 ambient{1.0f};
    std::string skyboxName;
    float brightness = 1.0f;
};

// What the scene pass of one frame drew.
struct SceneDrawn {
    uint64_t objects = 0;
    uint64_t triangles = 0;
};

// Splits the world's objects into the two draw lists. Of the rings only the
// one at list position `currentRing` is drawn (none when it is negative or
// past the end).
template <class Objects>
void sortObjectsForDrawing(Objects& objects, int64_t currentRing, FrameScene& scene) {
    int64_t position = 0;
    for (GameObject& object : objects) {
        if (object.kind == ObjectKind::Obstacle) {
            scene.obstacles.push_back(&object);
        } else if (object.kind != ObjectKind::Ring || position == currentRing) {
            scene.others.push_back(&object);
        }
        ++position;
    }
}

// Appends a world light list (held by value or by pointer) to `lights`.
template <class Lights> void collectLights(Lights& source, std::vector<Light*>& lights) {
    for (auto& light : source) {
        if constexpr (std::is_pointer_v<std::remove_reference_t<decltype(light)>>) {
            lights.push_back(light);
        } else {
            lights.push_back(&light);
        }
    }
}

// Draws one frame of the world through the bloom composite into the window's
// framebuffer: sky uniforms, lights, objects into the off-screen buffer
// (obstacles first), the sky behind them, BLUR_ITERATIONS blur passes and the
// blend with exposure. Objects whose model has no level (a file that failed
// to load) are skipped. The caller clears the window first and draws the
// overlay and swaps afterwards.
void renderFrame(BloomShader& bloom, SkyboxShader& sky, const FrameScene& scene,
                 const Camera& camera, const RenderSettings& settings);

// The stages of renderFrame, in its order (kept apart so that each can be
// measured on its own):
// uploads the sky's and the lighting program's per-frame uniforms;
void prepareFrame(BloomShader& bloom, SkyboxShader& sky, const FrameScene& scene,
                  const Camera& camera);
// clears the off-screen buffer and draws the objects into it, obstacles
// first, each list nearest first, leaving out what lies wholly outside the
// camera's view, and says how much it drew;
SceneDrawn drawSceneObjects(BloomShader& bloom, const FrameScene& scene, const Camera& camera,
                            const RenderSettings& settings);
// draws the sky behind them and binds the window's framebuffer again.
void drawSceneSky(BloomShader& bloom, SkyboxShader& sky, const FrameScene& scene);

// Follows a new size of the window's framebuffer: its viewport, the text's
// projection, and the bloom buffers at the size the picture is drawn at
// (`scene`, at most the window's). The caller makes it current before the
// frame; an empty window is never drawn, so it is never given one.
void setFrameSize(FrameSize window, FrameSize scene);

// renderFrame with the program singletons (the first call builds the bloom
// composite).
void renderFrameWithSingletons(const FrameScene& scene, const Camera& camera,
                               const RenderSettings& settings);

// A world's frame from its parts (World::render and renderWireframe use it):
// its object list, directional and point lights (by value or by pointer),
// ambient colour, sky name and the list position of the current ring.
template <class Objects, class DirectionalLights, class PointLights>
void renderWorld(Objects& objects, DirectionalLights& directionalLights, PointLights& pointLights,
                 const glm::vec3& ambient, const std::string& skyboxName, int64_t currentRing,
                 const Camera& camera, const RenderSettings& settings) {
    FrameScene scene;
    sortObjectsForDrawing(objects, currentRing, scene);
    collectLights(directionalLights, scene.lights);
    collectLights(pointLights, scene.lights);
    scene.ambient = ambient;
    scene.skyboxName = skyboxName;
    scene.brightness = settings.brightness;
    renderFrameWithSingletons(scene, camera, settings);
}
