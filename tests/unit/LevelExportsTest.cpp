#include "LevelWriter.h"
#include "TempDir.h"

#include "assets/ModelLoader.h"
#include "assets/ShapeStores.h"
#include "world/WorldLoader.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// The level tools/blender/make_test_level.py built in Blender, exported as
// COLLADA, as glTF binary (images inside) and as glTF text (buffer and
// images beside it, an Empty for the camera).
const std::string FOLDER = std::string(KELVARO_TEST_DATA_DIR) + "/blender_level/";

// Object names without the "#2", "#3", ... of a name already taken, and
// with Blender's "." (kept by glTF) as COLLADA's "_".
std::string baseName(const std::string& name) {
    std::string base = name.substr(0, name.find('#'));
    for (char& c : base) {
        c = c == '.' ? '_' : c;
    }
    return base;
}

struct Export {
    World world;
    std::map<std::string, const GameObject*> objects;
    std::map<std::string, Material> materials;
};

class LevelExports : public testing::Test {
protected:
    void SetUp() override { writeTestShip(folder.path() / "res/assets/models"); }

    Export read(const std::string& file) {
        testing::internal::CaptureStdout();
        LevelResult result = loader.readFile(FOLDER + file, {.times = nullptr, .upload = false});
        const std::string console = testing::internal::GetCapturedStdout();
        EXPECT_EQ(console.find("[ ERROR ]"), std::string::npos) << console;
        Export level;
        EXPECT_TRUE(result.world) << result.error;
        if (!result.world) {
            return level;
        }
        level.world = std::move(*result.world);
        for (const GameObject& object : level.world.objects) {
            const std::string name = baseName(object.name);
            level.objects[name] = &object;
            const Model& model = ModelLoader::instance().get(object.name);
            if (!model.meshLevels.empty()) {
                level.materials[name] = meshStore().at(model.meshLevels[0][0]).material;
            }
        }
        return level;
    }

    TempDir folder;
    ScopedWorkingDir cwd{folder.path()};
    WorldLoader loader;
};

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST_F(LevelExports, GltfExportsGiveTheSameLevelAsCollada) {
    const Export collada = read("level.dae");
    for (const char* file : {"level.glb", "level.gltf"}) {
        SCOPED_TRACE(file);
        const Export gltf = read(file);
        ASSERT_EQ(gltf.objects.size(), collada.objects.size());
        for (const auto& [name, object] : collada.objects) {
            SCOPED_TRACE(name);
            const auto it = gltf.objects.find(name);
            ASSERT_NE(it, gltf.objects.end());
            EXPECT_EQ(it->second->kind, object->kind);
            expectNear(it->second->position, object->position, 1e-3f);
            if (object->kind == ObjectKind::Ship) {
                // The meshes of the other objects are turned with the file's
                // axes; the ship is the game's own and starts the same way.
                expectNear(it->second->rotation * glm::vec3(0, 0, 1),
                           object->rotation * glm::vec3(0, 0, 1), 1e-3f);
                expectNear(it->second->rotation * glm::vec3(0, 1, 0),
                           object->rotation * glm::vec3(0, 1, 0), 1e-3f);
            }
        }
        for (const auto& [name, material] : collada.materials) {
            SCOPED_TRACE(name);
            const Material& other = gltf.materials.at(name);
            expectNear(other.ambientColor, material.ambientColor, 1e-3f);
            expectNear(other.diffuseColor, material.diffuseColor, 1e-3f);
            // Blender's COLLADA export drops the sun's Emission Strength of 4.
            expectNear(other.emissiveColor, material.emissiveColor * (name == "sun" ? 4.0f : 1.0f),
                       1e-3f);
            expectNear(other.specularColor, material.specularColor, 1e-3f);
            EXPECT_NEAR(other.expShininess, material.expShininess, 1e-3f);
            EXPECT_EQ(other.diffuseTextures.size(), material.diffuseTextures.size());
            EXPECT_EQ(other.normalTextures.size(), material.normalTextures.size());
        }
        ASSERT_EQ(gltf.world.pointLights.size(), collada.world.pointLights.size());
        for (std::size_t i = 0; i < collada.world.pointLights.size(); ++i) {
            expectNear(gltf.world.pointLights[i].color, collada.world.pointLights[i].color, 1e-3f);
            expectNear(gltf.world.pointLights[i].position, collada.world.pointLights[i].position,
                       1e-3f);
            expectNear(gltf.world.pointLights[i].attenuation,
                       collada.world.pointLights[i].attenuation, 1e-5f);
        }
    }
}

} // namespace
