#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The list of tracks the player chooses from, over the dimmed scene.
class TrackMenu {
public:
    // One line of the list as shown.
    struct Line {
        std::string text;
        // A track that cannot be loaded: shown, never flown.
        bool greyed = false;
    };

    bool isOpen() const { return open_; }
    // Opens the list with the cursor on `current`.
    void open(std::size_t current);
    void close() { open_ = false; }
    // Up and down; the cursor wraps round at either end.
    void moveUp(std::size_t count);
    void moveDown(std::size_t count);
    std::size_t cursor() const { return cursor_; }

    // The list, a heading and its key line, scaled to the window like the
    // rest of the overlay; the cursor's line stands out.
    void draw(const std::vector<Line>& lines, float width, float height) const;

private:
    bool open_ = false;
    std::size_t cursor_ = 0;
};

// A track's line: "<name>   difficulty <n>   best <clock> · <points> points", or
// "... not flown yet" without a best. Difficulty 0 (a level given on the
// command line) reads "your level".
std::string trackLineText(const std::string& name, int difficulty, const double* bestSeconds,
                          int bestPoints);

inline constexpr const char* MENU_HEADING = "Choosing a track";
inline constexpr const char* MENU_KEYS = "Up/Down choose \xC2\xB7 Enter fly \xC2\xB7 Esc back";
