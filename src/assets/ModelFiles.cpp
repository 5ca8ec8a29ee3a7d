#include "assets/ModelFiles.h"

#include "core/RegularFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

bool hasObjExtension(const std::string& path) {
    std::string extension = fs::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension == ".obj";
}

} // namespace

std::vector<std::string> missingMaterialLibraries(const std::string& objPath) {
    std::vector<std::string> missing;
    if (!hasObjExtension(objPath) || !regularFileProblem(objPath).empty()) {
        return missing;
    }
    // Only the lines naming tables matter; no more is read than the file
    // says it holds, nor than the importer reads of a model.
    std::error_code unknown;
    const uintmax_t size = fs::file_size(objPath, unknown);
    if (unknown || size > MAX_MODEL_FILE_BYTES) {
        return missing;
    }
    std::ifstream in(objPath, std::ios::binary);
    const fs::path folder = fs::path(objPath).parent_path();
    std::string line;
    uintmax_t read = 0;
    while (read < size && std::getline(in, line)) {
        read += line.size() + 1;
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword) || keyword != "mtllib") {
            continue;
        }
        // The rest of the line is the table's name (it may hold spaces).
        std::string name;
        std::getline(words >> std::ws, name);
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) {
            name.pop_back();
        }
        const std::string path = (folder / name).lexically_normal().generic_string();
        if (!name.empty() && !regularFileProblem(path).empty() &&
            std::find(missing.begin(), missing.end(), path) == missing.end()) {
            missing.push_back(path);
        }
    }
    return missing;
}

std::string materialLibraryProblem(const std::string& objPath) {
    const std::vector<std::string> missing = missingMaterialLibraries(objPath);
    if (missing.empty()) {
        return {};
    }
    std::string list;
    for (const std::string& path : missing) {
        list += (list.empty() ? "" : ", ") + path;
    }
    return "Model " + objPath + " names the material table " + list +
           ", which is not there: its surfaces are drawn in plain colours, without textures.";
}
