#pragma once

#include "core/Config.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Display settings for a machine that draws without a graphics card. A
// software rasteriser (Mesa's llvmpipe or softpipe, SwiftShader, Apple's
// "Software Rasterizer") turns the full-size frame into a slideshow, so every
// display key the INI file leaves unset gets a lighter value there. A key the
// file sets always wins; on a graphics card nothing changes.
struct SoftwarePreset {
    uint32_t windowWidth = 800;
    uint32_t windowHeight = 450;
    uint32_t blurIterations = 6;
    // The asteroids' starting level of detail (F6 still cycles it), unless
    // the INI sets every key above. Each asteroid draws no finer than its
    // size on screen needs, so the finest level costs the frame no more than
    // level 1 once did, and the preset keeps it.
    int32_t detailLevel = 3;
};

// What the preset does to one configuration.
struct PresetDecision {
    // The configuration to run with.
    Config config;
    // The software rasteriser's name as found in the renderer string, or
    // empty on a graphics card.
    std::string softwareRenderer;
    // The asteroids' starting level of detail, when the preset chooses it.
    std::optional<int32_t> detailLevel;
    // The one console line that says what was chosen and how to choose
    // otherwise; empty when nothing was changed.
    std::string message;
};

// The software rasteriser named in a GL_RENDERER string, or nothing.
std::optional<std::string> softwareRendererName(std::string_view renderer);

// Decides the settings from the renderer string and the configuration read
// from `iniPath` (whose `keysSet` tells which keys the file gave). A window
// side the file leaves unset follows the preset's shape (WINDOW_WIDTH = 1600
// alone gives 1600x900), and the message names the size in use.
PresetDecision decideDisplaySettings(std::string_view renderer, const Config& cfg,
                                     const std::string& iniPath,
                                     const SoftwarePreset& preset = SoftwarePreset{});
