#pragma once

#include "assets/Store.h"
#include "physics/CookedMesh.h"

#include <memory>

class Mesh;
struct aiMesh;

// The program-wide table of cooked collision meshes, addressed by position
// like the mesh store: a model's `collisionMeshes` hold positions in it. An
// entry is a convex hull or a triangle mesh, or null where cooking failed
// (kept so that the positions after it stay where their models expect
// them). A cooked mesh is shared by every body made from its model, each with
// its own scaled shape. Created empty on first use, only ever appended to,
// and it keeps its entries until the program exits.
Store<std::shared_ptr<const CookedMesh>>& collisionMeshStore();

// The convex hull of a mesh's vertex positions; the physics engine finds the
// hull, the mesh's triangles are not used. Null when the positions span no
// volume (a hull needs at least four points that are not on one plane); the
// caller, who knows the node or model, says so.
std::shared_ptr<const ConvexMesh> cookConvex(const Mesh& mesh);

// A triangle surface of a mesh's positions and triangles. Null, silently like
// cookConvex, when the mesh has no triangle, an index names no vertex or a
// position is not finite.
std::shared_ptr<const TriangleMesh> cookTriMesh(const Mesh& mesh);

// What cooking reads of an imported mesh: its positions and its triangles
// (points and lines are left out). Normals, texture coordinates and the
// material are not filled in, since collision meshes are never drawn.
Mesh collisionSourceMesh(const aiMesh* mesh);
