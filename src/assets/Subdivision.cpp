#include "assets/Subdivision.h"

#include "core/Log.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#ifdef __linux__
#include <sys/mman.h>
#endif

// Adjacency comes from a counting sort of the half-edges by their lower
// vertex and a small sort of each vertex's bucket by the upper vertex: O(V + F)
// plus tiny sorts, with no ordered map. The refined mesh's connectivity is
// known from the coarse one (an old vertex keeps its fan, an edge vertex of an
// interior edge has valence 6, of an open edge three faces), so the limit step
// needs no second adjacency pass.

namespace {

constexpr int32_t OPEN = -1;   // half-edge with no second face
constexpr int32_t CREASE = -2; // edge of more than two faces, or twice on one face

enum class EdgeKind : uint8_t { Interior, Open, Crease };
enum class VertexKind : uint8_t { Unused, Interior, Boundary, Corner };

inline uint32_t nextCorner(uint32_t h) {
    return h % 3 == 2 ? h - 2 : h + 1;
}
inline uint32_t previousCorner(uint32_t h) {
    return h % 3 == 0 ? h + 2 : h - 1;
}

inline void addScaled(Vertex& out, const Vertex& v, float w) {
    out.position += w * v.position;
    out.normal += w * v.normal;
    out.texCoord += w * v.texCoord;
    out.tangent += w * v.tangent;
    out.bitangent += w * v.bitangent;
}

inline void add(Vertex& out, const Vertex& v) {
    out.position += v.position;
    out.normal += v.normal;
    out.texCoord += v.texCoord;
    out.tangent += v.tangent;
    out.bitangent += v.bitangent;
}

inline Vertex blend(const Vertex& a, float wa, const Vertex& b, float wb) {
    Vertex out;
    out.position = wa * a.position + wb * b.position;
    out.normal = wa * a.normal + wb * b.normal;
    out.texCoord = wa * a.texCoord + wb * b.texCoord;
    out.tangent = wa * a.tangent + wb * b.tangent;
    out.bitangent = wa * a.bitangent + wb * b.bitangent;
    return out;
}

// Loop's vertex weight for valence n.
inline float beta(uint32_t n) {
    return n == 3 ? 3.0f / 16.0f : 3.0f / (8.0f * float(n));
}

// Weight of each neighbour in the limit position of an interior vertex:
// 1 / (3 / (8 beta) + n).
inline float chi(uint32_t n) {
    return 1.0f / (3.0f / (8.0f * beta(n)) + float(n));
}

// The large working and output arrays are fresh memory, and faulting them in
// page by page costs about as much as the arithmetic that fills them. Where
// the kernel hands out huge pages on request, ask for them on the array's
// untouched storage. Leaves `v` empty with room for n entries.
template <typename T> void reserveFresh(std::vector<T>& v, std::size_t n) {
    v.clear();
    v.reserve(n);
#ifdef __linux__
    constexpr std::uintptr_t HUGE_PAGE = std::uintptr_t(2) << 20;
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(v.data());
    const std::uintptr_t first = (begin + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
    const std::uintptr_t last = (begin + n * sizeof(T)) & ~(HUGE_PAGE - 1);
    if (last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE); // only a hint
    }
#endif
}

bool validate(std::size_t vertexCount, const std::vector<uint32_t>& indices) {
    if (indices.size() % 3 != 0) {
        logMessage(LogLevel::ERROR, "Loop subdivision skipped: " + std::to_string(indices.size()) +
                                        " indices do not form whole triangles");
        return false;
    }
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (indices[i] >= vertexCount) {
            logMessage(LogLevel::ERROR, "Loop subdivision skipped: index " + std::to_string(i) +
                                            " names vertex " + std::to_string(indices[i]) +
                                            " of a mesh with " + std::to_string(vertexCount) +
                                            " vertices");
            return false;
        }
    }
    return true;
}

// One Loop step on valid input, with the connectivity taken from the indices
// as they are. When `edgeOfHalfEdge` is given, it receives the edge number of
// every half-edge (index position), which says which output vertex
// (vertexCount + edge) each face edge was split at.
void refine(const std::vector<Vertex>& vertices, const std::vector<uint32_t>& indices,
            std::vector<Vertex>& outVertices, std::vector<uint32_t>& outIndices,
            LimitPositions limit, std::vector<uint32_t>* edgeOfHalfEdge) {
    const uint32_t vertexCount = uint32_t(vertices.size());
    const uint32_t halfEdgeCount = uint32_t(indices.size());
    const uint32_t faceCount = halfEdgeCount / 3;
    const uint32_t* idx = indices.data();

    // Half-edge h runs from corner h of face h / 3 to the next corner.
    std::vector<uint8_t> degenerateFace(faceCount, 0);
    for (uint32_t f = 0; f < faceCount; ++f) {
        const uint32_t a = idx[3 * f], b = idx[3 * f + 1], c = idx[3 * f + 2];
        degenerateFace[f] = (a == b || b == c || c == a) ? 1 : 0;
    }

    // Bucket the half-edges by their lower vertex (a stable counting sort,
    // so each bucket lists its half-edges in increasing order).
    std::vector<uint32_t> bucketStart(std::size_t(vertexCount) + 1, 0);
    for (uint32_t h = 0; h < halfEdgeCount; ++h) {
        ++bucketStart[std::min(idx[h], idx[nextCorner(h)]) + 1];
    }
    for (uint32_t v = 0; v < vertexCount; ++v) {
        bucketStart[v + 1] += bucketStart[v];
    }
    // The four per-half-edge tables share one allocation, large enough for
    // huge pages.
    std::vector<uint32_t> halfEdgeTables;
    reserveFresh(halfEdgeTables, std::size_t(halfEdgeCount) * 4);
    halfEdgeTables.resize(std::size_t(halfEdgeCount) * 4);
    uint32_t* bucket = halfEdgeTables.data();
    int32_t* twin = reinterpret_cast<int32_t*>(bucket + halfEdgeCount);
    uint32_t* leader = bucket + 2 * std::size_t(halfEdgeCount);
    uint32_t* edgeOf = bucket + 3 * std::size_t(halfEdgeCount);
    {
        std::vector<uint32_t> cursor(bucketStart.begin(), bucketStart.end() - 1);
        for (uint32_t h = 0; h < halfEdgeCount; ++h) {
            bucket[cursor[std::min(idx[h], idx[nextCorner(h)])]++] = h;
        }
    }

    // Group each bucket by the upper vertex: one group per distinct edge.
    // twin[h] is the other half-edge of an interior edge, or OPEN / CREASE;
    // leader[h] is the first half-edge (lowest number) of h's edge.
    std::vector<uint64_t> keys;
    for (uint32_t v = 0; v < vertexCount; ++v) {
        const uint32_t begin = bucketStart[v], end = bucketStart[v + 1];
        keys.clear();
        for (uint32_t i = begin; i < end; ++i) {
            const uint32_t h = bucket[i];
            keys.push_back((uint64_t(std::max(idx[h], idx[nextCorner(h)])) << 32) | h);
        }
        if (keys.size() <= 16) {
            for (std::size_t i = 1; i < keys.size(); ++i) { // insertion sort: buckets are tiny
                const uint64_t key = keys[i];
                std::size_t j = i;
                for (; j > 0 && keys[j - 1] > key; --j) {
                    keys[j] = keys[j - 1];
                }
                keys[j] = key;
            }
        } else {
            std::sort(keys.begin(), keys.end());
        }
        for (std::size_t i = 0; i < keys.size();) {
            std::size_t j = i + 1;
            while (j < keys.size() && (keys[j] >> 32) == (keys[i] >> 32)) {
                ++j;
            }
            const uint32_t first = uint32_t(keys[i]);
            const bool selfLoop = (keys[i] >> 32) == v;
            for (std::size_t k = i; k < j; ++k) {
                leader[uint32_t(keys[k])] = first;
            }
            if (j - i == 1) {
                twin[first] = (selfLoop || degenerateFace[first / 3]) ? CREASE : OPEN;
            } else {
                const uint32_t second = uint32_t(keys[i + 1]);
                const bool pair = j - i == 2 && !selfLoop && first / 3 != second / 3 &&
                                  !degenerateFace[first / 3] && !degenerateFace[second / 3];
                for (std::size_t k = i; k < j; ++k) {
                    twin[uint32_t(keys[k])] = CREASE;
                }
                if (pair) {
                    twin[first] = int32_t(second);
                    twin[second] = int32_t(first);
                }
            }
            i = j;
        }
    }

    // Edges numbered in order of first use, each remembering its first half-edge.
    std::vector<uint32_t> edgeLeader;
    edgeLeader.reserve(halfEdgeCount / 2 + 2);
    for (uint32_t h = 0; h < halfEdgeCount; ++h) {
        if (leader[h] == h) {
            edgeOf[h] = uint32_t(edgeLeader.size());
            edgeLeader.push_back(h);
        } else {
            edgeOf[h] = edgeOf[leader[h]];
        }
    }
    const uint32_t edgeCount = uint32_t(edgeLeader.size());
    if (edgeOfHalfEdge) {
        edgeOfHalfEdge->assign(edgeOf, edgeOf + halfEdgeCount);
    }
    std::vector<EdgeKind> edgeKind(edgeCount);
    for (uint32_t e = 0; e < edgeCount; ++e) {
        const int32_t t = twin[edgeLeader[e]];
        edgeKind[e] = t >= 0 ? EdgeKind::Interior : t == OPEN ? EdgeKind::Open : EdgeKind::Crease;
    }

    // Vertex classes: faces per vertex, open edges per vertex, creases.
    std::vector<uint32_t> valence(vertexCount, 0);
    std::vector<uint32_t> anyCorner(vertexCount, 0);
    std::vector<uint8_t> openEdges(vertexCount, 0);
    std::vector<uint8_t> forcedCorner(vertexCount, 0);
    for (uint32_t h = 0; h < halfEdgeCount; ++h) {
        ++valence[idx[h]];
        anyCorner[idx[h]] = h;
        if (degenerateFace[h / 3]) {
            forcedCorner[idx[h]] = 1;
        }
    }
    for (uint32_t e = 0; e < edgeCount; ++e) {
        const uint32_t h = edgeLeader[e];
        const uint32_t a = idx[h], b = idx[nextCorner(h)];
        if (edgeKind[e] == EdgeKind::Crease) {
            forcedCorner[a] = forcedCorner[b] = 1;
        } else if (edgeKind[e] == EdgeKind::Open) {
            openEdges[a] = uint8_t(std::min(openEdges[a] + 1, 255));
            openEdges[b] = uint8_t(std::min(openEdges[b] + 1, 255));
        }
    }
    // Walks from a half-edge at v across interior edges, face by face; returns
    // the faces visited (not counting the start) and whether it came back to
    // the start face.
    auto walk = [&](uint32_t v, uint32_t startFace, uint32_t h, uint32_t limitSteps, bool& closed) {
        uint32_t steps = 0;
        closed = false;
        while (steps <= limitSteps) {
            const int32_t t = twin[h];
            if (t < 0) {
                return steps;
            }
            const uint32_t g = uint32_t(t) / 3;
            if (g == startFace) {
                closed = true;
                return steps;
            }
            ++steps;
            // Leave g through its other edge at v.
            h = idx[t] == v ? previousCorner(uint32_t(t)) : nextCorner(uint32_t(t));
        }
        return steps;
    };
    std::vector<VertexKind> kind(vertexCount, VertexKind::Unused);
    for (uint32_t v = 0; v < vertexCount; ++v) {
        const uint32_t n = valence[v];
        if (n == 0) {
            continue;
        }
        if (forcedCorner[v] || (openEdges[v] != 0 && openEdges[v] != 2)) {
            kind[v] = VertexKind::Corner;
            continue;
        }
        // One fan only: the walk around v must reach every face of v.
        const uint32_t c = anyCorner[v];
        const uint32_t f = c / 3;
        bool closed = false;
        uint32_t reached = 1 + walk(v, f, c, n, closed);
        if (!closed) {
            bool ignored = false;
            reached += walk(v, f, previousCorner(c), n, ignored);
        }
        const bool oneFan = reached == n;
        if (openEdges[v] == 0) {
            kind[v] = (oneFan && closed) ? VertexKind::Interior : VertexKind::Corner;
        } else {
            kind[v] = (oneFan && !closed) ? VertexKind::Boundary : VertexKind::Corner;
        }
    }

    // Neighbour sums of the old vertices: over all edges for an interior
    // vertex, over the two open edges for a boundary vertex.
    std::vector<Vertex> neighbourSum;
    reserveFresh(neighbourSum, vertexCount);
    neighbourSum.resize(vertexCount);
    for (uint32_t e = 0; e < edgeCount; ++e) {
        const uint32_t h = edgeLeader[e];
        const uint32_t a = idx[h], b = idx[nextCorner(h)];
        const VertexKind wanted =
            edgeKind[e] == EdgeKind::Interior ? VertexKind::Interior : VertexKind::Boundary;
        if (edgeKind[e] == EdgeKind::Crease) {
            continue;
        }
        if (kind[a] == wanted) {
            add(neighbourSum[a], vertices[b]);
        }
        if (kind[b] == wanted) {
            add(neighbourSum[b], vertices[a]);
        }
    }

    // Refined vertices are appended in their final order, so the output is
    // written once; their positions are also kept in a compact array that the
    // limit step gathers from (a quarter of the memory traffic of whole vertices).
    reserveFresh(outVertices, std::size_t(vertexCount) + edgeCount);
    std::vector<glm::vec3> refined;
    reserveFresh(refined, std::size_t(vertexCount) + edgeCount);
    refined.resize(std::size_t(vertexCount) + edgeCount);
    for (uint32_t v = 0; v < vertexCount; ++v) {
        switch (kind[v]) {
        case VertexKind::Interior: {
            const float b = beta(valence[v]);
            outVertices.push_back(
                blend(vertices[v], 1.0f - float(valence[v]) * b, neighbourSum[v], b));
            break;
        }
        case VertexKind::Boundary:
            outVertices.push_back(blend(vertices[v], 0.75f, neighbourSum[v], 0.125f));
            break;
        default:
            outVertices.push_back(vertices[v]);
        }
        refined[v] = outVertices.back().position;
    }
    for (uint32_t e = 0; e < edgeCount; ++e) {
        const uint32_t h = edgeLeader[e];
        const Vertex& a = vertices[idx[h]];
        const Vertex& b = vertices[idx[nextCorner(h)]];
        if (edgeKind[e] == EdgeKind::Interior) {
            const uint32_t t = uint32_t(twin[h]);
            Vertex o = blend(a, 0.375f, b, 0.375f);
            addScaled(o, vertices[idx[previousCorner(h)]], 0.125f);
            addScaled(o, vertices[idx[previousCorner(t)]], 0.125f);
            outVertices.push_back(o);
        } else {
            outVertices.push_back(blend(a, 0.5f, b, 0.5f));
        }
        refined[vertexCount + e] = outVertices.back().position;
    }

    if (limit == LimitPositions::Move) {
        // Limit positions read only the refined positions, never a moved one.
        Vertex* out = outVertices.data();
        const glm::vec3* edgePoint = refined.data() + vertexCount;
        std::vector<glm::vec3> ringSum(vertexCount, glm::vec3(0.0f));
        for (uint32_t e = 0; e < edgeCount; ++e) {
            const uint32_t h = edgeLeader[e];
            const uint32_t a = idx[h], b = idx[nextCorner(h)];
            const glm::vec3& p = edgePoint[e];
            switch (edgeKind[e]) {
            case EdgeKind::Interior: {
                // In the refined mesh this vertex has six neighbours: both
                // refined ends and the edge vertices of the two faces' other
                // edges.
                const uint32_t t = uint32_t(twin[h]);
                const glm::vec3 sum = refined[a] + refined[b] + edgePoint[edgeOf[nextCorner(h)]] +
                                      edgePoint[edgeOf[previousCorner(h)]] +
                                      edgePoint[edgeOf[nextCorner(t)]] +
                                      edgePoint[edgeOf[previousCorner(t)]];
                const float x = chi(6);
                out[vertexCount + e].position = (1.0f - 6.0f * x) * p + x * sum;
                if (kind[a] == VertexKind::Interior) {
                    ringSum[a] += p;
                }
                if (kind[b] == VertexKind::Interior) {
                    ringSum[b] += p;
                }
                break;
            }
            case EdgeKind::Open:
                out[vertexCount + e].position = 0.6f * p + 0.2f * (refined[a] + refined[b]);
                if (kind[a] == VertexKind::Boundary) {
                    ringSum[a] += p;
                }
                if (kind[b] == VertexKind::Boundary) {
                    ringSum[b] += p;
                }
                break;
            case EdgeKind::Crease:
                break;
            }
        }
        for (uint32_t v = 0; v < vertexCount; ++v) {
            const glm::vec3& p = refined[v];
            if (kind[v] == VertexKind::Interior) {
                const uint32_t n = valence[v];
                const float x = chi(n);
                out[v].position = (1.0f - float(n) * x) * p + x * ringSum[v];
            } else if (kind[v] == VertexKind::Boundary) {
                out[v].position = 0.6f * p + 0.2f * ringSum[v];
            }
        }
    }

    reserveFresh(outIndices, std::size_t(faceCount) * 12);
    outIndices.resize(std::size_t(faceCount) * 12);
    uint32_t* o = outIndices.data();
    for (uint32_t f = 0; f < faceCount; ++f, o += 12) {
        const uint32_t a = idx[3 * f], b = idx[3 * f + 1], c = idx[3 * f + 2];
        const uint32_t ab = vertexCount + edgeOf[3 * f];
        const uint32_t bc = vertexCount + edgeOf[3 * f + 1];
        const uint32_t ca = vertexCount + edgeOf[3 * f + 2];
        const uint32_t children[12] = {a, ab, ca, ab, b, bc, ca, bc, c, ab, bc, ca};
        std::copy(children, children + 12, o);
    }
}

// The position as a key: bit for bit, with -0 read as +0.
struct PositionKey {
    uint32_t x, y, z;
    explicit PositionKey(const glm::vec3& p) {
        const glm::vec3 q = p + glm::vec3(0.0f);
        std::memcpy(&x, &q.x, 4);
        std::memcpy(&y, &q.y, 4);
        std::memcpy(&z, &q.z, 4);
    }
    bool operator==(const PositionKey& o) const { return x == o.x && y == o.y && z == o.z; }
    uint64_t hash() const {
        uint64_t h = (uint64_t(x) * 0x9E3779B97F4A7C15ull) ^ (uint64_t(y) * 0xC2B2AE3D27D4EB4Full) ^
                     (uint64_t(z) * 0x165667B19E3779F9ull);
        return h ^ (h >> 29);
    }
};

// Numbers the distinct positions in order of first use: pointOf[v] is the
// point vertex v lies on. Returns the number of points.
uint32_t weldPositions(const std::vector<Vertex>& vertices, std::vector<uint32_t>& pointOf,
                       std::vector<uint32_t>& firstVertexOfPoint) {
    const std::size_t count = vertices.size();
    std::size_t slots = 16;
    while (slots < 2 * count) {
        slots *= 2;
    }
    constexpr uint32_t EMPTY = UINT32_MAX;
    std::vector<uint32_t> table(slots, EMPTY); // first vertex of a point
    pointOf.resize(count);
    firstVertexOfPoint.clear();
    for (std::size_t v = 0; v < count; ++v) {
        const PositionKey key(vertices[v].position);
        std::size_t slot = key.hash() & (slots - 1);
        while (true) {
            const uint32_t held = table[slot];
            if (held == EMPTY) {
                table[slot] = uint32_t(v);
                pointOf[v] = uint32_t(firstVertexOfPoint.size());
                firstVertexOfPoint.push_back(uint32_t(v));
                break;
            }
            if (PositionKey(vertices[held].position) == key) {
                pointOf[v] = pointOf[held];
                break;
            }
            slot = (slot + 1) & (slots - 1);
        }
    }
    return uint32_t(firstVertexOfPoint.size());
}

} // namespace

bool subdivideTriangles(const std::vector<Vertex>& vertices, const std::vector<uint32_t>& indices,
                        std::vector<Vertex>& outVertices, std::vector<uint32_t>& outIndices,
                        LimitPositions limit) {
    outVertices.clear();
    outIndices.clear();
    if (!validate(vertices.size(), indices)) {
        return false;
    }
    std::vector<uint32_t> pointOf, firstVertexOfPoint;
    const uint32_t pointCount = weldPositions(vertices, pointOf, firstVertexOfPoint);
    if (pointCount == vertices.size()) {
        refine(vertices, indices, outVertices, outIndices, limit, nullptr);
        return true;
    }

    // Vertices that share a position are one point of the surface: the
    // positions are refined on the welded mesh, so the surface stays closed
    // across flat shading and texture seams. Every other attribute is refined
    // on the mesh as given, where a seam is an open edge, so each side keeps
    // its own values. Both runs number the output the same way per face, and
    // the attribute run's vertices take their positions from the welded run.
    std::vector<Vertex> points(pointCount);
    for (uint32_t p = 0; p < pointCount; ++p) {
        points[p].position = vertices[firstVertexOfPoint[p]].position;
    }
    std::vector<uint32_t> pointIndices(indices.size());
    for (std::size_t h = 0; h < indices.size(); ++h) {
        pointIndices[h] = pointOf[indices[h]];
    }
    std::vector<Vertex> refinedPoints;
    std::vector<uint32_t> refinedPointIndices, pointEdgeOf, edgeOf;
    const auto refinePoints = [&] {
        refine(points, pointIndices, refinedPoints, refinedPointIndices, limit, &pointEdgeOf);
    };
    // The two runs are independent: the welded one on a second core when
    // there is one to start.
    std::thread second;
    try {
        second = std::thread(refinePoints);
    } catch (const std::system_error&) {
        refinePoints();
    }
    refine(vertices, indices, outVertices, outIndices, LimitPositions::Keep, &edgeOf);
    if (second.joinable()) {
        second.join();
    }

    const std::size_t vertexCount = vertices.size();
    for (std::size_t v = 0; v < vertexCount; ++v) {
        outVertices[v].position = refinedPoints[pointOf[v]].position;
    }
    for (std::size_t h = 0; h < indices.size(); ++h) {
        outVertices[vertexCount + edgeOf[h]].position =
            refinedPoints[pointCount + pointEdgeOf[h]].position;
    }
    return true;
}

Mesh subdivide(const Mesh& input) {
    std::vector<Vertex> vertices;
    std::vector<uint32_t> indices;
    if (!subdivideTriangles(input.vertices, input.indices, vertices, indices)) {
        return Mesh(input.vertices, input.indices, input.material);
    }
    return Mesh(std::move(vertices), std::move(indices), input.material);
}
