#pragma once

#include <glm/glm.hpp>

#include <cstddef>
#include <type_traits>

// One vertex of every triangle set the game draws: 14 consecutive floats,
// which is also the vertex buffer's stride. Attribute index i of the vertex
// array is field i below, in this order.
struct Vertex {
    glm::vec3 position;  // attribute 0
    glm::vec3 normal;    // attribute 1
    glm::vec2 texCoord;  // attribute 2
    glm::vec3 tangent;   // attribute 3
    glm::vec3 bitangent; // attribute 4
};

static_assert(sizeof(Vertex) == 56, "a vertex is 14 packed floats");
static_assert(std::is_standard_layout_v<Vertex>);
static_assert(offsetof(Vertex, normal) == 12 && offsetof(Vertex, texCoord) == 24 &&
              offsetof(Vertex, tangent) == 32 && offsetof(Vertex, bitangent) == 44);
