#include "assets/MeshBuilder.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

Vertex at(glm::vec3 p, glm::vec2 uv, glm::vec3 n = {0, 0, 1}) {
    Vertex v;
    v.position = p;
    v.texCoord = uv;
    v.normal = n;
    return v;
}

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expectUnitFinite(const glm::vec3& v) {
    ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
    EXPECT_NEAR(glm::length(v), 1.0f, 1e-5f);
}

TEST(TangentFrame, UnitTriangleGivesAxisFrame) {
    std::vector<Vertex> vertices = {at({0, 0, 0}, {0, 0}), at({1, 0, 0}, {1, 0}),
                                    at({0, 1, 0}, {0, 1})};
    computeTangentFrame(vertices, {0, 1, 2});
    for (const Vertex& v : vertices) {
        expectNear(v.tangent, {1, 0, 0});
        expectNear(v.bitangent, {0, 1, 0});
    }
}

TEST(TangentFrame, SharedVertexGetsNormalisedSumOfItsTriangles) {
    std::vector<Vertex> vertices;
    vertices = {at({0, 0, 0}, {0, 0}), at({1, 0, 0}, {1, 0}), at({0, 1, 0}, {0, 1}),
                at({0, 0, -1}, {1, 0})};
    computeTangentFrame(vertices, {0, 1, 2, 0, 2, 3});
    // Triangle 1: T (1,0,0), B (0,1,0). Triangle 2 (0, 2, 3): E1 = (0,1,0) uv (0,1),
    // E2 = (0,0,-1) uv (1,0): f = 1/(0*0 - 1*1) = -1, T = -(0*E1 - 1*E2) = (0,0,-1),
    // B = -(0*E2 - 1*E1) = (0,1,0).
    expectNear(vertices[0].tangent, glm::normalize(glm::vec3(1, 0, -1)));
    expectNear(vertices[0].bitangent, {0, 1, 0});
    expectNear(vertices[1].tangent, {1, 0, 0});
    expectNear(vertices[3].tangent, {0, 0, -1});
}

TEST(TangentFrame, DegenerateTextureCoordinatesAndUnusedVerticesGetAFrameAroundTheNormal) {
    std::vector<Vertex> vertices = {at({0, 0, 0}, {0.5f, 0.5f}, {0, 1, 0}),
                                    at({1, 0, 0}, {0.5f, 0.5f}, {0, 1, 0}),
                                    at({0, 0, 1}, {0.5f, 0.5f}, {0, 1, 0}),
                                    at({5, 5, 5}, {0, 0}, {0, 0, 1}),  // used by no triangle
                                    at({9, 9, 9}, {0, 0}, {0, 0, 0})}; // no normal either
    computeTangentFrame(vertices, {0, 1, 2});
    for (const Vertex& v : vertices) {
        expectUnitFinite(v.tangent);
        expectUnitFinite(v.bitangent);
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(glm::dot(vertices[i].tangent, vertices[i].normal), 0.0f, 1e-5f);
        expectNear(glm::cross(vertices[i].tangent, vertices[i].bitangent), vertices[i].normal);
    }
    expectNear(vertices[3].tangent, {1, 0, 0});
    expectNear(vertices[3].bitangent, {0, 1, 0});
}

TEST(TangentFrame, IndicesNamingNoVertexAreIgnored) {
    std::vector<Vertex> vertices = {at({0, 0, 0}, {0, 0}), at({1, 0, 0}, {1, 0}),
                                    at({0, 1, 0}, {0, 1})};
    computeTangentFrame(vertices, {0, 1, 2, 0, 1, 7, 2});
    expectNear(vertices[0].tangent, {1, 0, 0});
}

const aiScene* import(Assimp::Importer& importer, const std::string& text, const char* hint) {
    return importer.ReadFileFromMemory(
        text.data(), text.size(),
        aiProcess_JoinIdenticalVertices | aiProcess_Triangulate | aiProcess_GenUVCoords, hint);
}

TEST(BuildMesh, ObjWithoutTextureCoordinatesGetsZeroUvAndAFiniteFrame) {
    Assimp::Importer importer;
    const aiScene* scene = import(importer,
                                  "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                                  "vn 0 0 1\n"
                                  "f 1//1 2//1 3//1 4//1\n",
                                  "obj");
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    ASSERT_GE(scene->mNumMeshes, 1u);
    const Mesh mesh = buildMesh(scene->mMeshes[0], scene);
    EXPECT_EQ(mesh.vao, 0u);
    ASSERT_EQ(mesh.vertices.size(), 4u);
    EXPECT_EQ(mesh.indices.size(), 6u); // the quad became two triangles
    EXPECT_EQ(mesh.triangleCount, 2);
    for (const Vertex& v : mesh.vertices) {
        EXPECT_EQ(v.texCoord, glm::vec2(0.0f));
        expectNear(v.normal, {0, 0, 1});
        expectUnitFinite(v.tangent);
        expectUnitFinite(v.bitangent);
    }
    const Mesh bare = buildMesh(scene->mMeshes[0], scene, TangentFrame::Skip);
    for (const Vertex& v : bare.vertices) {
        EXPECT_EQ(v.tangent, glm::vec3(0.0f));
        EXPECT_EQ(v.bitangent, glm::vec3(0.0f));
    }
}

TEST(BuildMesh, MeshWithoutNormalsGetsThemFromItsTriangles) {
    Assimp::Importer importer;
    const aiScene* scene = import(importer,
                                  "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\n"
                                  "f 1/1 2/2 3/3\n",
                                  "obj");
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    ASSERT_FALSE(scene->mMeshes[0]->HasNormals());
    testing::internal::CaptureStdout();
    const Mesh mesh = buildMesh(scene->mMeshes[0], scene);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("has no normals"), std::string::npos);
    ASSERT_EQ(mesh.vertices.size(), 3u);
    for (const Vertex& v : mesh.vertices) {
        expectNear(v.normal, {0, 0, 1});
        expectNear(v.tangent, {1, 0, 0});
        expectNear(v.bitangent, {0, 1, 0});
    }
}

} // namespace
