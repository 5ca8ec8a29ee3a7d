#pragma once

#include <string>

struct LevelPlan;

// Writes the level as a COLLADA 1.4 file: Y up, one unit per metre, node ids equal to
// their names, one material per node, normals and texture coordinates on every mesh,
// texture paths relative to the level file. Returns false if the file could not be written.
bool writeCollada(const std::string& path, const LevelPlan& plan);

// Writes the level's material sidecar: the normal map, ambient and specular
// colours and shininess of every material, which a Blender round trip drops
// from the COLLADA file.
bool writeMaterialSidecar(const std::string& path, const LevelPlan& plan);
