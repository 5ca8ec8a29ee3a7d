#include "world/WorldLoader.h"

#include "assets/AssetPaths.h"
#include "core/Stopwatch.h"
#include "world/LevelImport.h"
#include "world/LevelWalk.h"

WorldLoader::WorldLoader() : directory_(levelDirectory()) {}

LevelResult WorldLoader::read(const std::string& name, LevelLoadTimes* times) {
    return readFile(directory_ + name, {times});
}

LevelResult WorldLoader::readFile(const std::string& path, const LevelReadOptions& options) {
    LevelLoadTimes* times = options.times;
    Stopwatch total(times ? &times->total : nullptr);
    LevelImport level = importLevel(path, times ? &times->import : nullptr);
    if (!level.scene) {
        return {std::nullopt, std::move(level.error), std::move(level.findings), level.failure};
    }
    return buildLevel(path, level.scene, level.format, options);
}
