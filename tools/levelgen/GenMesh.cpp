#include "GenMesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "Noise.h"
#include "Random.h"

namespace {

constexpr float TAU = 6.2831853f;

} // namespace

uint32_t GenMesh::addVertex(glm::vec3 p, glm::vec3 n, glm::vec2 uv) {
    positions.push_back(p);
    normals.push_back(n);
    uvs.push_back(uv);
    return static_cast<uint32_t>(positions.size() - 1);
}

void GenMesh::addTriangle(uint32_t a, uint32_t b, uint32_t c) {
    indices.push_back(a);
    indices.push_back(b);
    indices.push_back(c);
}

void GenMesh::append(const GenMesh& other) {
    auto base = static_cast<uint32_t>(positions.size());
    positions.insert(positions.end(), other.positions.begin(), other.positions.end());
    normals.insert(normals.end(), other.normals.begin(), other.normals.end());
    uvs.insert(uvs.end(), other.uvs.begin(), other.uvs.end());
    for (uint32_t i : other.indices) {
        indices.push_back(base + i);
    }
}

void GenMesh::transform(const glm::mat4& m) {
    glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(m)));
    for (size_t i = 0; i < positions.size(); ++i) {
        positions[i] = glm::vec3(m * glm::vec4(positions[i], 1.0f));
        normals[i] = glm::normalize(normalMatrix * normals[i]);
    }
    if (glm::determinant(glm::mat3(m)) < 0.0f) {
        for (size_t i = 0; i < indices.size(); i += 3) {
            std::swap(indices[i + 1], indices[i + 2]);
        }
    }
}

void GenMesh::computeSmoothNormals() {
    std::vector<glm::vec3> sum(positions.size(), glm::vec3(0.0f));
    for (size_t i = 0; i < indices.size(); i += 3) {
        glm::vec3 a = positions[indices[i]], b = positions[indices[i + 1]],
                  c = positions[indices[i + 2]];
        glm::vec3 n = glm::cross(b - a, c - a); // length = twice the area
        for (int k = 0; k < 3; ++k) {
            sum[indices[i + k]] += n;
        }
    }
    for (size_t i = 0; i < positions.size(); ++i) {
        float len = glm::length(sum[i]);
        normals[i] = len > 0.0f ? sum[i] / len : glm::vec3(0.0f, 1.0f, 0.0f);
    }
}

void GenMesh::orientToNormals() {
    for (size_t i = 0; i < indices.size(); i += 3) {
        glm::vec3 a = positions[indices[i]], b = positions[indices[i + 1]],
                  c = positions[indices[i + 2]];
        glm::vec3 faceNormal = glm::cross(b - a, c - a);
        glm::vec3 vertexNormals =
            normals[indices[i]] + normals[indices[i + 1]] + normals[indices[i + 2]];
        if (glm::dot(faceNormal, vertexNormals) < 0.0f) {
            std::swap(indices[i + 1], indices[i + 2]);
        }
    }
}

void GenMesh::removeUnusedVertices() {
    std::vector<uint32_t> remap(positions.size(), UINT32_MAX);
    GenMesh kept;
    for (uint32_t& i : indices) {
        if (remap[i] == UINT32_MAX) {
            remap[i] = kept.addVertex(positions[i], normals[i], uvs[i]);
        }
        i = remap[i];
    }
    positions = std::move(kept.positions);
    normals = std::move(kept.normals);
    uvs = std::move(kept.uvs);
}

float GenMesh::boundingRadius() const {
    float r = 0.0f;
    for (const auto& p : positions) {
        r = std::max(r, glm::length(p));
    }
    return r;
}

GenMesh makeRock(const Noise& noise, Random& random, float elongation) {
    // Icosahedron refined twice: 162 vertices, 320 triangles, every vertex shared.
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    std::vector<glm::vec3> verts = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                    {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                    {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (auto& v : verts) {
        v = glm::normalize(v);
    }
    std::vector<uint32_t> tris = {0, 11, 5, 0, 5,  1,  0,  1,  7,  0,  7, 10, 0, 10, 11,
                                  1, 5,  9, 5, 11, 4,  11, 10, 2,  10, 7, 6,  7, 1,  8,
                                  3, 9,  4, 3, 4,  2,  3,  2,  6,  3,  6, 8,  3, 8,  9,
                                  4, 9,  5, 2, 4,  11, 6,  2,  10, 8,  6, 7,  9, 8,  1};
    for (int level = 0; level < 2; ++level) {
        std::map<std::pair<uint32_t, uint32_t>, uint32_t> midpoints;
        auto midpoint = [&](uint32_t a, uint32_t b) {
            auto key = std::make_pair(std::min(a, b), std::max(a, b));
            auto it = midpoints.find(key);
            if (it != midpoints.end()) {
                return it->second;
            }
            verts.push_back(glm::normalize(verts[a] + verts[b]));
            auto index = static_cast<uint32_t>(verts.size() - 1);
            midpoints.emplace(key, index);
            return index;
        };
        std::vector<uint32_t> refined;
        for (size_t i = 0; i < tris.size(); i += 3) {
            uint32_t a = tris[i], b = tris[i + 1], c = tris[i + 2];
            uint32_t ab = midpoint(a, b), bc = midpoint(b, c), ca = midpoint(c, a);
            uint32_t next[] = {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca};
            refined.insert(refined.end(), std::begin(next), std::end(next));
        }
        tris = std::move(refined);
    }

    // Displace along the direction: broad lumps, a few dents (craters), finer grit.
    glm::vec3 offset(random.range(0, 50), random.range(0, 50), random.range(0, 50));
    std::vector<glm::vec3> craters;
    std::vector<float> craterSizes;
    int craterCount = 2 + random.below(3);
    for (int i = 0; i < craterCount; ++i) {
        craters.push_back(random.unitVector());
        craterSizes.push_back(random.range(0.25f, 0.5f));
    }
    glm::vec3 stretch(1.0f + 0.5f * (elongation - 1.0f), 1.0f, elongation);
    GenMesh mesh;
    // Texture coordinates are a projection onto a plane across a tilted axis: a single
    // seamless map keeps every vertex shared, which the subdivision of the finer levels needs.
    glm::vec3 axisU = glm::normalize(glm::vec3(0.8f, 0.1f, -0.6f));
    glm::vec3 axisT = glm::normalize(glm::cross(glm::vec3(0.3f, 0.5f, 0.8f), axisU));
    for (const auto& d : verts) {
        float r = 1.0f + 0.28f * noise.fbm(d * 1.3f + offset, 3) +
                  0.06f * noise.fbm(d * 5.0f + offset, 2);
        for (size_t c = 0; c < craters.size(); ++c) {
            float angle = std::acos(std::clamp(glm::dot(d, craters[c]), -1.0f, 1.0f));
            float x = angle / craterSizes[c];
            if (x < 1.0f) {
                r -= 0.12f * craterSizes[c] * (1.0f - x * x) * 2.0f;
            } else if (x < 1.3f) {
                r += 0.03f * (1.3f - x) / 0.3f;
            }
        }
        glm::vec3 p = d * r * stretch;
        mesh.addVertex(p, d, glm::vec2(glm::dot(p, axisU) * 0.7f, glm::dot(p, axisT) * 0.7f));
    }
    mesh.indices = tris;
    mesh.computeSmoothNormals();
    mesh.orientToNormals();
    return mesh;
}

GenMesh makeTorus(float majorRadius, float tubeRadius, int majorSegments, int tubeSegments,
                  float uRepeat) {
    GenMesh mesh;
    for (int i = 0; i <= majorSegments; ++i) {
        float a = TAU * i / majorSegments;
        glm::vec3 radial(std::cos(a), std::sin(a), 0.0f);
        for (int j = 0; j <= tubeSegments; ++j) {
            float b = TAU * j / tubeSegments;
            glm::vec3 n = radial * std::cos(b) + glm::vec3(0, 0, 1) * std::sin(b);
            glm::vec3 p = radial * majorRadius + n * tubeRadius;
            mesh.addVertex(
                p, n, glm::vec2(uRepeat * i / majorSegments, static_cast<float>(j) / tubeSegments));
        }
    }
    int row = tubeSegments + 1;
    for (int i = 0; i < majorSegments; ++i) {
        for (int j = 0; j < tubeSegments; ++j) {
            uint32_t a = i * row + j, b = (i + 1) * row + j, c = (i + 1) * row + j + 1,
                     d = i * row + j + 1;
            mesh.addTriangle(a, b, c);
            mesh.addTriangle(a, c, d);
        }
    }
    mesh.orientToNormals();
    return mesh;
}

GenMesh makeLathe(const std::vector<glm::vec2>& profile, int segments, float uRepeat, float t0,
                  float t1, float u0, float u1) {
    // Profile normals: average of the neighbouring segments, not across a repeated point.
    size_t n = profile.size();
    std::vector<float> length(n, 0.0f);
    for (size_t i = 1; i < n; ++i) {
        length[i] = length[i - 1] + glm::length(profile[i] - profile[i - 1]);
    }
    auto segmentNormal = [&](size_t i) { // segment from i to i+1, outward
        glm::vec2 d = profile[i + 1] - profile[i];
        glm::vec2 nn(d.y, -d.x);
        float l = glm::length(nn);
        return l > 0.0f ? nn / l : glm::vec2(0.0f);
    };
    std::vector<glm::vec2> pn(n, glm::vec2(0.0f));
    for (size_t i = 0; i < n; ++i) {
        glm::vec2 sum(0.0f);
        if (i + 1 < n && profile[i + 1] != profile[i]) {
            sum += segmentNormal(i);
        }
        if (i > 0 && profile[i - 1] != profile[i]) {
            sum += segmentNormal(i - 1);
        }
        float l = glm::length(sum);
        pn[i] = l > 0.0f ? sum / l : glm::vec2(0.0f, 1.0f);
    }
    GenMesh mesh;
    for (size_t i = 0; i < n; ++i) {
        float t = t0 + (t1 - t0) * (length[n - 1] > 0.0f ? length[i] / length[n - 1] : 0.0f);
        for (int s = 0; s <= segments; ++s) {
            float a = TAU * s / segments;
            float c = std::cos(a), sn = std::sin(a);
            glm::vec3 p(profile[i].x * c, profile[i].y, profile[i].x * sn);
            glm::vec3 nrm(pn[i].x * c, pn[i].y, pn[i].x * sn);
            float u = u0 + (u1 - u0) * uRepeat * s / segments;
            mesh.addVertex(p, glm::normalize(nrm), glm::vec2(u, t));
        }
    }
    int row = segments + 1;
    for (size_t i = 0; i + 1 < n; ++i) {
        if (profile[i] == profile[i + 1]) {
            continue; // hard edge: the two rings of vertices are not joined
        }
        for (int s = 0; s < segments; ++s) {
            uint32_t a = i * row + s, b = i * row + s + 1, c = (i + 1) * row + s + 1,
                     d = (i + 1) * row + s;
            glm::vec3 pa = mesh.positions[a], pb = mesh.positions[b], pc = mesh.positions[c],
                      pd = mesh.positions[d];
            if (glm::length(glm::cross(pb - pa, pc - pa)) > 1e-9f) {
                mesh.addTriangle(a, b, c);
            }
            if (glm::length(glm::cross(pc - pa, pd - pa)) > 1e-9f) {
                mesh.addTriangle(a, c, d);
            }
        }
    }
    mesh.orientToNormals();
    mesh.removeUnusedVertices();
    return mesh;
}

GenMesh makeCylinderZ(float radius, float halfLength, int segments) {
    std::vector<glm::vec2> profile = {{0.0f, -halfLength},   {radius, -halfLength},
                                      {radius, -halfLength}, {radius, halfLength},
                                      {radius, halfLength},  {0.0f, halfLength}};
    GenMesh mesh = makeLathe(profile, segments, 1.0f, 0.0f, 1.0f);
    // Lathe axis is Y; turn it onto Z.
    glm::mat4 m(1.0f);
    m[1] = glm::vec4(0, 0, 1, 0);
    m[2] = glm::vec4(0, -1, 0, 0);
    mesh.transform(m);
    return mesh;
}

GenMesh makeUvSphere(float radius, int longitudeSegments, int latitudeSegments) {
    std::vector<glm::vec2> profile;
    for (int i = 0; i <= latitudeSegments; ++i) {
        float a = 3.14159265f * i / latitudeSegments; // from the top down
        profile.emplace_back(radius * std::sin(a), radius * std::cos(a));
    }
    GenMesh mesh = makeLathe(profile, longitudeSegments, 1.0f, 0.0f, 1.0f);
    for (size_t i = 0; i < mesh.positions.size(); ++i) {
        mesh.normals[i] = glm::normalize(mesh.positions[i]);
    }
    return mesh;
}

GenMesh makeTrashCan() {
    // A ribbed metal bin with a domed lid; height about 2.5, radius about 0.85.
    std::vector<glm::vec2> profile = {
        {0.0f, 1.32f},   {0.35f, 1.3f},   {0.62f, 1.24f}, {0.84f, 1.14f}, {0.86f, 1.08f},
        {0.86f, 1.08f},  {0.8f, 1.05f},   {0.8f, 0.8f},   {0.84f, 0.74f}, {0.8f, 0.68f},
        {0.8f, 0.2f},    {0.84f, 0.14f},  {0.8f, 0.08f},  {0.78f, -0.5f}, {0.82f, -0.56f},
        {0.77f, -0.62f}, {0.74f, -1.15f}, {0.72f, -1.2f}, {0.72f, -1.2f}, {0.0f, -1.2f}};
    return makeLathe(profile, 24, 1.0f, 0.0f, 1.0f);
}

bool isClosedManifold(const GenMesh& mesh, std::string& problem) {
    std::map<std::pair<uint32_t, uint32_t>, int> directed;
    for (size_t i = 0; i < mesh.indices.size(); i += 3) {
        for (int k = 0; k < 3; ++k) {
            uint32_t a = mesh.indices[i + k], b = mesh.indices[i + (k + 1) % 3];
            if (++directed[{a, b}] > 1) {
                problem = "edge used twice in the same direction";
                return false;
            }
        }
    }
    for (const auto& [edge, count] : directed) {
        if (directed.find({edge.second, edge.first}) == directed.end()) {
            problem = "open edge";
            return false;
        }
    }
    return true;
}

bool tangentFramesFinite(const GenMesh& mesh, std::string& problem) {
    std::vector<glm::vec3> tangent(mesh.positions.size(), glm::vec3(0.0f));
    std::vector<glm::vec3> bitangent(mesh.positions.size(), glm::vec3(0.0f));
    for (size_t i = 0; i + 2 < mesh.indices.size(); i += 3) {
        uint32_t i0 = mesh.indices[i], i1 = mesh.indices[i + 1], i2 = mesh.indices[i + 2];
        glm::vec3 e1 = mesh.positions[i1] - mesh.positions[i0];
        glm::vec3 e2 = mesh.positions[i2] - mesh.positions[i0];
        glm::vec2 d1 = mesh.uvs[i1] - mesh.uvs[i0], d2 = mesh.uvs[i2] - mesh.uvs[i0];
        float f = 1.0f / (d1.x * d2.y - d2.x * d1.y);
        glm::vec3 t = f * (d2.y * e1 - d1.y * e2);
        glm::vec3 b = f * (d1.x * e2 - d2.x * e1);
        for (uint32_t v : {i0, i1, i2}) {
            tangent[v] += t;
            bitangent[v] += b;
        }
    }
    for (size_t v = 0; v < mesh.positions.size(); ++v) {
        glm::vec3 t = tangent[v] * (1.0f / glm::length(tangent[v]));
        glm::vec3 b = bitangent[v] * (1.0f / glm::length(bitangent[v]));
        for (int k = 0; k < 3; ++k) {
            if (!std::isfinite(t[k]) || !std::isfinite(b[k])) {
                problem = "vertex " + std::to_string(v) + " gets no finite tangent frame";
                return false;
            }
        }
    }
    return true;
}
