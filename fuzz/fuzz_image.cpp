// Textures and cube maps: any bytes as a texture file, and as all six faces
// of a cube map, read by the game's caching loaders.
#include "FuzzSupport.h"

#include "assets/TextureLoader.h"

#include <GL/glew.h>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceConsole();
    // The loaders read below the working folder.
    std::filesystem::current_path(scratchFolder());
    return openHiddenContext() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // Fresh loaders, not the caches, so that nothing is kept between inputs.
    const std::string name = "input";
    writeBytes(scratchFolder() / "res/assets/textures" / (name + ".png"), data, size);
    for (const std::string& face : cubeFaceNames) {
        writeBytes(scratchFolder() / "res/assets/textures/cubemaps" / name / (face + ".png"), data,
                   size);
    }
    Texture texture = TextureLoader().load(name + ".png");
    Cubemap cubemap = CubemapLoader().load(name);
    glDeleteTextures(1, &texture.id);
    glDeleteTextures(1, &cubemap.id);
    return 0;
}
