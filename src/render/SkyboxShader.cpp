#include "render/SkyboxShader.h"

#include "assets/ModelLoader.h"
#include "assets/TextureLoader.h"
#include "render/LightingShader.h"
#include "render/Uniforms.h"
#include "world/Camera.h"

#include <GL/glew.h>

SkyboxShader::SkyboxShader() : VFShader("skybox.vert", "skybox.frag") {}

SkyboxShader& SkyboxShader::instance() {
    static SkyboxShader shader;
    return shader;
}

void SkyboxShader::setCamera(const Camera& camera) {
    setUniform(programId, "view", glm::mat4(glm::mat3(camera.getViewMatrix())));
    setUniform(programId, "proj", camera.getProjection());
}

void SkyboxShader::draw(const std::string& cubemapName) {
    GLint activeUnit = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    glDepthFunc(GL_LEQUAL);
    glActiveTexture(GL_TEXTURE0 + TEXTURE_LOAD_UNIT);
    Cubemap& sky = CubemapLoader::instance().get(cubemapName);
    sky.bind(programId, 1, "cubemap");
    drawModelLevel(ModelLoader::instance().get("skybox"), 0, 0);
    glDepthFunc(GL_LESS);
    glActiveTexture(GLenum(activeUnit));
}
