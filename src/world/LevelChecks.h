#pragma once

#include "world/LevelFinding.h"
#include "world/Light.h"

#include <glm/gtc/quaternion.hpp>
#include <glm/vec3.hpp>

#include <optional>
#include <string>
#include <vector>

// The sanity rules for what a level places: transforms and lamps. Values
// that would break the physics or the picture are found here, with the
// words that tell the designer.

// A level is built in metres: an object scaled beyond these factors on any
// axis (a ring scaled by 1e30, a mesh flattened to nothing) is not a level
// the game can play, and a position beyond MAX_LEVEL_DISTANCE (the default
// far plane) is never seen and overflows the physics' bounds.
inline constexpr float MAX_LEVEL_SCALE = 1e4f;
inline constexpr float MIN_LEVEL_SCALE = 1e-4f;
inline constexpr float MAX_LEVEL_DISTANCE = 1e6f;

// Empty when a node may be placed with these values; otherwise what is
// wrong with them ("its transform is not finite (...)", ...). The scale is
// taken in double precision: a factor of 1e30 overflows a float's length.
std::string placementProblem(const glm::vec3& position, const glm::quat& rotation,
                             const glm::dvec3& scale);

// A lamp whose colour goes beyond this on any channel is taken for one
// exported in watts: Blender writes a lamp's power as its colour, and a
// sensible power (1 to 10 W) keeps it at most this.
inline constexpr float MAX_LAMP_COLOUR = 10.0f;

// The point light a lamp node makes, mended where its values would spoil
// the picture, with a finding for each mend:
// - a negative or non-finite colour channel becomes 0 (Error);
// - a colour above MAX_LAMP_COLOUR is scaled down, keeping its hue, to a
//   brightest channel of 1 (Warning);
// - an attenuation that is not finite, has a negative factor, or is 0 0 0
//   becomes 1 0 0, light that does not fade (Error).
// glTF gives a lamp's intensity in candela, and Blender writes a power of
// P watts as P × 683 / 4π cd; the game's lamps, like COLLADA's, carry the
// power in watts in their colour.
inline constexpr float CANDELA_PER_WATT = 683.0f / (4.0f * 3.14159265f);

// How the level file gave the lamp's power: as watts in its colour (COLLADA
// from Blender), or as an intensity in candela (glTF), turned into watts by
// the loader. The findings speak in the file's units.
enum class LampUnits { Watts, Candela };

PointLight saneLamp(const std::string& name, glm::vec3 colour, const glm::vec3& position,
                    glm::vec3 attenuation, std::vector<LevelFinding>& findings,
                    LampUnits units = LampUnits::Watts);
