// The F11 view's lines on a level of 1,500 asteroids (five rock meshes of
// 5,120 triangles, each asteroid a scaled and turned copy of one, spread
// through a block ahead of and around the camera, with a ring): the memory
// the process holds with F11 off, on and off again, and the time of a frame
// of lines. Memory is read from /proc/self/status (VmRSS now, VmHWM the
// peak); run one benchmark per process to read it:
//
//   bench_collision_lines --benchmark_filter=ManyAsteroids
//   bench_collision_lines --write-level=PATH   (writes the level and stops,
//                                               to fly it in the game)
//
// Measured on the 2-core build machine (llvmpipe, 1280x720, load average
// about 6 from other builds, so CPU time is the figure to compare). Memory
// "before" is the game of c216c15 flying the same level (--write-level), F11
// pressed in play and read from /proc/PID/status; "after" the same with this
// code (the bench's own figures agree: 192 MB off, on and off again):
//
//                          before                       after
//   F11 off                328 MB                       327 MB
//   F11 on, 30 s           3,118 MB (peak 3,405 MB)     331 MB (peak 333 MB)
//   F11 off again          2,526 MB                     331 MB
//   lines a frame          23 million (all, rebuilt)    245,832 (the nearest 35 of
//                                                       1,214 shapes in view)
//   CPU a frame of lines   -                            50 ms (100,000 lines: 21 ms;
//                                                       500,000: 95 ms; all 9.3
//                                                       million in view: 1.1 s)
//
// The game's own frame rate on this level is 1 to 2 frames a second with F11
// on or off, before and after: the 1,500 asteroids' surfaces cost that much
// to the software rasteriser, so the lines' own time is measured here.
#include "BenchWindow.h"

#include "physics/CollisionLines.h"
#include "physics/PhysicsContext.h"
#include "render/CollisionLineRenderer.h"
#include "world/Camera.h"
#include "world/WorldLoader.h"

#include <benchmark/benchmark.h>
#include <glm/gtc/constants.hpp>

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int ASTEROIDS = 1500;
constexpr int ROCK_MESHES = 5;

struct Rock {
    std::vector<glm::vec3> positions;
    std::vector<uint32_t> indices;
};

// An icosahedron split four times (5,120 triangles), its radius bumped by a
// few waves of the rock's own.
Rock rock(int seed) {
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    Rock r;
    r.positions = {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
                   {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    r.indices = {0, 11, 5,  0, 5,  1, 0, 1, 7, 0, 7,  10, 0, 10, 11, 1, 5, 9, 5, 11,
                 4, 11, 10, 2, 10, 7, 6, 7, 1, 8, 3,  9,  4, 3,  4,  2, 3, 2, 6, 3,
                 6, 8,  3,  8, 9,  4, 9, 5, 2, 4, 11, 6,  2, 10, 8,  6, 7, 9, 8, 1};
    for (int split = 0; split < 4; ++split) {
        std::map<std::pair<uint32_t, uint32_t>, uint32_t> middles;
        auto middle = [&](uint32_t a, uint32_t b) {
            const auto key = std::minmax(a, b);
            auto [it, fresh] = middles.try_emplace(key, uint32_t(r.positions.size()));
            if (fresh) {
                r.positions.push_back(0.5f * (r.positions[a] + r.positions[b]));
            }
            return it->second;
        };
        std::vector<uint32_t> finer;
        for (std::size_t i = 0; i < r.indices.size(); i += 3) {
            const uint32_t a = r.indices[i], b = r.indices[i + 1], c = r.indices[i + 2];
            const uint32_t ab = middle(a, b), bc = middle(b, c), ca = middle(c, a);
            finer.insert(finer.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        r.indices = std::move(finer);
    }
    for (glm::vec3& p : r.positions) {
        const glm::vec3 n = glm::normalize(p);
        const float bump = 0.15f * std::sin(3.0f * n.x + float(seed)) * std::cos(2.0f * n.y) +
                           0.08f * std::sin(7.0f * n.z + 2.0f * float(seed));
        p = n * (1.0f + bump);
    }
    return r;
}

void writeGeometry(std::ostream& out, const std::string& id, const Rock& g) {
    out << "<geometry id=\"" << id << "\"><mesh><source id=\"" << id << "-p\"><float_array id=\""
        << id << "-a\" count=\"" << g.positions.size() * 3 << "\">";
    for (const glm::vec3& p : g.positions) {
        out << p.x << ' ' << p.y << ' ' << p.z << ' ';
    }
    out << "</float_array><technique_common><accessor source=\"#" << id << "-a\" count=\""
        << g.positions.size()
        << "\" stride=\"3\"><param name=\"X\" type=\"float\"/><param name=\"Y\" "
           "type=\"float\"/><param name=\"Z\" type=\"float\"/></accessor></technique_common>"
           "</source><vertices id=\""
        << id << "-v\"><input semantic=\"POSITION\" source=\"#" << id
        << "-p\"/></vertices><triangles count=\"" << g.indices.size() / 3
        << "\"><input semantic=\"VERTEX\" source=\"#" << id << "-v\" offset=\"0\"/><p>";
    for (uint32_t i : g.indices) {
        out << i << ' ';
    }
    out << "</p></triangles></mesh></geometry>\n";
}

Rock ringShape(float radius, float half, bool solid) {
    Rock r;
    const int sides = 16;
    for (int i = 0; i < sides; ++i) {
        const float a = glm::two_pi<float>() * float(i) / float(sides);
        for (float z : {-half, half}) {
            r.positions.push_back({radius * std::cos(a), radius * std::sin(a), z});
        }
    }
    if (solid) {
        r.positions.push_back({0, 0, -half});
        r.positions.push_back({0, 0, half});
    }
    for (uint32_t i = 0; i < uint32_t(sides); ++i) {
        const uint32_t j = (i + 1) % sides;
        r.indices.insert(r.indices.end(), {2 * i, 2 * j, 2 * j + 1, 2 * i, 2 * j + 1, 2 * i + 1});
        if (solid) {
            r.indices.insert(r.indices.end(),
                             {2 * sides, 2 * j, 2 * i, 2 * sides + 1, 2 * i + 1, 2 * j + 1});
        }
    }
    return r;
}

std::string levelText() {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<COLLADA "
           "xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\"><asset>"
           "<up_axis>Y_UP</up_axis></asset>\n<library_geometries>\n";
    for (int i = 0; i < ROCK_MESHES; ++i) {
        writeGeometry(out, "rock" + std::to_string(i), rock(i));
    }
    writeGeometry(out, "ring", ringShape(6.0f, 0.4f, false));
    writeGeometry(out, "opening", ringShape(5.6f, 0.5f, true));
    out << "</library_geometries>\n<library_visual_scenes><visual_scene id=\"s\">\n"
        << "<node id=\"Camera\" name=\"Camera\"><translate>0 0 0</translate></node>\n"
        << "<node id=\"Lamp\" name=\"Lamp\"><translate>0 50 -50</translate></node>\n"
        << "<node id=\"ring_0\" name=\"ring_0\"><translate>0 0 -60</translate><instance_geometry "
           "url=\"#ring\"/><node id=\"ring_0-c\" name=\"ring_0-c\"><instance_geometry "
           "url=\"#opening\"/></node></node>\n";
    std::mt19937 random(1500);
    std::uniform_real_distribution<float> across(-300.0f, 300.0f), along(-900.0f, 150.0f),
        size(2.0f, 10.0f), angle(0.0f, 360.0f);
    for (int i = 0; i < ASTEROIDS; ++i) {
        glm::vec3 at(across(random), across(random), along(random));
        // Clear of the ship's way through the ring.
        if (std::abs(at.x) < 30.0f && std::abs(at.y) < 30.0f) {
            at.x += at.x < 0.0f ? -30.0f : 30.0f;
        }
        const std::string name = "roid_" + std::to_string(i);
        const std::string mesh = "rock" + std::to_string(i % ROCK_MESHES);
        out << "<node id=\"" << name << "\" name=\"" << name << "\"><translate>" << at.x << ' '
            << at.y << ' ' << at.z << "</translate><rotate>0 1 0 " << angle(random)
            << "</rotate><scale>" << size(random) << ' ' << size(random) << ' ' << size(random)
            << "</scale><instance_geometry url=\"#" << mesh << "\"/><node id=\"" << name
            << "-c\" name=\"" << name << "-c\"><instance_geometry url=\"#" << mesh
            << "\"/></node></node>\n";
    }
    out << "</visual_scene></library_visual_scenes><scene><instance_visual_scene "
           "url=\"#s\"/></scene></COLLADA>\n";
    return out.str();
}

// A figure of /proc/self/status in megabytes ("VmRSS", "VmHWM").
double statusMegabytes(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0 && line[std::strlen(field)] == ':') {
            return std::stod(line.substr(std::strlen(field) + 1)) / 1024.0;
        }
    }
    return 0.0;
}

World* manyAsteroids() {
    static std::optional<World> world = []() -> std::optional<World> {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / ("kelvaro-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        const std::filesystem::path file = folder / "many-asteroids.dae";
        std::ofstream(file, std::ios::binary) << levelText();
        WorldLoader loader;
        LevelResult level = loader.readFile(file.string());
        std::filesystem::remove_all(folder);
        return std::move(level.world);
    }();
    return world ? &*world : nullptr;
}

// Looks from the start down the block of asteroids.
Camera startCamera() {
    Camera camera(glm::vec3(0.0f, 0.0f, 100.0f), glm::quat(1, 0, 0, 0));
    camera.aspect = 1280.0f / 720.0f;
    camera.farPlane = 1000.0f;
    return camera;
}

void BM_ManyAsteroidsF11(benchmark::State& state) {
    if (!openBenchWindow(1280, 720, "collision-lines-bench") || !manyAsteroids()) {
        state.SkipWithError("no OpenGL 3.3 context or the level did not load");
        return;
    }
    const Camera camera = startCamera();
    glFinish();
    const double off = statusMegabytes("VmRSS");
    CollisionLineFrame shown;
    std::clock_t cpu = std::clock();
    for (auto _ : state) {
        shown = drawCollisionLines(camera);
        glFinish();
    }
    cpu = std::clock() - cpu;
    const double on = statusMegabytes("VmRSS");
    const double peak = statusMegabytes("VmHWM");
    releaseCollisionLines();
    glFinish();
    state.counters["rss_off_MB"] = off;
    state.counters["rss_on_MB"] = on;
    state.counters["hwm_MB"] = peak;
    state.counters["rss_off_again_MB"] = statusMegabytes("VmRSS");
    state.counters["cpu_ms_per_frame"] =
        1000.0 * double(cpu) / CLOCKS_PER_SEC / double(std::max<int64_t>(1, state.iterations()));
    state.counters["shapes"] = double(shown.shapes);
    state.counters["in_view"] = double(shown.inView);
    state.counters["drawn"] = double(shown.drawn);
    state.counters["lines"] = double(shown.lines);
}
BENCHMARK(BM_ManyAsteroidsF11)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

// A frame of lines under other budgets than the game's.
void BM_ManyAsteroidsLineBudget(benchmark::State& state) {
    if (!openBenchWindow(1280, 720, "collision-lines-bench") || !manyAsteroids()) {
        state.SkipWithError("no OpenGL 3.3 context or the level did not load");
        return;
    }
    const Camera camera = startCamera();
    CollisionLineRenderer renderer(std::size_t(state.range(0)));
    CollisionLineFrame shown;
    std::clock_t cpu = std::clock();
    for (auto _ : state) {
        shown = renderer.draw(placedShapes(PhysicsContext::instance()), camera);
        glFinish();
    }
    cpu = std::clock() - cpu;
    state.counters["cpu_ms_per_frame"] =
        1000.0 * double(cpu) / CLOCKS_PER_SEC / double(std::max<int64_t>(1, state.iterations()));
    state.counters["drawn"] = double(shown.drawn);
    state.counters["lines"] = double(shown.lines);
}
BENCHMARK(BM_ManyAsteroidsLineBudget)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0)
    ->Arg(100'000)
    ->Arg(250'000)
    ->Arg(500'000)
    ->Arg(20'000'000);

// What every frame pays before drawing: the shapes and their placements.
void BM_ManyAsteroidsPlacedShapes(benchmark::State& state) {
    if (!openBenchWindow(1280, 720, "collision-lines-bench") || !manyAsteroids()) {
        state.SkipWithError("no OpenGL 3.3 context or the level did not load");
        return;
    }
    for (auto _ : state) {
        auto shapes = placedShapes(PhysicsContext::instance());
        benchmark::DoNotOptimize(shapes.data());
    }
}
BENCHMARK(BM_ManyAsteroidsPlacedShapes)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--write-level=", 14) == 0) {
            std::ofstream(argv[i] + 14, std::ios::binary) << levelText();
            return 0;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
