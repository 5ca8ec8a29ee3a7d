#pragma once

#include "assets/Material.h"
#include "assets/Vertex.h"

#include <cstdint>
#include <vector>

// An indexed triangle set in the game's one vertex format: every three
// consecutive indices form one counter-clockwise triangle. The CPU copy is
// kept for the shape's lifetime (collision cooking and subdivision read it).
//
// Building a shape touches no OpenGL, so meshes can be made and refined
// without a context (tests, tools, subdivision). The GPU copy is made by
// `upload`, which the stores' owners call when a shape is stored and which
// `draw` calls itself if it has not happened yet. The OpenGL objects are never
// deleted: they live until the context ends. Shapes move (the GL names go
// with the data, the source keeps names 0 and no data) and are never copied.
class Shape {
public:
    Shape(std::vector<Vertex> vertices, std::vector<uint32_t> indices);
    Shape(Shape&& other) noexcept;
    Shape& operator=(Shape&& other) noexcept;

    // Binds the vertex array, draws all indices as GL_TRIANGLES of unsigned
    // ints, then unbinds. Needs a current context; uploads first if needed.
    virtual void draw() = 0;

    // Creates the vertex array, vertex buffer and index buffer and fills them
    // from the CPU copy. Does nothing for a shape without vertices, one that
    // is already on the GPU, or while no OpenGL is loaded.
    void upload();

    uint32_t vao = 0;
    uint32_t vbo = 0;
    uint32_t ebo = 0;
    std::vector<Vertex> vertices;
    std::vector<uint32_t> indices;
    int32_t triangleCount = 0;

protected:
    // Shapes are owned by value in their stores and never deleted through a
    // pointer to this base.
    ~Shape() = default;
    void drawIndexed();
};

// A triangle set the program builds itself; the box is the only one.
class Geometry final : public Shape {
public:
    // An axis-aligned box of the given extents centred on the origin, with its
    // normals pointing inwards and its triangles facing inwards, so that with
    // back-face culling it is seen from inside only (the sky box).
    Geometry(float width, float height, float depth);

    void draw() override;
};

// A triangle set read from a model file, with its material.
class Mesh final : public Shape {
public:
    Mesh(std::vector<Vertex> vertices, std::vector<uint32_t> indices, const Material& material);

    void draw() override;

    Material material;
};
