#include "assets/TextureFiles.h"

#include "assets/AssetPaths.h"
#include "assets/EmbeddedImages.h"
#include "assets/Texture.h"

std::string textureSourcePath(const std::string& name) {
    if (embeddedImage(name) || name.find_first_of("/\\") != std::string::npos) {
        return name;
    }
    return textureDirectory() + name;
}

TextureImage readTextureImage(const std::string& name, int maxEdge) {
    if (const std::vector<unsigned char>* embedded = embeddedImage(name)) {
        return TextureImage(*embedded, maxEdge);
    }
    return TextureImage(textureSourcePath(name), maxEdge);
}

void readCubeFaces(const std::string& name, int maxEdge,
                   const std::function<void(std::size_t, const CubeFace&)>& use) {
    int faceSize = 0; // edge length of the first face read; all faces must match it
    for (std::size_t i = 0; i < cubeFaceNames.size(); ++i) {
        const std::string path =
            cubemapDirectory() + name + "/" + cubeFaceNames[i] + cubeFaceExtension;
        CubeFace face{path, TextureImage(path, maxEdge, TextureImage::Shape::Square), "", false};
        // A cube map with a non-square face or faces of different sizes is
        // incomplete and samples black.
        const bool square = face.image.fileWidth == face.image.fileHeight;
        if (!face.image.ok() && square) {
            face.problem = face.image.failure;
        } else {
            if (faceSize == 0 && face.image.ok()) {
                faceSize = face.image.width;
            }
            if (!square || face.image.width != faceSize) {
                face.problem = "the face is not square or differs in size from the other faces";
                face.misshapen = true;
            }
        }
        use(i, face);
    }
}
