#include "game/menu/Screens.h"

#include "game/OverlayText.h"
#include "game/Score.h"

#include <algorithm>
#include <cctype>

bool ScreenStack::has(Screen screen) const {
    return std::any_of(stack_.begin(), stack_.end(),
                       [screen](const Open& open) { return open.screen == screen; });
}

void ScreenStack::open(Screen screen, std::size_t cursor) {
    stack_.push_back({screen, cursor});
}

void ScreenStack::back() {
    if (!stack_.empty()) {
        stack_.pop_back();
    }
}

void ScreenStack::setCursor(std::size_t cursor) {
    if (!stack_.empty()) {
        stack_.back().cursor = cursor;
    }
}

std::vector<std::string> trackCells(const TrackSummary& track) {
    std::vector<std::string> cells{
        track.name, track.difficulty > 0 ? "difficulty " + std::to_string(track.difficulty)
                                         : std::string("your level")};
    if (track.bestSeconds) {
        cells.push_back("best " + formatClock(*track.bestSeconds) + " " + MIDDLE_DOT + " " +
                        std::to_string(track.bestPoints) + " points");
    } else if (!track.outcome.empty()) {
        cells.push_back(track.outcome);
    } else {
        cells.push_back("not flown yet");
    }
    return cells;
}

namespace {

std::string joined(const std::vector<std::string>& cells) {
    std::string line;
    for (const std::string& cell : cells) {
        line += (line.empty() ? "" : std::string("   ") + MIDDLE_DOT + "   ") + cell;
    }
    return line;
}

MenuRow item(const char* text) {
    return {{text}, false};
}

} // namespace

MenuPage startPage(const TrackSummary& track) {
    MenuPage page;
    page.heading = GAME_NAME;
    page.headingScale = 1.6f;
    page.lead = {joined(trackCells(track))};
    page.rows = {item("Fly"), item("Tracks"), item("Settings"), item("Controls"), item("Quit")};
    page.keys = START_KEYS;
    return page;
}

MenuPage pausePage(const TrackSummary& track, double clock) {
    MenuPage page;
    page.heading = "Paused";
    page.lead = {track.name + "   " + MIDDLE_DOT + "   " + formatClock(clock)};
    page.rows = {item("Resume"),   item("Fly again"), item("Tracks"),
                 item("Settings"), item("Controls"),  item("Quit")};
    page.keys = "Up/Down choose \xC2\xB7 Enter select \xC2\xB7 Esc resume";
    return page;
}

MenuPage tracksPage(const std::vector<TrackSummary>& tracks, const std::vector<std::string>& broken,
                    std::size_t cursor) {
    MenuPage page;
    page.heading = "Choosing a track";
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const bool greyed = i < broken.size() && !broken[i].empty();
        MenuRow row{trackCells(tracks[i]), greyed};
        if (greyed) {
            row.cells.back() = "cannot be loaded";
        }
        page.rows.push_back(std::move(row));
    }
    if (cursor < broken.size()) {
        page.note = broken[cursor];
    }
    page.keys = TRACKS_KEYS;
    return page;
}

MenuPage controlsPage(const KeyBindings& bindings, const KeyNamer& namer) {
    MenuPage page;
    page.heading = "Controls";
    for (const ActionInfo& info : actionTable()) {
        page.rows.push_back({{info.name, bindings.label(info.action, namer),
                              *info.padButton ? std::string("pad: ") + info.padButton : ""}});
    }
    page.keys = "Up/Down scroll \xC2\xB7 keys change in Settings \xC2\xB7 Esc back";
    return page;
}

const char* screenTitle(Screen screen) {
    switch (screen) {
    case Screen::Start:
        return "Start";
    case Screen::Pause:
        return "Game paused";
    case Screen::Tracks:
        return "Choosing a track";
    case Screen::Settings:
        return "Settings";
    case Screen::Controls:
        return "Controls";
    }
    return "";
}
