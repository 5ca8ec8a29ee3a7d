#include "game/Game.h"

#include "core/AppState.h"
#include "core/Config.h"
#include "core/Log.h"
#include "core/UserFolders.h"
#include "game/CollisionLinesNote.h"
#include "game/GameRules.h"
#include "game/GameSession.h"
#include "game/Hud.h"
#include "game/Input.h"
#include "game/OverlayText.h"
#include "game/RingGuide.h"
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

namespace {

// Light gold: it stands out from the overlay's grey and stays bright.
constexpr glm::vec3 NEW_BEST_COLOR{1.0f, 0.9f, 0.75f};

// Lives from startGame to endGame.
std::unique_ptr<GameSession> current;

// A new run on track `index` of the shelf: the old run is dropped first, the
// track built or taken out of the shelf, put back at its start and flown.
// False (nothing changed but the track greyed) when it cannot be loaded.
bool flyTrack(GameSession& s, std::size_t index) {
    if (s.tracks.at(index).broken) {
        return false;
    }
    const std::size_t previous = s.current;
    s.run.reset();
    World* world = s.tracks.activate(index);
    if (!world) {
        // The last track is still there to fly.
        if (World* last = s.tracks.activate(previous)) {
            s.run = std::make_unique<Run>(*last, s.tracks.startOf(previous));
            PhysicsContext::instance().setCallback(std::make_unique<GameRules>(last));
        }
        return false;
    }
    s.current = index;
    s.run = std::make_unique<Run>(*world, s.tracks.startOf(index));
    PhysicsContext::instance().setCallback(std::make_unique<GameRules>(world));
    s.menu.close();
    soundNewRun();
    return true;
}

// The next track of the list after the current one that can be flown, or
// the current one again when no other can.
void flyNextTrack(GameSession& s) {
    s.tracks.addListedTracks();
    const std::size_t from = s.current;
    for (std::size_t step = 1; step < s.tracks.size(); ++step) {
        if (flyTrack(s, (from + step) % s.tracks.size())) {
            return;
        }
    }
    flyTrack(s, from);
}

// Once per run at its end: the points, and a finished flight against the bests.
void judge(GameSession& s) {
    Run& run = *s.run;
    if (run.judged) {
        return;
    }
    run.judged = true;
    run.finalPoints = run.points();
    const TrackShelf::Track& track = s.tracks.at(s.current);
    if (run.state == GameState::Finished && s.bests && !track.hash.empty()) {
        run.newBest =
            s.bests
                ->record(track.hash, std::filesystem::path(track.path).filename().string(),
                         run.clock(), run.finalPoints)
                .any();
    }
}

std::vector<TrackMenu::Line> menuLines(const GameSession& s) {
    std::vector<TrackMenu::Line> lines;
    for (std::size_t i = 0; i < s.tracks.size(); ++i) {
        const TrackShelf::Track& track = s.tracks.at(i);
        // A track not loaded yet is looked up by its file as it is now.
        const std::string hash =
            track.hash.empty() && !track.broken ? s.tracks.fileHash(i) : track.hash;
        const Best* best = s.bests && !hash.empty() ? s.bests->find(hash) : nullptr;
        lines.push_back({trackLineText(track.entry.name, track.entry.difficulty,
                                       best ? &best->seconds : nullptr, best ? best->points : 0),
                         track.broken});
    }
    return lines;
}

void enterFreeCamera(GameSession& s);
void leaveFreeCamera(GameSession& s);

} // namespace

GameSession* gameSession() {
    return current.get();
}

void startGame(const std::string& levelFile) {
    startGameSounds();
    current = std::make_unique<GameSession>(WorldLoader().baseDirectory(), levelFile);
    GameSession& s = *current;
    s.brightness = config().brightness;
    s.bests = std::make_unique<BestsStore>(userDataDir() / BESTS_FILE_NAME);
    // The first track is the one the game starts with: without it there is
    // nothing to play.
    if (s.tracks.size() == 0 || !flyTrack(s, 0)) {
        std::exit(EXIT_FAILURE);
    }
    KeyPresses::listen(window, &s.keys);

    // The programs live until exit.
    buildStartUpPrograms();
}

void endGame() {
    if (!current) {
        return;
    }
    KeyPresses::listen(window, nullptr);
    setMouseLookCamera(nullptr);
    PhysicsContext::instance().setCallback(nullptr);
    current.reset();
}

GameState currentGameState() {
    return current && current->run ? current->run->state : GameState::Starting;
}

bool flying() {
    return currentGameState() == GameState::Running;
}

void onFlyingTime(double seconds) {
    if (current && current->run) {
        current->run->fly(seconds);
    }
}

void runFixedStep() {
    if (current && current->run) {
        current->run->step();
    }
}

void onKeyPress(int key) {
    if (!current || !current->run) {
        return;
    }
    GameSession& s = *current;
    GameState& state = s.run->state;
    RenderToggles& t = s.toggles;
    const std::size_t count = s.tracks.size();
    if (s.menu.isOpen()) {
        switch (key) {
        case GLFW_KEY_UP:
        case GLFW_KEY_W:
            s.menu.moveUp(count);
            return;
        case GLFW_KEY_DOWN:
        case GLFW_KEY_S:
            s.menu.moveDown(count);
            return;
        case GLFW_KEY_ENTER:
        case GLFW_KEY_KP_ENTER:
            flyTrack(s, s.menu.cursor());
            return;
        case GLFW_KEY_ESCAPE:
            s.menu.close();
            return;
        case GLFW_KEY_P:
            // As Esc, then P: the list closes and the flight resumes.
            s.menu.close();
            break;
        case GLFW_KEY_F9:
            return;
        default:
            break;
        }
    }
    switch (key) {
    case GLFW_KEY_F9: {
        const GameState before = state;
        state = stateAfterF9(state);
        soundClick();
        if (state == GameState::Debugging && before != GameState::Debugging) {
            enterFreeCamera(s);
        } else if (before == GameState::Debugging) {
            leaveFreeCamera(s);
        }
        break;
    }
    case GLFW_KEY_P:
        state = stateAfterP(state);
        soundClick();
        break;
    case GLFW_KEY_R:
        if (state != GameState::Debugging) {
            flyTrack(s, s.current);
        }
        break;
    case GLFW_KEY_N:
        if (state == GameState::Finished || state == GameState::GameOver) {
            flyNextTrack(s);
        }
        break;
    case GLFW_KEY_ESCAPE:
        if (state == GameState::Debugging) {
            break;
        }
        if (state == GameState::Running) {
            state = GameState::Paused;
        }
        s.tracks.addListedTracks();
        s.menu.open(s.current);
        break;
    case GLFW_KEY_F10:
        t.wireframe = !t.wireframe;
        break;
    case GLFW_KEY_F5:
        t.bloomEnabled = !t.bloomEnabled;
        break;
    case GLFW_KEY_F7:
        t.normalMapping = !t.normalMapping;
        break;
    case GLFW_KEY_F8:
        t.hudVisible = !t.hudVisible;
        break;
    case GLFW_KEY_F11:
        t.collisionLines = !t.collisionLines;
        if (!t.collisionLines) {
            releaseCollisionLines();
        }
        break;
    case GLFW_KEY_M:
        toggleSoundMute(glfwGetTime());
        break;
    case GLFW_KEY_F6:
        t.detailLevel = (t.detailLevel + 1) % 4;
        break;
    default:
        break;
    }
}

std::string windowTitle(int32_t fps) {
    const char* what =
        current && current->menu.isOpen() ? CHOOSING_TITLE : gameStateTitle(currentGameState());
    return std::string("Kelvaro19: ") + what + " @" + std::to_string(fps) + "FPS";
}

void updateWindowTitle(int32_t fps) {
    glfwSetWindowTitle(window, windowTitle(fps).c_str());
}

void drawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!current || !current->run) {
        glfwSwapBuffers(window);
        return;
    }
    GameSession& s = *current;
    Run& run = *s.run;
    World& world = run.world();
    const RenderToggles& t = s.toggles;
    const GameState state = run.state;
    const bool ended = state == GameState::Finished || state == GameState::GameOver;
    // The end screens and the track list lie over the dimmed scene.
    config().brightness =
        ended || s.menu.isOpen() ? endScreenBrightness(s.brightness) : s.brightness;

    const Camera& camera = (state == GameState::Debugging && s.freeCamera)
                               ? static_cast<const Camera&>(*s.freeCamera)
                               : static_cast<const Camera&>(world.camera);
    if (t.wireframe) {
        world.renderWireframe(camera, t.bloomEnabled, t.normalMapping, t.detailLevel);
    } else {
        world.render(camera, t.bloomEnabled, t.normalMapping, t.detailLevel);
    }
    if (t.collisionLines) {
        drawCollisionLinesNote(drawCollisionLines(camera));
    }
    updateGameSounds(camera, run.ship(), state, glfwGetTime());
    const float w = float(config().windowWidth);
    const float h = float(config().windowHeight);
    const TrackShelf::Track& track = s.tracks.at(s.current);
    const Best* best = s.bests && !track.hash.empty() ? s.bests->find(track.hash) : nullptr;
    if (t.hudVisible) {
        Hud& hud = Hud::instance();
        hud.setTotal(uint32_t(world.remainingTrash + world.collectedTrash));
        hud.setCollected(uint32_t(world.collectedTrash));
        hud.setTime(run.clock());
        hud.setBest(best ? std::optional<double>(best->seconds) : std::nullopt);
        hud.draw();
        if (!ended && !s.menu.isOpen() && state != GameState::Debugging && world.currentRing >= 0 &&
            world.currentRing < int32_t(world.objects.size())) {
            const GameObject& ring = *std::next(world.objects.begin(), world.currentRing);
            drawRingGuide(ringGuide(world.camera, ring.getPosition(), w, h), w, h);
        }
    }
    drawSoundNotice(glfwGetTime());
    if (const std::string notice = s.bests ? s.bests->noticeAt(glfwGetTime()) : "";
        !notice.empty()) {
        drawOverlayLine(notice, centredLine(notice, w, 40.0f * h / 1080.0f, 0.45f * h / 1080.0f),
                        NEW_BEST_COLOR);
    }
    if (s.menu.isOpen()) {
        s.menu.draw(menuLines(s), w, h);
    } else if (ended) {
        judge(s);
        const char* message = state == GameState::Finished ? "TRACK FINISHED" : "GAME OVER";
        auto drawPlaced = [](const std::string& text, const TextPlacement& at) {
            drawText(text, at.x, at.y, at.scale, HUD_COLOR);
        };
        drawPlaced(message, endMessagePlacement(startupGlyphs(), message, w, h));
        const float unit = h / 1080.0f;
        if (state == GameState::Finished) {
            std::string points = "Points: " + std::to_string(run.finalPoints);
            drawPlaced(points, pointsPlacement(startupGlyphs(), points, w, h));
            if (run.newBest) {
                drawOverlayLine("New best",
                                centredLine("New best", w, 0.5f * h - 150.0f * unit, 0.65f * unit),
                                NEW_BEST_COLOR);
            }
        }
        drawOverlayLine(END_HINT, centredLine(END_HINT, w, 0.5f * h - 230.0f * unit, 0.5f * unit),
                        HUD_COLOR);
    }
    glfwSwapBuffers(window);
}

namespace {

void enterFreeCamera(GameSession& s) {
    const Camera& view = s.run->world().camera;
    if (!s.freeCamera) {
        s.freeCamera = std::make_unique<FreeCamera>(view.getPosition(), view.getRotation());
        s.freeCamera->fovY = view.fovY;
        s.freeCamera->aspect = view.aspect;
        s.freeCamera->nearPlane = 0.1f;
        s.freeCamera->farPlane = view.farPlane;
    }
    setMouseLookCamera(s.freeCamera.get());
    glfwSetMouseButtonCallback(window, onMouseButton);
}

void leaveFreeCamera(GameSession& s) {
    if (s.freeCamera) {
        glfwSetMouseButtonCallback(window, nullptr);
        setMouseLookCamera(nullptr);
        s.freeCamera.reset();
    }
}

} // namespace
