#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The largest model file looked into, as large as the largest level.
inline constexpr uintmax_t MAX_MODEL_FILE_BYTES = 256ull << 20;

// Checks of a model file made before and after the importer reads it, so that
// what the importer passes over in silence is reported.

// The material tables ("mtllib" lines) an OBJ file names that are not
// regular files beside it, each as the path looked at. Empty for other
// formats and for a file that cannot be read. A missing table leaves the
// model without its textures and colours, and the importer says nothing.
std::vector<std::string> missingMaterialLibraries(const std::string& objPath);

// One sentence naming the model and each missing table, or "" when none is
// missing.
std::string materialLibraryProblem(const std::string& objPath);
