#include "render/Text.h"
#include "core/Config.h"
#include "render/RenderStartUp.h"
#include "render/TextShader.h"

#include "GlWindow.h"
#include "TempDir.h"

#include <GL/glew.h>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

const char* SYSTEM_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The text program and a stand-in for the game's font in a fresh game folder.
class TextDrawing : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        config().windowWidth = WIDTH;
        config().windowHeight = HEIGHT;
        for (const char* file : {"text.vert", "text.frag"}) {
            std::filesystem::create_directories(dir.path() / "res/shaders");
            std::filesystem::copy_file(std::filesystem::path(KELVARO_SOURCE_DIR) / "res/shaders" /
                                           file,
                                       dir.path() / "res/shaders" / file);
        }
        cwd.emplace(dir.path());
    }

    void installFont() {
        std::filesystem::create_directories(dir.path() / "res/assets/fonts");
        std::filesystem::copy_file(SYSTEM_FONT, dir.path() / "res/assets/fonts/spacejunkXL.ttf");
    }

    std::string startText() {
        testing::internal::CaptureStdout();
        initText();
        createTextBuffer();
        return testing::internal::GetCapturedStdout();
    }

    static void clear() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    struct Box {
        int left = WIDTH, bottom = HEIGHT, right = -1, top = -1;
        bool empty() const { return right < 0; }
    };
    // Bounding box (inclusive) of the pixels the text touched.
    Box litBox() const {
        auto pixels = readPixels(0, 0, WIDTH, HEIGHT);
        Box box;
        for (int y = 0; y < HEIGHT; ++y) {
            for (int x = 0; x < WIDTH; ++x) {
                if (pixels[size_t(y * WIDTH + x) * 4] > 8) {
                    box.left = std::min(box.left, x);
                    box.right = std::max(box.right, x);
                    box.bottom = std::min(box.bottom, y);
                    box.top = std::max(box.top, y);
                }
            }
        }
        return box;
    }

    TempDir dir;
    std::optional<ScopedWorkingDir> cwd;
};

TEST_F(TextDrawing, StartUpGlyphsCoverTheAsciiCodes) {
    installFont();
    std::string console = startText();
    EXPECT_EQ(console, "");
    GlyphSet& glyphs = startupGlyphs();
    EXPECT_EQ(glyphs.size(), 128u);
    const Glyph& a = glyphs.at('A');
    EXPECT_GT(a.size.x, 40);
    EXPECT_GT(a.size.y, 60);
    EXPECT_GT(a.advance >> 6, 0u);
    EXPECT_EQ(glIsTexture(a.textureId), GL_TRUE);
    // Space has no bitmap, still a texture of its own and a pen advance.
    const Glyph& space = glyphs.at(' ');
    EXPECT_EQ(space.size, glm::ivec2(0, 0));
    EXPECT_NE(space.textureId, 0u);
    EXPECT_GT(space.advance >> 6, 0u);
    // Glyph rows are tightly packed from now on.
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 1);
}

TEST_F(TextDrawing, GlyphLandsWhereItsQuadPutsIt) {
    installFont();
    startText();
    clear();
    const float x = 10.0f, y = 20.0f, scale = 0.25f;
    drawText("A", x, y, scale, glm::vec3(1.0f));
    const GlyphQuad quad = glyphQuad(startupGlyphs().at('A'), x, y, scale);
    const float left = quad[1][0], bottom = quad[1][1], right = quad[2][0], top = quad[0][1];
    Box box = litBox();
    ASSERT_FALSE(box.empty());
    EXPECT_GE(box.left, int(left) - 1);
    EXPECT_LE(box.right, int(right) + 1);
    EXPECT_GE(box.bottom, int(bottom) - 1);
    EXPECT_LE(box.top, int(top) + 1);
    // The letter fills its quad rather than a corner of it.
    EXPECT_GE(box.right - box.left + 1, int((right - left) * 0.8f));
    EXPECT_GE(box.top - box.bottom + 1, int((top - bottom) * 0.8f));
}

TEST_F(TextDrawing, PenMovesByTheWholePixelAdvance) {
    installFont();
    startText();
    clear();
    const float x = 4.0f, y = 30.0f, scale = 0.2f;
    drawText("AA", x, y, scale, glm::vec3(1.0f));
    const Glyph& a = startupGlyphs().at('A');
    const GlyphQuad second = glyphQuad(a, x + glyphAdvance(a, scale), y, scale);
    Box box = litBox();
    ASSERT_FALSE(box.empty());
    EXPECT_NEAR(box.right, second[2][0], 1.5f);
    EXPECT_LE(box.left, int(glyphQuad(a, x, y, scale)[1][0]) + 2);
}

TEST_F(TextDrawing, EmptyStringSetsTheColourDrawsNothingAndLeavesNoProgram) {
    installFont();
    startText();
    clear();
    drawText("", 10.0f, 10.0f, 1.0f, glm::vec3(0.25f, 0.5f, 1.0f));
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
    EXPECT_TRUE(litBox().empty());
    const uint32_t program = TextShader::instance().programId;
    glm::vec3 color(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, "textColor"), glm::value_ptr(color));
    EXPECT_EQ(color, glm::vec3(0.25f, 0.5f, 1.0f));
}

TEST_F(TextDrawing, CodesAboveAsciiDrawNothingAndDoNotAdvance) {
    installFont();
    startText();
    clear();
    drawText("A", 10.0f, 20.0f, 0.25f, glm::vec3(1.0f));
    auto plain = readPixels(0, 0, WIDTH, HEIGHT);
    clear();
    drawText("\xC3\x80"
             "A",
             10.0f, 20.0f, 0.25f, glm::vec3(1.0f));
    auto withHighCodes = readPixels(0, 0, WIDTH, HEIGHT);
    EXPECT_EQ(plain, withHighCodes);
    // Each unknown code now has an empty entry of its own.
    GlyphSet& glyphs = startupGlyphs();
    ASSERT_EQ(glyphs.count(int8_t(0xC3)), 1u);
    EXPECT_EQ(glyphs.at(int8_t(0xC3)).textureId, 0u);
    EXPECT_EQ(glyphs.at(int8_t(0x80)).advance, 0u);
    EXPECT_EQ(glyphs.size(), 130u);
}

TEST_F(TextDrawing, MissingFontIsReportedOnceAndTextDrawsNothing) {
    std::string console = startText();
    EXPECT_EQ(console, "[ ERROR ]\tFont res/assets/fonts/spacejunkXL.ttf cannot be loaded: no "
                       "such file; its text is not drawn.\n");
    EXPECT_TRUE(startupGlyphs().empty());
    clear();
    drawText("Score 12", 5.0f, 5.0f, 0.2f, glm::vec3(1.0f));
    EXPECT_TRUE(litBox().empty());
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
}

TEST_F(TextDrawing, ProjectionMapsWindowPixelsWithTheOriginBottomLeft) {
    config().windowWidth = 1920;
    config().windowHeight = 1080;
    TextShader& shader = TextShader::instance();
    glUseProgram(shader.programId);
    shader.setProjection();
    glm::mat4 projection(0.0f);
    glGetUniformfv(shader.programId, glGetUniformLocation(shader.programId, "projection"),
                   glm::value_ptr(projection));
    glm::vec4 middle = projection * glm::vec4(960.0f, 540.0f, 0.0f, 1.0f);
    EXPECT_NEAR(middle.x, 0.0f, 1e-6f);
    EXPECT_NEAR(middle.y, 0.0f, 1e-6f);
    glm::vec4 topRight = projection * glm::vec4(1920.0f, 1080.0f, 0.0f, 1.0f);
    EXPECT_NEAR(topRight.x, 1.0f, 1e-6f);
    EXPECT_NEAR(topRight.y, 1.0f, 1e-6f);
    glm::vec4 origin = projection * glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_NEAR(origin.x, -1.0f, 1e-6f);
    EXPECT_NEAR(origin.y, -1.0f, 1e-6f);
}

TEST_F(TextDrawing, StartUpWithTheShippedFontBuildsProgramsAndEveryGlyphSilently) {
    std::filesystem::create_directories(dir.path() / "res/assets/fonts");
    std::filesystem::copy_file(std::filesystem::path(KELVARO_SOURCE_DIR) /
                                   "res/assets/fonts/spacejunkXL.ttf",
                               dir.path() / "res/assets/fonts/spacejunkXL.ttf");
    std::filesystem::copy(std::filesystem::path(KELVARO_SOURCE_DIR) / "res/shaders",
                          dir.path() / "res/shaders",
                          std::filesystem::copy_options::overwrite_existing |
                              std::filesystem::copy_options::recursive);
    testing::internal::CaptureStdout();
    buildStartUpPrograms();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(startupGlyphs().size(), 128u);
    clear();
    drawText("Kelvaro19", 2.0f, 20.0f, 0.1f, glm::vec3(1.0f));
    EXPECT_FALSE(litBox().empty());
}

} // namespace
