#include "render/WorldRenderer.h"

#include "render/FrameRenderer.h"
#include "world/World.h"

namespace {
void renderWith(World& world, const Camera& camera, const RenderSettings& settings) {
    renderWorld(world.objects, world.directionalLights, world.pointLights, world.ambient,
                world.skyboxName, world.currentRing, camera, settings);
}
} // namespace

void render(World& world, const Camera& camera, bool bloomEnabled, bool normalMapping,
            int32_t detailLevel) {
    renderWith(world, camera, RenderSettings{bloomEnabled, normalMapping, detailLevel, false});
}

void renderWireframe(World& world, const Camera& camera, bool bloomEnabled, bool normalMapping,
                     int32_t detailLevel) {
    renderWith(world, camera, RenderSettings{bloomEnabled, normalMapping, detailLevel, true});
}
