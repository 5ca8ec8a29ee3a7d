#pragma once

#include <cstdint>
#include <vector>

struct Model;

// How far across, in pixels, the triangles of the level drawn may be at
// most: a triangle's size across is the square root of its area, so two
// across covers four pixels (an equilateral triangle of three-pixel sides).
// A finer level only splits triangles that are already this small, and its
// vertices lie on the same limit surface, so the outline moves by a small
// fraction of a pixel when the level changes; what does change is shading
// within a pixel or two. The software rasteriser pays dearly for triangles
// smaller than this: each one costs its setup and a partly covered block of
// pixels.
inline constexpr float DETAIL_TRIANGLE_PIXELS = 2.0f;

// How large the triangles of each of a model's mesh levels are: entry k is
// the square root of level k's mean triangle area (its size across),
// divided by `radius` (the model's bounding radius in its own coordinates),
// so that the figure holds at any scale. A model of one level (or none)
// gives a list of that many entries; a level without triangles gives 0.
std::vector<float> levelTriangleSizes(const Model& model, float radius);

// The level an object draws for its size on screen: the coarsest level whose
// triangles are at most DETAIL_TRIANGLE_PIXELS across, but never above
// `cap` (the player's detail level) nor the model's last level. `sizes` is
// levelTriangleSizes of its model, `radius` its bounding radius in the
// world, `distance` from the eye to the near side of that sphere (anything
// under `nearest` counts as `nearest`, so an eye inside the sphere gets the
// finest level), `fovY` the vertical field of view in radians and
// `windowHeight` the picture's height in pixels. A cap of 0 (or below)
// draws level 0 everywhere.
int32_t screenDetailLevel(const std::vector<float>& sizes, float radius, float distance, float fovY,
                          float windowHeight, int32_t cap, float nearest = 0.1f);
