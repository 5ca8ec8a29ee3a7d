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
#include <filesystem>

namespace {

// Light gold: it stands out from the overlay's grey and stays bright.
constexpr glm::vec3 NEW_BEST_COLOR{1.0f, 0.9f, 0.75f};

// Lives from startGame to endGame.
std::unique_ptr<GameSession> current;

bool isEnd(GameState state) {
    return state == GameState::Finished || state == GameState::GameOver;
}

} // namespace

GameSession::GameSession(const std::string& levelFolder, const std::string& commandLineLevel)
    : tracks_(levelFolder, commandLineLevel) {
    brightness_ = config().brightness;
    bests_ = std::make_unique<BestsStore>(userDataDir() / BESTS_FILE_NAME);
}

GameSession::~GameSession() {
    setMouseLookCamera(nullptr);
    PhysicsContext::instance().setCallback(nullptr);
}

bool GameSession::begin() {
    // The first track is the one the game starts with: without it there is
    // nothing to play.
    return tracks_.size() > 0 && flyTrack(0);
}

// A new run on track `index` of the shelf. The track is built (or taken out
// of the shelf) first; only then is the old run dropped. A track that cannot
// be loaded is greyed with the loader's words, and the old run stays as it
// was, paused.
bool GameSession::flyTrack(std::size_t index) {
    if (tracks_.at(index).broken) {
        return false;
    }
    const std::optional<std::size_t> previous = tracks_.active();
    World* world = tracks_.activate(index);
    if (!world) {
        if (previous && run_) {
            // Its bodies went out of the physics for the attempt: back in.
            tracks_.activate(*previous);
            if (run_->state == GameState::Running) {
                run_->state = GameState::Paused;
            }
        }
        return false;
    }
    judge();
    run_.reset();
    current_ = index;
    run_ = std::make_unique<Run>(*world, tracks_.startOf(index));
    PhysicsContext::instance().setCallback(std::make_unique<GameRules>(world));
    menu_.close();
    soundNewRun();
    return true;
}

// The next track of the list after the current one that can be flown, or
// the current one again when no other can.
void GameSession::flyNextTrack() {
    tracks_.addListedTracks();
    const std::size_t from = current_;
    for (std::size_t step = 1; step < tracks_.size(); ++step) {
        if (flyTrack((from + step) % tracks_.size())) {
            return;
        }
    }
    flyTrack(from);
}

bool GameSession::ended() const {
    return run_ && isEnd(run_->state);
}

// Once per run at its end: the points, and a finished flight against the bests.
void GameSession::judge() {
    if (!ended() || run_->judged) {
        return;
    }
    Run& run = *run_;
    run.judged = true;
    run.finalPoints = run.points();
    const TrackShelf::Track& track = tracks_.at(current_);
    if (run.state == GameState::Finished && bests_ && !track.hash.empty()) {
        run.newBest =
            bests_
                ->record(track.hash, std::filesystem::path(track.path).filename().string(),
                         run.clock(), run.finalPoints)
                .any();
    }
}

std::vector<TrackMenu::Line> GameSession::menuLines() const {
    std::vector<TrackMenu::Line> lines;
    for (std::size_t i = 0; i < tracks_.size(); ++i) {
        const TrackShelf::Track& track = tracks_.at(i);
        // A track not loaded yet is looked up by its file as it is now.
        const std::string hash =
            track.hash.empty() && !track.broken ? tracks_.fileHash(i) : track.hash;
        const Best* best = bests_ && !hash.empty() ? bests_->find(hash) : nullptr;
        lines.push_back({trackLineText(track.entry.name, track.entry.difficulty,
                                       best ? &best->seconds : nullptr, best ? best->points : 0),
                         track.broken});
    }
    return lines;
}

GameState GameSession::state() const {
    return run_ ? run_->state : GameState::Starting;
}

void GameSession::addFlyingTime(double seconds) {
    if (run_) {
        run_->fly(seconds);
    }
}

void GameSession::fixedStep() {
    if (!run_) {
        return;
    }
    run_->step();
    // The rules may have ended the run in this step: it is judged now, not
    // when the next frame is drawn, so that a key before that frame (R, N,
    // a track) cannot drop it unjudged.
    judge();
}

void GameSession::readHeldKeys(const KeyHeld& held, double dt) {
    if (!run_) {
        return;
    }
    if (run_->state == GameState::Running) {
        readShipKeys(held, run_->control);
    } else if (run_->state == GameState::Debugging && freeCamera_) {
        FreeCameraMove move = readFreeCameraKeys(held, dt);
        moveForward(*freeCamera_, move.forward);
        moveRight(*freeCamera_, move.right);
    }
}

void GameSession::keyPressed(int key) {
    if (!run_) {
        return;
    }
    judge();
    GameState& state = run_->state;
    RenderToggles& t = toggles_;
    const std::size_t count = tracks_.size();
    if (menu_.isOpen()) {
        switch (key) {
        case GLFW_KEY_UP:
        case GLFW_KEY_W:
            menu_.moveUp(count);
            return;
        case GLFW_KEY_DOWN:
        case GLFW_KEY_S:
            menu_.moveDown(count);
            return;
        case GLFW_KEY_ENTER:
        case GLFW_KEY_KP_ENTER:
            flyTrack(menu_.cursor());
            return;
        case GLFW_KEY_ESCAPE:
            menu_.close();
            return;
        case GLFW_KEY_P:
            // As Esc, then P: the list closes and the flight resumes.
            menu_.close();
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
            enterFreeCamera();
        } else if (before == GameState::Debugging) {
            leaveFreeCamera();
        }
        break;
    }
    case GLFW_KEY_P:
        state = stateAfterP(state);
        soundClick();
        break;
    case GLFW_KEY_R:
        if (state != GameState::Debugging) {
            flyTrack(current_);
        }
        break;
    case GLFW_KEY_N:
        if (isEnd(state)) {
            flyNextTrack();
        }
        break;
    case GLFW_KEY_ESCAPE:
        if (state == GameState::Debugging) {
            break;
        }
        if (state == GameState::Running) {
            state = GameState::Paused;
        }
        tracks_.addListedTracks();
        menu_.open(current_);
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

std::string GameSession::title(int32_t fps) const {
    const char* what = menu_.isOpen() ? CHOOSING_TITLE : gameStateTitle(state());
    return std::string("Kelvaro19: ") + what + " @" + std::to_string(fps) + "FPS";
}

void GameSession::draw(float w, float h) {
    if (!run_) {
        return;
    }
    Run& run = *run_;
    World& world = run.world();
    const RenderToggles& t = toggles_;
    const GameState state = run.state;
    const bool ended = isEnd(state);
    // The end screens and the track list lie over the dimmed scene.
    const float brightness =
        ended || menu_.isOpen() ? endScreenBrightness(brightness_) : brightness_;

    const Camera& camera = (state == GameState::Debugging && freeCamera_)
                               ? static_cast<const Camera&>(*freeCamera_)
                               : static_cast<const Camera&>(world.camera);
    if (t.wireframe) {
        world.renderWireframe(camera, t.bloomEnabled, t.normalMapping, t.detailLevel, brightness);
    } else {
        world.render(camera, t.bloomEnabled, t.normalMapping, t.detailLevel, brightness);
    }
    if (t.collisionLines) {
        drawCollisionLinesNote(drawCollisionLines(camera));
    }
    updateGameSounds(camera, run.ship(), state, glfwGetTime());
    const TrackShelf::Track& track = tracks_.at(current_);
    const Best* best = bests_ && !track.hash.empty() ? bests_->find(track.hash) : nullptr;
    if (t.hudVisible) {
        Hud& hud = Hud::instance();
        hud.setTotal(uint32_t(world.remainingTrash + world.collectedTrash));
        hud.setCollected(uint32_t(world.collectedTrash));
        hud.setTime(run.clock());
        hud.setBest(best ? std::optional<double>(best->seconds) : std::nullopt);
        hud.draw();
        if (!ended && !menu_.isOpen() && state != GameState::Debugging && world.currentRing >= 0 &&
            world.currentRing < int32_t(world.objects.size())) {
            const GameObject& ring = *std::next(world.objects.begin(), world.currentRing);
            drawRingGuide(ringGuide(world.camera, ring.getPosition(), w, h), w, h);
        }
    }
    drawSoundNotice(glfwGetTime());
    if (const std::string notice = bests_ ? bests_->noticeAt(glfwGetTime()) : "";
        !notice.empty()) {
        drawOverlayLine(notice, centredLine(notice, w, 40.0f * h / 1080.0f, 0.45f * h / 1080.0f),
                        NEW_BEST_COLOR);
    }
    if (menu_.isOpen()) {
        menu_.draw(menuLines(), w, h);
    } else if (ended) {
        judge();
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
}

void GameSession::enterFreeCamera() {
    const Camera& view = run_->world().camera;
    if (!freeCamera_) {
        freeCamera_ = std::make_unique<FreeCamera>(view.getPosition(), view.getRotation());
        freeCamera_->fovY = view.fovY;
        freeCamera_->aspect = view.aspect;
        freeCamera_->nearPlane = 0.1f;
        freeCamera_->farPlane = view.farPlane;
    }
    setMouseLookCamera(freeCamera_.get());
    glfwSetMouseButtonCallback(window, onMouseButton);
}

void GameSession::leaveFreeCamera() {
    if (freeCamera_) {
        glfwSetMouseButtonCallback(window, nullptr);
        setMouseLookCamera(nullptr);
        freeCamera_.reset();
    }
}

void startGame(const std::string& levelFile) {
    startGameSounds();
    current = std::make_unique<GameSession>(WorldLoader().baseDirectory(), levelFile);
    if (!current->begin()) {
        std::exit(EXIT_FAILURE);
    }
    KeyPresses::listen(window, &current->keys());

    // The programs live until exit.
    buildStartUpPrograms();
}

void setStartDetailLevel(int32_t level) {
    if (current) {
        current->setDetailLevel(level);
    }
}

void endGame() {
    if (!current) {
        return;
    }
    KeyPresses::listen(window, nullptr);
    current.reset();
}

GameState currentGameState() {
    return current ? current->state() : GameState::Starting;
}

bool flying() {
    return current && current->flying();
}

void onFlyingTime(double seconds) {
    if (current) {
        current->addFlyingTime(seconds);
    }
}

void runFixedStep() {
    if (current) {
        current->fixedStep();
    }
}

void onKeyPress(int key) {
    if (current) {
        current->keyPressed(key);
    }
}

void takeInput(const KeyHeld& held, double dt) {
    if (!current) {
        return;
    }
    for (int key : current->keys().take()) {
        current->keyPressed(key);
    }
    current->readHeldKeys(held, dt);
}

std::string windowTitle(int32_t fps) {
    return current ? current->title(fps)
                   : std::string("Kelvaro19: ") + gameStateTitle(GameState::Starting) + " @" +
                         std::to_string(fps) + "FPS";
}

void updateWindowTitle(int32_t fps) {
    glfwSetWindowTitle(window, windowTitle(fps).c_str());
}

void drawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (current) {
        current->draw(float(config().windowWidth), float(config().windowHeight));
    }
    glfwSwapBuffers(window);
}
