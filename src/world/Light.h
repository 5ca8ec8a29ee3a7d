#pragma once

#include <glm/glm.hpp>

#include <cstdint>

// A light of the world. The renderer writes each kind into a lighting
// program's uniforms (render/LightUpload.cpp defines `setUniforms`):
// the world says what shines, the renderer how it is drawn.
class Light {
public:
    glm::vec3 color{1.0f};

    Light() = default;
    explicit Light(const glm::vec3& color) : color(color) {}

    // Writes this light into the next free entry of its kind in `program`.
    virtual void setUniforms(uint32_t program) = 0;

protected:
    // Lights are kept by value in the world's lists, never deleted through a
    // pointer to this base.
    ~Light() = default;
};

// How many point-light entries a lighting program has ("ptLights[0..15]").
inline constexpr uint32_t MAX_POINT_LIGHTS = 16;

// A light at a point, fading with distance d as
// 1 / (constant + linear d + quadratic d^2).
class PointLight final : public Light {
public:
    glm::vec3 position{0.0f};
    // Constant, linear and quadratic factors, in that order.
    glm::vec3 attenuation{1.0f, 0.0f, 0.0f};

    PointLight() = default;
    PointLight(const glm::vec3& color, const glm::vec3& position, const glm::vec3& attenuation)
        : Light(color), position(position), attenuation(attenuation) {}

    // Fills "ptLights[n].position", ".color" and ".attenuation" for n = the
    // point-light counter, then counts itself; once MAX_POINT_LIGHTS are
    // written, further point lights are left out.
    void setUniforms(uint32_t program) override;
};
