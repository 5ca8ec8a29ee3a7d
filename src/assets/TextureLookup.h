#pragma once

#include <string>
#include <vector>

// Where a texture named by a level or model file is read from. Touches no
// OpenGL, so a missing texture is known (and reported) before anything is
// drawn, also where there is no window at all.
//
// The places, in order:
// 1. textureDirectory() under the name's last path element (and under
//    the name as written when that stays inside the folder);
// 2. the folder of the file that names it, under the name as written
//    (Blender writes paths relative to the .dae) and under its last element.
// A name that leads out of both the game's data ("res/") and the folder of
// the file that names it (an absolute path, "../../..") is not followed as
// written: a level is a file people share. Only regular files count.
struct TextureSearch {
    std::string path;               // the file to read; "" when found nowhere
    std::vector<std::string> tried; // every place looked at, in order
    std::string outside;            // the name as written, when not followed
};

// The text after the last '/' or '\' of a name.
std::string lastPathElement(const std::string& name);

// Looks for the texture `name` that `sourceFile` (a level or model path; ""
// for none) names. Reports nothing.
TextureSearch findTexture(const std::string& name, const std::string& sourceFile);

// The same, remembered for the run: the first miss of a name from one folder
// is reported with one ERROR line naming the texture, the file that names it
// and every place tried; later asks are answered quietly. "" when missing.
// Safe to call from more than one thread.
std::string locateTexture(const std::string& name, const std::string& sourceFile);

// The normal map that goes with a diffuse texture by name: "X_diffuse.EXT"
// gives "X_normal.EXT" (same folder), anything else "". Blender cannot
// export normal maps, so a designer keeps them beside the diffuse image.
std::string companionNormalMapName(const std::string& diffuseName);
