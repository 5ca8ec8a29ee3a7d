#include "core/SoftwarePreset.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cmath>

std::optional<std::string> softwareRendererName(std::string_view renderer) {
    std::string lower(renderer);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    static const std::array<std::string_view, 4> NAMES = {"llvmpipe", "softpipe", "swiftshader",
                                                          "software rasterizer"};
    for (std::string_view name : NAMES) {
        size_t at = lower.find(name);
        if (at != std::string::npos) {
            // As the driver spells it.
            return std::string(renderer.substr(at, name.size()));
        }
    }
    return std::nullopt;
}

PresetDecision decideDisplaySettings(std::string_view renderer, const Config& cfg,
                                     const std::string& iniPath, const SoftwarePreset& preset) {
    PresetDecision decision{cfg, {}, std::nullopt, {}};
    std::optional<std::string> name = softwareRendererName(renderer);
    if (!name) {
        return decision;
    }
    decision.softwareRenderer = *name;
    auto isSet = [&cfg](const char* key) { return cfg.keysSet.count(key) > 0; };
    Config& out = decision.config;
    const bool widthSet = isSet("WINDOW_WIDTH");
    const bool heightSet = isSet("WINDOW_HEIGHT");
    // A side the file leaves unset follows the preset's shape: the default
    // would be a full-size side (800x1080 from WINDOW_WIDTH = 800 alone).
    auto follow = [](uint32_t side, uint32_t to, uint32_t from) {
        const double other = std::round(double(side) * double(to) / double(from));
        return uint32_t(std::clamp(other, 1.0, double(INT_MAX)));
    };
    std::string size;
    if (!widthSet && !heightSet) {
        out.windowWidth = preset.windowWidth;
        out.windowHeight = preset.windowHeight;
    } else if (!heightSet) {
        out.windowHeight = follow(out.windowWidth, preset.windowHeight, preset.windowWidth);
        size = " (WINDOW_HEIGHT to the preset's shape)";
    } else if (!widthSet) {
        out.windowWidth = follow(out.windowHeight, preset.windowWidth, preset.windowHeight);
        size = " (WINDOW_WIDTH to the preset's shape)";
    } else {
        size = " as set";
    }
    out.aspectRatio = float(out.windowWidth) / float(out.windowHeight);
    // The size in use is always named; it is a choice only with a side unset.
    const std::string windowSize =
        std::to_string(out.windowWidth) + "x" + std::to_string(out.windowHeight) + size;
    std::string chosen = widthSet && heightSet ? "" : windowSize;
    if (!isSet("BLUR_ITERATIONS")) {
        out.blurIterations = preset.blurIterations;
        chosen +=
            (chosen.empty() ? "" : ", ") + std::to_string(out.blurIterations) + " glow passes";
    }
    // The preset starts the level of detail lower unless the file chose it,
    // or chose the whole frame (size and glow) itself.
    if (!chosen.empty()) {
        if (widthSet && heightSet) {
            chosen = windowSize + ", " + chosen;
        }
        if (!isSet("LEVEL_OF_DETAIL")) {
            decision.detailLevel = preset.detailLevel;
            chosen +=
                ", level of detail " + std::to_string(preset.detailLevel) + " (F6 changes it)";
        }
    }
    // A larger window, or full screen, would cost the rasteriser its every
    // pixel: the picture keeps the preset window's pixels and is scaled up.
    if (!isSet("RENDER_SCALE")) {
        out.scenePixels = preset.windowWidth * preset.windowHeight;
        out.presetScenePixels = out.scenePixels;
        chosen += std::string(chosen.empty() ? "" : ", ") + "the 3D picture drawn at about " +
                  std::to_string(preset.windowWidth) + "x" + std::to_string(preset.windowHeight) +
                  " in any window";
    }
    if (!chosen.empty()) {
        decision.message =
            "Software renderer (" + *name + "): " + chosen +
            "; set WINDOW_WIDTH, WINDOW_HEIGHT, BLUR_ITERATIONS or RENDER_SCALE in " + iniPath +
            " to choose";
    }
    return decision;
}
