#include "app/Application.h"

#include "core/AppState.h"
#include "core/CameraDefaults.h"
#include "core/CommandLine.h"
#include "core/Config.h"
#include "core/Log.h"
#include "core/LoopScheduler.h"
#include "core/SoftwarePreset.h"
#include "game/Game.h"
#include "game/Input.h"
#include "physics/PhysicsContext.h"
#include "sound/GameSounds.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

GLFWwindow* window = nullptr;

namespace {

// The software preset's level of detail, for the session's switches.
std::optional<int32_t> startDetailLevel;

// GLFW's own description of its last failure: "cannot open the display"
// and "the display has no GLX" both end in the same start-up line otherwise.
std::string lastGlfwError;

void rememberGlfwError(int, const char* description) {
    lastGlfwError = description ? description : "";
}

[[noreturn]] void failStartUp(const char* message) {
    logMessage(LogLevel::ERROR, message);
    if (!lastGlfwError.empty()) {
        logMessage(LogLevel::ERROR, "GLFW says: " + lastGlfwError);
    }
    std::exit(1);
}

void openWindow() {
    const Config& cfg = config();
    glfwSetErrorCallback(rememberGlfwError);
    if (!glfwInit()) {
        failStartUp("Failed to initialize GLFW.");
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_REFRESH_RATE, int(cfg.maxFps));
    window = glfwCreateWindow(int(cfg.windowWidth), int(cfg.windowHeight), "Kelvaro19",
                              cfg.fullscreenMode ? glfwGetPrimaryMonitor() : nullptr, nullptr);
    if (!window) {
        failStartUp("Failed to open window.");
    }
    glfwMakeContextCurrent(window);
    // The frame cap is the only pacing.
    glfwSwapInterval(0);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        failStartUp("Failed to initialize GLEW.");
    }
    // A window larger than the driver can draw into would only say
    // "Framebuffer incomplete!" later; name the key instead and shrink it.
    GLint maxFrameSize = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxFrameSize);
    if (maxFrameSize > 0 && fitWindowToDriver(config(), maxFrameSize, configPath())) {
        glfwSetWindowSize(window, int(config().windowWidth), int(config().windowHeight));
        cameraDefaults.aspectRatio = config().aspectRatio;
    }
}

// Once the context exists the renderer is known: a software rasteriser gets
// lighter settings for every display key the INI file leaves unset.
void applySoftwarePreset() {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    PresetDecision decision =
        decideDisplaySettings(renderer ? renderer : "", config(), settingsFileToEdit());
    if (decision.message.empty()) {
        return;
    }
    Config& cfg = config();
    if (decision.config.windowWidth != cfg.windowWidth ||
        decision.config.windowHeight != cfg.windowHeight) {
        glfwSetWindowSize(window, int(decision.config.windowWidth),
                          int(decision.config.windowHeight));
    }
    // The preset keeps the default's aspect, which the camera defaults hold.
    cfg = decision.config;
    if (decision.detailLevel) {
        startDetailLevel = *decision.detailLevel;
    }
    logMessage(LogLevel::INFO, decision.message);
}

void setGlobalGlState() {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Window resizes are not tracked: the viewport is set once.
    glViewport(0, 0, GLsizei(config().windowWidth), GLsizei(config().windowHeight));
}

void mainLoop(const FrameWatcher& watcher) {
    LoopScheduler scheduler(config().maxFps, glfwGetTime());
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    if (glfwWindowShouldClose(window)) {
        return;
    }
    for (;;) {
        double dt = scheduler.beginPass(glfwGetTime());
        // A stalled pass is not simulated, so it does not count as flight.
        if (flying()) {
            onFlyingTime(scheduler.flyingTime());
        }
        handleInput(dt);
        scheduler.runSteps(flying, runFixedStep);
        if (auto fps = scheduler.frameDue()) {
            updateWindowTitle(*fps);
            drawFrame();
            if (watcher && !watcher(glfwGetTime())) {
                glfwSetWindowShouldClose(window, GLFW_TRUE);
            }
        }
        if (glfwWindowShouldClose(window)) {
            break;
        }
    }
}

} // namespace

int runApplication(const std::string& levelFile, const FrameWatcher& watcher) {
    // The first use of the configuration reads the INI file and logs it, so
    // its lines come first, as they did when this happened before main.
    cameraDefaults = cameraDefaultsFrom(config());
    logMessage(LogLevel::INFO, "Initializing...");
    std::error_code cwdError;
    logMessage(LogLevel::DEBUG,
               "Current directory is " + std::filesystem::current_path(cwdError).string());
    PhysicsContext::instance();
    // A level that cannot even be opened is said before a window appears.
    if (!levelFile.empty()) {
        if (auto problem = levelPathProblem(levelFile)) {
            failStartUp(problem->c_str());
        }
    }

    openWindow();
    applySoftwarePreset();
    setGlobalGlState();
    startGame(levelFile);
    if (startDetailLevel) {
        setStartDetailLevel(*startDetailLevel);
    }

    mainLoop(watcher);
    stopGameSounds();

    logMessage(LogLevel::INFO, "Terminating...");
    endGame();
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
