#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

class Noise;
class Random;

// An indexed triangle mesh as the generator builds it: one vertex list with a position,
// normal and texture coordinate per vertex. Texture coordinates are (u, t) with t counted
// from the image's first row, which is how the game samples an uploaded image; the writers
// convert to each file format's own convention.
struct GenMesh {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> uvs;
    std::vector<uint32_t> indices;

    uint32_t addVertex(glm::vec3 p, glm::vec3 n, glm::vec2 uv);
    void addTriangle(uint32_t a, uint32_t b, uint32_t c);
    size_t triangleCount() const { return indices.size() / 3; }

    // Appends another mesh (its indices shifted).
    void append(const GenMesh& other);
    // Applies an affine transform to positions and the matching one to normals.
    void transform(const glm::mat4& m);
    // Area-weighted vertex normals from the triangles.
    void computeSmoothNormals();
    // Turns every triangle whose winding disagrees with its vertices' normals, so that
    // counter-clockwise is the outside everywhere.
    void orientToNormals();
    // Drops vertices that no triangle uses (importers drop them too).
    void removeUnusedVertices();
    float boundingRadius() const;
};

// Builders. All are centred on the origin.
GenMesh makeRock(const Noise& noise, Random& random, float elongation);
GenMesh makeTorus(float majorRadius, float tubeRadius, int majorSegments, int tubeSegments,
                  float uRepeat);
// Closed cylinder along local Z (flat caps), for trigger hulls.
GenMesh makeCylinderZ(float radius, float halfLength, int segments);
GenMesh makeUvSphere(float radius, int longitudeSegments, int latitudeSegments);
// Surface of revolution about +Y from a profile of (radius, height) points. A point listed
// twice gives a hard edge there. t runs over [t0, t1] along the profile.
GenMesh makeLathe(const std::vector<glm::vec2>& profile, int segments, float uRepeat, float t0,
                  float t1, float u0 = 0.0f, float u1 = 1.0f);
GenMesh makeTrashCan();

// Checks used on the content before it is written.
// Every edge is shared by exactly two triangles, with opposite directions.
bool isClosedManifold(const GenMesh& mesh, std::string& problem);
// The game builds tangent frames with unguarded divisions; this repeats that computation
// and reports whether every vertex ends with a finite, non-zero tangent and bitangent.
bool tangentFramesFinite(const GenMesh& mesh, std::string& problem);
