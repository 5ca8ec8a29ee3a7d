#include "render/Uniforms.h"

#include <GL/glew.h>
#include <glm/gtc/type_ptr.hpp>

namespace {
GLint locate(uint32_t program, const std::string& name) {
    return glGetUniformLocation(program, name.c_str());
}
} // namespace

void setUniform(uint32_t program, const std::string& name, const glm::mat4& value) {
    glUniformMatrix4fv(locate(program, name), 1, GL_FALSE, glm::value_ptr(value));
}

void setUniform(uint32_t program, const std::string& name, const glm::vec3& value) {
    glUniform3fv(locate(program, name), 1, glm::value_ptr(value));
}

void setUniform(uint32_t program, const std::string& name, const glm::vec2& value) {
    glUniform2fv(locate(program, name), 1, glm::value_ptr(value));
}

void setUniform(uint32_t program, const std::string& name, float value) {
    glUniform1f(locate(program, name), value);
}

void setUniform(uint32_t program, const std::string& name, int32_t value) {
    glUniform1i(locate(program, name), value);
}

void setUniform(uint32_t program, const std::string& name, uint32_t value) {
    glUniform1uiv(locate(program, name), 1, &value);
}
