#include "MeshChecks.h"

#include "assets/Subdivision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <utility>

namespace {

Vertex at(float x, float y, float z, float u = 0.0f, float v = 0.0f) {
    Vertex vertex;
    vertex.position = glm::vec3(x, y, z);
    vertex.normal = glm::vec3(0.0f, 0.0f, 1.0f);
    vertex.texCoord = glm::vec2(u, v);
    return vertex;
}

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

bool allFinite(const std::vector<Vertex>& vertices) {
    for (const Vertex& v : vertices) {
        for (const glm::vec3* g : {&v.position, &v.normal, &v.tangent, &v.bitangent}) {
            if (!std::isfinite(g->x) || !std::isfinite(g->y) || !std::isfinite(g->z)) {
                return false;
            }
        }
        if (!std::isfinite(v.texCoord.x) || !std::isfinite(v.texCoord.y)) {
            return false;
        }
    }
    return true;
}

std::size_t distinctEdges(const std::vector<uint32_t>& indices) {
    std::set<std::pair<uint32_t, uint32_t>> edges;
    for (std::size_t i = 0; i < indices.size(); i += 3) {
        for (int k = 0; k < 3; ++k) {
            const uint32_t a = indices[i + k], b = indices[i + (k + 1) % 3];
            edges.insert({std::min(a, b), std::max(a, b)});
        }
    }
    return edges.size();
}

// A closed torus of n x n quads, two triangles each: every vertex has valence 6.
void torus(int n, std::vector<Vertex>& vertices, std::vector<uint32_t>& indices) {
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const float a = 6.2831853f * float(i) / float(n);
            const float b = 6.2831853f * float(j) / float(n);
            const float r = 2.0f + 0.7f * std::cos(b);
            vertices.push_back(at(r * std::cos(a), r * std::sin(a), 0.7f * std::sin(b),
                                  float(i) / float(n), float(j) / float(n)));
        }
    }
    auto id = [n](int i, int j) { return uint32_t(((i + n) % n) * n + (j + n) % n); };
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            for (uint32_t x : {id(i, j), id(i + 1, j), id(i + 1, j + 1), id(i, j), id(i + 1, j + 1),
                               id(i, j + 1)}) {
                indices.push_back(x);
            }
        }
    }
}

const std::vector<Vertex> TRIANGLE = {at(0, 0, 0, 0, 0), at(1, 0, 0, 1, 0), at(0, 1, 0, 0, 1)};
const std::vector<uint32_t> TRIANGLE_INDICES = {0, 1, 2};

TEST(Subdivision, SingleTriangleBeforeLimitStepUsesBoundaryMasks) {
    std::vector<Vertex> out;
    std::vector<uint32_t> indices;
    ASSERT_TRUE(subdivideTriangles(TRIANGLE, TRIANGLE_INDICES, out, indices, LimitPositions::Keep));
    ASSERT_EQ(out.size(), 6u);
    expectNear(out[0].position, {0.125f, 0.125f, 0});
    expectNear(out[1].position, {0.75f, 0.125f, 0});
    expectNear(out[2].position, {0.125f, 0.75f, 0});
    expectNear(out[3].position, {0.5f, 0, 0});
    expectNear(out[4].position, {0.5f, 0.5f, 0});
    expectNear(out[5].position, {0, 0.5f, 0});
    // Texture coordinates blend like positions: the open edge (0,0)-(1,0) gives its mean.
    EXPECT_NEAR(out[3].texCoord.x, 0.5f, 1e-6f);
    EXPECT_NEAR(out[3].texCoord.y, 0.0f, 1e-6f);
    EXPECT_NEAR(out[4].texCoord.x, 0.5f, 1e-6f);
    EXPECT_NEAR(out[4].texCoord.y, 0.5f, 1e-6f);
    EXPECT_EQ(indices, (std::vector<uint32_t>{0, 3, 5, 3, 1, 4, 5, 4, 2, 3, 4, 5}));
}

TEST(Subdivision, SingleTriangleAfterLimitStep) {
    std::vector<Vertex> out;
    std::vector<uint32_t> indices;
    ASSERT_TRUE(subdivideTriangles(TRIANGLE, TRIANGLE_INDICES, out, indices));
    ASSERT_EQ(out.size(), 6u);
    expectNear(out[0].position, {0.175f, 0.175f, 0});
    expectNear(out[3].position, {0.475f, 0.05f, 0});
    // Only positions move in the limit step: texture coordinates stay blended.
    EXPECT_NEAR(out[0].texCoord.x, 0.125f, 1e-6f);
    EXPECT_EQ(indices, (std::vector<uint32_t>{0, 3, 5, 3, 1, 4, 5, 4, 2, 3, 4, 5}));
}

TEST(Subdivision, ClosedTetrahedronUsesValenceThreeWeights) {
    const std::vector<Vertex> vertices = {at(1, 1, 1, 0.1f, 0.2f), at(1, -1, -1, 0.9f, 0.1f),
                                          at(-1, 1, -1, 0.4f, 0.8f), at(-1, -1, 1, 0.3f, 0.3f)};
    const std::vector<uint32_t> indices = {0, 1, 2, 0, 3, 1, 0, 2, 3, 1, 3, 2};
    std::vector<Vertex> out;
    std::vector<uint32_t> refined;
    ASSERT_TRUE(subdivideTriangles(vertices, indices, out, refined, LimitPositions::Keep));
    EXPECT_EQ(out.size(), 10u);
    EXPECT_EQ(refined.size(), 16u * 3u);
    for (uint32_t v = 0; v < 4; ++v) {
        glm::vec3 sum(0.0f);
        glm::vec2 uvSum(0.0f);
        for (uint32_t w = 0; w < 4; ++w) {
            if (w != v) {
                sum += vertices[w].position;
                uvSum += vertices[w].texCoord;
            }
        }
        expectNear(out[v].position, 7.0f / 16.0f * vertices[v].position + 3.0f / 16.0f * sum);
        EXPECT_NEAR(out[v].texCoord.x,
                    7.0f / 16.0f * vertices[v].texCoord.x + 3.0f / 16.0f * uvSum.x, 1e-6f);
    }
    // Edge 0 of face 0 (vertices 0 and 1) with opposite vertices 2 and 3.
    expectNear(out[4].position, 0.375f * (vertices[0].position + vertices[1].position) +
                                    0.125f * (vertices[2].position + vertices[3].position));
    // Limit step: valence 3 gives neighbour weight 1/5; edge vertices valence 6, weight 1/12.
    std::vector<Vertex> limit;
    ASSERT_TRUE(subdivideTriangles(vertices, indices, limit, refined));
    glm::vec3 ring(0.0f);
    for (uint32_t i = 0; i < refined.size(); i += 3) {
        for (int k = 0; k < 3; ++k) {
            if (refined[i + k] == 0) {
                ring += out[refined[i + (k + 1) % 3]].position;
            }
        }
    }
    expectNear(limit[0].position, 0.4f * out[0].position + 0.2f * ring);
}

TEST(Subdivision, ValenceSixVerticesWeighEachNeighbourOneSixteenth) {
    std::vector<Vertex> vertices;
    std::vector<uint32_t> indices;
    torus(5, vertices, indices);
    std::vector<Vertex> out;
    std::vector<uint32_t> refined;
    ASSERT_TRUE(subdivideTriangles(vertices, indices, out, refined, LimitPositions::Keep));
    // Neighbours of vertex v from the triangle list.
    for (uint32_t v : {0u, 7u, 24u}) {
        std::set<uint32_t> neighbours;
        for (std::size_t i = 0; i < indices.size(); i += 3) {
            for (int k = 0; k < 3; ++k) {
                if (indices[i + k] == v) {
                    neighbours.insert(indices[i + (k + 1) % 3]);
                    neighbours.insert(indices[i + (k + 2) % 3]);
                }
            }
        }
        ASSERT_EQ(neighbours.size(), 6u);
        glm::vec3 sum(0.0f);
        for (uint32_t w : neighbours) {
            sum += vertices[w].position;
        }
        expectNear(out[v].position, 10.0f / 16.0f * vertices[v].position + sum / 16.0f);
    }
}

TEST(Subdivision, CountsAreVerticesPlusEdgesAndFourTimesTheTriangles) {
    std::vector<Vertex> vertices;
    std::vector<uint32_t> indices;
    torus(6, vertices, indices);
    std::vector<Vertex> level = vertices;
    std::vector<uint32_t> levelIndices = indices;
    for (int step = 0; step < 3; ++step) {
        std::vector<Vertex> out;
        std::vector<uint32_t> refined;
        ASSERT_TRUE(subdivideTriangles(level, levelIndices, out, refined));
        EXPECT_EQ(out.size(), level.size() + distinctEdges(levelIndices));
        EXPECT_EQ(refined.size(), 4 * levelIndices.size());
        EXPECT_TRUE(allFinite(out));
        level = std::move(out);
        levelIndices = std::move(refined);
    }
    EXPECT_EQ(levelIndices.size() / 3, 72u * 64u);
}

TEST(Subdivision, MeshKeepsMaterialAndInput) {
    Material material;
    material.diffuseTextures = {"rock.png"};
    material.normalTextures = {"rock_n.png"};
    material.ambientColor = glm::vec3(0.1f, 0.2f, 0.3f);
    material.specularColor = glm::vec3(0.5f);
    material.expShininess = 32.0f;
    const Mesh input(TRIANGLE, TRIANGLE_INDICES, material);
    const Mesh refined = subdivide(input);
    EXPECT_EQ(refined.vertices.size(), 6u);
    EXPECT_EQ(refined.triangleCount, 4);
    EXPECT_EQ(refined.vao, 0u); // nothing touched OpenGL
    EXPECT_EQ(refined.material.diffuseTextures, material.diffuseTextures);
    EXPECT_EQ(refined.material.normalTextures, material.normalTextures);
    EXPECT_EQ(refined.material.ambientColor, material.ambientColor);
    EXPECT_EQ(refined.material.specularColor, material.specularColor);
    EXPECT_EQ(refined.material.expShininess, 32.0f);
    EXPECT_EQ(input.vertices.size(), 3u);
    EXPECT_EQ(input.vertices[0].position, glm::vec3(0.0f));
}

TEST(Subdivision, EdgeOfThreeTrianglesIsACreaseWithFixedEnds) {
    // Three fins on the edge 0-1.
    const std::vector<Vertex> vertices = {at(0, 0, 0), at(1, 0, 0), at(0.5f, 1, 0),
                                          at(0.5f, -1, 0.5f), at(0.5f, 0, -1)};
    const std::vector<uint32_t> indices = {0, 1, 2, 1, 0, 3, 0, 1, 4};
    std::vector<Vertex> out;
    std::vector<uint32_t> refined;
    ASSERT_TRUE(subdivideTriangles(vertices, indices, out, refined));
    EXPECT_EQ(out.size(), 5u + 7u);
    EXPECT_EQ(refined.size(), 36u);
    EXPECT_TRUE(allFinite(out));
    // The crease ends keep their place; the crease vertex is the midpoint.
    expectNear(out[0].position, vertices[0].position);
    expectNear(out[1].position, vertices[1].position);
    expectNear(out[5].position, {0.5f, 0, 0});
    // All three faces share the one crease vertex.
    EXPECT_EQ(refined[1], 5u);
    EXPECT_EQ(refined[12 + 1], 5u);
    EXPECT_EQ(refined[24 + 1], 5u);
}

TEST(Subdivision, VertexJoiningTwoFansAndUnusedVerticesKeepTheirValues) {
    // Two triangles touching at vertex 0 only (a bow tie), and vertex 5 unused.
    const std::vector<Vertex> vertices = {at(0, 0, 0),  at(1, 0, 0),   at(1, 1, 0),
                                          at(-1, 0, 0), at(-1, -1, 0), at(7, 7, 7)};
    const std::vector<uint32_t> indices = {0, 1, 2, 0, 3, 4};
    std::vector<Vertex> out;
    std::vector<uint32_t> refined;
    ASSERT_TRUE(subdivideTriangles(vertices, indices, out, refined));
    EXPECT_EQ(out.size(), 6u + 6u);
    EXPECT_TRUE(allFinite(out));
    expectNear(out[0].position, vertices[0].position);
    expectNear(out[5].position, vertices[5].position);
    // The other corners follow the boundary masks as usual.
    std::vector<Vertex> alone;
    std::vector<uint32_t> aloneIndices;
    ASSERT_TRUE(subdivideTriangles({vertices[0], vertices[1], vertices[2]}, {0, 1, 2}, alone,
                                   aloneIndices, LimitPositions::Keep));
    ASSERT_TRUE(subdivideTriangles(vertices, indices, out, refined, LimitPositions::Keep));
    expectNear(out[1].position, alone[1].position);
}

TEST(Subdivision, DegenerateTriangleAndTwiceUsedEdgeDoNotBreakIt) {
    // A face with a repeated vertex, and a face whose two edges join the same pair.
    const std::vector<Vertex> vertices = {at(0, 0, 0), at(1, 0, 0), at(0, 1, 0), at(1, 1, 0)};
    const std::vector<uint32_t> indices = {0, 1, 1, 1, 3, 2, 2, 3, 2};
    std::vector<Vertex> out;
    std::vector<uint32_t> refined;
    ASSERT_TRUE(subdivideTriangles(vertices, indices, out, refined));
    EXPECT_EQ(out.size(), 4u + distinctEdges(indices));
    EXPECT_EQ(refined.size(), 36u);
    EXPECT_TRUE(allFinite(out));
}

TEST(Subdivision, InvalidIndicesAreReportedAndLeaveTheMeshAlone) {
    std::vector<Vertex> out;
    std::vector<uint32_t> refined;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(subdivideTriangles(TRIANGLE, {0, 1, 3}, out, refined));
    EXPECT_FALSE(subdivideTriangles(TRIANGLE, {0, 1, 2, 0}, out, refined));
    const Mesh same = subdivide(Mesh(TRIANGLE, {0, 1, 2, 0}, Material{}));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(out.empty());
    EXPECT_NE(log.find("[ ERROR ]\tLoop subdivision skipped: index 2 names vertex 3"),
              std::string::npos);
    EXPECT_NE(log.find("4 indices do not form whole triangles"), std::string::npos);
    EXPECT_EQ(same.vertices.size(), 3u);
    EXPECT_EQ(same.indices.size(), 4u);
}

TEST(Subdivision, EmptyInputGivesEmptyOutput) {
    std::vector<Vertex> out;
    std::vector<uint32_t> refined;
    EXPECT_TRUE(subdivideTriangles({}, {}, out, refined));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(refined.empty());
}

// Each triangle with its own three corners and its face normal, as a
// flat-shaded export writes a mesh.
void flatten(const std::vector<Vertex>& vertices, const std::vector<uint32_t>& indices,
             std::vector<Vertex>& flatVertices, std::vector<uint32_t>& flatIndices) {
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3) {
        const glm::vec3 n = glm::normalize(
            glm::cross(vertices[indices[i + 1]].position - vertices[indices[i]].position,
                       vertices[indices[i + 2]].position - vertices[indices[i]].position));
        for (int k = 0; k < 3; ++k) {
            Vertex v = vertices[indices[i + k]];
            v.normal = n;
            flatIndices.push_back(uint32_t(flatVertices.size()));
            flatVertices.push_back(v);
        }
    }
}

} // namespace

// Meshes whose triangles meet at shared positions rather than shared vertices.
namespace {

TEST(SubdivisionSeams, FlatShadedClosedMeshStaysClosedAndMatchesTheSmoothOne) {
    std::vector<Vertex> smoothVertices, flatVertices;
    std::vector<uint32_t> smoothIndices, flatIndices;
    torus(6, smoothVertices, smoothIndices);
    flatten(smoothVertices, smoothIndices, flatVertices, flatIndices);
    Mesh smooth(smoothVertices, smoothIndices, Material{});
    Mesh flat(flatVertices, flatIndices, Material{});
    for (int level = 1; level <= 3; ++level) {
        SCOPED_TRACE(level);
        smooth = subdivide(smooth);
        flat = subdivide(flat);
        ASSERT_EQ(flat.indices.size(), smooth.indices.size());
        EXPECT_EQ(edgesNotSharedByTwo(flat.vertices, flat.indices), 0u);
        // Same surface: corner k of every output triangle lies where the smooth one's does.
        for (std::size_t k = 0; k < flat.indices.size(); ++k) {
            expectNear(flat.vertices[flat.indices[k]].position,
                       smooth.vertices[smooth.indices[k]].position, 1e-4f);
        }
        EXPECT_TRUE(allFinite(flat.vertices));
    }
}

TEST(SubdivisionSeams, EachSideOfATextureSeamKeepsItsOwnCoordinates) {
    // Two triangles on the edge (0,0,0)-(1,0,0), each with its own corners
    // there: the texture is cut along that edge.
    const std::vector<Vertex> vertices = {at(0, 0, 0, 0.0f, 0.0f),    at(1, 0, 0, 1.0f, 0.0f),
                                          at(0.5f, 1, 0, 0.5f, 1.0f), at(1, 0, 0, 0.2f, 0.6f),
                                          at(0, 0, 0, 0.4f, 0.6f),    at(0.5f, -1, 0, 0.3f, 0.9f)};
    const std::vector<uint32_t> indices = {0, 1, 2, 3, 4, 5};
    std::vector<Vertex> out;
    std::vector<uint32_t> refined;
    ASSERT_TRUE(subdivideTriangles(vertices, indices, out, refined, LimitPositions::Keep));
    // The seam's split point of each face (its first edge) is its own vertex...
    const Vertex& upper = out[refined[1]];
    const Vertex& lower = out[refined[12 + 1]];
    EXPECT_NE(refined[1], refined[12 + 1]);
    EXPECT_EQ(upper.texCoord, glm::vec2(0.5f, 0.0f));
    EXPECT_EQ(lower.texCoord, glm::vec2(0.3f, 0.6f));
    // ...at one place, weighed with both faces as one interior edge.
    EXPECT_EQ(upper.position, lower.position);
    expectNear(upper.position, {0.5f, 0.0f, 0.0f});
    // The seam's ends get the coordinates each face alone would give them,
    // and share their position.
    std::vector<Vertex> alone;
    std::vector<uint32_t> aloneIndices;
    ASSERT_TRUE(subdivideTriangles({vertices[3], vertices[4], vertices[5]}, {0, 1, 2}, alone,
                                   aloneIndices, LimitPositions::Keep));
    EXPECT_EQ(out[4].texCoord, alone[1].texCoord);
    EXPECT_EQ(out[3].texCoord, alone[0].texCoord);
    EXPECT_NE(out[0].texCoord, out[4].texCoord);
    EXPECT_EQ(out[0].position, out[4].position);
    EXPECT_EQ(out[1].position, out[3].position);
}

TEST(SubdivisionSeams, ArbitraryInputWithSharedPositionsNeverBreaksIt) {
    const float nan = std::nanf("");
    struct Case {
        const char* what;
        std::vector<Vertex> vertices;
        std::vector<uint32_t> indices;
    };
    const Case cases[] = {
        {"every vertex at one place",
         {at(1, 1, 1), at(1, 1, 1), at(1, 1, 1), at(1, 1, 1)},
         {0, 1, 2, 2, 1, 3, 3, 0, 1}},
        {"minus zero and zero",
         {at(0, 0, 0), at(-0.0f, 0, 0), at(1, 0, 0), at(0, 1, 0)},
         {0, 2, 3, 1, 3, 2}},
        {"a triangle on three copies of one edge",
         {at(0, 0, 0), at(1, 0, 0), at(0, 0, 0), at(1, 0, 0), at(0, 1, 0), at(0, -1, 0),
          at(0, 0, 1)},
         {0, 1, 4, 3, 2, 5, 0, 3, 6}},
        {"not-a-number positions",
         {at(nan, 0, 0), at(nan, 0, 0), at(1, 0, 0), at(0, 1, 0)},
         {0, 2, 3, 1, 3, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Vertex> out;
        std::vector<uint32_t> refined;
        ASSERT_TRUE(subdivideTriangles(c.vertices, c.indices, out, refined));
        EXPECT_EQ(refined.size(), c.indices.size() * 4);
        for (uint32_t index : refined) {
            ASSERT_LT(index, out.size());
        }
    }
    // Out-of-range indices are refused before anything is welded.
    std::vector<Vertex> out;
    std::vector<uint32_t> refined;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(
        subdivideTriangles({at(0, 0, 0), at(0, 0, 0), at(1, 0, 0)}, {0, 1, 7}, out, refined));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(out.empty());
}

} // namespace
