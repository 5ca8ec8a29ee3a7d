#include "core/FrameSize.h"

#include "core/Config.h"

#include <algorithm>
#include <cmath>

FrameSize sceneSize(FrameSize window, float scale) {
    if (window.empty()) {
        return {};
    }
    const double share = std::clamp(double(scale), double(MIN_RENDER_SCALE), 1.0);
    auto side = [share](uint32_t full) {
        return uint32_t(std::clamp(std::round(double(full) * share), 1.0, double(full)));
    };
    return {side(window.width), side(window.height)};
}

float scaleForPixels(FrameSize window, uint64_t pixels) {
    if (window.empty() || pixels == 0) {
        return 1.0f;
    }
    const double area = double(window.width) * double(window.height);
    const double scale = std::sqrt(double(pixels) / area);
    return float(std::clamp(scale, double(MIN_RENDER_SCALE), 1.0));
}

float renderScaleFor(const Config& cfg, FrameSize window) {
    return cfg.scenePixels > 0 ? scaleForPixels(window, cfg.scenePixels) : cfg.renderScale;
}

FrameSize withinLimit(FrameSize size, FrameSize limit) {
    return {limit.width > 0 ? std::min(size.width, limit.width) : size.width,
            limit.height > 0 ? std::min(size.height, limit.height) : size.height};
}
