#pragma once

#include "assets/AssetLoader.h"
#include "assets/Texture.h"

// The cache of 2D textures, keyed by file name with its extension, read from
// textureDirectory(). A file that cannot be read or decoded is reported
// once and cached as a texture with id 0.
class TextureLoader : public AssetLoader<Texture> {
public:
    TextureLoader();

    // The program-wide instance, created on first use; it lives until exit.
    static TextureLoader& instance();

    Texture load(const std::string& name) override;
};

// The cache of cube maps, keyed by the name of a folder below
// cubemapDirectory() that holds the six face images
// right, left, top, bottom, front and back ".png". A face that cannot be read
// is reported on its own line and the cube map is cached with id 0.
class CubemapLoader : public AssetLoader<Cubemap> {
public:
    CubemapLoader();

    // The program-wide instance, created on first use; it lives until exit.
    static CubemapLoader& instance();

    Cubemap load(const std::string& name) override;
};
