#pragma once

#include "assets/AssetLoader.h"
#include "assets/Model.h"
#include "assets/Shape.h"

#include <cstdint>
#include <string>
#include <vector>

struct aiNode;
struct aiScene;

// The cache of models, keyed by file name with its extension, read from
// modelDirectory(). Loading imports the file, appends its meshes to
// meshStore() and caches a model of their positions; a file that fails to
// import (or is not a regular file) is reported once and cached as a model
// without levels; a missing OBJ material table is reported too. The cache
// always starts with the built-in "skybox": one unit box in geometryStore().
class ModelLoader : public AssetLoader<Model> {
public:
    // Needs a current OpenGL context: the sky box is uploaded here.
    ModelLoader();

    // The program-wide instance, created on first use; it lives until exit.
    static ModelLoader& instance();

    Model load(const std::string& name) override;

    // Register a model built elsewhere. None looks for an existing entry of
    // the name: an earlier entry keeps winning `get`.
    // A model of one level from existing store positions.
    void add(std::string name, std::vector<uint32_t> meshIndices,
             std::vector<uint32_t> geometryIndices);
    // The same with its collision meshes.
    void add(std::string name, std::vector<uint32_t> meshIndices,
             std::vector<uint32_t> geometryIndices, std::vector<uint32_t> collisionMeshIndices);
    // Moves the shapes to the ends of the stores (uploading them) and
    // registers a model of their new positions.
    void add(std::string name, std::vector<Mesh> meshes, std::vector<Geometry> geometries);
};

// Appends the meshes of a node and of all its descendants to meshStore(),
// depth first, a node's own meshes before its children's, and uploads them.
// Node transformations are not applied. Textures are looked up for
// `sourceFile`, the file the scene was read from.
void processNode(const aiNode* node, const aiScene* scene, const std::string& sourceFile);
