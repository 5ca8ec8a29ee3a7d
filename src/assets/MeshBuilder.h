#pragma once

#include "assets/Material.h"
#include "assets/Shape.h"

#include <assimp/material.h>

#include <cstdint>
#include <string>
#include <vector>

struct aiMesh;
struct aiScene;
struct aiMaterial;

// Whether `buildMesh` computes the tangent frame for normal mapping or leaves
// tangents and bitangents at (0, 0, 0).
enum class TangentFrame { Compute, Skip };

// Builds one mesh from an imported mesh record and its scene: one vertex per
// imported vertex (texture coordinates from the first channel, or (0, 0)),
// the faces' indices in order, the tangent frame and the material. Touches no
// OpenGL; the mesh is uploaded when it is stored or first drawn.
//
// Faces that are not triangles after import are mended instead of breaking
// the index list: points and lines are dropped, larger polygons are split
// into a fan. A mesh without normals gets normals averaged from its triangles
// (reported once per mesh).
//
// `sourceFile` is the level or model file the scene was read from; with it,
// the material's textures are looked up (see `readMaterial`).
Mesh buildMesh(const aiMesh* mesh, const aiScene* scene,
               TangentFrame tangentFrame = TangentFrame::Compute,
               const std::string& sourceFile = {});

// Sums each triangle's tangent and bitangent into its three vertices and
// normalises them. Triangles whose texture coordinates span no area add
// nothing, and a vertex left without a usable direction (no triangle, or
// only degenerate ones) gets a frame built around its normal instead, so no
// vertex ever holds NaN. Triples that name no vertex are ignored.
void computeTangentFrame(std::vector<Vertex>& vertices, const std::vector<uint32_t>& indices);

// The material the mesh refers to, starting from the given ambient colour and
// shininess and the defaults of `Material`; diffuse and emissive colours as
// the file gives them.
//
// Without a `sourceFile` the texture names stay as read. With one, each is
// replaced by the file it was found in (`locateTexture`); one found nowhere
// moves to `missingTextures`. A diffuse "X_diffuse.EXT" without a normal map
// is joined by "X_normal.EXT" when that is found the same way. Last, the
// values of the file's material sidecar ("LEVEL.materials") for the
// material's name are applied.
Material readMaterial(const aiMesh* mesh, const aiScene* scene, const glm::vec3& defaultAmbient,
                      float defaultShininess, const std::string& sourceFile = {});

// The file names of a material's textures of one kind, each the text after
// the last backslash of its path (a forward slash is not a separator).
std::vector<std::string> textureNames(const aiMaterial* material, aiTextureType kind);
