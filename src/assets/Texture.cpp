#include "assets/Texture.h"

#include <GL/glew.h>

#include <utility>

const std::array<std::string, 6> cubeFaceNames = {"right",  "left",  "top",
                                                  "bottom", "front", "back"};

TextureBase::TextureBase() {
    glGenTextures(1, &id);
}

TextureBase::TextureBase(TextureBase&& other) noexcept : id(std::exchange(other.id, 0)) {}

TextureBase& TextureBase::operator=(TextureBase&& other) noexcept {
    if (this != &other) {
        id = std::exchange(other.id, 0);
    }
    return *this;
}

void TextureBase::bindTo(uint32_t target, uint32_t program, uint32_t unit,
                         const std::string& uniformName) const {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(target, id);
    // The location is looked up on every bind; -1 (an unused sampler) is
    // ignored by OpenGL.
    glUniform1i(glGetUniformLocation(program, uniformName.c_str()), GLint(unit));
}

void Texture::bind(uint32_t program, uint32_t unit, const std::string& uniformName) const {
    bindTo(GL_TEXTURE_2D, program, unit, uniformName);
}

void Cubemap::bind(uint32_t program, uint32_t unit, const std::string& uniformName) const {
    bindTo(GL_TEXTURE_CUBE_MAP, program, unit, uniformName);
}
