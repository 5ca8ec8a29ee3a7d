#include "game/Game.h"

#include "core/AppState.h"
#include "core/Config.h"
#include "core/FrameSize.h"
#include "core/Log.h"
#include "core/SettingsFile.h"
#include "core/UserFolders.h"
#include "game/CollisionLinesNote.h"
#include "game/FullScreen.h"
#include "game/GameRules.h"
#include "game/GameSession.h"
#include "game/Hud.h"
#include "game/Input.h"
#include "game/OverlayText.h"
#include "game/RingGuide.h"
#include "game/Score.h"
#include "game/SoundNotice.h"
#include "physics/PhysicsContext.h"
#include "render/CollisionLineRenderer.h"
#include "render/FrameRenderer.h"
#include "render/RenderStartUp.h"
#include "render/Text.h"
#include "sound/GameSounds.h"
#include "world/Camera.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include <glm/gtc/quaternion.hpp>

namespace {

// Light gold: it stands out from the overlay's grey and stays bright.
constexpr glm::vec3 NEW_BEST_COLOR{1.0f, 0.9f, 0.75f};

// Lives from startGame to endGame.
std::unique_ptr<GameSession> current;

// Left-button presses over the window since the last pass, where they were.
std::vector<glm::dvec2> clicks;

void onMenuMouseButton(GLFWwindow* w, int button, int action, int mods) {
    if (button == GLFW_MOUSE_BUTTON_LEFT && action == GLFW_PRESS && clicks.size() < 16) {
        double x = 0.0, y = 0.0;
        glfwGetCursorPos(w, &x, &y);
        clicks.push_back({x, y});
    }
    // The free camera's mouse look.
    onMouseButton(w, button, action, mods);
}

bool isEnd(GameState state) {
    return state == GameState::Finished || state == GameState::GameOver;
}

static_assert(COLLISION_LINES_KEY == GLFW_KEY_F4);

// The window's framebuffer as last drawn, and the render scale drawn at.
FrameSize drawnFrame;
float drawnScale = 0.0f;

// Everything sized to the window follows a new size before the frame: the
// viewport, the glow's buffers, the text's projection and the overlay.
void followFrameSize(FrameSize frame) {
    const float scale = renderScaleFor(config(), frame);
    if (frame == drawnFrame && scale == drawnScale) {
        return;
    }
    drawnFrame = frame;
    drawnScale = scale;
    setFrameSize(frame, sceneSize(frame, scale));
    Hud::instance().setWindowSize(float(frame.width), float(frame.height));
}

} // namespace

GameSession::GameSession(const std::string& levelFolder, const std::string& commandLineLevel)
    : tracks_(levelFolder, commandLineLevel) {
    brightness_ = config().brightness;
    // The player's kept switches; the software preset may lower the detail after.
    toggles_.bloomEnabled = config().glow;
    toggles_.normalMapping = config().normalMaps;
    toggles_.detailLevel = config().levelOfDetail;
    toggles_.hudVisible = true;
    saved_ = config();
    savedBindings_ = keyBindings();
    bests_ = std::make_unique<BestsStore>(userDataDir() / BESTS_FILE_NAME);
}

GameSession::~GameSession() {
    setMouseLookCamera(nullptr);
    PhysicsContext::instance().setCallback(nullptr);
}

bool GameSession::begin(bool flyAtOnce) {
    // The first track is the one the game starts with: without it there is
    // nothing to play.
    if (tracks_.size() == 0 || !flyTrack(0)) {
        return false;
    }
    if (!flyAtOnce) {
        run_->state = GameState::Starting;
        screens_.open(Screen::Start);
    }
    return true;
}

// A new run on track `index` of the shelf, flying at once. The track is
// built (or taken out of the shelf) first; only then is the old run dropped.
// A track that cannot be loaded is greyed with the loader's words, and the
// old run stays as it was, paused.
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
    noteOutcome();
    run_.reset();
    current_ = index;
    run_ = std::make_unique<Run>(*world, tracks_.startOf(index));
    PhysicsContext::instance().setCallback(std::make_unique<GameRules>(world));
    screens_.closeAll();
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
    // The time to the step, for a player comparing flights on the console.
    logMessage(LogLevel::INFO,
               std::string(run.state == GameState::Finished ? "Track finished" : "Game over") +
                   " after " + formatClock(run.clock()) + " (" + std::to_string(run.steps()) +
                   " steps of 1/144 s), " + std::to_string(run.world().collectedTrash) + " cans, " +
                   std::to_string(run.finalPoints) + " points.");
    if (run.state == GameState::GameOver) {
        outcomes_[track.path] = "crashed at ring " + std::to_string(run.ringProgress().next);
    }
    if (run.state == GameState::Finished && bests_ && !track.hash.empty()) {
        run.newBest =
            bests_
                ->record(track.hash, std::filesystem::path(track.path).filename().string(),
                         run.clock(), run.finalPoints)
                .any();
    }
}

void GameSession::noteOutcome() {
    if (run_ && !ended() && run_->clock() > 0.0) {
        outcomes_[tracks_.at(current_).path] = "not finished";
    }
}

TrackSummary GameSession::summary(std::size_t index) const {
    const TrackShelf::Track& track = tracks_.at(index);
    TrackSummary summary{track.entry.name, track.entry.difficulty, std::nullopt, 0, {}};
    // A track not loaded yet is looked up by its file as it is now.
    const std::string hash =
        track.hash.empty() && !track.broken ? tracks_.fileHash(index) : track.hash;
    if (const Best* best = bests_ && !hash.empty() ? bests_->find(hash) : nullptr) {
        summary.bestSeconds = best->seconds;
        summary.bestPoints = best->points;
    }
    if (auto outcome = outcomes_.find(track.path); outcome != outcomes_.end()) {
        summary.outcome = outcome->second;
    }
    return summary;
}

GameState GameSession::state() const {
    return run_ ? run_->state : GameState::Starting;
}

bool GameSession::waitingForPlayer() const {
    // The start screen circles the ship: it moves.
    if (!run_ || run_->state == GameState::Starting) {
        return false;
    }
    return !screens_.empty() || run_->state == GameState::Paused || isEnd(run_->state);
}

void GameSession::pauseForWindow() {
    if (!run_ || run_->state != GameState::Running) {
        return;
    }
    run_->state = GameState::Paused;
    // Coming back shows the pause menu; the flight goes on when the player asks.
    if (screens_.empty()) {
        screens_.open(Screen::Pause);
    }
    // A minimised window draws no frame to pass the pause to the sounds.
    updateGameSounds(run_->world().camera, run_->ship(), run_->state, glfwGetTime());
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

void GameSession::fly() {
    screens_.closeAll();
    if (run_ && (run_->state == GameState::Starting || run_->state == GameState::Paused)) {
        run_->state = GameState::Running;
    }
}

void GameSession::readSettings() {
    config().muted = soundMuted();
    config().levelOfDetail = toggles_.detailLevel;
    config().glow = toggles_.bloomEnabled;
    config().normalMaps = toggles_.normalMapping;
    // F11 and Alt+Enter switch full screen outside the settings.
    config().fullscreenMode = isFullScreen(window);
    settings_ = playerSettings(config());
}

void GameSession::applySettings() {
    applyPlayerSettings(settings_, config());
    const Config& c = config();
    setSoundVolumes(c.soundVolume, c.musicVolume);
    setSoundMuted(c.muted);
    toggles_.detailLevel = c.levelOfDetail;
    toggles_.bloomEnabled = c.glow;
    toggles_.normalMapping = c.normalMaps;
    if (isFullScreen(window) != c.fullscreenMode) {
        toggleFullScreen(window);
    }
    saveSettings();
}

// Only what changed since the last save is written, so that keys the
// player never touched keep following the shipped file.
void GameSession::saveSettings() {
    if (savePlayerSettings(saved_, savedBindings_)) {
        saved_ = config();
        savedBindings_ = keyBindings();
    }
}

void GameSession::openScreen(Screen screen) {
    if (screen == Screen::Settings) {
        readSettings();
    }
    if (screen == Screen::Tracks) {
        tracks_.addListedTracks();
        screens_.open(screen, current_);
        return;
    }
    screens_.open(screen);
}

void GameSession::back() {
    const Screen top = screens_.top();
    if (top == Screen::Start) {
        // Esc on the start screen lists the tracks.
        openScreen(Screen::Tracks);
        return;
    }
    screens_.back();
    if (top == Screen::Pause) {
        fly();
    }
}

std::size_t GameSession::rowCount() const {
    switch (screens_.top()) {
    case Screen::Start:
        return START_ITEMS;
    case Screen::Pause:
        return PAUSE_ITEMS;
    case Screen::Tracks:
        return tracks_.size();
    case Screen::Settings:
        return SETTING_ITEMS + actionTable().size();
    case Screen::Controls:
        return page().rows.size();
    }
    return 0;
}

void GameSession::choose(std::size_t row) {
    switch (screens_.top()) {
    case Screen::Start:
        switch (StartItem(row)) {
        case StartItem::Fly:
            fly();
            break;
        case StartItem::Tracks:
            openScreen(Screen::Tracks);
            break;
        case StartItem::Settings:
            openScreen(Screen::Settings);
            break;
        case StartItem::Controls:
            openScreen(Screen::Controls);
            break;
        case StartItem::Quit:
            quit_ = true;
            break;
        }
        break;
    case Screen::Pause:
        switch (PauseItem(row)) {
        case PauseItem::Resume:
            fly();
            break;
        case PauseItem::FlyAgain:
            flyTrack(current_);
            break;
        case PauseItem::Tracks:
            openScreen(Screen::Tracks);
            break;
        case PauseItem::Settings:
            openScreen(Screen::Settings);
            break;
        case PauseItem::Controls:
            openScreen(Screen::Controls);
            break;
        case PauseItem::Quit:
            quit_ = true;
            break;
        }
        break;
    case Screen::Tracks:
        if (row < tracks_.size()) {
            flyTrack(row);
        }
        break;
    case Screen::Settings:
        if (row >= SETTING_ITEMS) {
            rebinding_ = bindingAction(row);
            note_ = "Press the new key for " + std::string(actionInfo(*rebinding_).name) +
                    " (Esc: keep it)";
        } else if (changeSetting(settings_, SettingItem(row), +1)) {
            applySettings();
        }
        break;
    case Screen::Controls:
        break;
    }
    soundClick();
}

void GameSession::menuKey(Action action) {
    const std::size_t count = rowCount();
    note_.clear();
    switch (action) {
    case Action::MenuUp:
        screens_.setCursor(menuUp(screens_.cursor(), count));
        break;
    case Action::MenuDown:
        screens_.setCursor(menuDown(screens_.cursor(), count));
        break;
    case Action::Choose:
        choose(screens_.cursor());
        break;
    case Action::MenuLeft:
    case Action::MenuRight:
        if (screens_.top() == Screen::Settings && screens_.cursor() < SETTING_ITEMS &&
            changeSetting(settings_, SettingItem(screens_.cursor()),
                          action == Action::MenuLeft ? -1 : +1)) {
            applySettings();
            soundClick();
        }
        break;
    case Action::Back:
        back();
        break;
    case Action::Pause:
        if (screens_.top() == Screen::Pause) {
            fly();
        }
        break;
    case Action::Controls:
        if (screens_.top() != Screen::Controls) {
            openScreen(Screen::Controls);
        }
        break;
    default:
        break;
    }
}

// The key after "Press the new key": bound, or refused with a word.
void GameSession::rebind(int key) {
    const Action action = *rebinding_;
    rebinding_.reset();
    if (key == GLFW_KEY_ESCAPE) {
        note_.clear();
        return;
    }
    note_ = keyBindings().rebind(action, 0, key);
    if (note_.empty()) {
        saveSettings();
    }
}

void GameSession::pointerAt(double x, double y) {
    if (x == pointerX_ && y == pointerY_) {
        return;
    }
    pointerX_ = x;
    pointerY_ = y;
    if (screens_.empty()) {
        return;
    }
    const float h = lastHeight_;
    if (auto row = menuRowAt(lastLayout_, float(x), h - float(y)); row && *row < rowCount()) {
        screens_.setCursor(*row);
    }
}

void GameSession::clicked(double x, double y) {
    if (screens_.empty()) {
        return;
    }
    const float h = lastHeight_;
    if (auto row = menuRowAt(lastLayout_, float(x), h - float(y)); row && *row < rowCount()) {
        screens_.setCursor(*row);
        choose(*row);
    }
}

void GameSession::keyPressed(int key) {
    if (!run_) {
        return;
    }
    judge();
    if (rebinding_) {
        rebind(key);
        return;
    }
    const std::optional<Action> action = actionForKey(key);
    if (!action) {
        return;
    }
    GameState& state = run_->state;
    RenderToggles& t = toggles_;
    // The switches act on every screen.
    switch (*action) {
    case Action::Wireframe:
        t.wireframe = !t.wireframe;
        return;
    case Action::Glow:
        t.bloomEnabled = !t.bloomEnabled;
        return;
    case Action::NormalMaps:
        t.normalMapping = !t.normalMapping;
        return;
    case Action::Overlay:
        t.hudVisible = !t.hudVisible;
        return;
    case Action::FullScreen:
        toggleFullScreen(window);
        return;
    case Action::CollisionLines:
        t.collisionLines = !t.collisionLines;
        if (!t.collisionLines) {
            releaseCollisionLines();
        }
        return;
    case Action::Mute:
        toggleSoundMute(glfwGetTime());
        return;
    case Action::LevelOfDetail:
        t.detailLevel = (t.detailLevel + 1) % 4;
        return;
    default:
        break;
    }
    if (!screens_.empty()) {
        menuKey(*action);
        return;
    }
    switch (*action) {
    case Action::FreeCamera: {
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
    case Action::Pause:
    case Action::Back:
    case Action::Controls:
        if (state == GameState::Running || state == GameState::Paused) {
            state = GameState::Paused;
            screens_.open(Screen::Pause);
            if (*action == Action::Controls) {
                openScreen(Screen::Controls);
            }
            soundClick();
        } else if (isEnd(state) && *action == Action::Back) {
            openScreen(Screen::Tracks);
        } else if (isEnd(state) && *action == Action::Controls) {
            openScreen(Screen::Controls);
        }
        break;
    case Action::FlyAgain:
        if (state != GameState::Debugging) {
            flyTrack(current_);
        }
        break;
    case Action::NextTrack:
        if (isEnd(state)) {
            flyNextTrack();
        }
        break;
    default:
        break;
    }
}

std::string GameSession::title(int32_t fps) const {
    const char* what = screens_.empty() ? gameStateTitle(state()) : screenTitle(screens_.top());
    return std::string("Kelvaro19: ") + what + " @" + std::to_string(fps) + "FPS";
}

MenuPage GameSession::page() const {
    switch (screens_.top()) {
    case Screen::Start:
        return startPage(summary(current_));
    case Screen::Pause:
        return pausePage(summary(current_), run_ ? run_->clock() : 0.0);
    case Screen::Tracks: {
        std::vector<TrackSummary> list;
        std::vector<std::string> broken;
        for (std::size_t i = 0; i < tracks_.size(); ++i) {
            list.push_back(summary(i));
            const TrackShelf::Track& track = tracks_.at(i);
            broken.push_back(track.broken ? (track.problem.empty() ? "This track cannot be loaded."
                                                                   : track.problem)
                                          : "");
        }
        return tracksPage(list, broken, screens_.cursor());
    }
    case Screen::Settings: {
        MenuPage page = settingsPage(settings_, keyBindings(), glfwKeyNamer);
        page.note = note_;
        return page;
    }
    case Screen::Controls:
        return controlsPage(keyBindings(), glfwKeyNamer);
    }
    MenuPage page;
    page.heading = screenTitle(screens_.top());
    page.keys = MENU_KEYS;
    return page;
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
    const bool menu = !screens_.empty();
    // The end screens and the menus lie over the dimmed scene.
    const float brightness = ended || menu ? endScreenBrightness(brightness_) : brightness_;
    // The vertical field of view stays; the picture widens with the window.
    world.camera.aspect = w / h;
    if (freeCamera_) {
        freeCamera_->aspect = w / h;
    }

    const Camera* camera = &world.camera;
    if (state == GameState::Debugging && freeCamera_) {
        camera = freeCamera_.get();
    } else if (state == GameState::Starting && run.ship()) {
        // Slowly round the ship as it waits at the start, a turn a minute.
        const GameObject& ship = *run.ship();
        const glm::quat r = ship.getRotation();
        const float angle = float(glfwGetTime() * 2.0 * 3.14159265 / 60.0);
        const glm::vec3 up = r * glm::vec3(0.0f, 1.0f, 0.0f);
        const glm::vec3 around = glm::angleAxis(angle, up) * (r * glm::vec3(0.0f, 0.0f, -14.0f));
        startCamera_.fovY = world.camera.fovY;
        startCamera_.aspect = world.camera.aspect;
        startCamera_.farPlane = world.camera.farPlane;
        startCamera_.position = ship.getPosition() + around + 4.0f * up;
        startCamera_.rotation =
            glm::quatLookAt(glm::normalize(ship.getPosition() - startCamera_.position), up);
        camera = &startCamera_;
    }
    if (t.wireframe) {
        world.renderWireframe(*camera, t.bloomEnabled, t.normalMapping, t.detailLevel, brightness);
    } else {
        world.render(*camera, t.bloomEnabled, t.normalMapping, t.detailLevel, brightness);
    }
    if (t.collisionLines) {
        drawCollisionLinesNote(drawCollisionLines(*camera), w, h);
    }
    updateGameSounds(*camera, run.ship(), state, glfwGetTime());
    const TrackShelf::Track& track = tracks_.at(current_);
    const Best* best = bests_ && !track.hash.empty() ? bests_->find(track.hash) : nullptr;
    if (t.hudVisible && state != GameState::Starting) {
        Hud& hud = Hud::instance();
        hud.setTotal(uint32_t(world.remainingTrash + world.collectedTrash));
        hud.setCollected(uint32_t(world.collectedTrash));
        hud.setTime(run.clock());
        hud.setBest(best ? std::optional<double>(best->seconds) : std::nullopt);
        hud.draw();
        if (!ended && !menu && state != GameState::Debugging && world.currentRing >= 0 &&
            world.currentRing < int32_t(world.objects.size())) {
            const GameObject& ring = *std::next(world.objects.begin(), world.currentRing);
            drawRingGuide(ringGuide(world.camera, ring.getPosition(), w, h), w, h);
        }
        if (!ended && !menu) {
            drawOverlayExtras(w, h);
        }
    }
    drawSoundNotice(glfwGetTime(), w, h);
    if (const std::string notice = bests_ ? bests_->noticeAt(glfwGetTime()) : ""; !notice.empty()) {
        drawOverlayLine(notice, centredLine(notice, w, 40.0f * h / 1080.0f, 0.45f * h / 1080.0f),
                        NEW_BEST_COLOR);
    }
    if (menu) {
        lastLayout_ = drawMenuPage(page(), screens_.cursor(), w, h);
        lastHeight_ = h;
    } else if (ended) {
        drawEndScreen(w, h);
    }
}

// The ring counter at the top, and the frame rate when asked for.
void GameSession::drawOverlayExtras(float w, float h) {
    const float unit = h / 1080.0f;
    const Run::RingProgress rings = run_->ringProgress();
    if (rings.total > 0) {
        const std::string text =
            "Ring " + std::to_string(rings.next) + " of " + std::to_string(rings.total);
        drawOverlayLine(text, centredLine(text, w, h - 70.0f * unit, 0.55f * unit), HUD_COLOR);
    }
    if (config().showFps) {
        const std::string text = std::to_string(fps_) + " FPS";
        const float scale = 0.45f * unit;
        drawOverlayLine(text,
                        {w - overlayLineWidth(text, scale) - 30.0f * unit, h - 60.0f * unit, scale},
                        HUD_COLOR);
    }
}

// The end screens stand in the upper half of the window, clear of the ship
// below the middle.
void GameSession::drawEndScreen(float w, float h) {
    judge();
    const Run& run = *run_;
    const GameState state = run.state;
    const float unit = h / 1080.0f;
    const float lift = 0.2f * h;
    const char* message = state == GameState::Finished ? "TRACK FINISHED" : "GAME OVER";
    auto drawPlaced = [lift](const std::string& text, TextPlacement at) {
        drawText(text, at.x, at.y + lift, at.scale, HUD_COLOR);
    };
    drawPlaced(message, endMessagePlacement(startupGlyphs(), message, w, h));
    const Run::RingProgress rings = run.ringProgress();
    if (state == GameState::Finished) {
        std::string points = "Points: " + std::to_string(run.finalPoints);
        drawPlaced(points, pointsPlacement(startupGlyphs(), points, w, h));
        if (run.newBest) {
            drawOverlayLine(
                "New best",
                centredLine("New best", w, 0.5f * h + lift - 150.0f * unit, 0.65f * unit),
                NEW_BEST_COLOR);
        }
    } else if (rings.total > 0) {
        const std::string far = "Crashed on the way to ring " + std::to_string(rings.next) +
                                " of " + std::to_string(rings.total);
        drawOverlayLine(far, centredLine(far, w, 0.5f * h + lift - 90.0f * unit, 0.6f * unit),
                        HUD_COLOR);
    }
    drawOverlayLine(END_HINT,
                    centredLine(END_HINT, w, 0.5f * h + lift - 230.0f * unit, 0.5f * unit),
                    HUD_COLOR);
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
}

void GameSession::leaveFreeCamera() {
    if (freeCamera_) {
        setMouseLookCamera(nullptr);
        freeCamera_.reset();
    }
}

void startGame(const std::string& levelFile) {
    startGameSounds();
    current = std::make_unique<GameSession>(WorldLoader().baseDirectory(), levelFile);
    // A level named on the command line flies at once: a designer's loop
    // stays one command.
    if (!current->begin(!levelFile.empty())) {
        // Gone before exit, while the physics it lets go of is still there:
        // at exit that would already be destroyed.
        current.reset();
        std::exit(EXIT_FAILURE);
    }
    KeyPresses::listen(window, &current->keys());
    glfwSetMouseButtonCallback(window, onMenuMouseButton);

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
    glfwSetMouseButtonCallback(window, nullptr);
    clicks.clear();
    current.reset();
}

GameState currentGameState() {
    return current ? current->state() : GameState::Starting;
}

bool flying() {
    return current && current->flying();
}

bool waitingForPlayer() {
    return current && current->waitingForPlayer();
}

void pauseForWindow() {
    if (current) {
        current->pauseForWindow();
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

int takeInput(const KeyHeld& held, double dt) {
    if (!current) {
        return 0;
    }
    const std::vector<int> keys = current->keys().take();
    for (int key : keys) {
        current->keyPressed(key);
    }
    double x = 0.0, y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    current->pointerAt(x, y);
    for (const glm::dvec2& at : std::exchange(clicks, {})) {
        current->clicked(at.x, at.y);
    }
    current->readHeldKeys(held, dt);
    if (current->quitChosen()) {
        glfwSetWindowShouldClose(window, GLFW_TRUE);
    }
    return int(keys.size());
}

std::string windowTitle(int32_t fps) {
    return current ? current->title(fps)
                   : std::string("Kelvaro19: ") + gameStateTitle(GameState::Starting) + " @" +
                         std::to_string(fps) + "FPS";
}

void updateWindowTitle(int32_t fps) {
    if (current) {
        current->setFrameRate(fps);
    }
    glfwSetWindowTitle(window, windowTitle(fps).c_str());
}

void drawFrame(uint32_t width, uint32_t height) {
    followFrameSize({width, height});
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (current) {
        current->draw(float(width), float(height));
    }
    glfwSwapBuffers(window);
}
