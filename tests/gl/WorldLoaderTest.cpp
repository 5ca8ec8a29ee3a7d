#include "GlWindow.h"
#include "LevelWriter.h"
#include "LoaderLevels.h"
#include "TempDir.h"

#include "assets/ModelLoader.h"
#include "assets/ShapeStores.h"
#include "physics/CollisionMeshes.h"
#include "physics/PhysicsContext.h"
#include "world/WorldLoader.h"

#include <glm/gtc/constants.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace {

// Levels written into a temporary game folder with the test ship, loaded in
// the process as the game loads them, into a window's context. What needs no
// window is tested in the unit layer.
class Levels : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        cwd.emplace(folder.path());
        writeTestShip(folder.path() / "res/assets/models");
    }

    TempDir folder;
    std::optional<ScopedWorkingDir> cwd;
    WorldLoader loader;
};

TEST_F(Levels, TheWorldMovesOutOfTheResultWithItsObjectsAndCameraTargetInPlace) {
    LevelWriter level = withTrack();
    level.addMeshNode("tcan_a", "can", can(), {0, 5, 20}, NO_TURN, glm::vec3(1.0f), can());
    level.addMeshNode("roid_a", "rock", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1.0f), rock());
    level.write(folder.path() / "res/assets/models/worlds/moved.dae");
    testing::internal::CaptureStdout();
    LevelResult result = loader.read("moved.dae");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_TRUE(result.world) << result.error;
    const World world = std::move(*result.world);
    ASSERT_EQ(world.objects.size(), 4u);
    EXPECT_EQ(world.camera.target, &world.objects.front());
    // The asteroid's finer levels are handed to OpenGL with the level.
    const Model& asteroid = ModelLoader::instance().get(std::next(world.objects.begin(), 2)->name);
    ASSERT_EQ(asteroid.meshLevels.size(), 4u);
    for (const std::vector<uint32_t>& meshes : asteroid.meshLevels) {
        EXPECT_NE(meshStore().at(meshes.front()).vao, 0u);
    }
    for (const GameObject& object : world.objects) {
        EXPECT_EQ(object.actor->userData(), &object);
    }
}

TEST_F(Levels, ReadWithoutUploadNothingIsHandedToOpenGLEvenWithAContext) {
    LevelWriter level = withTrack();
    level.addMeshNode("roid_a", "rock", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1.0f), rock());
    const std::filesystem::path file = folder.path() / "elsewhere/level.dae";
    level.write(file);
    const std::size_t meshes = meshStore().size();
    LevelResult result = loader.readFile(file.string(), {.upload = false});
    ASSERT_TRUE(result.world) << result.error;
    // The level's meshes, the asteroid's finer levels and the ship's part.
    ASSERT_GE(meshStore().size(), meshes + 6);
    for (std::size_t i = meshes; i < meshStore().size(); ++i) {
        EXPECT_EQ(meshStore().at(i).vao, 0u) << i;
    }
    // Drawing hands a mesh over when it is first needed.
    meshStore().at(meshes).draw();
    EXPECT_NE(meshStore().at(meshes).vao, 0u);
}

} // namespace
