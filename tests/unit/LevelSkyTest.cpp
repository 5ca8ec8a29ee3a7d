// A level is drawn with the sky named after its file when there is one, and with the
// shipped sky otherwise.

#include <gtest/gtest.h>

#include "TempDir.h"
#include "world/LevelSky.h"

namespace {

TEST(LevelSky, IsTheCubeMapNamedAfterTheLevelFileOrTheShippedOne) {
    TempDir folder;
    folder.write("res/assets/textures/cubemaps/amber_reach/right.png", "");
    folder.write("res/assets/textures/cubemaps/odd.name/right.png", "");
    folder.write("res/assets/textures/cubemaps/plain", "not a folder");
    ScopedWorkingDir inside(folder.path());
    const struct {
        const char* level;
        const char* sky;
    } cases[] = {
        {"res/assets/models/worlds/amber_reach.dae", "amber_reach"},
        {"/elsewhere/amber_reach.glb", "amber_reach"}, // the folder of the level does not count
        {"odd.name.dae", "odd.name"},
        {"res/assets/models/worlds/sub2demo_debug.dae", "BSpace"}, // no folder of its own
        {"plain.dae", "BSpace"},                                   // a file, not a folder
        {"..dae", "BSpace"},                                       // would leave the folder
        {".dae", "BSpace"},
        {"", "BSpace"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(levelSkyName(c.level), c.sky) << c.level;
    }
}

} // namespace
