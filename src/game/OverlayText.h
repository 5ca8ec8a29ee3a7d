#pragma once

#include "game/Hud.h"

#include <glm/vec3.hpp>

#include <string>

// Lines of overlay text drawn at once (menus, end screens). The game's font
// has ASCII glyphs only; a middle dot "·" (UTF-8) is drawn as a full stop
// raised to the middle of the lowercase letters.

// The pen's advance over `text` at `scale`.
float overlayLineWidth(const std::string& text, float scale);
// A line centred on the window's width with its baseline at `y`, shrunk
// where it would not fit.
TextPlacement centredLine(const std::string& text, float width, float y, float scale);
void drawOverlayLine(const std::string& text, const TextPlacement& at, const glm::vec3& color);

inline constexpr const char* MIDDLE_DOT = "\xC2\xB7";
