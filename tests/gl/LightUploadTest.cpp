#include "render/LightUpload.h"
#include "render/BloomShader.h"
#include "render/LightingShader.h"

#include "GlWindow.h"
#include "TempDir.h"

#include <GL/glew.h>
#include <glm/gtc/type_ptr.hpp>

#include <optional>
#include <string>
#include <vector>

namespace {

class LightUpload : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        cwd.emplace(KELVARO_SOURCE_DIR);
    }

    static uint32_t count(uint32_t program, const char* name) {
        GLuint value = 12345;
        glGetUniformuiv(program, glGetUniformLocation(program, name), &value);
        return value;
    }

    static glm::vec3 field(uint32_t program, int index, const char* name) {
        const std::string uniform = "ptLights[" + std::to_string(index) + "]." + name;
        glm::vec3 value(-1.0f);
        glGetUniformfv(program, glGetUniformLocation(program, uniform.c_str()),
                       glm::value_ptr(value));
        return value;
    }

    std::optional<ScopedWorkingDir> cwd;
};

TEST_F(LightUpload, TwentyLightsFillTheSixteenEntriesInListOrder) {
    BloomPhongStage program;
    glUseProgram(program.programId);
    std::vector<PointLight> lights;
    for (int i = 0; i < 20; ++i) {
        lights.emplace_back(glm::vec3(float(i), 0.5f, 0.25f), glm::vec3(0.0f, float(i), 1.0f),
                            glm::vec3(1.0f, 0.1f * float(i), 0.0f));
    }
    std::vector<Light*> list;
    for (PointLight& light : lights) {
        list.push_back(&light);
    }
    program.setLights(list);
    EXPECT_EQ(count(program.programId, "numPtLights"), 16u);
    EXPECT_EQ(pointLightCount, 16u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(field(program.programId, i, "color"), glm::vec3(float(i), 0.5f, 0.25f)) << i;
        EXPECT_EQ(field(program.programId, i, "position"), glm::vec3(0.0f, float(i), 1.0f)) << i;
        EXPECT_EQ(field(program.programId, i, "attenuation"),
                  glm::vec3(1.0f, 0.1f * float(i), 0.0f))
            << i;
    }
}

TEST_F(LightUpload, EveryProgramStartsAtEntryZeroAndAnEmptyListCountsZero) {
    BloomPhongStage first;
    BloomPhongStage second;
    PointLight a(glm::vec3(1.0f, 0.0f, 0.0f), glm::vec3(1.0f), glm::vec3(1.0f, 0.0f, 0.0f));
    PointLight b(glm::vec3(0.0f, 1.0f, 0.0f), glm::vec3(2.0f), glm::vec3(1.0f, 0.0f, 0.0f));
    glUseProgram(first.programId);
    first.setLights({&a, &b});
    glUseProgram(second.programId);
    second.setLights({&b});
    EXPECT_EQ(count(first.programId, "numPtLights"), 2u);
    EXPECT_EQ(count(second.programId, "numPtLights"), 1u);
    EXPECT_EQ(field(second.programId, 0, "color"), glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(field(first.programId, 1, "color"), glm::vec3(0.0f, 1.0f, 0.0f));

    glUseProgram(first.programId);
    first.setLights({});
    EXPECT_EQ(count(first.programId, "numPtLights"), 0u);
    EXPECT_EQ(directionalLightCount, 0u);
    // Entries already written stay as they were; only the count changed.
    EXPECT_EQ(field(first.programId, 0, "color"), glm::vec3(1.0f, 0.0f, 0.0f));
}

} // namespace
