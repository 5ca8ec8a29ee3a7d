#include "GlWindow.h"
#include "PngBytes.h"
#include "TempDir.h"

#include "assets/TextureLoader.h"

#include <GL/glew.h>

#include <string>
#include <vector>

namespace {

// PNG bytes of a size x size image, every pixel `pixel`.
std::string flatPng(int size, std::vector<uint8_t> pixel) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < size * size; ++i) {
        pixels.insert(pixels.end(), pixel.begin(), pixel.end());
    }
    return pngBytes(size, size, int(pixel.size()), pixels);
}

GLint levelParameter(GLenum target, GLenum name) {
    GLint value = -1;
    glGetTexLevelParameteriv(target, 0, name, &value);
    return value;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

class Textures : public GlTest {
protected:
    void write(const std::string& name, const std::string& bytes) {
        folder.write("res/assets/textures/" + name, bytes);
    }
    TempDir folder;
};

TEST_F(Textures, ChannelCountChoosesTheFormat) {
    write("grey.png", flatPng(4, {200}));
    write("greyalpha.png", flatPng(4, {200, 100}));
    write("rgb.png", flatPng(4, {10, 20, 30}));
    write("rgba.png", flatPng(4, {10, 20, 30, 40}));
    ScopedWorkingDir here(folder.path());
    TextureLoader loader;

    struct Case {
        const char* name;
        GLint format;
        GLint red, green, blue, alpha;
    };
    for (const Case& c :
         {Case{"grey.png", GL_RED, 8, 0, 0, 0}, Case{"greyalpha.png", GL_RG, 8, 8, 0, 0},
          Case{"rgb.png", GL_RGB, 8, 8, 8, 0}, Case{"rgba.png", GL_RGBA, 8, 8, 8, 8}}) {
        SCOPED_TRACE(c.name);
        const Texture& texture = loader.get(c.name);
        ASSERT_NE(texture.id, 0u);
        glBindTexture(GL_TEXTURE_2D, texture.id);
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D, GL_TEXTURE_WIDTH), 4);
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D, GL_TEXTURE_INTERNAL_FORMAT), c.format);
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D, GL_TEXTURE_RED_SIZE), c.red);
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D, GL_TEXTURE_GREEN_SIZE), c.green);
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D, GL_TEXTURE_BLUE_SIZE), c.blue);
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D, GL_TEXTURE_ALPHA_SIZE), c.alpha);
        GLint minFilter = 0, wrapS = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
        EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
        EXPECT_EQ(wrapS, GL_REPEAT);
    }
    // Grey and alpha read back as (grey, grey, grey, alpha).
    glBindTexture(GL_TEXTURE_2D, loader.get("greyalpha.png").id);
    GLint swizzle[4] = {};
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    EXPECT_EQ(swizzle[0], GL_RED);
    EXPECT_EQ(swizzle[1], GL_RED);
    EXPECT_EQ(swizzle[2], GL_RED);
    EXPECT_EQ(swizzle[3], GL_GREEN);
}

TEST_F(Textures, OddWidthRowsUploadIntactWhateverTheUnpackAlignment) {
    // 3 x 2 RGB: rows of 9 bytes, not a multiple of 4.
    const std::vector<uint8_t> pixels = {1,  2,  3,  4,  5,  6,  7,  8,  9,
                                         10, 11, 12, 13, 14, 15, 16, 17, 18};
    write("odd.png", pngBytes(3, 2, 3, pixels));
    ScopedWorkingDir here(folder.path());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    TextureLoader loader;
    const Texture& texture = loader.get("odd.png");
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4); // restored for whoever uploads next
    glBindTexture(GL_TEXTURE_2D, texture.id);
    std::vector<uint8_t> back(pixels.size(), 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, back.data());
    EXPECT_EQ(back, pixels); // first file row is the first texture row
}

TEST_F(Textures, MissingAndCorruptFilesAreReportedOnceAndCachedAsTextureZero) {
    write("broken.png", "this is not an image at all");
    ScopedWorkingDir here(folder.path());
    TextureLoader loader;
    testing::internal::CaptureStdout();
    const Texture& missing = loader.get("missing.png");
    const Texture& again = loader.get("missing.png");
    const Texture& broken = loader.get("broken.png");
    loader.get("broken.png");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(missing.id, 0u);
    EXPECT_EQ(&missing, &again);
    EXPECT_EQ(broken.id, 0u);
    EXPECT_EQ(loader.size(), 2u);
    EXPECT_EQ(log, "[ ERROR ]\tstbi: Failed to load Texture: res/assets/textures/missing.png\n"
                   "\tUnable to open file: no such file\n"
                   "[ ERROR ]\tstbi: Failed to load Texture: res/assets/textures/broken.png\n"
                   "\tImage not of any known type, or corrupt\n");
}

// What the texture lookup hands over is a path; a bare name still means the
// texture folder.
TEST_F(Textures, ALocatedPathIsReadFromWhereItWasFound) {
    folder.write("levels/beside.png", flatPng(2, {1, 2, 3}));
    ScopedWorkingDir here(folder.path());
    TextureLoader loader;
    EXPECT_NE(loader.get("levels/beside.png").id, 0u);
}

// Too many pixels are refused before decoding; an edge longer than the driver
// takes is scaled down to fit instead of drawing dark.
TEST_F(Textures, OversizedImagesAreRefusedOrScaledDownWithALineNamingTheFile) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    ASSERT_GT(largest, 0);
    const int wideEdge = largest + 8;
    write("wide.png",
          pngBytes(wideEdge, 2, 1, std::vector<uint8_t>(std::size_t(wideEdge) * 2, 200)));
    write("huge.png", pngBytes(4097, 4097, 1, std::vector<uint8_t>(std::size_t(4097) * 4097, 1)));
    ScopedWorkingDir here(folder.path());
    TextureLoader loader;
    testing::internal::CaptureStdout();
    const Texture& wide = loader.get("wide.png");
    const Texture& huge = loader.get("huge.png");
    const std::string log = testing::internal::GetCapturedStdout();
    ASSERT_NE(wide.id, 0u);
    glBindTexture(GL_TEXTURE_2D, wide.id);
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, GL_TEXTURE_WIDTH), wideEdge / 2);
    EXPECT_EQ(huge.id, 0u);
    EXPECT_EQ(log, "[ INFO ]\tTexture res/assets/textures/wide.png: the image is " +
                       std::to_string(wideEdge) +
                       "x2 pixels, more than the largest edge the graphics driver takes (" +
                       std::to_string(largest) + "); scaled down to " +
                       std::to_string(wideEdge / 2) +
                       "x2\n"
                       "[ ERROR ]\tstbi: Failed to load Texture: res/assets/textures/huge.png\n"
                       "\tthe image is 4097x4097 pixels; images of more than 16777216 pixels "
                       "(4096x4096) are refused\n");
}

TEST_F(Textures, BindSelectsTheUnitTheTextureAndTheSampler) {
    const char* vertexSource = "#version 330 core\nvoid main() { gl_Position = vec4(0.0); }\n";
    const char* fragmentSource = "#version 330 core\nuniform sampler2D diffuseColor;\n"
                                 "out vec4 colour;\n"
                                 "void main() { colour = texture(diffuseColor, vec2(0.5)); }\n";
    const GLuint program = glCreateProgram();
    for (auto [type, source] : {std::pair{GL_VERTEX_SHADER, vertexSource},
                                std::pair{GL_FRAGMENT_SHADER, fragmentSource}}) {
        const GLuint shader = glCreateShader(type);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
    }
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    ASSERT_TRUE(linked);
    glUseProgram(program);

    write("rgb.png", flatPng(2, {1, 2, 3}));
    ScopedWorkingDir here(folder.path());
    TextureLoader loader;
    testing::internal::CaptureStdout();
    const Texture& texture = loader.get("rgb.png");
    const Texture& failed = loader.get("nothing.png");
    testing::internal::GetCapturedStdout();

    texture.bind(program, 2, "diffuseColor");
    GLint active = 0, bound = 0, sampler = -1;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetUniformiv(program, glGetUniformLocation(program, "diffuseColor"), &sampler);
    EXPECT_EQ(active, GL_TEXTURE2);
    EXPECT_EQ(GLuint(bound), texture.id);
    EXPECT_EQ(sampler, 2);

    failed.bind(program, 3, "diffuseColor");
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetUniformiv(program, glGetUniformLocation(program, "diffuseColor"), &sampler);
    EXPECT_EQ(active, GL_TEXTURE3);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(sampler, 3);
    glUseProgram(0);
    glDeleteProgram(program);
}

class Cubemaps : public GlTest {
protected:
    // Six 2 x 2 faces, face i filled with grey level 10 * (i + 1).
    void writeFaces(const std::string& name, const std::string& skip = "") {
        for (std::size_t i = 0; i < cubeFaceNames.size(); ++i) {
            if (cubeFaceNames[i] != skip) {
                const uint8_t level = uint8_t(10 * (i + 1));
                folder.write("res/assets/textures/cubemaps/" + name + "/" + cubeFaceNames[i] +
                                 ".png",
                             flatPng(2, {level, level, level}));
            }
        }
    }
    TempDir folder;
};

TEST_F(Cubemaps, FacesAreReadInOrderToPlusXMinusXPlusYMinusYPlusZMinusZ) {
    writeFaces("BSpace");
    ScopedWorkingDir here(folder.path());
    CubemapLoader loader;
    testing::internal::CaptureStdout();
    const Cubemap& sky = loader.get("BSpace");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_NE(sky.id, 0u);
    glBindTexture(GL_TEXTURE_CUBE_MAP, sky.id);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(cubeFaceNames[std::size_t(i)]);
        std::vector<uint8_t> pixel(2 * 2 * 3, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i), 0, GL_RGB, GL_UNSIGNED_BYTE,
                      pixel.data());
        EXPECT_EQ(pixel[0], 10 * (i + 1));
        EXPECT_EQ(
            levelParameter(GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i), GL_TEXTURE_INTERNAL_FORMAT),
            GL_RGB);
    }
    GLint wrapR = 0;
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, &wrapR);
    EXPECT_EQ(wrapR, GL_CLAMP_TO_EDGE);
}

TEST_F(Cubemaps, OneMissingFaceLogsOneLineAndGivesIdZero) {
    writeFaces("NoTop", "top");
    ScopedWorkingDir here(folder.path());
    CubemapLoader loader;
    testing::internal::CaptureStdout();
    const Cubemap& sky = loader.get("NoTop");
    loader.get("NoTop");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(sky.id, 0u);
    EXPECT_EQ(log, "[ ERROR ]\tFailed to load cubemap texture: "
                   "res/assets/textures/cubemaps/NoTop/top.png\n");
}

TEST_F(Cubemaps, FacesOfDifferentSizesAreReported) {
    writeFaces("Odd");
    folder.write("res/assets/textures/cubemaps/Odd/back.png", flatPng(4, {1, 2, 3}));
    ScopedWorkingDir here(folder.path());
    CubemapLoader loader;
    testing::internal::CaptureStdout();
    const Cubemap& sky = loader.get("Odd");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(sky.id, 0u);
    EXPECT_EQ(count(log, "[ ERROR ]"), 1u);
    EXPECT_NE(log.find("res/assets/textures/cubemaps/Odd/back.png"), std::string::npos);

    // A face that is not square, refused from its header, says so too.
    writeFaces("Strip");
    folder.write("res/assets/textures/cubemaps/Strip/top.png",
                 pngBytes(4, 2, 3, std::vector<uint8_t>(4 * 2 * 3, 100)));
    testing::internal::CaptureStdout();
    EXPECT_EQ(loader.get("Strip").id, 0u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[ ERROR ]\tFailed to load cubemap texture: res/assets/textures/cubemaps/Strip/"
              "top.png\n\tface is not square or differs in size from the other faces\n");
}

} // namespace
