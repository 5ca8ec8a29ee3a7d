#include "assets/ModelLoader.h"
#include "assets/ShapeStores.h"
#include "assets/TextureLoader.h"
#include "core/Config.h"
#include "render/BloomShader.h"
#include "render/FrameRenderer.h"
#include "render/LightingShader.h"
#include "render/SkyboxShader.h"
#include "world/Camera.h"
#include "world/World.h"

#include "GlWindow.h"
#include "RenderScene.h"
#include "RenderTestSupport.h"
#include "TempDir.h"

#include <GL/glew.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace renderscene;
using rendertest::readFloatPixel;

// A tangent-space normal leaning 53 degrees towards -u.
const glm::u8vec3 TILTED_NORMAL(25, 128, 204);

// A small game folder with the game's shaders, plain textures and two skies,
// the configuration of a 64 x 64 window, and a world to draw.
class WorldFrame : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        Config& cfg = config();
        cfg.windowWidth = WIDTH;
        cfg.windowHeight = HEIGHT;
        cfg.blurIterations = 4;
        cfg.brightness = 1.0f;
        copyShaders(game.path());
        writeSolidTexture(game.path(), "white.png", {255, 255, 255});
        writeSolidTexture(game.path(), "red.png", {255, 0, 0});
        writeSolidTexture(game.path(), "green.png", {0, 255, 0});
        writeSolidTexture(game.path(), "blue.png", {0, 0, 255});
        writeSolidTexture(game.path(), "tilted.png", TILTED_NORMAL);
        writeSky(game.path(), "Faces", 8, true);
        writeBlackSky();
        cwd.emplace(game.path());
        camera.aspect = 1.0f;
        camera.position = glm::vec3(0.0f, 0.0f, 3.0f);
    }

    void writeBlackSky() {
        for (const char* face : {"right", "left", "top", "bottom", "front", "back"}) {
            writePng(game.path() / "res/assets/textures/cubemaps/Black" /
                         (std::string(face) + ".png"),
                     2, 2, 3, std::vector<uint8_t>(12, 0));
        }
    }

    // A material that glows with `strength` x its texture under the world's
    // ambient (1, 1, 1) and takes no light.
    static Material glowing(const std::string& texture, float strength) {
        Material m;
        m.diffuseTextures = {texture};
        m.ambientColor = glm::vec3(strength);
        m.specularColor = glm::vec3(0.0f);
        m.diffuseIntensity = 0.0f;
        return m;
    }

    // No ambient light, and one dim white light straight in front of the
    // quads.
    void lightFromTheFront() {
        ambient = glm::vec3(0.0f);
        pointLights.emplace_back(glm::vec3(0.15f), glm::vec3(0.0f, 0.0f, 2.0f),
                                 glm::vec3(1.0f, 0.0f, 0.0f));
    }

    // A lit material with a diffuse texture and the tilted normal map.
    static Material bumpy(const std::string& texture) {
        Material m;
        m.diffuseTextures = {texture};
        m.normalTextures = {"tilted.png"};
        m.ambientColor = glm::vec3(0.0f);
        return m;
    }

    static void addModel(const std::string& name, Mesh mesh) {
        std::vector<Mesh> meshes;
        meshes.push_back(std::move(mesh));
        ModelLoader::instance().add(name, std::move(meshes), {});
    }

    GameObject& place(const std::string& name, ObjectKind kind, glm::vec3 position) {
        return objects.emplace_back(position, glm::quat(1.0f, 0.0f, 0.0f, 0.0f), glm::vec3(1.0f),
                                    name, kind, nullptr);
    }

    void draw(const RenderSettings& settings = {}) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderWorld(objects, directionalLights, pointLights, ambient, sky, currentRing, camera,
                    settings);
    }

    glm::ivec3 pixel(int x, int y) const {
        auto p = readPixels(x, y, 1, 1);
        return {p[0], p[1], p[2]};
    }

    TempDir game;
    std::optional<ScopedWorkingDir> cwd;
    std::deque<GameObject> objects;
    std::vector<PointLight> directionalLights; // the world has none
    std::vector<PointLight> pointLights;
    glm::vec3 ambient{1.0f};
    std::string sky = "Black";
    int64_t currentRing = -1;
    Camera camera;
};

TEST_F(WorldFrame, SkyStaysBehindObjectsAndTurnsButNeverMovesWithTheCamera) {
    sky = "Faces";
    addModel("red_quad", makeQuad(1.0f, glowing("red.png", 0.5f)));
    place("red_quad", ObjectKind::Obstacle, glm::vec3(0.0f));
    draw();
    // The object in the middle, the sky's -z face (cyan) around it.
    const glm::ivec3 object = pixel(32, 32);
    EXPECT_GT(object.r, 150);
    EXPECT_LT(object.g, 10);
    const glm::ivec3 skyAhead = pixel(32, 6);
    EXPECT_LT(skyAhead.r, 10);
    EXPECT_GT(skyAhead.g, 150);
    EXPECT_GT(skyAhead.b, 150);
    auto before = readPixels(0, 0, 20, 6);

    // Moving: the object shifts and shrinks, the sky stays exactly as it was.
    camera.position = glm::vec3(5.0f, 2.0f, 10.0f);
    draw();
    EXPECT_EQ(readPixels(0, 0, 20, 6), before);

    // Turning a quarter to the left: now the -x face (green) is ahead.
    camera.rotation = glm::angleAxis(glm::radians(90.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    draw();
    const glm::ivec3 turned = pixel(32, 32);
    EXPECT_LT(turned.r, 10);
    EXPECT_GT(turned.g, 150);
    EXPECT_LT(turned.b, 10);

    // The frame left the depth test as everything else expects it, and the
    // cube map was loaded once for all three frames.
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_LESS);
    EXPECT_EQ(CubemapLoader::instance().size(), 1u);
    // Its passes (objects, sky, glow and blend) leave the active texture
    // unit as they found it.
    for (GLenum unit : {GL_TEXTURE0, GL_TEXTURE1, GL_TEXTURE5}) {
        glActiveTexture(unit);
        draw();
        GLint active = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
        EXPECT_EQ(GLenum(active), unit);
    }
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(WorldFrame, TheSkyGlowsOnlyWhenTheBrightnessLiftsItOverTheThreshold) {
    sky = "Faces";
    addModel("hot_quad", makeQuad(0.3f, glowing("white.png", 30.0f)));
    place("hot_quad", ObjectKind::Obstacle, glm::vec3(0.0f));
    const uint32_t hdr = BloomShader::instance().targets.hdrFramebuffer;
    auto bright = [hdr](int x, int y) { return readFloatPixel(hdr, x, y, GL_COLOR_ATTACHMENT1); };
    // At full brightness the cyan sky ahead is below the threshold: its bright
    // part stays black, frame after frame, while the hot quad's is kept.
    for (int frame = 0; frame < 2; ++frame) {
        draw();
        EXPECT_EQ(bright(32, 6), glm::vec3(0.0f)) << "frame " << frame;
        EXPECT_GT(bright(32, 32).r, 1.0f) << "frame " << frame;
    }
    // Three times as bright, the sky passes the threshold and glows.
    RenderSettings brighter;
    brighter.brightness = 3.0f * SKY_GLOW_THRESHOLD;
    draw(brighter);
    EXPECT_GT(bright(32, 6).g, 0.5f);
    EXPECT_GT(bright(32, 32).r, 1.0f);
    draw();
    EXPECT_EQ(bright(32, 6), glm::vec3(0.0f));
}

TEST_F(WorldFrame, OnlyTheCurrentRingIsDrawn) {
    addModel("ring_quad", makeQuad(0.5f, glowing("green.png", 0.5f)));
    addModel("can_quad", makeQuad(0.5f, glowing("blue.png", 0.5f)));
    place("can_quad", ObjectKind::Trash, glm::vec3(0.0f, 2.0f, 0.0f));
    place("ring_quad", ObjectKind::Ring, glm::vec3(-2.0f, 0.0f, 0.0f));
    place("ring_quad", ObjectKind::Ring, glm::vec3(0.0f, 0.0f, 0.0f));
    place("ring_quad", ObjectKind::Ring, glm::vec3(2.0f, 0.0f, 0.0f));
    // List position 2: the middle ring (the trash can is position 0).
    currentRing = 2;
    draw();
    EXPECT_GT(pixel(32, 32).g, 150);
    EXPECT_EQ(pixel(11, 32), glm::ivec3(0));
    EXPECT_EQ(pixel(53, 32), glm::ivec3(0));
    EXPECT_GT(pixel(32, 53).b, 150); // trash is always drawn

    currentRing = 3;
    draw();
    EXPECT_EQ(pixel(32, 32), glm::ivec3(0));
    EXPECT_GT(pixel(53, 32).g, 150);

    // No current ring (the track has none): no ring at all.
    currentRing = -1;
    draw();
    EXPECT_EQ(pixel(11, 32) + pixel(32, 32) + pixel(53, 32), glm::ivec3(0));
}

TEST_F(WorldFrame, BrightObjectsGlowOnlyWithBloom) {
    config().blurIterations = 6;
    // Bright through the ambient light, and bright by its own emission with
    // no light at all.
    Material emissive;
    emissive.emissiveColor = glm::vec3(30.0f);
    const std::pair<const char*, Material> brightOnes[] = {
        {"hot_quad", glowing("white.png", 30.0f)}, {"emissive_quad", emissive}};
    for (const auto& [name, material] : brightOnes) {
        ambient = glm::vec3(material.emissiveColor.r > 0.0f ? 0.0f : 1.0f);
        objects.clear();
        addModel(name, makeQuad(0.3f, material));
        place(name, ObjectKind::Obstacle, glm::vec3(0.0f));
        RenderSettings settings;
        settings.bloomEnabled = false;
        draw(settings);
        EXPECT_GT(pixel(32, 32).r, 250) << name;
        // A few pixels beside the quad (it spans about 29..35).
        EXPECT_EQ(pixel(40, 32), glm::ivec3(0)) << name;
        EXPECT_EQ(pixel(32, 41), glm::ivec3(0)) << name;

        settings.bloomEnabled = true;
        draw(settings);
        EXPECT_GT(pixel(40, 32).r, 30) << name;
        EXPECT_GT(pixel(32, 41).r, 30) << name;
        // The glow fades with distance.
        EXPECT_GT(pixel(39, 32).r, pixel(45, 32).r) << name;
    }
}

TEST_F(WorldFrame, NormalMappingReachesObstaclesOnly) {
    lightFromTheFront();
    addModel("bumpy_quad", makeQuad(0.8f, bumpy("white.png")));
    place("bumpy_quad", ObjectKind::Obstacle, glm::vec3(-1.2f, 0.0f, 0.0f));
    place("bumpy_quad", ObjectKind::Trash, glm::vec3(1.2f, 0.0f, 0.0f));

    RenderSettings settings;
    settings.normalMapping = false;
    draw(settings);
    const glm::ivec3 obstacleFlat = pixel(19, 32), trashFlat = pixel(45, 32);
    EXPECT_GT(obstacleFlat.r, 60);
    EXPECT_GT(trashFlat.r, 60);

    settings.normalMapping = true;
    draw(settings);
    // The obstacle's normals now lean away from the light; the trash can
    // keeps its geometric normal.
    EXPECT_LT(pixel(19, 32).r, obstacleFlat.r - 30);
    EXPECT_EQ(pixel(45, 32), trashFlat);
}

TEST_F(WorldFrame, AMaterialWithoutTexturesDrawsInItsOwnColourWithItsSurfaceNormal) {
    lightFromTheFront();
    // Drawn first, it leaves a red texture and a tilted normal map bound.
    addModel("red_bumpy_quad", makeQuad(0.8f, bumpy("red.png")));
    Material plain;
    plain.diffuseColor = glm::vec3(0.0f, 0.8f, 0.0f);
    plain.ambientColor = glm::vec3(0.0f);
    addModel("plain_quad", makeQuad(0.8f, plain));
    place("red_bumpy_quad", ObjectKind::Obstacle, glm::vec3(-1.2f, 0.0f, 0.0f));
    place("plain_quad", ObjectKind::Obstacle, glm::vec3(1.2f, 0.0f, 0.0f));
    // A texture that failed to load counts as none.
    testing::internal::CaptureStdout();
    Material broken = plain;
    broken.diffuseTextures = {"missing.png"};
    broken.normalTextures = {"missing_normal.png"};
    addModel("broken_quad", makeQuad(0.3f, broken));
    place("broken_quad", ObjectKind::Obstacle, glm::vec3(0.0f, 1.2f, 0.0f));

    RenderSettings settings;
    settings.normalMapping = false;
    draw(settings);
    const glm::ivec3 flat = pixel(45, 32), brokenFlat = pixel(32, 45);
    settings.normalMapping = true;
    draw(settings);
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_NE(console.find("missing.png"), std::string::npos) << console;
    // Green in its own colour, never the red texture another mesh left bound.
    EXPECT_GT(flat.g, 60);
    EXPECT_EQ(flat.r, 0);
    EXPECT_EQ(flat.b, 0);
    EXPECT_GT(brokenFlat.g, 60);
    EXPECT_EQ(brokenFlat.r, 0);
    // Without a normal map of its own, normal mapping keeps the surface normal.
    EXPECT_EQ(pixel(45, 32), flat);
    EXPECT_EQ(pixel(32, 45), brokenFlat);
    // The textured one is red and does lean away from the light.
    EXPECT_GT(pixel(19, 32).r, 20);
    EXPECT_EQ(pixel(19, 32).g, 0);
}

TEST_F(WorldFrame, EmissionShowsInItsOwnColourWithoutLight) {
    ambient = glm::vec3(0.0f);
    Material shining;
    shining.diffuseColor = glm::vec3(0.8f);
    shining.emissiveColor = glm::vec3(20.0f, 4.0f, 0.0f);
    addModel("shining_quad", makeQuad(0.3f, shining));
    Material dark = shining;
    dark.emissiveColor = glm::vec3(0.0f);
    addModel("dark_quad", makeQuad(0.3f, dark));
    place("shining_quad", ObjectKind::Obstacle, glm::vec3(0.0f));
    place("dark_quad", ObjectKind::Obstacle, glm::vec3(0.0f, 1.3f, 0.0f));
    RenderSettings settings;
    settings.bloomEnabled = false;
    draw(settings);
    EXPECT_GT(pixel(32, 32).r, 250);
    EXPECT_GT(pixel(32, 32).g, 100);
    EXPECT_EQ(pixel(32, 32).b, 0);
    // The same surface without emission stays dark (it spans about 43..49).
    EXPECT_EQ(pixel(32, 46), glm::ivec3(0));
}

TEST_F(WorldFrame, WireframeDrawsObjectEdgesAndAFilledSky) {
    sky = "Faces";
    addModel("red_quad", makeQuad(1.0f, glowing("red.png", 0.5f)));
    place("red_quad", ObjectKind::Obstacle, glm::vec3(0.0f));
    RenderSettings settings;
    settings.wireframe = true;
    draw(settings);
    // Inside the quad, off its edges and its diagonal: the sky shows through.
    const glm::ivec3 inside = pixel(27, 37);
    EXPECT_LT(inside.r, 10);
    EXPECT_GT(inside.g, 150);
    // Some red lines are there, far fewer than the filled quad's pixels.
    int red = 0;
    auto all = readPixels(0, 0, WIDTH, HEIGHT);
    for (size_t i = 0; i < all.size(); i += 4) {
        red += all[i] > 150 && all[i + 1] < 60 ? 1 : 0;
    }
    EXPECT_GT(red, 20);
    EXPECT_LT(red, 200);
    GLint mode[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    // The sky ahead is filled too.
    EXPECT_GT(pixel(32, 6).b, 150);
}

TEST_F(WorldFrame, ObjectWithoutAModelFileIsSkippedAndReportedOnce) {
    addModel("red_quad", makeQuad(1.0f, glowing("red.png", 0.5f)));
    place("nothing_here.obj", ObjectKind::Obstacle, glm::vec3(0.0f, 0.0f, 1.0f));
    place("red_quad", ObjectKind::Obstacle, glm::vec3(0.0f));
    testing::internal::CaptureStdout();
    draw();
    draw();
    std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(console.find("[ ERROR ]\tAssimp: "), 0u) << console;
    EXPECT_EQ(console.find("Assimp", 11), std::string::npos) << console;
    EXPECT_GT(pixel(32, 32).r, 150);
}

TEST_F(WorldFrame, TheWorldRecordDrawsFilledAndAsLines) {
    addModel("ring_quad", makeQuad(1.0f, glowing("green.png", 0.5f)));
    World world;
    world.skyboxName = "Faces";
    world.objects.emplace_back(glm::vec3(-2.0f, 0.0f, 0.0f), glm::quat(1.0f, 0.0f, 0.0f, 0.0f),
                               glm::vec3(1.0f), "ring_quad", ObjectKind::Ring, nullptr);
    world.objects.emplace_back(glm::vec3(0.0f), glm::quat(1.0f, 0.0f, 0.0f, 0.0f), glm::vec3(1.0f),
                               "ring_quad", ObjectKind::Ring, nullptr);
    world.currentRing = 1;
    world.pointLights.emplace_back(glm::vec3(1.0f), glm::vec3(0.0f, 0.0f, 2.0f),
                                   glm::vec3(1.0f, 0.0f, 0.0f));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    world.render(camera, true, true, 3);
    const glm::ivec3 ring = pixel(27, 37), previous = pixel(11, 32);
    EXPECT_GT(ring.g, 150);
    EXPECT_LT(previous.g, previous.b + 10); // the sky's cyan, not a ring
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    world.renderWireframe(camera, true, true, 3);
    // Inside the ring's quad, off its edges: the sky shows through.
    EXPECT_GT(pixel(27, 37).b, 150);
    // The light reached the program as its only point light.
    const uint32_t stage = BloomShader::instance().phongStage->programId;
    GLuint lights = 0;
    glGetUniformuiv(stage, glGetUniformLocation(stage, "numPtLights"), &lights);
    EXPECT_EQ(lights, 1u);
}

// The scene stage on its own, drawing straight into the scene buffer.
class BloomStageLevels : public WorldFrame {
protected:
    void SetUp() override {
        WorldFrame::SetUp();
        if (IsSkipped()) {
            return;
        }
        addModel("one_level", makeQuad(1.0f, glowing("red.png", 0.5f)));
        addModel("three_levels", makeQuad(1.0f, glowing("red.png", 0.5f)));
        Model& three = ModelLoader::instance().get("three_levels");
        three.meshLevels.push_back({meshStore().push(makeQuad(1.0f, glowing("green.png", 0.5f)))});
        three.meshLevels.push_back({meshStore().push(makeQuad(1.0f, glowing("blue.png", 0.5f)))});
        holder = &place("one_level", ObjectKind::Obstacle, glm::vec3(0.0f));
        BloomShader& bloom = BloomShader::instance();
        const float brightness = 1.0f;
        bloom.setBrightness(&brightness);
        bloom.setCamera(camera);
        bloom.setAmbient(glm::vec3(1.0f));
        bloom.setLights({});
        bloom.setModel(*holder);
    }

    // The linear colour the stage leaves in the middle of the scene buffer.
    glm::vec3 drawLevel(const std::string& model, int32_t level) {
        BloomShader& bloom = BloomShader::instance();
        glBindFramebuffer(GL_FRAMEBUFFER, bloom.targets.hdrFramebuffer);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const bool normalMapping = false;
        bloom.phongStage->drawModel(ModelLoader::instance().get(model), &normalMapping, level);
        return readFloatPixel(bloom.targets.hdrFramebuffer, 32, 32);
    }

    GameObject* holder = nullptr;
};

TEST_F(BloomStageLevels, LevelsBeyondTheLastDrawTheLast) {
    EXPECT_NEAR(drawLevel("one_level", 3).r, 0.5f, 0.01f);
    EXPECT_NEAR(drawLevel("one_level", 0).r, 0.5f, 0.01f);
    EXPECT_NEAR(drawLevel("three_levels", 1).g, 0.5f, 0.01f);
    EXPECT_NEAR(drawLevel("three_levels", 0).r, 0.5f, 0.01f);
    EXPECT_NEAR(drawLevel("three_levels", 3).b, 0.5f, 0.01f);
    // A negative level is a huge unsigned one: the last level too.
    EXPECT_NEAR(drawLevel("three_levels", -1).b, 0.5f, 0.01f);
    // The stage made itself current and set the flag it was given.
    GLint current = 0, flag = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    const uint32_t stage = BloomShader::instance().phongStage->programId;
    EXPECT_EQ(uint32_t(current), stage);
    glGetUniformiv(stage, glGetUniformLocation(stage, "normalMapping"), &flag);
    EXPECT_EQ(flag, 0);
}

TEST_F(BloomStageLevels, ModelWithoutLevelsDrawsNothing) {
    testing::internal::CaptureStdout();
    Model& missing = ModelLoader::instance().get("missing.obj");
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(missing.meshLevels.empty());
    EXPECT_EQ(drawLevel("missing.obj", 3), glm::vec3(0.0f));
    EXPECT_EQ(drawLevel("missing.obj", 0), glm::vec3(0.0f));
}

TEST_F(BloomStageLevels, CompositeHasNoProgramAndForwardsToItsStage) {
    BloomShader& bloom = BloomShader::instance();
    EXPECT_EQ(bloom.programId, 0u);
    EXPECT_NE(bloom.phongStage->programId, 0u);
    glUseProgram(0);
    const float brightness = 0.4f;
    bloom.setBrightness(&brightness);
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(uint32_t(current), bloom.phongStage->programId);
    float uploaded = 0.0f;
    const uint32_t stage = bloom.phongStage->programId;
    glGetUniformfv(stage, glGetUniformLocation(stage, "brightness"), &uploaded);
    EXPECT_FLOAT_EQ(uploaded, 0.4f);
    // Half the brightness, half the colour.
    EXPECT_NEAR(drawLevel("one_level", 0).r, 0.2f, 0.01f);
}

// The lit stage draws straight into the bound framebuffer too.
class LitStage : public WorldFrame {};

TEST_F(LitStage, PointLightLightsItsSurroundingsAndEndsWithItsAttenuation) {
    Material plain;
    plain.diffuseTextures = {"white.png"};
    plain.ambientColor = glm::vec3(0.0f);
    addModel("wall", makeQuad(3.0f, plain));
    GameObject& wall = place("wall", ObjectKind::Obstacle, glm::vec3(0.0f));
    // A light just in front of the left part of the wall, fading fast.
    PointLight lamp(glm::vec3(1.0f), glm::vec3(-1.5f, 0.0f, 0.5f), glm::vec3(1.0f, 0.0f, 20.0f));

    BloomPhongStage phong;
    const bool normalMapping = false;
    glUseProgram(phong.programId);
    const float brightness = 1.0f;
    phong.setBrightness(&brightness);
    phong.setCamera(camera);
    phong.setAmbient(glm::vec3(1.0f));
    phong.setLights({&lamp});
    phong.setModel(wall);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    phong.drawModel(ModelLoader::instance().get("wall"), &normalMapping, 0);
    // Right in front of the lamp, near it, and well beyond its reach.
    const int nearLamp = pixel(16, 32).r, aside = pixel(24, 32).r, far = pixel(52, 32).r;
    EXPECT_GT(nearLamp, 100);
    EXPECT_LT(aside, nearLamp);
    EXPECT_GT(aside, 0);
    EXPECT_EQ(far, 0);
    // A level the model lacks draws its last one, as in every program.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    phong.drawModel(ModelLoader::instance().get("wall"), &normalMapping, 2);
    EXPECT_EQ(pixel(16, 32).r, nearLamp);
    EXPECT_EQ(pixel(52, 32), glm::ivec3(0));
}

} // namespace
