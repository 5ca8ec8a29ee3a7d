#include "assets/AssetPaths.h"

const std::string textureDirectory = "res/assets/textures/";
const std::string cubemapDirectory = "res/assets/textures/cubemaps/";
const std::string modelDirectory = "res/assets/models/";
const std::string cubeFaceExtension = ".png";
const std::string soundDirectory = "res/assets/sounds/";
