#include "LevelWriter.h"
#include "TempDir.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <map>

namespace {

// The test levels must come through Assimp the way the game's levels do, or
// every loader and game test built on them would test the wrong thing.
TEST(LevelWriter, WritesALevelAssimpReadsWithNamesSharingLightsAndNormals) {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    TestMesh torus = torusMesh(4.0f, 0.5f);
    TestMesh disc = discMesh(3.6f, 0.3f);
    level.addMeshNode("ring_1", "ring", torus, {0, 0, -40}, glm::quat(1, 0, 0, 0), glm::vec3(1),
                      disc);
    level.addMeshNode("ring_0", "ring", torus, {0, 0, -20}, glm::quat(1, 0, 0, 0), glm::vec3(1),
                      disc);
    level.addMeshNode("roid.001", "rock", sphereMesh(2.0f), {10, 0, -30},
                      glm::angleAxis(0.5f, glm::vec3(0, 1, 0)), {2, 1, 1}, sphereMesh(2.0f),
                      {"rock.png", "rock_n.png", {0, 0, 0.1f}, {0.3f, 0.3f, 0.3f}, 12.0f});
    level.addLamp("Lamp", {0, 50, 0}, {1, 0.9f, 0.8f}, {1, 0.01f, 0.0001f});
    TempDir dir;
    level.write(dir.path() / "level.dae");

    Assimp::Importer importer;
    const aiScene* scene =
        importer.ReadFile((dir.path() / "level.dae").string(),
                          aiProcess_JoinIdenticalVertices | aiProcess_Triangulate |
                              aiProcess_GenUVCoords | aiProcess_FlipUVs);
    ASSERT_TRUE(scene) << importer.GetErrorString();
    const aiNode* root = scene->mRootNode;
    ASSERT_EQ(root->mNumChildren, 5u);
    std::map<std::string, const aiNode*> byName;
    for (unsigned i = 0; i < root->mNumChildren; ++i) {
        byName[root->mChildren[i]->mName.C_Str()] = root->mChildren[i];
    }
    ASSERT_TRUE(byName.count("Camera") && byName.count("ring_0") && byName.count("roid.001") &&
                byName.count("Lamp"));
    EXPECT_EQ(byName["Camera"]->mNumMeshes, 0u);
    // Both rings draw the same mesh and the same collision mesh.
    ASSERT_EQ(byName["ring_0"]->mNumMeshes, 1u);
    EXPECT_EQ(byName["ring_0"]->mMeshes[0], byName["ring_1"]->mMeshes[0]);
    ASSERT_EQ(byName["ring_0"]->mNumChildren, 1u);
    EXPECT_EQ(byName["ring_0"]->mChildren[0]->mMeshes[0],
              byName["ring_1"]->mChildren[0]->mMeshes[0]);
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        EXPECT_TRUE(scene->mMeshes[i]->HasNormals());
    }
    // Transforms decompose back.
    aiVector3D scale, position;
    aiQuaternion rotation;
    byName["roid.001"]->mTransformation.Decompose(scale, rotation, position);
    EXPECT_NEAR(scale.x, 2.0f, 1e-4);
    EXPECT_NEAR(position.z, -30.0f, 1e-4);
    EXPECT_NEAR(rotation.y, std::sin(0.25f), 1e-4);
    // The rock's material.
    const aiMesh* rock = scene->mMeshes[byName["roid.001"]->mMeshes[0]];
    const aiMaterial* material = scene->mMaterials[rock->mMaterialIndex];
    aiString path;
    ASSERT_EQ(material->GetTexture(aiTextureType_DIFFUSE, 0, &path), AI_SUCCESS);
    EXPECT_STREQ(path.C_Str(), "rock.png");
    ASSERT_EQ(material->GetTexture(aiTextureType_NORMALS, 0, &path), AI_SUCCESS);
    EXPECT_STREQ(path.C_Str(), "rock_n.png");
    aiColor3D ambient;
    material->Get(AI_MATKEY_COLOR_AMBIENT, ambient);
    EXPECT_NEAR(ambient.b, 0.1f, 1e-5);
    // The lamp.
    ASSERT_EQ(scene->mNumLights, 1u);
    EXPECT_STREQ(scene->mLights[0]->mName.C_Str(), "Lamp");
    EXPECT_NEAR(scene->mLights[0]->mAttenuationLinear, 0.01f, 1e-6);
}

TEST(LevelWriter, WritesAShipWithDrawnAndCollisionParts) {
    TempDir dir;
    writeTestShip(dir.path());
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile((dir.path() / "spaceshipNew.obj").string(),
                                             aiProcess_Triangulate | aiProcess_GenUVCoords);
    ASSERT_TRUE(scene) << importer.GetErrorString();
    std::vector<std::string> names;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        names.push_back(scene->mMeshes[i]->mName.C_Str());
        EXPECT_TRUE(scene->mMeshes[i]->HasNormals());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"graph_hull", "coll_front", "coll_back"}));
}

} // namespace
