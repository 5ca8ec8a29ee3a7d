#pragma once

#include <glm/glm.hpp>

#include <string>
#include <vector>

// Surface values of one mesh, read from its model file. Only the first entry
// of each texture list is bound when drawing; the rest are kept as read.
struct Material {
    // Texture names as the file gives them, or the paths they were found at.
    std::vector<std::string> diffuseTextures; // for the texture cache
    std::vector<std::string> normalTextures;  // file names of the normal maps
    // Textures the file names that were found nowhere (already reported);
    // the surface is drawn without them.
    std::vector<std::string> missingTextures;
    glm::vec3 ambientColor{0.2f, 0.2f, 0.2f};
    // The surface's own colour where it has no diffuse texture (COLLADA
    // <diffuse><color>; Blender writes 0.8 grey by default).
    glm::vec3 diffuseColor{0.8f, 0.8f, 0.8f};
    // Light the surface gives off by itself (COLLADA <emission>, Blender's
    // Emission): added to its lit colour and to the part that glows.
    glm::vec3 emissiveColor{0.0f, 0.0f, 0.0f};
    glm::vec3 specularColor{0.0f, 0.0f, 0.0f};
    float diffuseIntensity = 3.0f;
    float expShininess = 8.0f;
};
