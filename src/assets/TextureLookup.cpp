#include "assets/TextureLookup.h"

#include "assets/AssetPaths.h"
#include "core/DataFolder.h"
#include "core/Log.h"
#include "core/RegularFile.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A found texture is read by its path as it stands; a bare file name
// (beside a level in the working folder) would be taken for a name in the
// texture folder, so it keeps its "./".
std::string joined(const fs::path& folder, const std::string& name) {
    std::string path = (folder / name).lexically_normal().generic_string();
    return path.find('/') == std::string::npos ? "./" + path : path;
}

bool leavesFolder(const std::string& name) {
    const fs::path normal = fs::path(name).lexically_normal();
    return normal.is_absolute() || (!normal.empty() && *normal.begin() == "..");
}

// Whether `path` lies inside `folder`, after "..", "." and symbolic links
// are followed as far as they exist.
bool inside(const fs::path& path, const fs::path& folder) {
    std::error_code ignored;
    const fs::path full = fs::weakly_canonical(fs::absolute(path, ignored), ignored);
    const fs::path root = fs::weakly_canonical(fs::absolute(folder, ignored), ignored);
    const auto [end, at] = std::mismatch(root.begin(), root.end(), full.begin(), full.end());
    return end == root.end() || (std::next(end) == root.end() && end->empty());
}

fs::path dataFolder() {
    return fs::path(dataDirectory());
}

} // namespace

std::string lastPathElement(const std::string& name) {
    const std::size_t separator = name.find_last_of("/\\");
    return separator == std::string::npos ? name : name.substr(separator + 1);
}

TextureSearch findTexture(const std::string& name, const std::string& sourceFile) {
    const std::string last = lastPathElement(name);
    std::vector<std::string> candidates;
    const auto consider = [&candidates](std::string path) {
        if (std::find(candidates.begin(), candidates.end(), path) == candidates.end()) {
            candidates.push_back(std::move(path));
        }
    };
    const fs::path textures(textureDirectory());
    if (!last.empty()) {
        consider(joined(textures, last));
    }
    if (!name.empty() && !leavesFolder(name)) {
        consider(joined(textures, name));
    }
    TextureSearch search;
    if (!sourceFile.empty() && !name.empty()) {
        // A level is a file people share: a name leading out of the game's
        // data and the level's own folder (an absolute path, "../..") is
        // not followed; its last element still is, in both.
        const fs::path beside = fs::path(sourceFile).parent_path();
        const std::string asWritten = joined(beside, name);
        if (inside(asWritten, beside) || inside(asWritten, dataFolder())) {
            consider(asWritten);
        } else {
            search.outside = asWritten;
        }
        if (!last.empty()) {
            consider(joined(beside, last));
        }
    }

    for (std::string& candidate : candidates) {
        if (regularFileProblem(candidate).empty()) {
            search.path = candidate;
            search.tried.push_back(std::move(candidate));
            break;
        }
        search.tried.push_back(std::move(candidate));
    }
    return search;
}

std::string locateTexture(const std::string& name, const std::string& sourceFile) {
    static std::mutex guard;
    static std::map<std::string, std::string> known; // place and name -> path; lives until exit
    // Relative places depend on the working folder, which tests change.
    std::error_code ignored;
    const std::string key = fs::current_path(ignored).generic_string() + '\n' +
                            fs::path(sourceFile).parent_path().generic_string() + '\n' + name;
    {
        std::lock_guard<std::mutex> lock(guard);
        if (const auto it = known.find(key); it != known.end()) {
            return it->second;
        }
    }
    const TextureSearch search = findTexture(name, sourceFile);
    std::lock_guard<std::mutex> lock(guard);
    const auto [it, fresh] = known.emplace(key, search.path);
    if (fresh && search.path.empty()) {
        std::string places;
        for (const std::string& place : search.tried) {
            places += (places.empty() ? "" : ", ") + place;
        }
        logMessage(LogLevel::ERROR,
                   "Texture \"" + name + "\"" +
                       (sourceFile.empty() ? std::string() : " named by " + sourceFile) +
                       " was not found; looked for " + (places.empty() ? "nothing" : places) +
                       (search.outside.empty()
                            ? std::string()
                            : ", and not at " + search.outside +
                                  ", which lies outside the game's data and the level's folder") +
                       ". The surface is drawn in its own colour.");
    }
    return it->second;
}

std::string companionNormalMapName(const std::string& diffuseName) {
    static const std::string marker = "_diffuse.";
    const std::size_t at = diffuseName.rfind(marker);
    if (at == std::string::npos || diffuseName.find_first_of("/\\", at) != std::string::npos) {
        return {};
    }
    return diffuseName.substr(0, at) + "_normal." + diffuseName.substr(at + marker.size());
}
