#include "world/LevelImport.h"

#include "core/Stopwatch.h"
#include "world/LevelFile.h"

#include <assimp/DefaultIOSystem.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>

namespace {

constexpr unsigned LEVEL_IMPORT_FLAGS = aiProcess_JoinIdenticalVertices | aiProcess_Triangulate |
                                        aiProcess_GenUVCoords | aiProcess_FlipUVs;
static_assert(LEVEL_IMPORT_FLAGS == 0x84000A);

const char* exportAgain(LevelFormat format) {
    return isGltf(format) ? "export it again from Blender as glTF 2.0 (.glb)"
                          : "export it again from Blender as COLLADA (.dae)";
}

LevelImport refusedFile(LevelImport level, LevelFailure failure, const std::string& path,
                        const std::string& problem, const std::string& remedy) {
    level.failure = failure;
    level.error = "Level " + path + " " + problem + ".";
    level.findings.push_back({LevelFinding::Severity::Error, path, problem, remedy});
    return level;
}

// The importer picks its reader by the file's extension first; a file whose
// content is of another format than its name says is handed over under a
// name with the right extension, which opens the real file.
class RenamedFile : public Assimp::DefaultIOSystem {
public:
    RenamedFile(std::string alias, std::string real)
        : alias_(std::move(alias)), real_(std::move(real)) {}
    bool Exists(const char* file) const override {
        return DefaultIOSystem::Exists(file == alias_ ? real_.c_str() : file);
    }
    Assimp::IOStream* Open(const char* file, const char* mode) override {
        return DefaultIOSystem::Open(file == alias_ ? real_.c_str() : file, mode);
    }

private:
    std::string alias_;
    std::string real_;
};

const char* extensionOf(LevelFormat format) {
    switch (format) {
    case LevelFormat::Collada:
        return ".dae";
    case LevelFormat::GltfBinary:
        return ".glb";
    case LevelFormat::GltfText:
        return ".gltf";
    case LevelFormat::Other:
        break;
    }
    return "";
}

// The name to import the file under.
std::string importName(const std::string& path, LevelFormat format, Assimp::Importer& importer) {
    const std::string extension = extensionOf(format);
    std::string own = path.substr(std::min(path.size(), path.rfind('.')));
    for (char& c : own) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (extension.empty() || own == extension) {
        return path;
    }
    std::string alias = path + extension;
    importer.SetIOHandler(new RenamedFile(alias, path));
    return alias;
}

// The surface values glTF does not carry (its materials are metal and
// roughness), as the importer gives a COLLADA material from Blender, which
// carries none of them either: a level exported both ways looks alike.
const aiColor3D GLTF_AMBIENT{0.1f, 0.1f, 0.1f};
const aiColor3D GLTF_SPECULAR{0.4f, 0.4f, 0.4f};
constexpr float GLTF_SHININESS = 10.0f;

// Finishes a glTF scene's materials: the defaults above, and the emissive
// colour times its strength, which the importer drops.
void finishGltfMaterials(aiScene* scene, const std::vector<float>& strengths) {
    for (std::size_t i = 0; i < scene->mNumMaterials; ++i) {
        aiMaterial* material = scene->mMaterials[i];
        material->AddProperty(&GLTF_AMBIENT, 1, AI_MATKEY_COLOR_AMBIENT);
        material->AddProperty(&GLTF_SPECULAR, 1, AI_MATKEY_COLOR_SPECULAR);
        material->AddProperty(&GLTF_SHININESS, 1, AI_MATKEY_SHININESS);
        aiColor3D colour;
        if (i < strengths.size() && strengths[i] != 1.0f &&
            material->Get(AI_MATKEY_COLOR_EMISSIVE, colour) == AI_SUCCESS) {
            colour = colour * strengths[i];
            material->AddProperty(&colour, 1, AI_MATKEY_COLOR_EMISSIVE);
        }
    }
}

} // namespace

LevelImport::LevelImport() = default;
LevelImport::~LevelImport() = default;
LevelImport::LevelImport(LevelImport&&) noexcept = default;
LevelImport& LevelImport::operator=(LevelImport&&) noexcept = default;

LevelImport importLevel(const std::string& path, double* importSeconds) {
    LevelImport level;
    const LevelFileCheck check = checkLevelFile(path);
    level.format = check.format;
    if (!check.problem.empty()) {
        // A file that cannot be opened is the wrong path; one that opens but
        // is broken inside wants exporting again.
        const std::string remedy = check.unreadable ? "give the path of a COLLADA or glTF file"
                                                    : exportAgain(check.format);
        return refusedFile(std::move(level),
                           check.unreadable ? LevelFailure::Unreadable : LevelFailure::Malformed,
                           path, check.problem, remedy);
    }
    level.importer = std::make_unique<Assimp::Importer>();
    {
        Stopwatch watch(importSeconds);
        const std::string name = importName(path, level.format, *level.importer);
        level.scene = level.importer->ReadFile(name, LEVEL_IMPORT_FLAGS);
    }
    const aiScene* scene = level.scene;
    if (!scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) || !scene->mRootNode) {
        level.scene = nullptr;
        std::string error = level.importer->GetErrorString();
        if (error.empty()) {
            // The importer marks a scene without any mesh incomplete and
            // says no more.
            error = "the scene is incomplete; a level needs at least one mesh";
        }
        // A glTF file passed its checks, so it is glTF the importer reads and
        // then refuses: broken inside, not a wrong path.
        if (isGltf(level.format)) {
            return refusedFile(std::move(level), LevelFailure::Malformed, path,
                               "is refused by the importer: Assimp: " + error,
                               exportAgain(level.format));
        }
        level.failure = LevelFailure::Unreadable;
        level.error = "Level " + path + " cannot be read: Assimp: " + error;
        level.findings.push_back({LevelFinding::Severity::Error, path,
                                  "it cannot be read: Assimp: " + error,
                                  exportAgain(level.format)});
        return level;
    }
    // The importer hands its scene over for reading only, but it is this
    // load's alone, and finished here with what the importer dropped.
    if (isGltf(level.format)) {
        finishGltfMaterials(const_cast<aiScene*>(level.scene), check.emissiveStrengths);
    }
    return level;
}
