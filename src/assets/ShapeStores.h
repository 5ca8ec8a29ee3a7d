#pragma once

#include "assets/Shape.h"
#include "assets/Store.h"

// The program-wide tables of all meshes and geometries, addressed by position
// (models hold positions, not shapes). Created empty on first use, only ever
// appended to, and they own their shapes until the program exits.
Store<Mesh>& meshStore();
Store<Geometry>& geometryStore();
