#pragma once

#include "world/LevelFinding.h"
#include "world/LevelFormat.h"
#include "world/LevelResult.h"

#include <memory>
#include <string>
#include <vector>

struct aiScene;
namespace Assimp {
class Importer;
}

// A level file read into a scene, or why it could not be: the file checks of
// its format first (`checkLevelFile`), then the importer.
struct LevelImport {
    LevelImport();
    ~LevelImport();
    LevelImport(LevelImport&&) noexcept;
    LevelImport& operator=(LevelImport&&) noexcept;

    // Owns the scene.
    std::unique_ptr<Assimp::Importer> importer;
    // Null when the file was refused.
    const aiScene* scene = nullptr;
    LevelFormat format = LevelFormat::Other;
    // Without a scene: why, as the error line and as the one finding.
    LevelFailure failure = LevelFailure::None;
    std::string error;
    std::vector<LevelFinding> findings;
};

// Checks and imports the level file at `path` with the game's import flags,
// adding the importer's time to `importSeconds` when given.
LevelImport importLevel(const std::string& path, double* importSeconds = nullptr);
