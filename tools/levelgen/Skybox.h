#pragma once

#include <cstdint>
#include <string>

#include <glm/glm.hpp>

// The sky cube map: six faces named and oriented as OpenGL's cube faces +X, -X, +Y, -Y,
// +Z, -Z ("right", "left", "top", "bottom", "front", "back"), first row first. Every pixel
// is a function of its 3-D direction, so neighbouring faces meet without seams.

// Direction through face `face` (0..5) at s, t in [0, 1] (t = 0 on the first row).
glm::vec3 cubeFaceDirection(int face, float s, float t);
// The face a direction falls on and its s, t there; the inverse of cubeFaceDirection.
int cubeFaceOf(glm::vec3 direction, float& s, float& t);

struct TrackLook;

bool writeSkybox(const std::string& directory, int faceSize, uint64_t seed, const TrackLook& look);
