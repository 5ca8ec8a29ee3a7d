// The bloom frame at 1280 x 720: a whole world frame (scene pass, sky, 25
// blur passes, blend) and its post-processing parts on their own, plus a
// plain 9-fetch blur pass for comparison with the game's 5-fetch one.
// Needs a display (run under xvfb-run). Every measured iteration ends with
// glFinish, so the figures are GPU (llvmpipe) time per frame or per pass.

#include "core/Config.h"
#include "render/BloomStages.h"
#include "render/BloomTargets.h"
#include "render/FullscreenQuad.h"
#include "render/Shader.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

namespace {

constexpr int WIDTH = 1280;
constexpr int HEIGHT = 720;
constexpr uint32_t BLUR_PASSES = 25;

GLFWwindow* benchWindow = nullptr;

bool openHiddenWindow() {
    if (benchWindow) {
        return true;
    }
    if (!glfwInit()) {
        return false;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    benchWindow = glfwCreateWindow(WIDTH, HEIGHT, "bloom-bench", nullptr, nullptr);
    if (!benchWindow) {
        return false;
    }
    glfwMakeContextCurrent(benchWindow);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        return false;
    }
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glViewport(0, 0, WIDTH, HEIGHT);
    config().windowWidth = WIDTH;
    config().windowHeight = HEIGHT;
    config().blurIterations = BLUR_PASSES;
    std::filesystem::current_path(KELVARO_SOURCE_DIR);
    return true;
}

// Bright parts with some structure, so that the blur reads real data.
void fillBrightParts(const BloomTargets& targets) {
    glBindFramebuffer(GL_FRAMEBUFFER, targets.hdrFramebuffer);
    const float dark[4] = {0.1f, 0.1f, 0.12f, 1.0f};
    glClearBufferfv(GL_COLOR, 0, dark);
    const float none[4] = {0, 0, 0, 1};
    glClearBufferfv(GL_COLOR, 1, none);
    glEnable(GL_SCISSOR_TEST);
    const float hot[4] = {4.0f, 3.0f, 2.0f, 1.0f};
    for (int i = 0; i < 12; ++i) {
        glScissor(60 + i * 97, 80 + (i * 53) % 500, 40, 40);
        glClearBufferfv(GL_COLOR, 1, hot);
    }
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// Wall-clock milliseconds per pass over all iterations since `started`.
void reportPerPass(benchmark::State& state, uint32_t passes,
                   std::chrono::steady_clock::time_point started) {
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    state.counters["ms_per_pass"] = ms / double(state.iterations()) / double(passes);
}

void skipWithoutDisplay(benchmark::State& state) {
    state.SkipWithError("no OpenGL 3.3 window (run under xvfb-run)");
    for (auto _ : state) {
    }
}

void BM_BlurPasses(benchmark::State& state) {
    if (!openHiddenWindow()) {
        return skipWithoutDisplay(state);
    }
    BloomTargets targets = createBloomTargets(WIDTH, HEIGHT);
    BloomBlurStage blur;
    fillBrightParts(targets);
    const uint32_t passes = uint32_t(state.range(0));
    const auto started = std::chrono::steady_clock::now();
    for (auto _ : state) {
        blur.blur(targets, passes);
        glFinish();
    }
    reportPerPass(state, passes, started);
}
BENCHMARK(BM_BlurPasses)->Arg(BLUR_PASSES)->Unit(benchmark::kMillisecond)->UseRealTime();

// The textbook blur: 9 separate fetches per pixel, one per kernel tap.
const char* NAIVE_BLUR = R"(#version 330 core
in vec2 texCoord;
out vec4 fragColor;
uniform sampler2D image;
uniform int horizontal;
const float WEIGHTS[5] = float[](0.2270270270, 0.1945945946, 0.1216216216, 0.0540540541,
                                 0.0162162162);
void main() {
    vec2 texel = 1.0 / vec2(textureSize(image, 0));
    vec2 step = horizontal != 0 ? vec2(texel.x, 0.0) : vec2(0.0, texel.y);
    vec3 sum = texture(image, texCoord).rgb * WEIGHTS[0];
    for (int i = 1; i < 5; ++i) {
        sum += texture(image, texCoord + step * float(i)).rgb * WEIGHTS[i];
        sum += texture(image, texCoord - step * float(i)).rgb * WEIGHTS[i];
    }
    fragColor = vec4(sum, 1.0);
}
)";

// Nine unfiltered fetches (texelFetch), no bilinear work at all.
const char* TEXEL_FETCH_BLUR = R"(#version 330 core
in vec2 texCoord;
out vec4 fragColor;
uniform sampler2D image;
uniform int horizontal;
const float WEIGHTS[5] = float[](0.2270270270, 0.1945945946, 0.1216216216, 0.0540540541,
                                 0.0162162162);
void main() {
    ivec2 size = textureSize(image, 0);
    ivec2 at = ivec2(gl_FragCoord.xy);
    ivec2 step = horizontal != 0 ? ivec2(1, 0) : ivec2(0, 1);
    vec3 sum = texelFetch(image, at, 0).rgb * WEIGHTS[0];
    for (int i = 1; i < 5; ++i) {
        sum += texelFetch(image, min(at + step * i, size - 1), 0).rgb * WEIGHTS[i];
        sum += texelFetch(image, max(at - step * i, ivec2(0)), 0).rgb * WEIGHTS[i];
    }
    fragColor = vec4(sum, 1.0);
}
)";

// The floor of a pass: one unfiltered fetch copied through.
const char* COPY_PASS = R"(#version 330 core
in vec2 texCoord;
out vec4 fragColor;
uniform sampler2D image;
void main() {
    fragColor = vec4(texelFetch(image, ivec2(gl_FragCoord.xy), 0).rgb, 1.0);
}
)";

void runOtherBlur(benchmark::State& state, const char* source) {
    if (!openHiddenWindow()) {
        return skipWithoutDisplay(state);
    }
    const std::filesystem::path naive = "res/shaders/bench_naive_blur.frag";
    std::ofstream(naive) << source;
    VFShader program("blur.vert", "bench_naive_blur.frag");
    std::filesystem::remove(naive);
    BloomTargets targets = createBloomTargets(WIDTH, HEIGHT);
    fillBrightParts(targets);
    const uint32_t passes = uint32_t(state.range(0));
    const auto started = std::chrono::steady_clock::now();
    for (auto _ : state) {
        // The same ping-pong walk as the game's blur stage.
        glUseProgram(program.programId);
        glUniform1i(glGetUniformLocation(program.programId, "image"), 0);
        bool horizontal = true;
        for (uint32_t pass = 0; pass < passes; ++pass) {
            glBindFramebuffer(GL_FRAMEBUFFER, targets.pingpongFramebuffers[horizontal]);
            glUniform1i(glGetUniformLocation(program.programId, "horizontal"), horizontal);
            glActiveTexture(GL_TEXTURE0);
            horizontal = !horizontal;
            glBindTexture(GL_TEXTURE_2D, pass == 0 ? targets.colourBuffers[1]
                                                   : targets.pingpongBuffers[horizontal]);
            drawFullscreenQuad();
        }
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glFinish();
    }
    reportPerPass(state, passes, started);
}
void BM_NaiveNineFetchPasses(benchmark::State& state) {
    runOtherBlur(state, NAIVE_BLUR);
}
BENCHMARK(BM_NaiveNineFetchPasses)->Arg(BLUR_PASSES)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TexelFetchPasses(benchmark::State& state) {
    runOtherBlur(state, TEXEL_FETCH_BLUR);
}
BENCHMARK(BM_TexelFetchPasses)->Arg(BLUR_PASSES)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyPasses(benchmark::State& state) {
    runOtherBlur(state, COPY_PASS);
}
BENCHMARK(BM_CopyPasses)->Arg(BLUR_PASSES)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Blend(benchmark::State& state) {
    if (!openHiddenWindow()) {
        return skipWithoutDisplay(state);
    }
    BloomTargets targets = createBloomTargets(WIDTH, HEIGHT);
    BloomBlendStage blend;
    fillBrightParts(targets);
    for (auto _ : state) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        blend.blend(targets, BLUR_PASSES, true);
        glFinish();
    }
}
BENCHMARK(BM_Blend)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
