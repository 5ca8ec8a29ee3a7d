// Frame times of the real game loop on a shipped track (the first unless named). Runs the game
// itself (start-up, loop, overlay, buffer swaps) in a temporary folder whose
// res/ links to the repository's data and holds its own Kelvaro.ini, for a
// fixed number of seconds, and prints the median and 95th percentile of the
// time between frames, with the process CPU time per frame (all threads,
// so the software rasteriser's too) as a figure that other load on the
// machine distorts less.
//
//   bench_game_loop [preset | WIDTHxHEIGHT/PASSES] [seconds] [TRACK.dae]
//
// "preset" leaves the display keys unset, so a software renderer gets its
// preset; "1280x720/25" sets window size and glow passes. Needs a display.
// The settings are read before main runs, so the program first makes the
// folder and then runs itself again inside it.

#include "app/Application.h"
#include "core/Config.h"
#include "game/Game.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* INSIDE = "--inside";

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// CPU seconds used so far by each thread of this process, by thread id, with
// the thread's name (llvmpipe names its rasteriser threads "llvmpipe-N").
struct ThreadTime {
    std::string name;
    double seconds = 0.0;
};
std::map<int, ThreadTime> threadTimes() {
    std::map<int, ThreadTime> times;
    const double tick = double(sysconf(_SC_CLK_TCK));
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm"), stat(task.path() / "stat");
        ThreadTime time;
        std::getline(comm, time.name);
        std::string line;
        std::getline(stat, line);
        // Fields after the parenthesised name: state is field 3, utime 14, stime 15.
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::string field;
        double ticks = 0.0;
        for (int at = 3; at <= 15 && fields >> field; ++at) {
            ticks += at >= 14 ? std::atof(field.c_str()) : 0.0;
        }
        time.seconds = ticks / tick;
        times[std::atoi(task.path().filename().c_str())] = time;
    }
    return times;
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five;
    in >> one >> five;
    return one + " " + five;
}

double percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    size_t at = size_t(share * double(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

int runInside(const std::string& mode, double seconds, const std::string& track) {
    // The first frames build programs and load textures: not measured.
    constexpr int WARM_UP_FRAMES = 3;
    std::vector<double> frameTimes;
    int frames = 0;
    double last = 0.0, start = 0.0, cpuStart = 0.0;
    // The rasteriser's threads end with the context: their times are taken
    // at the last frame.
    std::map<int, ThreadTime> threadsStart, threadsEnd;
    const std::string loadBefore = loadAverage();
    std::string renderer;
    const std::string level = track.empty() ? "" : "res/assets/models/worlds/" + track;
    int code = runApplication(level, [&](double now) {
        if (++frames == 1) {
            renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        }
        if (frames == WARM_UP_FRAMES) {
            start = now;
            cpuStart = processCpuSeconds();
            threadsStart = threadTimes();
        } else if (frames > WARM_UP_FRAMES) {
            frameTimes.push_back(now - last);
        }
        last = now;
        const bool more = frames <= WARM_UP_FRAMES || now - start < seconds;
        if (!more) {
            threadsEnd = threadTimes();
        }
        return more;
    });
    if (frameTimes.empty()) {
        std::printf("no frames measured\n");
        return 1;
    }
    const double cpu = processCpuSeconds() - cpuStart;
    double mainThread = 0.0, rasteriser = 0.0, other = 0.0;
    int rasteriserThreads = 0;
    for (const auto& [id, time] : threadsEnd) {
        const double used = time.seconds - threadsStart[id].seconds;
        if (id == getpid()) {
            mainThread += used;
        } else if (time.name.rfind("llvmpipe", 0) == 0) {
            rasteriser += used;
            ++rasteriserThreads;
        } else {
            other += used;
        }
    }
    const Config& cfg = config();
    std::printf("game loop, %s%s%s: %ux%u, %u glow passes, renderer %s\n", mode.c_str(),
                track.empty() ? "" : ", ", track.c_str(), cfg.windowWidth, cfg.windowHeight,
                cfg.blurIterations, renderer.c_str());
    std::printf("  %zu frames in %.1f s (state at the end: %s)\n", frameTimes.size(), last - start,
                gameStateTitle(currentGameState()));
    std::printf("  frame time median %.1f ms (%.1f fps), 95th percentile %.1f ms\n",
                percentile(frameTimes, 0.5) * 1e3, 1.0 / percentile(frameTimes, 0.5),
                percentile(frameTimes, 0.95) * 1e3);
    const double perFrame = 1e3 / double(frameTimes.size());
    std::printf("  process CPU %.1f ms per frame; load average before %s, after %s\n",
                cpu * perFrame, loadBefore.c_str(), loadAverage().c_str());
    std::printf("  of which main thread %.1f ms, %d rasteriser threads %.1f ms together, other "
                "threads %.1f ms (at the clock tick's 10 ms resolution over the whole run)\n",
                mainThread * perFrame, rasteriserThreads, rasteriser * perFrame, other * perFrame);
    return code;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], INSIDE) == 0 && argc == 5) {
        return runInside(argv[2], std::atof(argv[3]), argv[4]);
    }
    const std::string mode = argc > 1 ? argv[1] : "preset";
    const std::string seconds = argc > 2 ? argv[2] : "10";
    const std::string track = argc > 3 ? argv[3] : "";
    std::ostringstream ini;
    ini << "[GRAPHICS]\n";
    unsigned width = 0, height = 0, passes = 0;
    if (mode != "preset") {
        if (std::sscanf(mode.c_str(), "%ux%u/%u", &width, &height, &passes) != 3) {
            std::fprintf(stderr, "usage: %s [preset | WIDTHxHEIGHT/PASSES] [seconds] [TRACK.dae]\n",
                         argv[0]);
            return 2;
        }
        ini << "WINDOW_WIDTH = " << width << "\nWINDOW_HEIGHT = " << height
            << "\nBLUR_ITERATIONS = " << passes << "\n";
    }
    const fs::path source = fs::path(KELVARO_SOURCE_DIR) / "res";
    const fs::path folder =
        fs::temp_directory_path() / ("kelvaro-game-loop-" + std::to_string(getpid()));
    fs::create_directories(folder / "res/config");
    fs::create_directory_symlink(source / "assets", folder / "res/assets");
    fs::create_directory_symlink(source / "shaders", folder / "res/shaders");
    std::ofstream(folder / "res/config/Kelvaro.ini") << ini.str();
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    pid_t child = fork();
    if (child == 0) {
        fs::current_path(folder);
        execl(self.c_str(), self.c_str(), INSIDE, mode.c_str(), seconds.c_str(), track.c_str(),
              nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    fs::remove_all(folder);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
