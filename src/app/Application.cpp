#include "app/Application.h"

#include "core/AppState.h"
#include "core/CameraDefaults.h"
#include "core/CommandLine.h"
#include "core/Config.h"
#include "core/FrameSize.h"
#include "core/Log.h"
#include "core/LoopScheduler.h"
#include "core/SoftwarePreset.h"
#include "game/Game.h"
#include "game/Input.h"
#include "physics/PhysicsContext.h"
#include "sound/GameSounds.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

GLFWwindow* window = nullptr;

namespace {

// The software preset's level of detail, for the session's switches.
std::optional<int32_t> startDetailLevel;

// The largest frame the driver draws (GL_MAX_VIEWPORT_DIMS).
FrameSize driverLimit;

// A still picture (paused, a menu) is drawn again when something may have
// changed it, and otherwise only this often, for the title's figure and
// the few things that time out (the word about the sound).
constexpr double STILL_FRAME_INTERVAL = 0.5;

// Set by the window's callbacks: something a still picture must show.
bool windowChanged = true;
// Whether the window was on screen at the last look.
bool wasShown = true;

void onFramebufferSize(GLFWwindow*, int, int) {
    windowChanged = true;
}

void onRefresh(GLFWwindow*) {
    windowChanged = true;
}

void onIconify(GLFWwindow*, int iconified) {
    if (iconified) {
        pauseForWindow();
    }
    windowChanged = true;
}

// A window system can take the keyboard away and give it back within one
// look at the events (as a resize does here): only a loss that lasts pauses.
bool focusChanged = false;

void onFocus(GLFWwindow*, int) {
    focusChanged = true;
    windowChanged = true;
}

void pauseIfUnfocused() {
    if (focusChanged) {
        focusChanged = false;
        if (config().pauseOnFocusLoss && !glfwGetWindowAttrib(window, GLFW_FOCUSED)) {
            pauseForWindow();
        }
    }
}

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
    // Full screen takes the monitor's own mode unless the file asks for a size.
    GLFWmonitor* monitor = cfg.fullscreenMode ? glfwGetPrimaryMonitor() : nullptr;
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    int width = int(cfg.windowWidth);
    int height = int(cfg.windowHeight);
    if (mode && !cfg.keysSet.contains("WINDOW_WIDTH") && !cfg.keysSet.contains("WINDOW_HEIGHT")) {
        width = mode->width;
        height = mode->height;
        glfwWindowHint(GLFW_REFRESH_RATE, mode->refreshRate);
    }
    window = glfwCreateWindow(width, height, "Kelvaro19", monitor, nullptr);
    if (!window) {
        failStartUp("Failed to open window.");
    }
    glfwMakeContextCurrent(window);
    // With the display's refresh the frame also waits for it; the frame cap
    // paces the loop either way.
    glfwSwapInterval(cfg.vsync ? 1 : 0);
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
    // A window resized beyond what the driver draws would take the driver
    // down with it: the window system is asked to keep it within, and a
    // resize that ignores the request is undone (see drawableFrame).
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    driverLimit = {uint32_t(std::max(0, std::min(viewport[0], maxFrameSize))),
                   uint32_t(std::max(0, std::min(viewport[1], maxFrameSize)))};
    glfwSetWindowSizeLimits(window, int(MIN_WINDOW_SIZE.width), int(MIN_WINDOW_SIZE.height),
                            driverLimit.width > 0 ? int(driverLimit.width) : GLFW_DONT_CARE,
                            driverLimit.height > 0 ? int(driverLimit.height) : GLFW_DONT_CARE);
    glfwSetFramebufferSizeCallback(window, onFramebufferSize);
    glfwSetWindowRefreshCallback(window, onRefresh);
    glfwSetWindowIconifyCallback(window, onIconify);
    glfwSetWindowFocusCallback(window, onFocus);
}

// The framebuffer to draw into, or an empty size when nothing is drawn:
// minimised, unmapped, or beyond the driver's limit while it is shrunk.
// A window that leaves the screen pauses the flight as minimising does.
FrameSize drawableFrame() {
    const bool shown =
        !glfwGetWindowAttrib(window, GLFW_ICONIFIED) && glfwGetWindowAttrib(window, GLFW_VISIBLE);
    if (!shown && wasShown) {
        pauseForWindow();
    }
    wasShown = shown;
    if (!shown) {
        return {};
    }
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    const FrameSize size{uint32_t(std::max(0, width)), uint32_t(std::max(0, height))};
    const FrameSize held = withinLimit(size, driverLimit);
    if (!(held == size)) {
        glfwSetWindowSize(window, int(held.width), int(held.height));
        return {};
    }
    return size;
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
    if (!glfwGetWindowMonitor(window) && (decision.config.windowWidth != cfg.windowWidth ||
                                          decision.config.windowHeight != cfg.windowHeight)) {
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
}

// Draws a frame into the window as it is now, unless there is nothing to
// draw into; false then.
bool drawWindow() {
    const FrameSize frame = drawableFrame();
    if (frame.empty()) {
        return false;
    }
    drawFrame(frame.width, frame.height);
    return true;
}

void mainLoop(const FrameWatcher& watcher) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    if (glfwWindowShouldClose(window)) {
        return;
    }
    // The first picture is on screen before the title says the game runs,
    // and the clock starts with the first step after it.
    drawWindow();
    LoopScheduler scheduler(config().maxFps, glfwGetTime());
    // A still picture waiting to be drawn again, and when it last was.
    bool stillDue = true;
    double stillDrawn = glfwGetTime();
    for (;;) {
        double dt = scheduler.beginPass(glfwGetTime());
        const bool wasWaiting = waitingForPlayer();
        const int keys = handleInput(dt);
        pauseIfUnfocused();
        if (keys > 0 || windowChanged) {
            stillDue = true;
            windowChanged = false;
        }
        scheduler.runSteps(flying, runFixedStep);
        const bool waiting = waitingForPlayer();
        stillDue = stillDue || waiting != wasWaiting;
        double now = glfwGetTime();
        // Moving scenes are drawn at the cap; a still one when it changed.
        const bool wanted = !waiting || stillDue || now - stillDrawn >= STILL_FRAME_INTERVAL;
        if (const auto fps = wanted ? scheduler.frameDue() : std::nullopt) {
            updateWindowTitle(*fps);
            if (drawWindow()) {
                stillDue = false;
                stillDrawn = glfwGetTime();
            }
            if (watcher && !watcher(glfwGetTime())) {
                glfwSetWindowShouldClose(window, GLFW_TRUE);
            }
        }
        if (glfwWindowShouldClose(window)) {
            break;
        }
        // Sleeps until the next step or frame is due; a still picture waits
        // for the player, or its next look at the clock.
        now = glfwGetTime();
        double wait = scheduler.untilDue(now, flying());
        if (waitingForPlayer() && !stillDue) {
            wait = std::max(wait, STILL_FRAME_INTERVAL - (now - stillDrawn));
        }
        if (wait > 0.0) {
            glfwWaitEventsTimeout(wait);
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
