#include "GlWindow.h"
#include "TempDir.h"

#include "assets/ModelLoader.h"
#include "assets/ShapeStores.h"
#include "world/WorldLoader.h"

#include <GL/glew.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include <sys/stat.h>

namespace {

class Shapes : public GlTest {};

Mesh triangleMesh() {
    std::vector<Vertex> vertices(3);
    vertices[1].position = glm::vec3(1, 0, 0);
    vertices[2].position = glm::vec3(0, 1, 0);
    return Mesh(vertices, {0, 1, 2}, Material{});
}

TEST_F(Shapes, VertexArrayHasTheFiveAttributesOfTheVertexLayout) {
    Mesh mesh = triangleMesh();
    EXPECT_EQ(mesh.vao, 0u); // building touches no OpenGL
    mesh.upload();
    ASSERT_NE(mesh.vao, 0u);
    ASSERT_NE(mesh.vbo, 0u);
    ASSERT_NE(mesh.ebo, 0u);
    glBindVertexArray(mesh.vao);
    struct Expected {
        GLint size, normalised;
        std::size_t offset;
    };
    const Expected expected[5] = {
        {3, GL_FALSE, 0}, {3, GL_TRUE, 12}, {2, GL_FALSE, 24}, {3, GL_TRUE, 32}, {3, GL_TRUE, 44}};
    for (GLuint i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        GLint enabled = 0, size = 0, type = 0, normalised = -1, stride = 0, buffer = 0;
        glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
        glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_TYPE, &type);
        glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, &normalised);
        glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &stride);
        glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
        void* pointer = nullptr;
        glGetVertexAttribPointerv(i, GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
        EXPECT_EQ(enabled, GL_TRUE);
        EXPECT_EQ(size, expected[i].size);
        EXPECT_EQ(type, GL_FLOAT);
        EXPECT_EQ(normalised, expected[i].normalised);
        EXPECT_EQ(stride, 56);
        EXPECT_EQ(GLuint(buffer), mesh.vbo);
        EXPECT_EQ(reinterpret_cast<std::size_t>(pointer), expected[i].offset);
    }
    GLint elements = 0, elementBytes = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
    EXPECT_EQ(GLuint(elements), mesh.ebo); // the vertex array kept its index buffer
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.ebo);
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &elementBytes);
    EXPECT_EQ(elementBytes, 12);
    glBindVertexArray(0);
    GLint unboundArray = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &unboundArray);
    EXPECT_EQ(unboundArray, 0);
}

TEST_F(Shapes, MovingAMeshHandsOverItsNamesAndData) {
    Mesh mesh = triangleMesh();
    mesh.upload();
    const GLuint vao = mesh.vao;
    Mesh moved(std::move(mesh));
    EXPECT_EQ(moved.vao, vao);
    EXPECT_EQ(moved.triangleCount, 1);
    EXPECT_EQ(mesh.vao, 0u);
    EXPECT_EQ(mesh.vbo, 0u);
    EXPECT_EQ(mesh.ebo, 0u);
    EXPECT_TRUE(mesh.vertices.empty());
    EXPECT_TRUE(mesh.indices.empty());
    EXPECT_EQ(mesh.triangleCount, 0);
}

TEST_F(Shapes, EmptyShapeHasNoGlObjectsAndDrawsNothing) {
    Mesh empty({}, {}, Material{});
    empty.upload();
    empty.draw();
    EXPECT_EQ(empty.vao, 0u);
    EXPECT_EQ(empty.vbo, 0u);
    EXPECT_EQ(empty.ebo, 0u);
    EXPECT_EQ(empty.triangleCount, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Shapes, BoxHasTwentyFourVerticesThirtySixIndicesAndItsExtents) {
    Geometry box(1.0f, 1.0f, 1.0f);
    ASSERT_EQ(box.vertices.size(), 24u);
    ASSERT_EQ(box.indices.size(), 36u);
    EXPECT_EQ(box.triangleCount, 12);
    EXPECT_EQ(std::vector<uint32_t>(box.indices.begin(), box.indices.begin() + 6),
              (std::vector<uint32_t>{2, 1, 0, 0, 3, 2}));
    for (const Vertex& v : box.vertices) {
        for (float c : {v.position.x, v.position.y, v.position.z}) {
            EXPECT_EQ(std::abs(c), 0.5f);
        }
        // Normals point into the box.
        EXPECT_LT(glm::dot(v.normal, v.position), 0.0f);
    }
    // First face y = +h, seen from inside counter-clockwise: its triangle's
    // winding normal (right-handed) points into the box, along the stored normal.
    const glm::vec3 a = box.vertices[2].position, b = box.vertices[1].position,
                    c = box.vertices[0].position;
    EXPECT_GT(glm::dot(glm::cross(b - a, c - a), box.vertices[0].normal), 0.0f);

    Geometry large(2.0f, 4.0f, 6.0f);
    glm::vec3 low(1e9f), high(-1e9f);
    for (const Vertex& v : large.vertices) {
        low = glm::min(low, v.position);
        high = glm::max(high, v.position);
    }
    EXPECT_EQ(low, glm::vec3(-1, -2, -3));
    EXPECT_EQ(high, glm::vec3(1, 2, 3));

    large.upload();
    glBindVertexArray(large.vao);
    GLint bytes = 0;
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    EXPECT_EQ(bytes, 36 * 4);
    glBindVertexArray(0);
}

class Models : public GlTest {
protected:
    TempDir folder;
};

TEST_F(Models, CacheStartsWithTheSkyBox) {
    ModelLoader loader;
    ASSERT_GE(loader.size(), 1u);
    EXPECT_EQ(loader.nameAt(0), "skybox");
    const Model& sky = loader.get("skybox");
    ASSERT_EQ(sky.meshLevels.size(), 1u);
    ASSERT_EQ(sky.geometryLevels.size(), 1u);
    EXPECT_TRUE(sky.meshLevels[0].empty());
    ASSERT_EQ(sky.geometryLevels[0].size(), 1u);
    const Geometry& box = geometryStore().at(sky.geometryLevels[0][0]);
    EXPECT_EQ(box.vertices.size(), 24u);
    EXPECT_NE(box.vao, 0u);
}

TEST_F(Models, FileMeshesGoToConsecutiveStorePositionsDepthFirst) {
    // Two objects become two child nodes of a mesh-less root.
    folder.write("res/assets/models/pair.obj", "o first\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n"
                                               "f 1//1 2//1 3//1\n"
                                               "o second\nv 0 0 1\nv 1 0 1\nv 0 1 1\nv 1 1 1\n"
                                               "f 4//1 5//1 6//1\nf 5//1 7//1 6//1\n");
    folder.write("res/assets/models/one.obj",
                 "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n");
    ScopedWorkingDir here(folder.path());
    ModelLoader loader;
    const std::size_t before = meshStore().size();
    const Model& pair = loader.get("pair.obj");
    ASSERT_EQ(pair.meshLevels.size(), 1u);
    EXPECT_EQ(pair.meshLevels[0], (std::vector<uint32_t>{uint32_t(before), uint32_t(before + 1)}));
    EXPECT_TRUE(pair.geometryLevels.at(0).empty());
    EXPECT_TRUE(pair.collisionMeshes.empty());
    EXPECT_EQ(meshStore().at(before).triangleCount, 1);
    EXPECT_EQ(meshStore().at(before + 1).triangleCount, 2);
    EXPECT_NE(meshStore().at(before).vao, 0u);
    const Model& one = loader.get("one.obj");
    EXPECT_EQ(one.meshLevels.at(0), (std::vector<uint32_t>{uint32_t(before + 2)}));
    EXPECT_EQ(&loader.get("pair.obj"), &pair);
}

TEST_F(Models, MissingModelIsReportedOnceAndHasNoLevels) {
    ScopedWorkingDir here(folder.path());
    ModelLoader loader;
    testing::internal::CaptureStdout();
    const Model& missing = loader.get("ghost.obj");
    loader.get("ghost.obj");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(missing.meshLevels.empty());
    EXPECT_TRUE(missing.geometryLevels.empty());
    EXPECT_EQ(log.rfind("[ ERROR ]\tAssimp: ", 0), 0u);
    EXPECT_EQ(log.find("[ ERROR ]", 1), std::string::npos);
    EXPECT_NE(log.find("ghost.obj"), std::string::npos);
}

// A named pipe would block the importer forever; a folder is no model either.
TEST_F(Models, WhatIsNotARegularFileIsRefusedUnopened) {
    const std::filesystem::path models = folder.path() / "res/assets/models";
    std::filesystem::create_directories(models / "folder.obj");
    ASSERT_EQ(mkfifo((models / "pipe.obj").c_str(), 0600), 0);
    ScopedWorkingDir here(folder.path());
    ModelLoader loader;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(loader.get("pipe.obj").meshLevels.empty());
    EXPECT_TRUE(loader.get("folder.obj").meshLevels.empty());
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log, "[ ERROR ]\tModel res/assets/models/pipe.obj cannot be read: it is a named "
                   "pipe, not a regular file.\n"
                   "[ ERROR ]\tModel res/assets/models/folder.obj cannot be read: it is a "
                   "folder, not a file.\n");
    // A level is a model file too.
    ASSERT_EQ(mkfifo((models / "level.dae").c_str(), 0600), 0);
    const LevelResult level = WorldLoader().readFile("res/assets/models/level.dae");
    EXPECT_FALSE(level.world);
    EXPECT_EQ(level.error, "Level res/assets/models/level.dae cannot be read: it is a named pipe, "
                           "not a regular file.");
}

// Without its material table a model would be drawn without a word.
TEST_F(Models, AMissingMaterialTableIsReported) {
    folder.write("res/assets/models/bare.obj", "mtllib bare.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                               "vn 0 0 1\nf 1//1 2//1 3//1\n");
    ScopedWorkingDir here(folder.path());
    ModelLoader loader;
    testing::internal::CaptureStdout();
    const Model& bare = loader.get("bare.obj");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(bare.meshLevels.empty());
    EXPECT_NE(log.find("[ ERROR ]\tModel res/assets/models/bare.obj names the material table "
                       "res/assets/models/bare.mtl, which is not there"),
              std::string::npos)
        << log;
}

TEST_F(Models, AddRegistersModelsAndNeverShadowsAnEarlierName) {
    ModelLoader loader;
    std::vector<Mesh> meshes;
    meshes.push_back(triangleMesh());
    const std::size_t before = meshStore().size();
    loader.add("rock", std::move(meshes), std::vector<Geometry>{});
    const Model& rock = loader.get("rock");
    EXPECT_EQ(rock.meshLevels.at(0), (std::vector<uint32_t>{uint32_t(before)}));
    EXPECT_NE(meshStore().at(before).vao, 0u);
    loader.add("rock", std::vector<uint32_t>{7}, std::vector<uint32_t>{});
    loader.add("ship", std::vector<uint32_t>{1, 2}, std::vector<uint32_t>{0},
               std::vector<uint32_t>{5});
    EXPECT_EQ(&loader.get("rock"), &rock);
    const Model& ship = loader.get("ship");
    EXPECT_EQ(ship.meshLevels.at(0), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(ship.geometryLevels.at(0), (std::vector<uint32_t>{0}));
    EXPECT_EQ(ship.collisionMeshes, (std::vector<uint32_t>{5}));
}

} // namespace
