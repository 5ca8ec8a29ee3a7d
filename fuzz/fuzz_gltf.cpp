// A glTF 2.0 level: any bytes as a .glb file (the content decides the
// format: glTF binary, glTF JSON, or XML), read through everything the game
// builds from it (objects, physics bodies, cooked collision shapes, lights,
// camera, the ship) except drawing. Run from the repository root, so that
// the shipped ship model and textures are found.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceConsole();
    // Until every reader is window-less, meshes and textures still reach
    // OpenGL; a hidden context takes them.
    return openHiddenContext() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    readLevelBytes("level.glb", data, size);
    return 0;
}
