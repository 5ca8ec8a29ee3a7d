#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <string>

// Uniform uploads by name into a given program. Every call looks the location
// up again (glGetUniformLocation), so programs never hold stale locations; a
// name the program lacks gives location -1 and OpenGL ignores the upload.
// None of these binds the program: the caller has made it current.

void setUniform(uint32_t program, const std::string& name, const glm::mat4& value);
void setUniform(uint32_t program, const std::string& name, const glm::vec3& value);
void setUniform(uint32_t program, const std::string& name, const glm::vec2& value);
void setUniform(uint32_t program, const std::string& name, float value);
// Integers, booleans (as 0 or 1) and sampler units.
void setUniform(uint32_t program, const std::string& name, int32_t value);
// Unsigned counts (the light counters).
void setUniform(uint32_t program, const std::string& name, uint32_t value);
