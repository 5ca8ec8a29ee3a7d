#pragma once

#include "render/Shader.h"

#include <string>

// The luminance above which the sky's colour glows ("skybox.frag" uses the
// same figure). Its images hold at most white, so below this brightness the
// sky has no bright part at all.
inline constexpr float SKY_GLOW_THRESHOLD = 1.2f;

// The program of the sky ("skybox.vert" + "skybox.frag"): a cube map on the
// built-in unit box "skybox", centred on the viewer and kept on the far plane.
class SkyboxShader : public VFShader {
public:
    SkyboxShader();

    // The program singleton, built at start-up and kept until exit.
    static SkyboxShader& instance();

    // "view" = the camera's view without its translation (so moving does not
    // move the sky, turning does), "proj" = its projection.
    void setCamera(const Camera& camera) override;

    // Draws the sky with the cube map `cubemapName` (loaded on first use) on
    // unit 1 ("cubemap"). The caller made the program current and uploaded
    // camera and brightness. Depth passes at equal depth while drawing, so the
    // sky fills only what objects left empty; GL_LESS is restored afterwards.
    void draw(const std::string& cubemapName);
};
