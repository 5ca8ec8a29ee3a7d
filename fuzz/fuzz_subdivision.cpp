// Loop subdivision on arbitrary vertex and index arrays: the first byte gives
// the vertex count, then 14 floats per vertex, then the indices (any values,
// also ones that name no vertex, and any count).
#include "FuzzSupport.h"

#include "assets/Subdivision.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::size_t vertexCount = data[0] % 65;
    // The second byte: whether the indices are folded onto the vertices
    // (mostly valid meshes) or taken as they are (mostly invalid ones).
    const bool fold = (data[1] & 1) != 0;
    const LimitPositions limit = (data[1] & 2) ? LimitPositions::Keep : LimitPositions::Move;
    data += 2;
    size -= 2;
    std::vector<Vertex> vertices(vertexCount);
    const std::size_t vertexBytes = std::min(size, vertexCount * sizeof(Vertex));
    if (vertexBytes > 0) { // memcpy from or to null is undefined even for 0 bytes
        std::memcpy(static_cast<void*>(vertices.data()), data, vertexBytes);
    }
    data += vertexBytes;
    size -= vertexBytes;
    std::vector<uint32_t> indices(size / sizeof(uint32_t));
    if (!indices.empty()) {
        std::memcpy(indices.data(), data, indices.size() * sizeof(uint32_t));
    }
    if (fold && vertexCount > 0) {
        for (uint32_t& index : indices) {
            index %= uint32_t(vertexCount);
        }
    }

    std::vector<Vertex> outVertices;
    std::vector<uint32_t> outIndices;
    const bool done = subdivideTriangles(vertices, indices, outVertices, outIndices, limit);
    if (!done) {
        // Refused input leaves nothing behind.
        if (!outVertices.empty() || !outIndices.empty()) {
            std::abort();
        }
        return 0;
    }
    // Every triangle became four, and every index names a vertex.
    if (outIndices.size() != 4 * indices.size() || outVertices.size() < vertices.size()) {
        std::abort();
    }
    for (uint32_t index : outIndices) {
        if (index >= outVertices.size()) {
            std::abort();
        }
    }
    return 0;
}
