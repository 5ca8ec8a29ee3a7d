#pragma once

#include <string>
#include <string_view>
#include <vector>

// The checks a glTF 2.0 level passes before the importer reads it, with the
// importer's own rules: what it cannot survive (JSON nested deep enough to
// exhaust its recursion, a buffer, view or accessor reaching past its data,
// an index naming nothing or a vertex beyond the mesh, nodes that are their
// own ancestors or children of two parents, a huge accessor without data,
// accessors named so often that their copies fill the memory, a skin
// without its matrices, a strip too short to make one triangle) is refused
// here, with the reason.

// Deeper JSON nesting than this is refused: Blender writes some eight
// levels, and extensions a few more.
inline constexpr int MAX_GLTF_JSON_DEPTH = 64;

// Deeper node nesting than this is refused, as for COLLADA levels.
inline constexpr int MAX_GLTF_NODE_DEPTH = 1000;

// An accessor without a buffer view is all zeros, and the importer makes
// them: more than this many bytes of them is refused.
inline constexpr unsigned long long MAX_GLTF_ZERO_BYTES = 64ull << 20;

// The vertices and indices all primitives and morph targets of a level
// name, each use of an accessor counted: the importer copies each, and a
// small file can name one large accessor a thousand times. About 100 bytes
// each while loading; a scene of a million triangles names some 4 million.
inline constexpr unsigned long long MAX_GLTF_MESH_ELEMENTS = 6000000;

struct GltfFileCheck {
    // Empty when the importer may read the file; else the end of a sentence
    // that starts with the file's name.
    std::string problem;
    // Whether the problem is a file that cannot be read (a buffer file
    // missing, unreadable or too short) rather than a broken one.
    bool unreadable = false;
    // What the importer drops, read here: each material's emissive
    // strength (KHR_materials_emissive_strength; 1 without it), by the
    // material's position in the file.
    std::vector<float> emissiveStrengths;
};

// Checks glTF content: `bytes` is the whole file at `path` (the folder of
// buffer files named by it), binary (.glb) or JSON text (.gltf).
GltfFileCheck checkGltf(const std::string& path, std::string_view bytes, bool binary);
