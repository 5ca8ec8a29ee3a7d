#pragma once

#include "assets/Vertex.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// How many edges of a triangle list, taken by the positions of their ends
// (vertices at one position are one point), are not shared by exactly two
// triangles. 0 for a closed surface, whatever its vertices are split for
// shading or texture seams.
std::size_t edgesNotSharedByTwo(const std::vector<Vertex>& vertices,
                                const std::vector<uint32_t>& indices);
