#pragma once

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Small levels and ship models written by the tests themselves: COLLADA text
// that follows the game's node-name conventions, and an OBJ ship.

// An indexed triangle mesh with per-vertex normals and texture coordinates.
struct TestMesh {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> uvs;
    std::vector<uint32_t> indices;
};

// A closed box centred on the origin (24 vertices, 12 triangles).
TestMesh boxMesh(glm::vec3 halfExtents);
// A closed UV sphere.
TestMesh sphereMesh(float radius, int slices = 12, int stacks = 8);
// A torus in the XY plane around the Z axis (the flight direction through it).
TestMesh torusMesh(float radius, float tube, int segments = 16, int sides = 8);
// A flat closed cylinder in the XY plane, for a ring's trigger volume.
TestMesh discMesh(float radius, float halfThickness, int segments = 16);

struct TestMaterial {
    std::string diffuseTexture; // bare file name, or empty
    std::string normalTexture;  // bare file name, or empty
    glm::vec3 ambient{0.0f};
    glm::vec3 specular{0.5f};
    float shininess = 16.0f;
};

class LevelWriter {
public:
    // A node without a mesh (the "Camera" node, or anything else).
    void addEmpty(const std::string& name, glm::vec3 position,
                  glm::quat rotation = glm::quat(1, 0, 0, 0));

    // A node drawing `mesh`, with an optional collision child (identity
    // transform) drawing `collision`. Meshes registered under the same
    // `meshKey` are written once and shared by every node that names them.
    void addMeshNode(const std::string& name, const std::string& meshKey, const TestMesh& mesh,
                     glm::vec3 position, glm::quat rotation = glm::quat(1, 0, 0, 0),
                     glm::vec3 scale = glm::vec3(1.0f),
                     const std::optional<TestMesh>& collision = std::nullopt,
                     const TestMaterial& material = {});

    // A point-light node and its light.
    void addLamp(const std::string& name, glm::vec3 position, glm::vec3 color,
                 glm::vec3 attenuation = {1.0f, 0.0f, 0.0f});

    // Extra XML placed inside the last added node (for nested nodes).
    void addChildXml(const std::string& xml);

    std::string str() const;
    void write(const std::filesystem::path& file) const;

private:
    struct Geometry {
        std::string id;
        TestMesh mesh;
        std::string material;
    };
    std::string geometryFor(const std::string& key, const TestMesh& mesh,
                            const std::string& materialId);
    std::string materialFor(const TestMaterial& material);

    std::vector<Geometry> geometries_;
    std::vector<std::pair<std::string, TestMaterial>> materials_;
    std::vector<std::string> lights_;
    std::vector<std::string> nodes_;
};

// A small ship OBJ + MTL ("spaceshipNew.obj") with one drawn part
// ("graph_hull") and two convex collision parts ("coll_front", "coll_back"),
// written into `modelsDir`. The ship is about 2 units long along +z.
void writeTestShip(const std::filesystem::path& modelsDir);
