#include "GameProcess.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string runCommand(const std::string& command) {
    std::string result;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            result.append(buffer, n);
        }
        pclose(pipe);
    }
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) {
        result.pop_back();
    }
    return result;
}

bool GameProcess::flyFromStartScreen(std::chrono::milliseconds timeout) const {
    if (!waitForTitle("Kelvaro19: Start @", timeout)) {
        return false;
    }
    tapKey("Return");
    return true;
}

void prepareGameFolder(const fs::path& dir, int width, int height, int blurIterations, int maxFps) {
    const fs::path source = KELVARO_SOURCE_DIR;
    fs::create_directories(dir / "res/config");
    fs::create_directories(dir / "res/assets/models/worlds");
    fs::create_directories(dir / "res/assets/textures/cubemaps");
    fs::create_directories(dir / "res/assets/fonts");
    std::error_code ignored;
    fs::copy(source / "res/shaders", dir / "res/shaders",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, ignored);
    fs::copy(source / "res/assets/fonts", dir / "res/assets/fonts",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, ignored);
    fs::copy(source / "res/assets/sounds", dir / "res/assets/sounds",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, ignored);
    std::ofstream(dir / "res/config/Kelvaro.ini")
        << "[GRAPHICS]\nMAX_FPS = " << maxFps << "\nWINDOW_WIDTH = " << width
        << "\nWINDOW_HEIGHT = " << height << "\nBLUR_ITERATIONS = "
        << blurIterations
        // Games of tests run side by side on one display take the keyboard
        // from each other; a test of the pause on focus loss sets it again.
        << "\nPAUSE_ON_FOCUS_LOSS = false\n";
    // The tests' levels take the shipped level's place, the one track.
    std::ofstream(dir / "res/assets/models/worlds/tracks.list")
        << "sub2demo_debug.dae | 1 | Drift Belt\n";
}

GameProcess::GameProcess(const fs::path& workingDir, const std::vector<std::string>& environment,
                         const std::vector<std::string>& arguments, const fs::path& binary) {
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    outputFile_ = workingDir / "game-output.txt";
    // The game gets a home of its own inside its folder, empty unless the
    // test puts something there, so that no test sees the developer's
    // settings or bests, nor leaves any behind. The folders exist, as on a
    // user's machine. No XDG_CACHE_HOME: see tests/main/IsolatedHomeMain.cpp.
    const fs::path home = workingDir / "home";
    const std::pair<const char*, fs::path> homeFolders[] = {
        {"HOME", home},
        {"XDG_CONFIG_HOME", home / ".config"},
        {"XDG_DATA_HOME", home / ".local/share"},
    };
    for (const auto& [variable, folder] : homeFolders) {
        std::error_code ignored;
        fs::create_directories(folder, ignored);
    }
    pid_ = fork();
    if (pid_ == 0) {
        if (chdir(workingDir.c_str()) != 0) {
            _exit(127);
        }
        int fd = open(outputFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, STDOUT_FILENO);
        dup2(fd, STDERR_FILENO);
        close(fd);
        for (const auto& [variable, folder] : homeFolders) {
            setenv(variable, folder.c_str(), 1);
        }
        unsetenv("XDG_CACHE_HOME");
        // The game plays into OpenAL Soft's silent driver, never the
        // developer's speakers, unless the test chooses the sound output.
        setenv("ALSOFT_DRIVERS", "null", 1);
        for (const std::string& entry : environment) {
            auto eq = entry.find('=');
            std::string name = entry.substr(0, eq);
            std::string value = eq == std::string::npos ? "" : entry.substr(eq + 1);
            if (value.empty()) {
                unsetenv(name.c_str());
            } else {
                setenv(name.c_str(), value.c_str(), 1);
            }
        }
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
}

GameProcess::~GameProcess() {
    if (pid_ > 0 && !exitCode_) {
        kill(pid_, SIGKILL);
        int status;
        waitpid(pid_, &status, 0);
    }
}

std::string GameProcess::output() const {
    std::ifstream in(outputFile_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool GameProcess::waitForOutput(const std::string& text, std::chrono::milliseconds timeout) const {
    auto end = std::chrono::steady_clock::now() + timeout;
    do {
        if (output().find(text) != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

unsigned long GameProcess::waitForWindow(std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    do {
        if (waitForExit(0ms)) {
            return 0; // it ended before showing a window
        }
        std::string ids = runCommand("xdotool search --onlyvisible --pid " + std::to_string(pid_) +
                                     " --name '^Kelvaro19' 2>/dev/null");
        if (!ids.empty()) {
            window_ = std::stoul(ids.substr(0, ids.find('\n')));
            return window_;
        }
        std::this_thread::sleep_for(100ms);
    } while (std::chrono::steady_clock::now() < end);
    return 0;
}

std::string GameProcess::windowTitle() const {
    return runCommand("xdotool getwindowname " + std::to_string(window_) + " 2>/dev/null");
}

bool GameProcess::waitForTitle(const std::string& prefix, std::chrono::milliseconds timeout) const {
    auto end = std::chrono::steady_clock::now() + timeout;
    do {
        if (windowTitle().rfind(prefix, 0) == 0) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

void GameProcess::keyDown(const std::string& key) const {
    runCommand("xdotool windowfocus --sync " + std::to_string(window_) + " keydown " + key);
}

void GameProcess::keyUp(const std::string& key) const {
    runCommand("xdotool keyup " + key);
}

void GameProcess::tapKey(const std::string& key) const {
    runCommand("xdotool windowfocus --sync " + std::to_string(window_) + " key " + key);
}

void GameProcess::holdKey(const std::string& key, std::chrono::milliseconds hold) const {
    keyDown(key);
    std::this_thread::sleep_for(hold);
    keyUp(key);
}

void GameProcess::requestClose() const {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window_;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window_, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
}

bool GameProcess::screenshot(const fs::path& file) const {
    std::error_code ignored;
    fs::remove(file, ignored);
    runCommand("import -window " + std::to_string(window_) + " '" + file.string() +
               "' 2>/dev/null");
    return fs::exists(file);
}

bool GameProcess::waitForPicture(const fs::path& file,
                                 const std::function<bool(const fs::path&)>& shows,
                                 std::chrono::milliseconds timeout) const {
    auto end = std::chrono::steady_clock::now() + timeout;
    do {
        if (screenshot(file) && shows(file)) {
            return true;
        }
        std::this_thread::sleep_for(100ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

std::optional<int> GameProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (exitCode_) {
        return exitCode_;
    }
    auto end = std::chrono::steady_clock::now() + timeout;
    do {
        int status;
        pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return exitCode_;
        }
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < end);
    return std::nullopt;
}
