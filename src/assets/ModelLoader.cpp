#include "assets/ModelLoader.h"

#include "assets/AssetPaths.h"
#include "assets/MeshBuilder.h"
#include "assets/ModelFiles.h"
#include "assets/ShapeStores.h"
#include "core/Log.h"
#include "core/RegularFile.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <numeric>

namespace {

constexpr unsigned IMPORT_FLAGS =
    aiProcess_JoinIdenticalVertices | aiProcess_Triangulate | aiProcess_GenUVCoords;
static_assert(IMPORT_FLAGS == 0x4000A);

std::vector<uint32_t> positionRange(std::size_t from, std::size_t to) {
    std::vector<uint32_t> positions(to - from);
    std::iota(positions.begin(), positions.end(), static_cast<uint32_t>(from));
    return positions;
}

} // namespace

void processNode(const aiNode* node, const aiScene* scene, const std::string& sourceFile) {
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        const unsigned meshIndex = node->mMeshes[i];
        if (meshIndex >= scene->mNumMeshes) {
            continue;
        }
        const uint32_t position = meshStore().push(
            buildMesh(scene->mMeshes[meshIndex], scene, TangentFrame::Compute, sourceFile));
        meshStore().at(position).upload();
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i) {
        processNode(node->mChildren[i], scene, sourceFile);
    }
}

ModelLoader::ModelLoader() : AssetLoader<Model>(modelDirectory()) {
    std::vector<Geometry> box;
    box.emplace_back(1.0f, 1.0f, 1.0f);
    add("skybox", std::vector<Mesh>{}, std::move(box));
}

ModelLoader& ModelLoader::instance() {
    static ModelLoader loader;
    return loader;
}

Model ModelLoader::load(const std::string& name) {
    const std::string path = directory + name;
    if (const std::string problem = nonRegularFileProblem(path); !problem.empty()) {
        logMessage(LogLevel::ERROR, "Model " + path + " cannot be read: " + problem + ".");
        return Model{};
    }
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, IMPORT_FLAGS);
    if (!scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) || !scene->mRootNode) {
        logMessage(LogLevel::ERROR, std::string("Assimp: ") + importer.GetErrorString());
        return Model{};
    }
    if (const std::string problem = materialLibraryProblem(path); !problem.empty()) {
        logMessage(LogLevel::ERROR, problem);
    }
    const std::size_t meshesBefore = meshStore().size();
    const std::size_t geometriesBefore = geometryStore().size();
    processNode(scene->mRootNode, scene, path);
    Model model;
    model.meshLevels.push_back(positionRange(meshesBefore, meshStore().size()));
    model.geometryLevels.push_back(positionRange(geometriesBefore, geometryStore().size()));
    return model;
}

void ModelLoader::add(std::string name, std::vector<uint32_t> meshIndices,
                      std::vector<uint32_t> geometryIndices) {
    add(std::move(name), std::move(meshIndices), std::move(geometryIndices), {});
}

void ModelLoader::add(std::string name, std::vector<uint32_t> meshIndices,
                      std::vector<uint32_t> geometryIndices,
                      std::vector<uint32_t> collisionMeshIndices) {
    Model model;
    model.meshLevels.push_back(std::move(meshIndices));
    model.geometryLevels.push_back(std::move(geometryIndices));
    model.collisionMeshes = std::move(collisionMeshIndices);
    append(std::move(name), std::move(model));
}

void ModelLoader::add(std::string name, std::vector<Mesh> meshes,
                      std::vector<Geometry> geometries) {
    std::vector<uint32_t> meshIndices;
    for (Mesh& mesh : meshes) {
        const uint32_t position = meshStore().push(std::move(mesh));
        meshStore().at(position).upload();
        meshIndices.push_back(position);
    }
    std::vector<uint32_t> geometryIndices;
    for (Geometry& geometry : geometries) {
        const uint32_t position = geometryStore().push(std::move(geometry));
        geometryStore().at(position).upload();
        geometryIndices.push_back(position);
    }
    add(std::move(name), std::move(meshIndices), std::move(geometryIndices));
}
