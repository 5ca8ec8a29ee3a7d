#pragma once

#include <string>
#include <vector>

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
