#pragma once

#include <string>

// Folders of the game's data, each below the data folder (core/DataFolder.h)
// and ending in '/', and the extension of cube-map face images. Constant for
// the whole run. Paths given on the command line are not among them: those
// stay relative to the working folder.
const std::string& shaderDirectory();       // "shaders/"
const std::string& fontDirectory();         // "assets/fonts/"
const std::string& textureDirectory();      // "assets/textures/"
const std::string& cubemapDirectory();      // "assets/textures/cubemaps/"
const std::string& modelDirectory();        // "assets/models/"
const std::string& levelDirectory();        // "assets/models/worlds/"
const std::string& soundDirectory();        // "assets/sounds/"
extern const std::string cubeFaceExtension; // ".png"
