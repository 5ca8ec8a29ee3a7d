#include "game/Game.h"

#include "core/AppState.h"
#include "core/Config.h"
#include "core/Log.h"
#include "core/LoopScheduler.h"
#include "game/GameRules.h"
#include "game/GameSession.h"
#include "game/GameState.h"
#include "game/Hud.h"
#include "game/Input.h"
#include "game/Score.h"
#include "game/SoundNotice.h"
#include "physics/PhysicsContext.h"
#include "render/Camera.h"
#include "render/CollisionLineRenderer.h"

#include "render/RenderStartUp.h"
#include "render/Text.h"
#include "sound/GameSounds.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdlib>
#include <optional>

World* world = nullptr;
GameObject* ship = nullptr;
ShipControl shipControl;
RenderToggles renderToggles;
std::unique_ptr<FreeCamera> freeCamera;

namespace {

constexpr const char* WORLD_NAME = "sub2demo_debug.dae";
constexpr const char* SHIP_NAME = "spaceshipNew.obj";

// Whether the end-of-game dimming has happened (once per run).
bool endDimmed = false;
// "Points: " + the score, built on the first Finished frame.
std::optional<std::string> pointsText;

void dimOnce() {
    if (!endDimmed) {
        config().brightness = endScreenBrightness(config().brightness);
        endDimmed = true;
    }
}

// The level to play: the shipped one from the level cache, or a file given on
// the command line. Either lives until exit.
World& loadLevel(const std::string& levelFile) {
    static WorldLoader worldLoader;
    if (levelFile.empty()) {
        return worldLoader.get(WORLD_NAME);
    }
    static std::optional<World> chosen;
    LevelResult level = worldLoader.readFile(levelFile);
    if (!level.world) {
        logMessage(LogLevel::ERROR, level.error);
        std::exit(EXIT_FAILURE);
    }
    for (const LevelFinding& finding : level.findings) {
        logMessage(finding.severity == LevelFinding::Severity::Error ? LogLevel::ERROR
                                                                     : LogLevel::INFO,
                   "Level " + levelFile + ": " + finding.node + ": " + finding.problem + "; " +
                       finding.remedy);
    }
    chosen = std::move(*level.world);
    return *chosen;
}

} // namespace

void startGame(const std::string& levelFile) {
    startGameSounds();
    PhysicsContext::instance().setCallback(std::make_unique<GameRules>(
        nullptr, [](int32_t collected) { Hud::instance().setCollected(uint32_t(collected)); }));

    world = &loadLevel(levelFile);
    world->gameStatePtr = &gameState;

    for (GameObject& object : world->objects) {
        if (object.name == SHIP_NAME) {
            ship = &object;
            break;
        }
    }
    shipControl = ShipControl{ship, 0.0f, 0.0f, 0.0f};

    // The programs live until exit.

    buildStartUpPrograms();

    Hud::instance().setTotal(uint32_t(world->remainingTrash));
    Hud::instance().setCollected(uint32_t(world->collectedTrash));
}

void onRunningTime(double seconds) {
    Hud::instance().setTime(seconds);
}

void runFixedStep() {
    applyShipControl(PHYSICS_STEP);
    if (world) {
        world->processRemovals();
    }
    PhysicsContext::instance().simulateStep();
    if (world) {
        world->syncFromPhysics();
    }
}

std::string windowTitle(int32_t fps) {
    return std::string("Kelvaro19: ") + gameStateTitle(gameState) + " @" + std::to_string(fps) +
           "FPS";
}

void updateWindowTitle(int32_t fps) {
    glfwSetWindowTitle(window, windowTitle(fps).c_str());
}

void drawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (world) {
        const Camera& camera = (gameState == GameState::Debugging && freeCamera)
                                   ? static_cast<const Camera&>(*freeCamera)
                                   : static_cast<const Camera&>(world->camera);
        if (renderToggles.wireframe) {
            world->renderWireframe(camera, renderToggles.bloomEnabled, renderToggles.normalMapping,
                                   renderToggles.detailLevel);
        } else {
            world->render(camera, renderToggles.bloomEnabled, renderToggles.normalMapping,
                          renderToggles.detailLevel);
        }
        if (renderToggles.collisionLines) {
            drawCollisionLines(camera);
        }
        updateGameSounds(camera, ship, gameState, glfwGetTime());
    }
    if (renderToggles.hudVisible) {
        Hud::instance().draw();
    }
    drawSoundNotice(glfwGetTime());
    const float w = float(config().windowWidth);
    const float h = float(config().windowHeight);
    auto drawPlaced = [](const std::string& text, const TextPlacement& at) {
        drawText(text, at.x, at.y, at.scale, HUD_COLOR);
    };
    if (gameState == GameState::GameOver) {
        dimOnce();
        drawPlaced("GAME OVER", endMessagePlacement(startupGlyphs(), "GAME OVER", w, h));
    }
    if (gameState == GameState::Finished) {
        dimOnce();
        drawPlaced("TRACK FINISHED", endMessagePlacement(startupGlyphs(), "TRACK FINISHED", w, h));
        if (!pointsText) {
            pointsText = "Points: " + std::to_string(score());
        }
        drawPlaced(*pointsText, pointsPlacement(startupGlyphs(), *pointsText, w, h));
    }
    glfwSwapBuffers(window);
}
