// Three chained Loop subdivision steps, as the world loader runs them for
// every asteroid model between launch and the first frame.
#include "assets/Subdivision.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace {

// A smooth pseudo-random bump field for asteroid-like radii.
float noise(const glm::vec3& p) {
    return 0.12f * std::sin(5.1f * p.x + 1.3f) * std::cos(4.3f * p.y - 0.7f) +
           0.06f * std::sin(11.7f * p.z + 3.1f * p.x) + 0.03f * std::cos(23.0f * p.y * p.z);
}

Vertex sphereVertex(const glm::vec3& direction, float radius) {
    Vertex v;
    v.position = direction * radius;
    v.normal = direction;
    v.texCoord = glm::vec2(std::atan2(direction.z, direction.x) / 6.2831853f + 0.5f,
                           std::acos(direction.y) / 3.1415927f);
    v.tangent = glm::normalize(glm::cross(glm::vec3(0, 1, 0), direction) + glm::vec3(1e-4f));
    v.bitangent = glm::cross(direction, v.tangent);
    return v;
}

// An icosahedron split `splits` times into 20 * 4^splits triangles, radius
// pushed around by the bump field when `noisy`.
Mesh icosphere(int splits, bool noisy) {
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    std::vector<glm::vec3> points = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                     {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                     {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (glm::vec3& p : points) {
        p = glm::normalize(p);
    }
    std::vector<uint32_t> faces = {0, 11, 5, 0, 5,  1,  0,  1,  7,  0,  7, 10, 0, 10, 11,
                                   1, 5,  9, 5, 11, 4,  11, 10, 2,  10, 7, 6,  7, 1,  8,
                                   3, 9,  4, 3, 4,  2,  3,  2,  6,  3,  6, 8,  3, 8,  9,
                                   4, 9,  5, 2, 4,  11, 6,  2,  10, 8,  6, 7,  9, 8,  1};
    for (int s = 0; s < splits; ++s) {
        std::map<std::pair<uint32_t, uint32_t>, uint32_t> middle;
        auto mid = [&](uint32_t a, uint32_t b) {
            const auto key = std::minmax(a, b);
            auto [it, inserted] = middle.try_emplace(key, uint32_t(points.size()));
            if (inserted) {
                points.push_back(glm::normalize(points[a] + points[b]));
            }
            return it->second;
        };
        std::vector<uint32_t> next;
        for (std::size_t i = 0; i < faces.size(); i += 3) {
            const uint32_t a = faces[i], b = faces[i + 1], c = faces[i + 2];
            const uint32_t ab = mid(a, b), bc = mid(b, c), ca = mid(c, a);
            for (uint32_t x : {a, ab, ca, ab, b, bc, ca, bc, c, ab, bc, ca}) {
                next.push_back(x);
            }
        }
        faces = std::move(next);
    }
    std::vector<Vertex> vertices;
    for (const glm::vec3& p : points) {
        vertices.push_back(sphereVertex(p, noisy ? 1.0f + noise(p) : 1.0f));
    }
    return Mesh(std::move(vertices), std::move(faces), Material{});
}

// An open, gently curved sheet of columns x rows quads with a boundary all round.
Mesh grid(int columns, int rows) {
    std::vector<Vertex> vertices;
    for (int j = 0; j <= rows; ++j) {
        for (int i = 0; i <= columns; ++i) {
            Vertex v;
            const float x = float(i) / float(columns), y = float(j) / float(rows);
            v.position =
                glm::vec3(x * 4.0f, 0.3f * std::sin(6.0f * x) * std::cos(5.0f * y), y * 4.0f);
            v.normal = glm::vec3(0, 1, 0);
            v.texCoord = glm::vec2(x, y);
            v.tangent = glm::vec3(1, 0, 0);
            v.bitangent = glm::vec3(0, 0, 1);
            vertices.push_back(v);
        }
    }
    std::vector<uint32_t> indices;
    const auto id = [columns](int i, int j) { return uint32_t(j * (columns + 1) + i); };
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < columns; ++i) {
            for (uint32_t x : {id(i, j), id(i, j + 1), id(i + 1, j + 1), id(i, j), id(i + 1, j + 1),
                               id(i + 1, j)}) {
                indices.push_back(x);
            }
        }
    }
    return Mesh(std::move(vertices), std::move(indices), Material{});
}

void threeSteps(benchmark::State& state, const Mesh& input) {
    int64_t trianglesOut = 0;
    for (auto _ : state) {
        Mesh level1 = subdivide(input);
        Mesh level2 = subdivide(level1);
        Mesh level3 = subdivide(level2);
        trianglesOut = level3.triangleCount;
        benchmark::DoNotOptimize(level3.vertices.data());
    }
    state.counters["triangles_in"] = double(input.triangleCount);
    state.counters["triangles_out"] = double(trianglesOut);
    state.counters["out_triangles_per_s"] =
        benchmark::Counter(double(trianglesOut), benchmark::Counter::kIsIterationInvariantRate);
}

// The floor any subdivision has to pay: the same three steps' output arrays,
// allocated at their real sizes and filled by copying the input over and
// over, with no arithmetic at all. The sizes are taken from one real run
// outside the timing.
void threeCopies(benchmark::State& state, const Mesh& input) {
    std::vector<std::pair<std::size_t, std::size_t>> sizes; // vertices, indices per step
    {
        Mesh level = subdivide(input);
        for (int step = 0; step < 3; ++step) {
            sizes.emplace_back(level.vertices.size(), level.indices.size());
            level = subdivide(level);
        }
    }
    for (auto _ : state) {
        const std::vector<Vertex>* vertices = &input.vertices;
        const std::vector<uint32_t>* indices = &input.indices;
        std::vector<Vertex> outVertices;
        std::vector<uint32_t> outIndices;
        for (const auto& [vertexCount, indexCount] : sizes) {
            std::vector<Vertex> v(vertexCount);
            std::vector<uint32_t> i(indexCount);
            for (std::size_t k = 0; k < vertexCount; k += vertices->size()) {
                std::copy_n(vertices->begin(), std::min(vertices->size(), vertexCount - k),
                            v.begin() + std::ptrdiff_t(k));
            }
            for (std::size_t k = 0; k < indexCount; k += indices->size()) {
                std::copy_n(indices->begin(), std::min(indices->size(), indexCount - k),
                            i.begin() + std::ptrdiff_t(k));
            }
            outVertices = std::move(v);
            outIndices = std::move(i);
            vertices = &outVertices;
            indices = &outIndices;
        }
        benchmark::DoNotOptimize(outVertices.data());
        benchmark::DoNotOptimize(outIndices.data());
    }
}

// Every triangle with its own three corners, as Blender exports a
// flat-shaded primitive: the finer levels are built from shared positions.
Mesh flatShaded(const Mesh& smooth) {
    std::vector<Vertex> vertices;
    std::vector<uint32_t> indices;
    for (std::size_t i = 0; i + 2 < smooth.indices.size(); i += 3) {
        const Vertex& a = smooth.vertices[smooth.indices[i]];
        const Vertex& b = smooth.vertices[smooth.indices[i + 1]];
        const Vertex& c = smooth.vertices[smooth.indices[i + 2]];
        const glm::vec3 n =
            glm::normalize(glm::cross(b.position - a.position, c.position - a.position));
        for (Vertex v : {a, b, c}) {
            v.normal = n;
            indices.push_back(uint32_t(vertices.size()));
            vertices.push_back(v);
        }
    }
    return Mesh(std::move(vertices), std::move(indices), Material{});
}

void BM_Asteroid5120(benchmark::State& state) {
    static const Mesh input = icosphere(4, true);
    threeSteps(state, input);
}

void BM_Asteroid5120_CopyBaseline(benchmark::State& state) {
    static const Mesh input = icosphere(4, true);
    threeCopies(state, input);
}

void BM_FlatAsteroid5120(benchmark::State& state) {
    static const Mesh input = flatShaded(icosphere(4, true));
    threeSteps(state, input);
}

void BM_FlatAsteroid5120_CopyBaseline(benchmark::State& state) {
    static const Mesh input = flatShaded(icosphere(4, true));
    threeCopies(state, input);
}

void BM_Sphere20480(benchmark::State& state) {
    static const Mesh input = icosphere(5, true);
    threeSteps(state, input);
}

void BM_Sphere20480_CopyBaseline(benchmark::State& state) {
    static const Mesh input = icosphere(5, true);
    threeCopies(state, input);
}

void BM_OpenGrid5120(benchmark::State& state) {
    static const Mesh input = grid(64, 40);
    threeSteps(state, input);
}

// One step at the largest size, to see the cost per refined triangle.
void BM_OneStep81920(benchmark::State& state) {
    static const Mesh input = subdivide(subdivide(icosphere(4, true)));
    int64_t trianglesOut = 0;
    for (auto _ : state) {
        Mesh out = subdivide(input);
        trianglesOut = out.triangleCount;
        benchmark::DoNotOptimize(out.vertices.data());
    }
    state.counters["out_triangles_per_s"] =
        benchmark::Counter(double(trianglesOut), benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_Asteroid5120)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Asteroid5120_CopyBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlatAsteroid5120)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlatAsteroid5120_CopyBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sphere20480)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sphere20480_CopyBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenGrid5120)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneStep81920)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
