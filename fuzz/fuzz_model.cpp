// The ship model: any bytes as an OBJ file in "res/assets/models/", made into
// the ship (its drawn meshes and its convex collision shapes) by the game's
// own maker.
#include "FuzzSupport.h"

#include "world/GameBodies.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceConsole();
    std::filesystem::current_path(scratchFolder());
    return openHiddenContext() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    writeBytes(scratchFolder() / "res/assets/models/ship.obj", data, size);
    // The ship's body leaves the physics world with the object.
    GameObject ship =
        createShip(glm::vec3(0.0f), glm::quat(1, 0, 0, 0), glm::vec3(1.0f), "ship.obj");
    (void)ship;
    return 0;
}
