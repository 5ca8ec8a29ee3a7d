#pragma once

// What a level file holds, told by its first bytes, never by its name.
enum class LevelFormat {
    Collada,    // XML
    GltfBinary, // .glb: the "glTF" magic, JSON and binary chunks
    GltfText,   // .gltf: JSON, with its buffers and images beside it or inside
    Other,      // neither: left to the importer
};

inline bool isGltf(LevelFormat format) {
    return format == LevelFormat::GltfBinary || format == LevelFormat::GltfText;
}
