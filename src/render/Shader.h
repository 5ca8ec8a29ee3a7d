#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <string>

// Root of every GPU program class. A program lives until the OpenGL context
// ends with the window: nothing deletes it, because the program singletons
// outlive the context at exit.
class Shader {
public:
    // The OpenGL program name; 0 until a program is built (and for the bloom
    // composite, which has no program of its own).
    uint32_t programId = 0;

    Shader() = default;
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;
    // A moved-from program object names no program.
    Shader(Shader&& other) noexcept;
    Shader& operator=(Shader&& other) noexcept;

protected:
    ~Shader() = default;
};

// Reads a whole shader file as text. A file that cannot be opened (missing,
// unreadable, not a regular file) logs an ERROR line naming the path and
// yields empty text, so the failure then shows in the compile messages too.
std::string readShaderFile(const std::string& path);

class Camera;

// A program built from one vertex and one fragment file in shaderDirectory().
// Construction never fails visibly: compile and link failures are ERROR lines
// on the console, and `programId` keeps the name of the (broken) program.
class VFShader : public Shader {
public:
    VFShader(const std::string& vertexFileName, const std::string& fragmentFileName);
    virtual ~VFShader() = default;
    VFShader(VFShader&&) noexcept = default;
    VFShader& operator=(VFShader&&) noexcept = default;

    // "projView" = projection x view and "camPos" = the camera's position in
    // the world.
    virtual void setCamera(const Camera& camera);
    // "brightness" = *brightness.
    virtual void setBrightness(const float* brightness);

protected:
    VFShader() = default;

    void uploadCamera(const glm::mat4& projView, const glm::vec3& cameraPosition);
};
