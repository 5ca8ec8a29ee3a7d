#pragma once

#include "world/Light.h"

#include <cstdint>
#include <vector>

// Counters of the lights written by the current upload, shared by every
// light kind; uploadLights starts both again from 0. They keep their last
// values between uploads.
extern uint32_t directionalLightCount;
extern uint32_t pointLightCount;

// Writes `lights` in order into the current program `program` and then the
// counts "numDirLights" and "numPtLights" (unsigned).
void uploadLights(uint32_t program, const std::vector<Light*>& lights);
