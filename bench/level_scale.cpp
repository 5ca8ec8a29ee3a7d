// Loading levels far larger than the shipped one, as the game does (meshes
// uploaded): one asteroid of 200,000 triangles, and a track of 10,000 rings.
// Each level is written once into a temporary folder. Peak memory is the
// process's high-water mark, so run one benchmark per process to read it:
//
//   bench_level_scale --benchmark_filter=BigAsteroid
//   bench_level_scale --benchmark_filter=ManyRings
//
// Measured on the 2-core build machine, one run each. "Before" ran while
// four other builds did (wall time up to ten times the CPU time, so CPU time
// is the figure to compare); "after" on a quieter machine:
//
//                       before                    after
//   200,000 triangles   3.7 s CPU, 1,449 MB peak  0.39 s CPU (0.68 s wall), 202 MB peak
//   10,000 rings        26.0 s CPU, 218 MB peak   0.41 s CPU (0.73 s wall), 218 MB peak
//
// The asteroid lost its finer levels to the triangle budget (12.8 million
// triangles at the finest); the rings lost the broadphase tree that grew
// into a chain, one insert at a time, and the scans of every model per node.
#include "levelcheck/LevelCheck.h"
#include "world/WorldLoader.h"

#include "BenchWindow.h"

#include <benchmark/benchmark.h>
#include <glm/gtc/constants.hpp>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Geometry {
    std::vector<float> positions; // x y z per vertex
    std::vector<float> normals;
    std::vector<uint32_t> indices;
};

Geometry sphere(float radius, int slices, int stacks) {
    Geometry g;
    for (int i = 0; i <= stacks; ++i) {
        const float phi = float(i) / float(stacks) * glm::pi<float>();
        for (int j = 0; j <= slices; ++j) {
            const float theta = float(j) / float(slices) * glm::two_pi<float>();
            const float n[3] = {std::sin(phi) * std::cos(theta), std::cos(phi),
                                std::sin(phi) * std::sin(theta)};
            for (float c : n) {
                g.positions.push_back(c * radius);
                g.normals.push_back(c);
            }
        }
    }
    for (int i = 0; i < stacks; ++i) {
        for (int j = 0; j < slices; ++j) {
            const uint32_t a = uint32_t(i * (slices + 1) + j), b = a + uint32_t(slices + 1);
            g.indices.insert(g.indices.end(), {a, a + 1, b, a + 1, b + 1, b});
        }
    }
    return g;
}

// A small closed solid: enough for a ring's drawn mesh or its opening.
Geometry tetrahedron(float size, float shift) {
    Geometry g;
    const float p[4][3] = {{size + shift, size, size},
                           {-size, -size, size},
                           {-size, size, -size},
                           {size, -size, -size}};
    for (const auto& v : p) {
        for (float c : v) {
            g.positions.push_back(c);
            g.normals.push_back(c / size);
        }
    }
    g.indices = {0, 1, 2, 0, 3, 1, 0, 2, 3, 1, 3, 2};
    return g;
}

void writeGeometry(std::ostream& out, const std::string& id, const Geometry& g) {
    const std::size_t n = g.positions.size() / 3;
    auto source = [&](const char* suffix, const std::vector<float>& values) {
        out << "<source id=\"" << id << suffix << "\"><float_array id=\"" << id << suffix
            << "-a\" count=\"" << values.size() << "\">";
        for (float v : values) {
            out << v << ' ';
        }
        out << "</float_array><technique_common><accessor source=\"#" << id << suffix
            << "-a\" count=\"" << n
            << "\" stride=\"3\"><param name=\"X\" type=\"float\"/><param name=\"Y\" "
               "type=\"float\"/><param name=\"Z\" type=\"float\"/></accessor>"
               "</technique_common></source>";
    };
    out << "<geometry id=\"" << id << "\"><mesh>";
    source("-p", g.positions);
    source("-n", g.normals);
    out << "<vertices id=\"" << id << "-v\"><input semantic=\"POSITION\" source=\"#" << id
        << "-p\"/></vertices><triangles count=\"" << g.indices.size() / 3
        << "\"><input semantic=\"VERTEX\" source=\"#" << id
        << "-v\" offset=\"0\"/><input semantic=\"NORMAL\" source=\"#" << id
        << "-n\" offset=\"0\"/><p>";
    for (uint32_t i : g.indices) {
        out << i << ' ';
    }
    out << "</p></triangles></mesh></geometry>\n";
}

// A mesh node at (0, 0, z) with a collision child.
void writeNode(std::ostream& out, const std::string& name, const std::string& geometry,
               const std::string& collision, float z) {
    out << "<node id=\"" << name << "\" name=\"" << name << "\"><translate>0 0 " << z
        << "</translate><instance_geometry url=\"#" << geometry << "\"/><node id=\"" << name
        << "-c\" name=\"" << name << "-c\"><instance_geometry url=\"#" << collision
        << "\"/></node></node>\n";
}

// One asteroid of `slices × stacks × 2` triangles ahead of the camera, and
// `rings` rings behind it, each with its own drawn mesh.
std::string levelText(int slices, int stacks, int rings) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<COLLADA "
           "xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\"><asset>"
           "<up_axis>Y_UP</up_axis></asset>\n<library_geometries>\n";
    if (slices > 0) {
        writeGeometry(out, "rock", sphere(10.0f, slices, stacks));
    }
    writeGeometry(out, "opening", tetrahedron(2.0f, 0.0f));
    for (int i = 0; i < rings; ++i) {
        writeGeometry(out, "ring" + std::to_string(i), tetrahedron(2.0f, 0.001f * float(i + 1)));
    }
    out << "</library_geometries>\n<library_visual_scenes><visual_scene id=\"s\">\n"
        << "<node id=\"Camera\" name=\"Camera\"><translate>0 0 0</translate></node>\n";
    if (slices > 0) {
        writeNode(out, "roid_big", "rock", "rock", -100.0f);
    }
    for (int i = 0; i < rings; ++i) {
        writeNode(out, "ring_" + std::to_string(i), "ring" + std::to_string(i), "opening",
                  -20.0f * float(i + 1));
    }
    out << "</visual_scene></library_visual_scenes><scene><instance_visual_scene "
           "url=\"#s\"/></scene></COLLADA>\n";
    return out.str();
}

std::string writeLevel(const std::string& name, const std::string& text) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("kelvaro-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    const std::filesystem::path file = path / name;
    std::ofstream(file, std::ios::binary) << text;
    return file.string();
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void loadLevel(benchmark::State& state, const std::string& file) {
    if (!openBenchWindow(64, 64, "level-scale-bench")) {
        state.SkipWithError("no OpenGL 3.3 context (run under xvfb-run)");
        return;
    }
    WorldLoader loader;
    std::size_t objects = 0;
    // Releasing the world (its bodies leave the physics world), not timed.
    double releaseSeconds = 0.0;
    for (auto _ : state) {
        LevelResult result = loader.readFile(file);
        if (!result.world) {
            state.SkipWithError(result.error.c_str());
            break;
        }
        glFinish();
        objects = result.world->objects.size();
        state.PauseTiming();
        const auto start = std::chrono::steady_clock::now();
        result.world.reset();
        releaseSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.ResumeTiming();
    }
    std::filesystem::remove_all(std::filesystem::path(file).parent_path());
    state.counters["objects"] = double(objects);
    state.counters["peak_MB"] = peakMegabytes();
    state.counters["release_ms"] = releaseSeconds * 1000.0;
}

void BM_LoadBigAsteroid(benchmark::State& state) {
    // 400 × 250 × 2 = 200,000 triangles.
    loadLevel(state, writeLevel("big-asteroid.dae", levelText(400, 250, 1)));
}

void BM_LoadManyRings(benchmark::State& state) {
    loadLevel(state, writeLevel("many-rings.dae", levelText(0, 0, 10000)));
}

// A closed box, for a ring's flat trigger volume and its drawn frame.
Geometry box(float x, float y, float z) {
    Geometry g;
    for (int i = 0; i < 8; ++i) {
        const float p[3] = {i & 1 ? x : -x, i & 2 ? y : -y, i & 4 ? z : -z};
        for (float c : p) {
            g.positions.push_back(c);
            g.normals.push_back(c);
        }
    }
    g.indices = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                 2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
    return g;
}

// A track for the level checker: `rings` rings `spacing` m apart straight
// ahead, and `rocks` small asteroids in a block beside the track.
std::string trackText(int rings, float spacing, int rocks) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<COLLADA "
           "xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\"><asset>"
           "<up_axis>Y_UP</up_axis></asset>\n<library_geometries>\n";
    writeGeometry(out, "opening", box(5.6f, 5.6f, 0.5f));
    writeGeometry(out, "rock", sphere(1.0f, 6, 4));
    for (int i = 0; i < rings; ++i) {
        // Each ring draws a mesh of its own, as the loader wants.
        writeGeometry(out, "ring" + std::to_string(i), box(6.0f + 0.0001f * float(i), 6.0f, 0.4f));
    }
    out << "</library_geometries>\n<library_visual_scenes><visual_scene id=\"s\">\n"
        << "<node id=\"Camera\" name=\"Camera\"><translate>0 0 0</translate></node>\n";
    for (int i = 0; i < rings; ++i) {
        writeNode(out, "ring_" + std::to_string(i), "ring" + std::to_string(i), "opening",
                  -20.0f - spacing * float(i));
    }
    const int side = int(std::ceil(std::cbrt(double(rocks))));
    for (int i = 0; i < rocks; ++i) {
        const int a = i % side, b = (i / side) % side, c = i / (side * side);
        out << "<node id=\"roid_" << i << "\" name=\"roid_" << i << "\"><translate>" << 40 + 6 * a
            << ' ' << -60 + 6 * b << ' ' << -60 - 6 * c
            << "</translate><instance_geometry url=\"#rock\"/><node id=\"roid_" << i
            << "-c\" name=\"roid_" << i
            << "-c\"><instance_geometry url=\"#rock\"/></node></node>\n";
    }
    out << "</visual_scene></library_visual_scenes><scene><instance_visual_scene "
           "url=\"#s\"/></scene></COLLADA>\n";
    return out.str();
}

// The whole "--check": load without a window, findings, the pilot's flight.
void checkTrack(benchmark::State& state, const std::string& file) {
    // The level and the game's INI are found from the repository root.
    std::filesystem::current_path(KELVARO_SOURCE_DIR);
    std::string verdict;
    for (auto _ : state) {
        std::ostringstream out;
        checkLevel(file, out);
        verdict = out.str();
    }
    std::filesystem::remove_all(std::filesystem::path(file).parent_path());
    const std::size_t last = verdict.rfind('\n', verdict.size() - 2);
    state.SetLabel(verdict.substr(last == std::string::npos ? 0 : last + 1, 60));
    state.counters["peak_MB"] = peakMegabytes();
}

// 2 m apart the pilot passes a ring every few steps: the cost per step must
// not grow with the rings still ahead.
void BM_CheckRingsTwoMetresApart(benchmark::State& state) {
    const int rings = int(state.range(0));
    checkTrack(state, writeLevel("close-rings.dae", trackText(rings, 2.0f, 0)));
    state.counters["rings"] = double(rings);
}

void BM_CheckSmallAsteroids(benchmark::State& state) {
    const int rocks = int(state.range(0));
    checkTrack(state, writeLevel("small-asteroids.dae", trackText(20, 60.0f, rocks)));
    state.counters["asteroids"] = double(rocks);
}

// Every load appends to the program-wide stores: one pass each.
BENCHMARK(BM_LoadBigAsteroid)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_LoadManyRings)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_CheckRingsTwoMetresApart)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Arg(1000)
    ->Arg(2500)
    ->Arg(5000);
BENCHMARK(BM_CheckSmallAsteroids)->Unit(benchmark::kMillisecond)->Iterations(1)->Arg(20000);

} // namespace

BENCHMARK_MAIN();
