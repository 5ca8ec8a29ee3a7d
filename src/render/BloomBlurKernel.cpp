#include "render/BloomBlurKernel.h"

#include <algorithm>

float resamplingSpread(uint32_t scale) {
    const float s = float(scale);
    return (s * s - 1.0f) / 12.0f + s * s / 6.0f;
}

float blurPassReach(uint32_t passes, bool horizontal, uint32_t scale) {
    // Pass 0 is horizontal, so the horizontal side gets the odd one.
    const uint32_t along = horizontal ? passes - passes / 2 : passes / 2;
    if (along == 0 || scale == 0) {
        return 0.0f;
    }
    const float total = float(along) * PASS_SPREAD - resamplingSpread(scale);
    const float perPass = std::max(total, 0.0f) / float(along);
    return std::min(perPass / float(scale * scale), 1.0f);
}
