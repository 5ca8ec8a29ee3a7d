#pragma once

#include <string>

// Folders the asset caches read from, relative to the working folder, and the
// extension of cube-map face images. Constant for the whole run.
extern const std::string textureDirectory;  // "res/assets/textures/"
extern const std::string cubemapDirectory;  // "res/assets/textures/cubemaps/"
extern const std::string modelDirectory;    // "res/assets/models/"
extern const std::string cubeFaceExtension; // ".png"
extern const std::string soundDirectory;    // "res/assets/sounds/"
