#pragma once

#include "assets/TextureImage.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// What the texture caches read for a name, with every check they make and
// without OpenGL, so that the level checker reports what the game would.

// Where the texture cache reads the texture it knows as `name`: a located
// path as it is, a bare name in textureDirectory(). An image embedded in a
// level keeps its own name.
std::string textureSourcePath(const std::string& name);

// The image the texture cache makes of `name` (an embedded image's name, a
// located path or a bare name). A `maxEdge` of 0 keeps every edge as the
// file gives it.
TextureImage readTextureImage(const std::string& name, int maxEdge);

// One face of a cube map as the cube-map cache reads it.
struct CubeFace {
    std::string path;
    TextureImage image;
    // Why the face is not used, "" when it is: the reader's reason, or that
    // it is not square or not the size of the first face read (`misshapen`).
    std::string problem;
    bool misshapen = false;
};

// Reads the six faces of the cube map `name` (a folder below
// cubemapDirectory()) in upload order (cubeFaceNames) and hands each to
// `use` with its position in that order, one decoded face held at a time.
void readCubeFaces(const std::string& name, int maxEdge,
                   const std::function<void(std::size_t, const CubeFace&)>& use);
