#include "assets/TextureLoader.h"

#include "assets/AssetPaths.h"
#include "assets/TextureFiles.h"
#include "core/Log.h"

#include <GL/glew.h>

#include <string>

namespace {

// The format used both as internal and as pixel format for a channel count.
// Two channels (grey and alpha) are stored as GL_RG and read back through a
// swizzle as (grey, grey, grey, alpha), so that such an image looks as it was
// painted instead of red and green.
GLenum formatFor(int channels) {
    switch (channels) {
    case 1:
        return GL_RED;
    case 2:
        return GL_RG;
    case 3:
        return GL_RGB;
    default:
        return GL_RGBA;
    }
}

// Uploads level 0 of `target` from tightly packed rows. Rows of 1, 2 or 3
// channel images are not 4-byte aligned in general, so the unpack alignment
// is set to 1 for the upload and restored afterwards.
void uploadImage(GLenum target, const TextureImage& image) {
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const GLenum format = formatFor(image.channels);
    glTexImage2D(target, 0, GLint(format), image.width, image.height, 0, format, GL_UNSIGNED_BYTE,
                 image.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
}

void setGreyAlphaSwizzle(GLenum target, int channels) {
    if (channels == 2) {
        const GLint swizzle[4] = {GL_RED, GL_RED, GL_RED, GL_GREEN};
        glTexParameteriv(target, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    }
}

// Hands back an unused texture name; the failed asset keeps id 0.
void releaseName(TextureBase& texture) {
    if (texture.id != 0) {
        glDeleteTextures(1, &texture.id);
        texture.id = 0;
    }
}

GLint largestEdge(GLenum which) {
    GLint edge = 0;
    glGetIntegerv(which, &edge);
    return edge;
}

} // namespace

TextureLoader::TextureLoader() : AssetLoader<Texture>(textureDirectory()) {}

TextureLoader& TextureLoader::instance() {
    static TextureLoader loader;
    return loader;
}

Texture TextureLoader::load(const std::string& name) {
    Texture texture;
    const std::string path = textureSourcePath(name);
    const TextureImage image = readTextureImage(name, largestEdge(GL_MAX_TEXTURE_SIZE));
    if (!image.ok()) {
        releaseName(texture);
        logMessage(LogLevel::ERROR,
                   "stbi: Failed to load Texture: " + path + "\n\t" + image.failure);
        return texture;
    }
    if (!image.note.empty()) {
        logMessage(LogLevel::INFO, "Texture " + path + ": " + image.note);
    }
    glBindTexture(GL_TEXTURE_2D, texture.id);
    uploadImage(GL_TEXTURE_2D, image);
    setGreyAlphaSwizzle(GL_TEXTURE_2D, image.channels);
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return texture;
}

CubemapLoader::CubemapLoader() : AssetLoader<Cubemap>(cubemapDirectory()) {}

CubemapLoader& CubemapLoader::instance() {
    static CubemapLoader loader;
    return loader;
}

Cubemap CubemapLoader::load(const std::string& name) {
    Cubemap cubemap;
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubemap.id);
    bool failed = false;
    readCubeFaces(name, largestEdge(GL_MAX_CUBE_MAP_TEXTURE_SIZE),
                  [&failed](std::size_t i, const CubeFace& face) {
                      if (!face.problem.empty()) {
                          failed = true;
                          logMessage(LogLevel::ERROR,
                                     "Failed to load cubemap texture: " + face.path +
                                         (face.misshapen ? "\n\tface is not square or differs in "
                                                           "size from the other faces"
                                                         : ""));
                          return;
                      }
                      uploadImage(GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i), face.image);
                  });
    glGenerateMipmap(GL_TEXTURE_CUBE_MAP);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    if (failed) {
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        releaseName(cubemap);
    }
    return cubemap;
}
