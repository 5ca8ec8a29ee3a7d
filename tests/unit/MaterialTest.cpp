#include "TempDir.h"

#include "assets/MaterialSidecar.h"
#include "assets/MeshBuilder.h"
#include "assets/TextureFiles.h"
#include "assets/TextureLookup.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <optional>

#include <memory>
#include <string>

namespace {

// A scene of one triangle mesh using one material, built in memory; the
// caller fills the material's properties.
struct OneMeshScene {
    OneMeshScene() {
        scene = std::make_unique<aiScene>();
        scene->mNumMaterials = 1;
        scene->mMaterials = new aiMaterial*[1];
        scene->mMaterials[0] = new aiMaterial();
        scene->mNumMeshes = 1;
        scene->mMeshes = new aiMesh*[1];
        scene->mMeshes[0] = new aiMesh();
        scene->mMeshes[0]->mMaterialIndex = 0;
    }
    aiMaterial& material() { return *scene->mMaterials[0]; }
    Material read(const std::string& sourceFile = {}) {
        return readMaterial(scene->mMeshes[0], scene.get(), glm::vec3(0.2f, 0.2f, 0.2f), 8.0f,
                            sourceFile);
    }
    std::unique_ptr<aiScene> scene;
};

void addTexture(aiMaterial& material, aiTextureType kind, unsigned index, const char* path) {
    const aiString text(path);
    material.AddProperty(&text, _AI_MATKEY_TEXTURE_BASE, kind, index);
}

TEST(Material, EmptyMaterialGetsTheDefaults) {
    OneMeshScene s;
    const Material m = s.read();
    EXPECT_TRUE(m.diffuseTextures.empty());
    EXPECT_TRUE(m.normalTextures.empty());
    EXPECT_EQ(m.ambientColor, glm::vec3(0.2f, 0.2f, 0.2f));
    EXPECT_EQ(m.specularColor, glm::vec3(0.0f));
    EXPECT_EQ(m.diffuseColor, glm::vec3(0.8f));
    EXPECT_EQ(m.emissiveColor, glm::vec3(0.0f));
    EXPECT_EQ(m.diffuseIntensity, 3.0f);
    EXPECT_EQ(m.expShininess, 8.0f);
}

TEST(Material, BlackAmbientAndZeroShininessKeepTheDefaults) {
    OneMeshScene s;
    const aiColor3D black(0, 0, 0);
    const float zero = 0.0f;
    s.material().AddProperty(&black, 1, AI_MATKEY_COLOR_AMBIENT);
    s.material().AddProperty(&zero, 1, AI_MATKEY_SHININESS);
    const Material m = s.read();
    EXPECT_EQ(m.ambientColor, glm::vec3(0.2f, 0.2f, 0.2f));
    EXPECT_EQ(m.expShininess, 8.0f);
}

TEST(Material, GivenValuesAreRead) {
    OneMeshScene s;
    const aiColor3D ambient(0, 0, 0.1f);
    const aiColor3D specular(0.5f, 0.25f, 0.125f);
    const float shininess = 42.0f;
    s.material().AddProperty(&ambient, 1, AI_MATKEY_COLOR_AMBIENT);
    s.material().AddProperty(&specular, 1, AI_MATKEY_COLOR_SPECULAR);
    s.material().AddProperty(&shininess, 1, AI_MATKEY_SHININESS);
    const Material m = s.read();
    EXPECT_EQ(m.ambientColor, glm::vec3(0, 0, 0.1f));
    EXPECT_EQ(m.specularColor, glm::vec3(0.5f, 0.25f, 0.125f));
    EXPECT_EQ(m.expShininess, 42.0f);
    EXPECT_EQ(m.diffuseIntensity, 3.0f);
}

TEST(Material, TextureNamesKeepTheTextAfterTheLastBackslashOnly) {
    OneMeshScene s;
    addTexture(s.material(), aiTextureType_DIFFUSE, 0, "textures\\hull.png");
    addTexture(s.material(), aiTextureType_DIFFUSE, 1, "textures/hull.png");
    addTexture(s.material(), aiTextureType_DIFFUSE, 2, "C:\\art\\ship\\Hull.PNG");
    addTexture(s.material(), aiTextureType_NORMALS, 0, "hull_n.png");
    const Material m = s.read();
    EXPECT_EQ(m.diffuseTextures,
              (std::vector<std::string>{"hull.png", "textures/hull.png", "Hull.PNG"}));
    EXPECT_EQ(m.normalTextures, (std::vector<std::string>{"hull_n.png"}));
}

TEST(Material, MissingMaterialIndexFallsBackToDefaults) {
    OneMeshScene s;
    s.scene->mMeshes[0]->mMaterialIndex = 5;
    const Material m = s.read();
    EXPECT_EQ(m.ambientColor, glm::vec3(0.2f, 0.2f, 0.2f));
    EXPECT_EQ(m.expShininess, 8.0f);
}

// The same rules through a real import: a COLLADA material with a texture
// path written with a backslash, read by the mesh builder.
TEST(Material, ImportedColladaMaterialReachesTheMesh) {
    const std::string dae = R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <asset><unit meter="1"/><up_axis>Y_UP</up_axis></asset>
  <library_images><image id="img" name="img"><init_from>art\rock.png</init_from></image></library_images>
  <library_effects><effect id="fx"><profile_COMMON>
    <newparam sid="surf"><surface type="2D"><init_from>img</init_from></surface></newparam>
    <newparam sid="samp"><sampler2D><source>surf</source></sampler2D></newparam>
    <technique sid="common"><phong>
      <ambient><color>0 0 0 1</color></ambient>
      <diffuse><texture texture="samp" texcoord="uv"/></diffuse>
      <specular><color>0.3 0.3 0.3 1</color></specular>
      <shininess><float>0</float></shininess>
    </phong></technique></profile_COMMON></effect></library_effects>
  <library_materials><material id="mat" name="mat"><instance_effect url="#fx"/></material></library_materials>
  <library_geometries><geometry id="tri"><mesh>
    <source id="p"><float_array id="pa" count="9">0 0 0 1 0 0 0 1 0</float_array>
      <technique_common><accessor source="#pa" count="3" stride="3"><param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/></accessor></technique_common></source>
    <source id="n"><float_array id="na" count="3">0 0 1</float_array>
      <technique_common><accessor source="#na" count="1" stride="3"><param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/></accessor></technique_common></source>
    <vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
    <triangles material="m" count="1"><input semantic="VERTEX" source="#v" offset="0"/><input semantic="NORMAL" source="#n" offset="1"/><p>0 0 1 0 2 0</p></triangles>
  </mesh></geometry></library_geometries>
  <library_visual_scenes><visual_scene id="s" name="s">
    <node id="rock" name="rock"><instance_geometry url="#tri"><bind_material><technique_common>
      <instance_material symbol="m" target="#mat"/></technique_common></bind_material></instance_geometry></node>
  </visual_scene></library_visual_scenes>
  <scene><instance_visual_scene url="#s"/></scene>
</COLLADA>)";
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFileFromMemory(
        dae.data(), dae.size(),
        aiProcess_JoinIdenticalVertices | aiProcess_Triangulate | aiProcess_GenUVCoords, "dae");
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    ASSERT_EQ(scene->mNumMeshes, 1u);
    const Mesh mesh = buildMesh(scene->mMeshes[0], scene);
    EXPECT_EQ(mesh.material.diffuseTextures, (std::vector<std::string>{"rock.png"}));
    EXPECT_EQ(mesh.material.ambientColor, glm::vec3(0.2f, 0.2f, 0.2f));
    EXPECT_NEAR(mesh.material.specularColor.x, 0.3f, 1e-6f);
    EXPECT_EQ(mesh.material.expShininess, 8.0f);
    EXPECT_EQ(mesh.material.diffuseIntensity, 3.0f);
    EXPECT_EQ(mesh.triangleCount, 1);
}

} // namespace

namespace {

TEST(Material, DiffuseAndEmissiveColoursAreRead) {
    OneMeshScene s;
    const aiColor3D diffuse(0.1f, 0.2f, 0.3f), emission(4.0f, 3.0f, 1.5f);
    s.material().AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
    s.material().AddProperty(&emission, 1, AI_MATKEY_COLOR_EMISSIVE);
    const Material m = s.read();
    EXPECT_EQ(m.diffuseColor, glm::vec3(0.1f, 0.2f, 0.3f));
    EXPECT_EQ(m.emissiveColor, glm::vec3(4.0f, 3.0f, 1.5f));
}

// Textures named by a level in a folder of its own, with the game's texture
// folder beside it in the working folder.
class MaterialTextures : public testing::Test {
protected:
    MaterialTextures() : here(folder.path()) {}
    void file(const std::string& relative) { folder.write(relative, "image"); }
    Material read(std::initializer_list<const char*> diffuse,
                  std::initializer_list<const char*> normals = {}, const char* name = "stone") {
        OneMeshScene s;
        const aiString materialName(name);
        s.material().AddProperty(&materialName, AI_MATKEY_NAME);
        unsigned i = 0;
        for (const char* name : diffuse) {
            addTexture(s.material(), aiTextureType_DIFFUSE, i++, name);
        }
        i = 0;
        for (const char* name : normals) {
            addTexture(s.material(), aiTextureType_NORMALS, i++, name);
        }
        return s.read(LEVEL);
    }
    const std::string LEVEL = "levels/my.dae";
    TempDir folder;
    ScopedWorkingDir here;
};

TEST_F(MaterialTextures, TheTextureFolderComesFirstThenBesideTheLevel) {
    const std::string besideLevel = LEVEL.substr(0, LEVEL.rfind('/') + 1);
    file("res/assets/textures/rock.png");
    file(besideLevel + "rock.png");
    file(besideLevel + "pics/moss.png");
    file(besideLevel + "lichen.png");
    struct Case {
        std::string name;
        std::string found;
    };
    for (const Case& c : {
             Case{"rock.png", "res/assets/textures/rock.png"},
             Case{"../../textures/rock.png", "res/assets/textures/rock.png"},
             Case{"pics/moss.png", besideLevel + "pics/moss.png"},
             Case{"C:\\art\\lichen.png", besideLevel + "lichen.png"},
             Case{(folder.path() / besideLevel / "pics/moss.png").string(),
                  (folder.path() / besideLevel / "pics/moss.png").generic_string()},
         }) {
        SCOPED_TRACE(c.name);
        const Material m = read({c.name.c_str()});
        EXPECT_EQ(m.diffuseTextures, std::vector<std::string>{c.found});
        EXPECT_TRUE(m.missingTextures.empty());
    }
}

// The texture cache takes a bare name for one in the texture folder.
TEST_F(MaterialTextures, ATextureBesideALevelInTheWorkingFolderIsFoundByAPath) {
    file("moss.png");
    OneMeshScene s;
    addTexture(s.material(), aiTextureType_DIFFUSE, 0, "moss.png");
    const Material m = s.read("my.dae");
    EXPECT_EQ(m.diffuseTextures, std::vector<std::string>{"./moss.png"});
    EXPECT_EQ(textureSourcePath(m.diffuseTextures.front()), "./moss.png");
}

TEST_F(MaterialTextures, AMissingTextureIsReportedOnceWithEveryPlaceTriedAndLeftOut) {
    const std::string besideLevel = LEVEL.substr(0, LEVEL.rfind('/') + 1);
    testing::internal::CaptureStdout();
    const Material first = read({"pics/gone.png"});
    const Material second = read({"pics/gone.png"});
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log, "[ ERROR ]\tTexture \"pics/gone.png\" named by " + LEVEL +
                       " was not found; looked for res/assets/textures/gone.png, "
                       "res/assets/textures/pics/gone.png, " +
                       besideLevel + "pics/gone.png, " + besideLevel +
                       "gone.png. The surface is drawn in its own colour.\n");
    EXPECT_TRUE(first.diffuseTextures.empty());
    EXPECT_EQ(first.missingTextures, std::vector<std::string>{"pics/gone.png"});
    EXPECT_EQ(second.missingTextures, first.missingTextures);
}

// A level is a file people share: a name leading out of the game's data and
// the level's folder is named and not followed, even where a file is.
TEST_F(MaterialTextures, ANameLeadingOutOfTheDataAndTheLevelsFolderIsNotFollowed) {
    file("shared/sand.png");
    const std::string outsider = (folder.path() / "shared/dune.png").generic_string();
    file("shared/dune.png");
    struct Case {
        std::string name;
        std::string notAt;
    };
    for (const Case& c : {Case{"../shared/sand.png", "shared/sand.png"}, Case{outsider, outsider},
                          Case{"/proc/self/pagemap", "/proc/self/pagemap"}}) {
        SCOPED_TRACE(c.name);
        testing::internal::CaptureStdout();
        const Material m = read({c.name.c_str()});
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(m.diffuseTextures.empty());
        EXPECT_EQ(m.missingTextures, std::vector<std::string>{c.name});
        EXPECT_NE(log.find(", and not at " + c.notAt +
                           ", which lies outside the game's data and the level's folder."),
                  std::string::npos)
            << log;
    }
}

TEST_F(MaterialTextures, ADiffuseTextureBringsItsNormalMapByName) {
    const std::string besideLevel = LEVEL.substr(0, LEVEL.rfind('/') + 1);
    file(besideLevel + "hull_diffuse.png");
    file(besideLevel + "hull_normal.png");
    file(besideLevel + "bare_diffuse.png");
    file(besideLevel + "given_normal.png");
    EXPECT_EQ(read({"hull_diffuse.png"}).normalTextures,
              std::vector<std::string>{besideLevel + "hull_normal.png"});
    // No companion on disk: no normal map and nothing reported.
    testing::internal::CaptureStdout();
    EXPECT_TRUE(read({"bare_diffuse.png"}).normalTextures.empty());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    // A normal map the file names wins.
    EXPECT_EQ(read({"hull_diffuse.png"}, {"given_normal.png"}).normalTextures,
              std::vector<std::string>{besideLevel + "given_normal.png"});
    EXPECT_EQ(companionNormalMapName("a/b_diffuse.jpg"), "a/b_normal.jpg");
    EXPECT_EQ(companionNormalMapName("diffuse.png"), "");
}

TEST_F(MaterialTextures, OnlyRegularFilesAreFound) {
    const std::string besideLevel = LEVEL.substr(0, LEVEL.rfind('/') + 1);
    std::filesystem::create_directories(folder.path() / besideLevel / "folder.png");
    testing::internal::CaptureStdout();
    const Material m = read({"folder.png"});
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(m.diffuseTextures.empty());
    EXPECT_EQ(m.missingTextures, std::vector<std::string>{"folder.png"});
}

// What Blender cannot export comes from the level's material file.
TEST_F(MaterialTextures, TheLevelsMaterialFileGivesWhatBlenderCannotExport) {
    const std::string besideLevel = LEVEL.substr(0, LEVEL.rfind('/') + 1);
    file(besideLevel + "rock_diffuse.png");
    file(besideLevel + "maps/rock_bumps.png");
    folder.write(besideLevel + "my.materials", "; from the designer\n"
                                               "[rock]\n"
                                               "normal = maps/rock_bumps.png\n"
                                               "ambient = 4 3 1.5   ; glows\n"
                                               "specular = 0.5 0.25 0.125\n"
                                               "shininess = 48\n"
                                               "emission = 0.1 0.2 0.3\n"
                                               "[other]\n"
                                               "shininess = 2\n");
    const Material rock = read({"rock_diffuse.png"}, {}, "rock");
    EXPECT_EQ(rock.normalTextures, std::vector<std::string>{besideLevel + "maps/rock_bumps.png"});
    EXPECT_EQ(rock.ambientColor, glm::vec3(4.0f, 3.0f, 1.5f));
    EXPECT_EQ(rock.specularColor, glm::vec3(0.5f, 0.25f, 0.125f));
    EXPECT_EQ(rock.expShininess, 48.0f);
    EXPECT_EQ(rock.emissiveColor, glm::vec3(0.1f, 0.2f, 0.3f));
    // A material the file does not name keeps its own values.
    const Material stone = read({"rock_diffuse.png"});
    EXPECT_EQ(stone.expShininess, 8.0f);
    EXPECT_EQ(stone.ambientColor, glm::vec3(0.2f));
    EXPECT_EQ(materialSidecarPath("a/b/level.dae"), "a/b/level.materials");
}

TEST_F(MaterialTextures, AMaterialFileTooLargeIsRefusedWithOneLine) {
    const std::string besideLevel = LEVEL.substr(0, LEVEL.rfind('/') + 1);
    std::string text = "[rock]\nshininess = 48\n";
    text.resize(MAX_MATERIAL_FILE_BYTES + 1, '\n');
    folder.write(besideLevel + "my.materials", text);
    testing::internal::CaptureStdout();
    const Material rock = read({}, {}, "rock");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[ ERROR ]\tMaterial file " + besideLevel +
                  "my.materials is larger than 256 KiB, far more than any level needs; it is "
                  "ignored.\n");
    EXPECT_EQ(rock.expShininess, 8.0f);
}

TEST(MaterialFile, EachUnusableLineIsReportedOnceAndSkipped) {
    const std::string text = "shininess = 3\n"
                             "[rock]\n"
                             "shininess = 0\n"
                             "specular = 1 2\n"
                             "ambient = 1 nan 1\n"
                             "glow = 1\n"
                             "no equals sign\n"
                             "[broken\n"
                             "[ring]\n"
                             "normal =\n"
                             "shininess = 16\n";
    testing::internal::CaptureStdout();
    const MaterialOverrides overrides = parseMaterialOverrides(text, "x.materials");
    const std::string log = testing::internal::GetCapturedStdout();
    const std::string prefix = "[ ERROR ]\tMaterial file x.materials, line ";
    const std::string end = "; the line is ignored.\n";
    EXPECT_EQ(log, prefix + "1: a key before any [material] section" + end + prefix +
                       "3: shininess needs one number above 0, not \"0\"" + end + prefix +
                       "4: specular needs three numbers of 0 or more, not \"1 2\"" + end + prefix +
                       "5: ambient needs three numbers of 0 or more, not \"1 nan 1\"" + end +
                       prefix +
                       "6: unknown key \"glow\" (known: normal, ambient, specular, shininess, "
                       "emission)" +
                       end + prefix + "7: \"no equals sign\" is not \"key = value\"" + end +
                       prefix + "8: \"[broken\" is not a section header like [rock]" + end +
                       prefix + "10: normal needs a file name" + end);
    ASSERT_EQ(overrides.size(), 2u);
    EXPECT_FALSE(overrides.at("rock").shininess);
    EXPECT_FALSE(overrides.at("rock").specular);
    EXPECT_EQ(overrides.at("ring").shininess, 16.0f);
}

TEST(MaterialFile, AFloodIsCutShortAndAByteOrderMarkIsSkipped) {
    const std::string prefix = "[ ERROR ]\tMaterial file x.materials";
    const std::string end = "; the line is ignored.\n";
    const std::string longValue(100000, '7');
    std::string flood = "[rock]\n";
    for (int i = 0; i < 5000; ++i) {
        flood += "junk\n";
    }
    std::string twenty;
    for (int line = 2; line <= 21; ++line) {
        twenty +=
            prefix + ", line " + std::to_string(line) + ": \"junk\" is not \"key = value\"" + end;
    }
    struct Case {
        std::string text;
        std::string log;
        std::optional<float> shininess; // of [rock]
    };
    const Case cases[] = {
        // As Notepad saves it: the mark is not part of the first line.
        {"\xEF\xBB\xBF[rock]\nshininess = 5\n", "", 5.0f},
        {"\xEF\xBB\xBF\xEF\xBB\xBF[rock]\n",
         prefix + ", line 1: \"\xEF\xBB\xBF[rock]\" is not \"key = value\"" + end, std::nullopt},
        {flood + "shininess = 9\n", twenty + prefix + ": \u2026 and 4980 more lines ignored.\n",
         9.0f},
        // A long value is quoted in part, never cut inside a character.
        {"[rock]\nshininess = " + longValue + "\n",
         prefix + ", line 2: shininess needs one number above 0, not \"" + std::string(40, '7') +
             "\"\u2026 (100000 bytes)" + end,
         std::nullopt},
        {"[rock]\nglow" + std::string(35, 'x') + "\u00e9yy = 1\n",
         prefix + ", line 2: unknown key \"glow" + std::string(35, 'x') +
             "\"\u2026 (43 bytes) (known: normal, ambient, specular, shininess, emission)" + end,
         std::nullopt},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStdout();
        const MaterialOverrides overrides = parseMaterialOverrides(c.text, "x.materials");
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.log) << c.text.substr(0, 30);
        const auto rock = overrides.find("rock");
        EXPECT_EQ(rock == overrides.end() ? std::nullopt : rock->second.shininess, c.shininess)
            << c.text.substr(0, 30);
    }
}

} // namespace
