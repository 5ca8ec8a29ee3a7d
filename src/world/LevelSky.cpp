#include "world/LevelSky.h"

#include "assets/AssetPaths.h"

#include <filesystem>
#include <system_error>

const char* const SHIPPED_SKY_NAME = "BSpace";

std::string levelSkyName(const std::string& levelPath) {
    const std::string stem = std::filesystem::path(levelPath).stem().string();
    // A stem of dots would name a folder above the cube maps.
    if (stem.empty() || stem.front() == '.') {
        return SHIPPED_SKY_NAME;
    }
    std::error_code error;
    if (!std::filesystem::is_directory(cubemapDirectory() + stem, error)) {
        return SHIPPED_SKY_NAME;
    }
    return stem;
}
