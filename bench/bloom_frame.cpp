// The bloom frame at 1280 x 720: a whole world frame (scene pass, sky, 25
// blur passes, blend) and its post-processing parts on their own, plus a
// plain 9-fetch blur pass for comparison with the game's two-fetch one over
// its small buffers.
// Needs a display (run under xvfb-run). Every measured iteration ends with
// glFinish, so the figures are GPU (llvmpipe) time per frame or per pass.

#include "assets/ModelLoader.h"
#include "core/Config.h"
#include "game/Hud.h"
#include "game/TestPilot.h"
#include "render/BloomShader.h"
#include "render/BloomStages.h"
#include "render/BloomTargets.h"
#include "render/FrameRenderer.h"
#include "render/FullscreenQuad.h"
#include "render/Shader.h"
#include "render/SkyboxShader.h"
#include "render/Text.h"
#include "world/Camera.h"
#include "world/WorldLoader.h"

#include "../tests/gl/RenderScene.h"
#include "BenchWindow.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

namespace {

// KELVARO_BENCH_SIZE=WIDTHxHEIGHT and KELVARO_BENCH_DETAIL=0..3 measure other
// window sizes and levels of detail (the software preset's, for instance).
int fromEnvironment(const char* name, int fallback, int part) {
    const char* value = std::getenv(name);
    int values[2] = {fallback, fallback};
    if (value && std::sscanf(value, "%dx%d", &values[0], &values[1]) >= 1 + part) {
        return values[part];
    }
    return fallback;
}
const int WIDTH = fromEnvironment("KELVARO_BENCH_SIZE", 1280, 0);
const int HEIGHT = fromEnvironment("KELVARO_BENCH_SIZE", 720, 1);
const int DETAIL = fromEnvironment("KELVARO_BENCH_DETAIL", 3, 0);
constexpr uint32_t BLUR_PASSES = 25;

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The fastest repetition: on a machine shared with other work, the least
// disturbed figure.
double fastest(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

bool openHiddenWindow() {
    static bool ready = false;
    if (ready) {
        return true;
    }
    if (!openBenchWindow(WIDTH, HEIGHT, "bloom-bench")) {
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
    ready = true;
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
BENCHMARK(BM_BlurPasses)
    ->Arg(1)
    ->Arg(BLUR_PASSES)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", fastest);

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
BENCHMARK(BM_NaiveNineFetchPasses)
    ->Arg(BLUR_PASSES)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", fastest);

void BM_TexelFetchPasses(benchmark::State& state) {
    runOtherBlur(state, TEXEL_FETCH_BLUR);
}
BENCHMARK(BM_TexelFetchPasses)
    ->Arg(BLUR_PASSES)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", fastest);

void BM_CopyPasses(benchmark::State& state) {
    runOtherBlur(state, COPY_PASS);
}
BENCHMARK(BM_CopyPasses)
    ->Arg(BLUR_PASSES)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", fastest);

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
BENCHMARK(BM_Blend)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", fastest);

// A level-like scene from the shipped textures and sky: a sun with its lamp,
// a field of normal-mapped asteroids, a trash can and two fill lamps.
struct BenchScene {
    std::deque<GameObject> objects;
    std::vector<PointLight> directionalLights;
    std::vector<PointLight> lights;
    Camera camera;

    BenchScene() {
        Material rock;
        rock.diffuseTextures = {"rock_diffuse.png"};
        rock.normalTextures = {"rock_normal.png"};
        rock.ambientColor = glm::vec3(0.09f, 0.085f, 0.08f);
        rock.specularColor = glm::vec3(0.08f);
        Material sun;
        sun.diffuseTextures = {"sun_diffuse.png"};
        sun.ambientColor = glm::vec3(4.0f, 3.0f, 1.7f);
        sun.diffuseIntensity = 0.0f;
        Material can;
        can.diffuseTextures = {"tcan_diffuse.png"};
        can.normalTextures = {"tcan_normal.png"};
        can.specularColor = glm::vec3(0.6f);
        add("bench_roid", renderscene::makeSphere(1.0f, 64, 32, rock));
        add("bench_sun", renderscene::makeSphere(1.0f, 48, 24, sun));
        add("bench_can", renderscene::makeSphere(0.4f, 32, 16, can));
        const glm::quat none(1.0f, 0.0f, 0.0f, 0.0f);
        uint32_t seed = 7;
        auto random = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return float(seed >> 8) / float(1u << 24);
        };
        for (int i = 0; i < 24; ++i) {
            const glm::vec3 at(random() * 40.0f - 20.0f, random() * 20.0f - 10.0f,
                               -6.0f - random() * 40.0f);
            const float size = 0.8f + random() * 2.5f;
            objects.emplace_back(at, glm::angleAxis(random() * 6.0f, glm::vec3(0, 1, 0)),
                                 glm::vec3(size, size * 0.8f, size), "bench_roid",
                                 ObjectKind::Obstacle, nullptr);
        }
        const glm::vec3 sunAt(30.0f, 14.0f, -70.0f);
        objects.emplace_back(sunAt, none, glm::vec3(8.0f), "bench_sun", ObjectKind::Obstacle,
                             nullptr);
        objects.emplace_back(glm::vec3(1.5f, -1.0f, -5.0f), none, glm::vec3(1.0f), "bench_can",
                             ObjectKind::Trash, nullptr);
        lights.emplace_back(glm::vec3(1.0f, 0.93f, 0.82f), sunAt, glm::vec3(2.2f, 0.0004f, 0.0f));
        lights.emplace_back(glm::vec3(0.35f, 0.45f, 0.75f), glm::vec3(-20.0f, -8.0f, 5.0f),
                            glm::vec3(1.0f, 0.004f, 4e-05f));
        lights.emplace_back(glm::vec3(0.75f, 0.5f, 0.35f), glm::vec3(15.0f, 10.0f, -10.0f),
                            glm::vec3(1.0f, 0.004f, 4e-05f));
        camera.aspect = float(WIDTH) / float(HEIGHT);
    }

    static void add(const char* name, Mesh mesh) {
        std::vector<Mesh> meshes;
        meshes.push_back(std::move(mesh));
        ModelLoader::instance().add(name, std::move(meshes), {});
    }

    void draw() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderWorld(objects, directionalLights, lights, glm::vec3(1.0f), "BSpace", -1, camera,
                    RenderSettings{});
    }
};

// Writes the window's picture to KELVARO_BENCH_SHOT, when that is set.
void maybeWriteShot() {
    const char* path = std::getenv("KELVARO_BENCH_SHOT");
    if (!path) {
        return;
    }
    std::vector<uint8_t> pixels(size_t(WIDTH) * HEIGHT * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::vector<uint8_t> flipped(pixels.size());
    for (int y = 0; y < HEIGHT; ++y) {
        std::copy_n(pixels.begin() + std::ptrdiff_t(y) * WIDTH * 3, WIDTH * 3,
                    flipped.begin() + std::ptrdiff_t(HEIGHT - 1 - y) * WIDTH * 3);
    }
    renderscene::writePng(path, WIDTH, HEIGHT, 3, flipped);
}

void BM_BloomFrame(benchmark::State& state) {
    if (!openHiddenWindow()) {
        return skipWithoutDisplay(state);
    }
    static BenchScene scene;
    // The first frame builds the bloom programs and loads textures and sky.
    scene.draw();
    glFinish();
    const auto started = std::chrono::steady_clock::now();
    for (auto _ : state) {
        scene.draw();
        glFinish();
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    state.counters["ms_per_frame"] = ms / double(state.iterations());
    maybeWriteShot();
}
BENCHMARK(BM_BloomFrame)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", fastest);

// The shipped level, loaded once for every benchmark that draws it, with its
// camera fitted to the window; null (and the benchmark skipped) when there is
// no window or the level cannot be read.
World* shippedLevel(benchmark::State& state) {
    if (!openHiddenWindow()) {
        skipWithoutDisplay(state);
        return nullptr;
    }
    static WorldLoader loader;
    static LevelResult level = loader.read("sub2demo_debug.dae");
    if (!level.world) {
        state.SkipWithError(level.error.c_str());
        for (auto _ : state) {
        }
        return nullptr;
    }
    level.world->camera.aspect = float(WIDTH) / float(HEIGHT);
    return &*level.world;
}

// The shipped level from the ship's camera, as the game's frames show it.
void BM_ShippedLevelFrame(benchmark::State& state) {
    World* shipped = shippedLevel(state);
    if (!shipped) {
        return;
    }
    World& world = *shipped;
    auto draw = [&world] {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        world.render(world.camera, true, true, 3);
        glFinish();
    };
    draw();
    const auto started = std::chrono::steady_clock::now();
    for (auto _ : state) {
        draw();
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    state.counters["ms_per_frame"] = ms / double(state.iterations());
    maybeWriteShot();
}
BENCHMARK(BM_ShippedLevelFrame)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", fastest);

// The shipped level's frame stage by stage, each timed alone between two
// glFinish calls: 0 uniforms and scene objects, 1 sky, 2 the bright parts
// shrunk to the blur buffers and one blur pass over them, 3 blend, 4 overlay
// text (the HUD and an end message), 5 buffer swap. Also
// reports the process CPU time of the stage (all threads, the rasteriser's
// included), which other load on the machine distorts less than wall time.
// The scene stage runs twice: by_size 1 lets each object pick its level of
// detail by its size on screen (the game's rule), by_size 0 draws every one
// at the finest level allowed, as all of them once did; "triangles" is what
// the scene stage drew, and per pixel of the window.
void BM_ShippedLevelStage(benchmark::State& state) {
    World* shipped = shippedLevel(state);
    if (!shipped) {
        return;
    }
    World& world = *shipped;
    FrameScene scene;
    sortObjectsForDrawing(world.objects, world.currentRing, scene);
    collectLights(world.pointLights, scene.lights);
    scene.ambient = world.ambient;
    scene.skyboxName = world.skyboxName;
    BloomShader& bloom = BloomShader::instance();
    SkyboxShader& sky = SkyboxShader::instance();
    RenderSettings settings;
    settings.detailLevel = DETAIL;
    settings.detailBySize = state.range(1) != 0;
    SceneDrawn drawn;
    static const bool textReady = [] {
        initText();
        return true;
    }();
    (void)textReady;
    Hud::instance().setTotal(18);
    Hud::instance().setCollected(3);
    Hud::instance().setTime(65.5);
    auto stage = [&](int which) {
        switch (which) {
        case 0:
            prepareFrame(bloom, sky, scene, world.camera);
            drawn = drawSceneObjects(bloom, scene, world.camera, settings);
            break;
        case 1:
            drawSceneSky(bloom, sky, scene);
            break;
        case 2:
            bloom.blurStage->blur(bloom.targets, 1);
            break;
        case 3:
            bloom.blendStage->blend(bloom.targets, BLUR_PASSES, true);
            break;
        case 4:
            Hud::instance().draw();
            drawText("TRACK FINISHED", 100.0f, 300.0f, 1.3f, HUD_COLOR);
            break;
        default:
            glfwSwapBuffers(glfwGetCurrentContext());
            break;
        }
    };
    // One whole frame first: programs, textures and the sky load here.
    for (int which = 0; which < 6; ++which) {
        stage(which);
    }
    glFinish();
    const int which = int(state.range(0));
    double cpuSeconds = 0.0;
    for (auto _ : state) {
        // The stages before this one, untimed, so that it works on a real frame.
        for (int before = 0; before < which; ++before) {
            stage(before);
        }
        glFinish();
        const auto started = std::chrono::steady_clock::now();
        const double cpuStarted = processCpuSeconds();
        stage(which);
        glFinish();
        cpuSeconds += processCpuSeconds() - cpuStarted;
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    }
    state.counters["cpu_ms"] = cpuSeconds * 1e3 / double(state.iterations());
    if (which == 0) {
        state.counters["triangles"] = double(drawn.triangles);
        state.counters["triangles_per_pixel"] = double(drawn.triangles) / (double(WIDTH) * HEIGHT);
    }
}
BENCHMARK(BM_ShippedLevelStage)
    ->ArgNames({"stage", "by_size"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Args({3, 1})
    ->Args({4, 1})
    ->Args({5, 1})
    ->Iterations(4)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->ComputeStatistics("min", fastest);

// The triangles the scene stage draws along the test pilot's flight of the
// shipped track, every half second of flying time, with each object's level
// by its size on screen and with every object at the finest level allowed:
// mean and largest per frame, and the mean per pixel of the window. The
// flight moves the world, so it gets a level of its own.
void BM_PilotFlightTriangles(benchmark::State& state) {
    if (!openHiddenWindow()) {
        return skipWithoutDisplay(state);
    }
    WorldLoader loader;
    struct Totals {
        double sum = 0.0, most = 0.0;
        int frames = 0;
    } bySize, finest;
    PilotReport report;
    for (auto _ : state) {
        LevelResult level = loader.read("sub2demo_debug.dae");
        if (!level.world) {
            state.SkipWithError(level.error.c_str());
            return;
        }
        World& world = *level.world;
        world.camera.aspect = float(WIDTH) / float(HEIGHT);
        BloomShader& bloom = BloomShader::instance();
        SkyboxShader& sky = SkyboxShader::instance();
        double nextSample = 0.0;
        auto afterStep = [&](double seconds) {
            if (seconds < nextSample) {
                return;
            }
            nextSample = seconds + 0.5;
            FrameScene scene;
            sortObjectsForDrawing(world.objects, world.currentRing, scene);
            collectLights(world.pointLights, scene.lights);
            scene.ambient = world.ambient;
            scene.skyboxName = world.skyboxName;
            prepareFrame(bloom, sky, scene, world.camera);
            for (bool rule : {true, false}) {
                RenderSettings settings;
                settings.detailLevel = DETAIL;
                settings.detailBySize = rule;
                const double triangles =
                    double(drawSceneObjects(bloom, scene, world.camera, settings).triangles);
                Totals& totals = rule ? bySize : finest;
                totals.sum += triangles;
                totals.most = std::max(totals.most, triangles);
                ++totals.frames;
            }
            glFinish();
        };
        report = flyTrack(world, {}, afterStep);
    }
    const double pixels = double(WIDTH) * HEIGHT;
    auto put = [&](const char* name, const Totals& totals) {
        const double mean = totals.frames ? totals.sum / totals.frames : 0.0;
        state.counters[std::string(name) + "_mean"] = mean;
        state.counters[std::string(name) + "_most"] = totals.most;
        state.counters[std::string(name) + "_per_pixel"] = mean / pixels;
    };
    put("by_size", bySize);
    put("finest", finest);
    state.counters["frames"] = bySize.frames;
    state.SetLabel(report.line());
}
BENCHMARK(BM_PilotFlightTriangles)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
