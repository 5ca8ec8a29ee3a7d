#include "assets/Shape.h"

#include <GL/glew.h>

#include <cstddef>
#include <utility>

Shape::Shape(std::vector<Vertex> vertices, std::vector<uint32_t> indices)
    : vertices(std::move(vertices)), indices(std::move(indices)),
      triangleCount(static_cast<int32_t>(this->indices.size() / 3)) {}

Shape::Shape(Shape&& other) noexcept
    : vao(std::exchange(other.vao, 0)), vbo(std::exchange(other.vbo, 0)),
      ebo(std::exchange(other.ebo, 0)), vertices(std::exchange(other.vertices, {})),
      indices(std::exchange(other.indices, {})),
      triangleCount(std::exchange(other.triangleCount, 0)) {}

Shape& Shape::operator=(Shape&& other) noexcept {
    if (this != &other) {
        vao = std::exchange(other.vao, 0);
        vbo = std::exchange(other.vbo, 0);
        ebo = std::exchange(other.ebo, 0);
        vertices = std::exchange(other.vertices, {});
        indices = std::exchange(other.indices, {});
        triangleCount = std::exchange(other.triangleCount, 0);
    }
    return *this;
}

void Shape::upload() {
    // Without OpenGL loaded (a level read without a window) the shape waits
    // for its first draw.
    if (vao != 0 || vertices.empty() || !glGenVertexArrays) {
        return;
    }
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);

    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STATIC_DRAW);

    struct Attribute {
        GLint components;
        GLboolean normalised;
        std::size_t offset;
    };
    const Attribute attributes[] = {
        {3, GL_FALSE, offsetof(Vertex, position)}, {3, GL_TRUE, offsetof(Vertex, normal)},
        {2, GL_FALSE, offsetof(Vertex, texCoord)}, {3, GL_TRUE, offsetof(Vertex, tangent)},
        {3, GL_TRUE, offsetof(Vertex, bitangent)},
    };
    for (GLuint i = 0; i < 5; ++i) {
        glEnableVertexAttribArray(i);
        glVertexAttribPointer(i, attributes[i].components, GL_FLOAT, attributes[i].normalised,
                              sizeof(Vertex), reinterpret_cast<const void*>(attributes[i].offset));
    }

    glGenBuffers(1, &ebo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ebo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(uint32_t)),
                 indices.data(), GL_STATIC_DRAW);

    // The vertex array keeps its index buffer only if it is unbound first.
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void Shape::drawIndexed() {
    upload();
    if (vao == 0 || indices.empty()) {
        return; // nothing to draw; a draw without a vertex array is an error in a core context
    }
    glBindVertexArray(vao);
    glDrawElements(GL_TRIANGLES, GLsizei(indices.size()), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}

namespace {

std::vector<Vertex> boxVertices(float width, float height, float depth) {
    const float w = width * 0.5f;
    const float h = height * 0.5f;
    const float d = depth * 0.5f;
    struct Face {
        glm::vec3 normal, tangent, bitangent;
        glm::vec3 positions[4];
        glm::vec2 uvs[4];
    };
    const Face faces[6] = {
        {{0, -1, 0},
         {1, 0, 0},
         {0, 0, 1},
         {{-w, h, d}, {w, h, d}, {w, h, -d}, {-w, h, -d}},
         {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
        {{0, 1, 0},
         {0, 0, 1},
         {1, 0, 0},
         {{w, -h, -d}, {w, -h, d}, {-w, -h, d}, {-w, -h, -d}},
         {{1, 1}, {1, 0}, {0, 0}, {0, 1}}},
        {{0, 0, -1},
         {1, 0, 0},
         {0, 1, 0},
         {{-w, h, d}, {-w, -h, d}, {w, -h, d}, {w, h, d}},
         {{0, 1}, {0, 0}, {1, 0}, {1, 1}}},
        {{0, 0, 1},
         {0, 1, 0},
         {1, 0, 0},
         {{w, h, -d}, {w, -h, -d}, {-w, -h, -d}, {-w, h, -d}},
         {{0, 1}, {0, 0}, {1, 0}, {1, 1}}},
        {{1, 0, 0},
         {0, 0, 1},
         {0, 1, 0},
         {{-w, h, -d}, {-w, -h, -d}, {-w, -h, d}, {-w, h, d}},
         {{0, 1}, {0, 0}, {1, 0}, {1, 1}}},
        {{-1, 0, 0},
         {0, 1, 0},
         {0, 0, 1},
         {{w, h, d}, {w, -h, d}, {w, -h, -d}, {w, h, -d}},
         {{0, 1}, {0, 0}, {1, 0}, {1, 1}}},
    };
    std::vector<Vertex> vertices;
    vertices.reserve(24);
    for (const Face& face : faces) {
        for (int i = 0; i < 4; ++i) {
            vertices.push_back(
                Vertex{face.positions[i], face.normal, face.uvs[i], face.tangent, face.bitangent});
        }
    }
    return vertices;
}

std::vector<uint32_t> boxIndices() {
    std::vector<uint32_t> indices;
    indices.reserve(36);
    for (uint32_t i = 0; i < 24; i += 4) {
        for (uint32_t index : {i + 2, i + 1, i, i, i + 3, i + 2}) {
            indices.push_back(index);
        }
    }
    return indices;
}

} // namespace

Geometry::Geometry(float width, float height, float depth)
    : Shape(boxVertices(width, height, depth), boxIndices()) {}

void Geometry::draw() {
    drawIndexed();
}

Mesh::Mesh(std::vector<Vertex> vertices, std::vector<uint32_t> indices, const Material& material)
    : Shape(std::move(vertices), std::move(indices)), material(material) {}

void Mesh::draw() {
    drawIndexed();
}
