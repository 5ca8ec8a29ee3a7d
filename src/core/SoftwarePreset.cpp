#include "core/SoftwarePreset.h"

#include <algorithm>
#include <array>
#include <cctype>

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
    std::string chosen;
    if (!isSet("WINDOW_WIDTH") && !isSet("WINDOW_HEIGHT")) {
        out.windowWidth = preset.windowWidth;
        out.windowHeight = preset.windowHeight;
        out.aspectRatio = float(out.windowWidth) / float(out.windowHeight);
        chosen = std::to_string(out.windowWidth) + "x" + std::to_string(out.windowHeight);
    }
    if (!isSet("BLUR_ITERATIONS")) {
        out.blurIterations = preset.blurIterations;
        chosen +=
            (chosen.empty() ? "" : ", ") + std::to_string(out.blurIterations) + " glow passes";
    }
    // The level of detail is no INI key: the preset starts it lower unless
    // the file chose the whole frame (size and glow) itself.
    if (!chosen.empty()) {
        decision.detailLevel = preset.detailLevel;
        chosen += ", level of detail " + std::to_string(preset.detailLevel) + " (F6 changes it)";
        decision.message = "Software renderer (" + *name + "): " + chosen +
                           "; set WINDOW_WIDTH, WINDOW_HEIGHT or BLUR_ITERATIONS in " + iniPath +
                           " to choose";
    }
    return decision;
}
