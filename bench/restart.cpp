// Flying again and switching tracks on the real game loop: the time from R
// to the first frame of the new run, and the resident size over many
// restarts and track switches. Runs the game itself in a temporary folder
// (res/ linking to the repository's data, a Kelvaro.ini of its own and a
// track list of every level in the repository, the shipped one twice when
// it is the only one, so that a switch always changes the world), with a
// home of its own, pressing the keys from the frame watcher.
//
//   bench_restart [restarts] [switches]     (defaults 200 and 50)
//
// Needs a display. The settings are read before main runs, so the program
// first makes the folder and then runs itself again inside it.

#include "app/Application.h"
#include "game/Game.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* INSIDE = "--inside";
constexpr int WARM_UP_FRAMES = 5;
// Frames flown between two presses, so that each run really flies.
constexpr int FRAMES_BETWEEN = 3;

double residentMiB() {
    std::ifstream in("/proc/self/statm");
    long pages = 0, resident = 0;
    in >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(share * double(values.size() - 1) + 0.5))];
}

// After 10 of them, how far the resident size strayed from where it was.
void printResident(const char* what, const std::vector<double>& sizes) {
    if (sizes.size() <= 10) {
        return;
    }
    const auto [low, high] = std::minmax_element(sizes.begin() + 10, sizes.end());
    std::printf("  %s: resident %.1f MiB after 10, %.1f MiB after %zu; range after 10: %.1f MiB\n",
                what, sizes[9], sizes.back(), sizes.size(), *high - *low);
}

int runInside(int restarts, int switches) {
    std::vector<double> pressToFrame, pressWork, cpuPerRestart, restartSizes, switchSizes;
    int frames = 0;
    int done = 0;
    int switched = 0;
    double pressedAt = -1.0;
    double cpuAt = 0.0;
    bool measuringSwitch = false;
    const int code = runApplication({}, [&](double now) {
        ++frames;
        if (pressedAt >= 0.0) {
            // The first frame of the new run.
            if (measuringSwitch) {
                switchSizes.push_back(residentMiB());
            } else {
                pressToFrame.push_back(now - pressedAt);
                cpuPerRestart.push_back(processCpuSeconds() - cpuAt);
                restartSizes.push_back(residentMiB());
            }
            pressedAt = -1.0;
        }
        if (frames < WARM_UP_FRAMES || frames % FRAMES_BETWEEN != 0) {
            return true;
        }
        if (done < restarts) {
            ++done;
            measuringSwitch = false;
            cpuAt = processCpuSeconds();
            pressedAt = glfwGetTime();
            onKeyPress(GLFW_KEY_R);
            pressWork.push_back(glfwGetTime() - pressedAt);
            return true;
        }
        if (switched < switches) {
            ++switched;
            measuringSwitch = true;
            onKeyPress(GLFW_KEY_ESCAPE);
            onKeyPress(GLFW_KEY_DOWN);
            pressedAt = glfwGetTime();
            onKeyPress(GLFW_KEY_ENTER);
            return true;
        }
        return false;
    });
    if (pressToFrame.empty()) {
        std::printf("no restart measured\n");
        return 1;
    }
    std::printf("flying again (R) on the shipped level, %zu times:\n", pressToFrame.size());
    std::printf("  R to the first frame of the new run: median %.1f ms, 95th percentile %.1f ms, "
                "max %.1f ms\n",
                percentile(pressToFrame, 0.5) * 1e3, percentile(pressToFrame, 0.95) * 1e3,
                *std::max_element(pressToFrame.begin(), pressToFrame.end()) * 1e3);
    std::printf("  the restart itself (before that frame is drawn): median %.2f ms, max %.2f ms\n",
                percentile(pressWork, 0.5) * 1e3,
                *std::max_element(pressWork.begin(), pressWork.end()) * 1e3);
    std::printf("  process CPU from R to that frame: median %.1f ms\n",
                percentile(cpuPerRestart, 0.5) * 1e3);
    printResident("restarts", restartSizes);
    printResident("track switches", switchSizes);
    return code;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], INSIDE) == 0) {
        return runInside(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    const std::string restarts = argc > 1 ? argv[1] : "200";
    const std::string switches = argc > 2 ? argv[2] : "50";
    const fs::path source = fs::path(KELVARO_SOURCE_DIR) / "res";
    const fs::path folder =
        fs::temp_directory_path() / ("kelvaro-restart-" + std::to_string(getpid()));
    const fs::path worlds = folder / "res/assets/models/worlds";
    fs::create_directories(folder / "res/config");
    fs::create_directories(worlds);
    fs::create_directory_symlink(source / "shaders", folder / "res/shaders");
    for (const auto& entry : fs::directory_iterator(source / "assets")) {
        if (entry.path().filename() != "models") {
            fs::create_symlink(entry.path(), folder / "res/assets" / entry.path().filename());
        }
    }
    for (const auto& entry : fs::directory_iterator(source / "assets/models")) {
        if (entry.path().filename() != "worlds") {
            fs::create_symlink(entry.path(),
                               folder / "res/assets/models" / entry.path().filename());
        }
    }
    std::vector<std::string> levels;
    for (const auto& entry : fs::directory_iterator(source / "assets/models/worlds")) {
        fs::create_symlink(entry.path(), worlds / entry.path().filename());
        if (entry.path().extension() == ".dae") {
            levels.push_back(entry.path().filename().string());
        }
    }
    std::sort(levels.begin(), levels.end());
    // The shipped level first: R is measured on it.
    std::stable_partition(levels.begin(), levels.end(),
                          [](const std::string& name) { return name == "sub2demo_debug.dae"; });
    if (levels.size() == 1) {
        levels.push_back(levels.front());
    }
    fs::remove(worlds / "tracks.list");
    std::ofstream list(worlds / "tracks.list");
    for (std::size_t i = 0; i < levels.size(); ++i) {
        list << levels[i] << " | 1 | Track " << i + 1 << "\n";
    }
    list.close();
    // As fast as the renderer draws: the frame cap would otherwise be timed.
    std::ofstream(folder / "res/config/Kelvaro.ini") << "[GRAPHICS]\nMAX_FPS = 1000\n";
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    pid_t child = fork();
    if (child == 0) {
        fs::current_path(folder);
        const std::string home = (folder / "home").string();
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
        execl(self.c_str(), self.c_str(), INSIDE, restarts.c_str(), switches.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    fs::remove_all(folder);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
