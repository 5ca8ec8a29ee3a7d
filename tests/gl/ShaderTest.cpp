#include "render/Shader.h"
#include "render/Uniforms.h"
#include "world/Camera.h"

#include "GlWindow.h"
#include "RenderTestSupport.h"
#include "TempDir.h"

#include <GL/glew.h>
#include <glm/gtc/type_ptr.hpp>

#include <string>
#include <utility>

namespace {

using rendertest::containsInOrder;
using rendertest::linkStatus;

const std::string GOOD_VERTEX = "#version 330 core\n"
                                "layout(location = 0) in vec3 position;\n"
                                "uniform mat4 projView;\n"
                                "void main() { gl_Position = projView * vec4(position, 1.0); }\n";
const std::string GOOD_FRAGMENT = "#version 330 core\n"
                                  "out vec4 fragColor;\n"
                                  "uniform float brightness;\n"
                                  "void main() { fragColor = vec4(brightness); }\n";

std::string withCrlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

class ShaderProgram : public GlTest {
protected:
    // Builds a program from files written into a fresh "res/shaders/".
    std::pair<uint32_t, std::string> build(const std::string& vertexName,
                                           const std::string& fragmentName) {
        ScopedWorkingDir cwd(dir.path());
        testing::internal::CaptureStdout();
        VFShader shader(vertexName, fragmentName);
        return {shader.programId, testing::internal::GetCapturedStdout()};
    }

    TempDir dir;
};

TEST_F(ShaderProgram, WindowsAndUnixLineEndingsBothCompile) {
    dir.write("res/shaders/crlf.vert", withCrlf(GOOD_VERTEX));
    dir.write("res/shaders/crlf.frag", withCrlf(GOOD_FRAGMENT));
    auto [program, console] = build("crlf.vert", "crlf.frag");
    EXPECT_EQ(linkStatus(program), GL_TRUE);
    EXPECT_EQ(console, "");
    // No trailing line end at all: the text still ends right after the last byte.
    dir.write("res/shaders/bare.frag", GOOD_FRAGMENT.substr(0, GOOD_FRAGMENT.size() - 1));
    auto [bare, bareConsole] = build("crlf.vert", "bare.frag");
    EXPECT_EQ(linkStatus(bare), GL_TRUE);
    EXPECT_EQ(bareConsole, "");
}

TEST_F(ShaderProgram, BrokenVertexStageReportsItselfThenTheLinkAndKeepsTheProgram) {
    dir.write("res/shaders/bad.vert", "#version 330 core\nvoid main() { gl_Position = ; }\n");
    dir.write("res/shaders/a.frag", GOOD_FRAGMENT);
    auto [program, console] = build("bad.vert", "a.frag");
    EXPECT_TRUE(containsInOrder(console, "[ ERROR ]\tVertex shader compilation failed:\n\t",
                                "[ ERROR ]\tLinking of shader failed:\n\t"))
        << console;
    EXPECT_EQ(console.find("Fragment shader"), std::string::npos) << console;
    EXPECT_NE(program, 0u);
    EXPECT_EQ(glIsProgram(program), GL_TRUE);
    EXPECT_EQ(linkStatus(program), GL_FALSE);
}

TEST_F(ShaderProgram, BrokenFragmentStageReportsItselfThenTheLink) {
    dir.write("res/shaders/a.vert", GOOD_VERTEX);
    dir.write("res/shaders/bad.frag", "#version 330 core\nvoid main() { undefinedThing(); }\n");
    auto [program, console] = build("a.vert", "bad.frag");
    EXPECT_TRUE(containsInOrder(console, "[ ERROR ]\tFragment shader compilation failed:\n\t",
                                "[ ERROR ]\tLinking of shader failed:\n\t"))
        << console;
    EXPECT_EQ(console.find("Vertex shader"), std::string::npos) << console;
    EXPECT_EQ(glIsProgram(program), GL_TRUE);
}

TEST_F(ShaderProgram, UnreadableFilesAreNamedAndTheBuildGoesOn) {
    dir.write("res/shaders/a.frag", GOOD_FRAGMENT);
    std::filesystem::create_directories(dir.path() / "res/shaders/folder.vert");
    auto [missing, console] = build("missing.vert", "a.frag");
    EXPECT_TRUE(containsInOrder(
        console, "[ ERROR ]\tFailed to open shader file: res/shaders/missing.vert (no such file)\n",
        "[ ERROR ]\tVertex shader compilation failed:\n\t"))
        << console;
    EXPECT_NE(console.find("[ ERROR ]\tLinking of shader failed:\n\t"), std::string::npos);
    EXPECT_EQ(glIsProgram(missing), GL_TRUE);

    // A folder where a file should be is unreadable too, not a giant read.
    auto [folder, folderConsole] = build("folder.vert", "a.frag");
    EXPECT_NE(folderConsole.find("Failed to open shader file: res/shaders/folder.vert"),
              std::string::npos)
        << folderConsole;
    EXPECT_EQ(glIsProgram(folder), GL_TRUE);
}

TEST_F(ShaderProgram, EmptyFileReachesTheCompilerAsEmptyText) {
    dir.write("res/shaders/empty.vert", "");
    dir.write("res/shaders/a.frag", GOOD_FRAGMENT);
    auto [program, console] = build("empty.vert", "a.frag");
    EXPECT_EQ(console.find("Failed to open"), std::string::npos) << console;
    EXPECT_NE(console.find("[ ERROR ]\tVertex shader compilation failed:\n\t"), std::string::npos)
        << console;
    EXPECT_EQ(glIsProgram(program), GL_TRUE);
}

TEST_F(ShaderProgram, BrightnessReachesItsUniformAndMissingNamesAreIgnored) {
    dir.write("res/shaders/a.vert", GOOD_VERTEX);
    dir.write("res/shaders/a.frag", GOOD_FRAGMENT);
    ScopedWorkingDir cwd(dir.path());
    VFShader shader("a.vert", "a.frag");
    glUseProgram(shader.programId);
    const float brightness = 0.75f;
    shader.setBrightness(&brightness);
    float uploaded = 0.0f;
    glGetUniformfv(shader.programId, glGetUniformLocation(shader.programId, "brightness"),
                   &uploaded);
    EXPECT_FLOAT_EQ(uploaded, 0.75f);
    // The program has no "camPos": the upload goes nowhere and raises nothing
    // the program would notice.
    setUniform(shader.programId, "camPos", glm::vec3(1.0f));
    EXPECT_EQ(glGetUniformLocation(shader.programId, "camPos"), -1);
}

TEST_F(ShaderProgram, CameraUploadsProjectionTimesViewAndTheWorldPosition) {
    ScopedWorkingDir cwd(KELVARO_SOURCE_DIR);
    VFShader shader("nm_bloom.vert", "nm_bloom.frag");
    glUseProgram(shader.programId);
    // A camera riding 3 up and 10 behind a ship that turned a quarter about y.
    SceneObject ship(glm::vec3(10.0f, 0.0f, 0.0f),
                     glm::angleAxis(glm::radians(90.0f), glm::vec3(0.0f, 1.0f, 0.0f)));
    StickyCamera camera(&ship, glm::vec3(0.0f, 3.0f, 10.0f), glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
    shader.setCamera(camera);
    glm::vec3 camPos(0.0f);
    glm::mat4 projView(0.0f);
    glGetUniformfv(shader.programId, glGetUniformLocation(shader.programId, "camPos"),
                   glm::value_ptr(camPos));
    glGetUniformfv(shader.programId, glGetUniformLocation(shader.programId, "projView"),
                   glm::value_ptr(projView));
    // The offset turned with the ship: world position, not the local offset.
    EXPECT_NEAR(camPos.x, 20.0f, 1e-4f);
    EXPECT_NEAR(camPos.y, 3.0f, 1e-4f);
    EXPECT_NEAR(camPos.z, 0.0f, 1e-4f);
    const glm::mat4 expected = camera.getProjection() * camera.getViewMatrix();
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            EXPECT_NEAR(projView[c][r], expected[c][r], 1e-5f) << c << "," << r;
        }
    }
    // A program without "camPos" takes the camera all the same.
    dir.write("res/shaders/a.vert", GOOD_VERTEX);
    dir.write("res/shaders/a.frag", GOOD_FRAGMENT);
    ScopedWorkingDir inDir(dir.path());
    VFShader plain("a.vert", "a.frag");
    glUseProgram(plain.programId);
    plain.setCamera(camera);
    glGetUniformfv(plain.programId, glGetUniformLocation(plain.programId, "projView"),
                   glm::value_ptr(projView));
    EXPECT_NEAR(projView[3][3], expected[3][3], 1e-5f);
}

// The game's own sources: each pair builds without a single console line and
// offers the uniforms the renderer writes.
class GameShaderSources : public GlTest {
protected:
    uint32_t buildClean(const std::string& vertex, const std::string& fragment) {
        ScopedWorkingDir cwd(KELVARO_SOURCE_DIR);
        testing::internal::CaptureStdout();
        VFShader shader(vertex, fragment);
        std::string console = testing::internal::GetCapturedStdout();
        EXPECT_EQ(console, "") << vertex << " + " << fragment;
        EXPECT_EQ(linkStatus(shader.programId), GL_TRUE) << vertex << " + " << fragment;
        return shader.programId;
    }

    void expectActive(uint32_t program, const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            EXPECT_NE(glGetUniformLocation(program, name.c_str()), -1) << name;
        }
    }
};

TEST_F(GameShaderSources, AllProgramsBuildWithoutMessages) {
    buildClean("nm_bloom.vert", "nm_bloom.frag");
    buildClean("blur.vert", "blur.frag");
    buildClean("blend.vert", "blend.frag");
    buildClean("skybox.vert", "skybox.frag");
    buildClean("text.vert", "text.frag");
}

TEST_F(GameShaderSources, ProgramsOfferTheUniformsTheRendererWrites) {
    std::vector<std::string> lighting = {"projView", "camPos",  "brightness",
                                         "model",    "ambient", "numPtLights"};
    for (int i = 0; i < 16; ++i) {
        for (const char* field : {"position", "color", "attenuation"}) {
            lighting.push_back("ptLights[" + std::to_string(i) + "]." + field);
        }
    }
    std::vector<std::string> material = {"diffuseColor", "ambientColor", "specularColor",
                                         "diffuseIntensity", "expShininess"};

    uint32_t bloom = buildClean("nm_bloom.vert", "nm_bloom.frag");
    expectActive(bloom, lighting);
    expectActive(bloom, material);
    expectActive(bloom, {"normalMap", "normalMapping"});

    expectActive(buildClean("blur.vert", "blur.frag"), {"image", "horizontal"});
    expectActive(buildClean("blend.vert", "blend.frag"),
                 {"scene", "bloomBlur", "bloom", "exposure"});
    expectActive(buildClean("skybox.vert", "skybox.frag"),
                 {"view", "proj", "brightness", "cubemap"});
    expectActive(buildClean("text.vert", "text.frag"), {"projection", "textColor"});
}

TEST_F(GameShaderSources, SceneStagesWriteBothColourOutputs) {
    for (auto [vertex, fragment] :
         {std::pair{"nm_bloom.vert", "nm_bloom.frag"}, std::pair{"skybox.vert", "skybox.frag"}}) {
        uint32_t program = buildClean(vertex, fragment);
        EXPECT_EQ(glGetFragDataLocation(program, "fragColor"), 0) << fragment;
        EXPECT_EQ(glGetFragDataLocation(program, "brightColor"), 1) << fragment;
    }
}

} // namespace
