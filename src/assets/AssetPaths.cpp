#include "assets/AssetPaths.h"

#include "core/DataFolder.h"

// Each folder is put together on first use, once the data folder is known.

const std::string& shaderDirectory() {
    static const std::string folder = dataPath("shaders/");
    return folder;
}

const std::string& fontDirectory() {
    static const std::string folder = dataPath("assets/fonts/");
    return folder;
}

const std::string& textureDirectory() {
    static const std::string folder = dataPath("assets/textures/");
    return folder;
}

const std::string& cubemapDirectory() {
    static const std::string folder = dataPath("assets/textures/cubemaps/");
    return folder;
}

const std::string& modelDirectory() {
    static const std::string folder = dataPath("assets/models/");
    return folder;
}

const std::string& levelDirectory() {
    static const std::string folder = dataPath("assets/models/worlds/");
    return folder;
}

const std::string cubeFaceExtension = ".png";

const std::string& soundDirectory() {
    static const std::string folder = dataPath("assets/sounds/");
    return folder;
}
