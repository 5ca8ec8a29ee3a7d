#include "render/Shader.h"

#include "assets/AssetPaths.h"
#include "core/Log.h"
#include "core/RegularFile.h"
#include "render/Uniforms.h"
#include "world/Camera.h"

#include <GL/glew.h>

#include <cstdio>
#include <filesystem>
#include <utility>

Shader::Shader(Shader&& other) noexcept : programId(std::exchange(other.programId, 0)) {}

Shader& Shader::operator=(Shader&& other) noexcept {
    programId = std::exchange(other.programId, 0);
    return *this;
}

std::string readShaderFile(const std::string& path) {
    // Far more than any shader the game ships.
    constexpr std::size_t MAX_SHADER_BYTES = 1024 * 1024;
    BoundedRead file = readBoundedFile(path, MAX_SHADER_BYTES);
    if (!file.problem.empty()) {
        logMessage(LogLevel::ERROR,
                   "Failed to open shader file: " + path + " (" + file.problem + ")");
        return {};
    }
    return std::move(file.text);
}

namespace {

// Compiles one stage; a failure logs `failurePrefix` + the driver's log.
GLuint compileStage(GLenum stage, const std::string& source, const char* failurePrefix) {
    GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char info[512] = {};
        glGetShaderInfoLog(shader, sizeof info, nullptr, info);
        logMessage(LogLevel::ERROR, std::string(failurePrefix) + info);
    }
    return shader;
}

} // namespace

VFShader::VFShader(const std::string& vertexFileName, const std::string& fragmentFileName) {
    programId = glCreateProgram();
    std::string vertexSource = readShaderFile(shaderDirectory() + vertexFileName);
    std::string fragmentSource = readShaderFile(shaderDirectory() + fragmentFileName);

    // Every step runs even after an earlier failure, so that one broken stage
    // still shows the link failure it causes.
    GLuint vertex =
        compileStage(GL_VERTEX_SHADER, vertexSource, "Vertex shader compilation failed:\n\t");
    vertexSource = {};
    GLuint fragment =
        compileStage(GL_FRAGMENT_SHADER, fragmentSource, "Fragment shader compilation failed:\n\t");
    fragmentSource = {};

    glAttachShader(programId, vertex);
    glAttachShader(programId, fragment);
    glLinkProgram(programId);
    GLint linked = 0;
    glGetProgramiv(programId, GL_LINK_STATUS, &linked);
    if (!linked) {
        char info[512] = {};
        glGetProgramInfoLog(programId, sizeof info, nullptr, info);
        logMessage(LogLevel::ERROR, std::string("Linking of shader failed:\n\t") + info);
    }
    glDeleteShader(vertex);
    glDeleteShader(fragment);
}

void VFShader::setCamera(const Camera& camera) {
    uploadCamera(camera.getProjection() * camera.getViewMatrix(), camera.getPosition());
}

void VFShader::setBrightness(const float* brightness) {
    setUniform(programId, "brightness", *brightness);
}

void VFShader::uploadCamera(const glm::mat4& projView, const glm::vec3& cameraPosition) {
    setUniform(programId, "projView", projView);
    setUniform(programId, "camPos", cameraPosition);
}
