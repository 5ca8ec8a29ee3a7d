#include "world/WorldLoader.h"

#include "assets/AssetPaths.h"
#include "core/Log.h"
#include "core/Stopwatch.h"
#include "world/LevelImport.h"
#include "world/LevelWalk.h"

#include <cstdlib>

WorldLoader::WorldLoader() : AssetLoader<World>(levelDirectory()) {}

World WorldLoader::load(const std::string& name) {
    const std::string path = directory + name;
    LevelResult result = read(name);
    // A refused level's last finding is the reason, said by the error line.
    const std::size_t shown = result.findings.size() - (result.world ? 0 : 1);
    for (std::size_t i = 0; i < shown && i < result.findings.size(); ++i) {
        const LevelFinding& finding = result.findings[i];
        logMessage(finding.severity == LevelFinding::Severity::Error ? LogLevel::ERROR
                                                                     : LogLevel::INFO,
                   consoleText(path, finding));
    }
    if (!result.world) {
        logMessage(LogLevel::ERROR, result.error);
        std::exit(EXIT_FAILURE);
    }
    return std::move(*result.world);
}

LevelResult WorldLoader::read(const std::string& name, LevelLoadTimes* times) {
    return readFile(directory + name, {times});
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
