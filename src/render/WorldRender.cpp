// World::render and renderWireframe: the world is drawn by the renderer, which
// knows the world, not the other way round.
#include "render/FrameRenderer.h"
#include "world/World.h"

namespace {

void draw(World& world, const Camera& camera, bool bloomEnabled, bool normalMapping,
          int32_t detailLevel, bool wireframe, float brightness) {
    RenderSettings settings;
    settings.bloomEnabled = bloomEnabled;
    settings.normalMapping = normalMapping;
    settings.detailLevel = detailLevel;
    settings.wireframe = wireframe;
    settings.brightness = brightness;
    renderWorld(world.objects, world.directionalLights, world.pointLights, world.ambient,
                world.skyboxName, world.currentRing, camera, settings);
}

} // namespace

void World::render(const Camera& camera, bool bloomEnabled, bool normalMapping, int32_t detailLevel,
                   float brightness) {
    draw(*this, camera, bloomEnabled, normalMapping, detailLevel, false, brightness);
}

void World::renderWireframe(const Camera& camera, bool bloomEnabled, bool normalMapping,
                            int32_t detailLevel, float brightness) {
    draw(*this, camera, bloomEnabled, normalMapping, detailLevel, true, brightness);
}
