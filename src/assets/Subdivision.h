#pragma once

#include "assets/Shape.h"

#include <cstdint>
#include <vector>

// Whether a subdivision step finishes by moving the refined positions onto
// the Loop limit surface (the game always does; stopping before shows the
// plain refinement masks).
enum class LimitPositions { Move, Keep };

// One step of Loop subdivision on a triangle list, without OpenGL: every
// triangle becomes four, all 14 floats of every vertex are blended with the
// Loop masks, then positions move to the limit surface.
//
// The result holds the V input vertices refined, in input order, then one
// vertex per distinct edge in order of first use (face by face, edges 0, 1,
// 2); per input face its children corner 0 (A', AB, CA), corner 1
// (AB, B', BC), corner 2 (CA, BC, C') and the centre (AB, BC, CA).
//
// Vertices that share a position (bit for bit) are one point of the surface:
// positions are refined on the mesh welded at such points, so a flat-shaded
// mesh or one with texture seams stays closed. The other attributes are
// refined on the mesh as given, where a seam is an open edge, so each side of
// it keeps its own values; a seam edge's two output vertices share one
// position. A mesh without shared positions gives the plain step.
//
// Inputs outside a clean two-manifold are handled, never trusted:
// - an edge used by more than two triangles, or twice by one triangle, is a
//   crease: its new vertex is the plain midpoint and stays there;
// - a vertex on such an edge, on a degenerate triangle (a repeated index),
//   whose triangles form more than one fan, or with other than 0 or 2 open
//   edges, is a corner: it keeps its values in both stages;
// - a vertex used by no triangle keeps its place and values.
// Indices that name no vertex, or a count that is not a multiple of 3, are
// reported on the console; the function then returns false and leaves the
// output empty.
bool subdivideTriangles(const std::vector<Vertex>& vertices, const std::vector<uint32_t>& indices,
                        std::vector<Vertex>& outVertices, std::vector<uint32_t>& outIndices,
                        LimitPositions limit = LimitPositions::Move);

// One subdivision step of a mesh; the result carries a copy of the input's
// material. The input is not changed. A mesh with invalid indices is reported
// and comes back as an unchanged copy. Touches no OpenGL: the result is
// uploaded when stored or first drawn.
Mesh subdivide(const Mesh& input);
