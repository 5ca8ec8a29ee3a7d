#pragma once

#include "assets/Material.h"

#include <glm/glm.hpp>

#include <cstddef>
#include <map>
#include <optional>
#include <string>

// Material values a level's COLLADA file cannot carry out of Blender (its
// exporter writes neither normal maps nor ambient, specular colour or
// shininess), kept in a small text file beside the level: "LEVEL.dae" has
// "LEVEL.materials". Sections are material names as the level gives them;
// every key is optional:
//
//     ; comments start with ';' or '#'
//     [rock]
//     normal = rock_normal.png        ; found like the level's own textures
//     ambient = 0.09 0.085 0.08       ; three numbers, 0 or more
//     specular = 0.08 0.08 0.08
//     shininess = 12                  ; above 0
//     emission = 0 0 0
//
// Values here win over the level's own.
struct MaterialOverride {
    std::optional<std::string> normal;
    std::optional<glm::vec3> ambient;
    std::optional<glm::vec3> specular;
    std::optional<float> shininess;
    std::optional<glm::vec3> emission;
};

using MaterialOverrides = std::map<std::string, MaterialOverride>;

// The sidecar's path for a level or model file.
std::string materialSidecarPath(const std::string& sourceFile);

// A material file beyond this size is refused unread: a level's has a few
// lines per material, a few KiB at most.
inline constexpr std::size_t MAX_MATERIAL_FILE_BYTES = 256 * 1024;
// Lines reported one by one; the rest are counted in one more line.
inline constexpr int MAX_MATERIAL_FILE_REPORTS = 20;

// Parses sidecar text; a leading UTF-8 byte order mark is skipped. Each line
// that cannot be used (an unknown key, a value that is not what the key
// takes, a key outside a section) is skipped and reported with one ERROR line
// naming `path` and the line number, quoting at most 40 characters of it.
// After MAX_MATERIAL_FILE_REPORTS such lines, one last line
// "… and N more lines ignored." counts the rest.
MaterialOverrides parseMaterialOverrides(const std::string& text, const std::string& path);

// The sidecar of `sourceFile`, read once per run (no file: no overrides; a
// file larger than MAX_MATERIAL_FILE_BYTES: one ERROR line, no overrides).
// Safe to call from more than one thread.
const MaterialOverrides& materialOverridesFor(const std::string& sourceFile);

// Applies the overrides of the material's name; a normal map is located for
// `sourceFile` (a miss is reported like any texture).
void applyMaterialOverride(Material& material, const std::string& materialName,
                           const std::string& sourceFile);
