#include "FuzzSupport.h"

#include "world/WorldLoader.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Scratch {
    fs::path path;
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "kelvaro-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            path = pattern;
        } else {
            path = fs::temp_directory_path();
        }
    }
    ~Scratch() {
        std::error_code ignored;
        if (path != fs::temp_directory_path()) {
            fs::remove_all(path, ignored);
        }
    }
};

} // namespace

const fs::path& scratchFolder() {
    static Scratch scratch;
    return scratch.path;
}

void writeBytes(const fs::path& file, const uint8_t* data, std::size_t size) {
    std::error_code ignored;
    fs::create_directories(file.parent_path(), ignored);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

bool openHiddenContext() {
    static const bool opened = [] {
        if (!glfwInit()) {
            std::fprintf(stderr, "fuzz: no display for the OpenGL context\n");
            return false;
        }
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        // Lives until the process ends, like the game's own window.
        GLFWwindow* window = glfwCreateWindow(64, 64, "kelvaro-fuzz", nullptr, nullptr);
        if (!window) {
            std::fprintf(stderr, "fuzz: cannot open a hidden OpenGL 3.3 window\n");
            return false;
        }
        glfwMakeContextCurrent(window);
        glewExperimental = GL_TRUE;
        return glewInit() == GLEW_OK;
    }();
    return opened;
}

void silenceConsole() {
    std::fflush(stdout);
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
        dup2(null, STDOUT_FILENO);
        close(null);
    }
}

void readLevelBytes(const char* fileName, const uint8_t* data, std::size_t size) {
    const auto file = scratchFolder() / fileName;
    writeBytes(file, data, size);
    WorldLoader loader;
    LevelResult result = loader.readFile(file.string(), {.times = nullptr, .upload = false});
    if (!result.world && result.error.empty()) {
        std::abort();
    }
}
