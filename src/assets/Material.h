#pragma once

#include <glm/glm.hpp>

#include <string>
#include <vector>

// Surface values of one mesh, read from its model file. Only the first entry
// of each texture list is bound when drawing; the rest are kept as read.
struct Material {
    std::vector<std::string> diffuseTextures; // file names for the texture cache
    std::vector<std::string> normalTextures;  // file names of the normal maps
    glm::vec3 ambientColor{0.2f, 0.2f, 0.2f};
    glm::vec3 specularColor{0.0f, 0.0f, 0.0f};
    float diffuseIntensity = 3.0f;
    float expShininess = 8.0f;
};
