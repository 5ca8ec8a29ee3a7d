#pragma once

#include "render/BloomTargets.h"

#include <cstdint>

// How far each glow pass spreads the bright parts. The glow's width was set
// by passes over the whole window, each a 9-tap binomial (row 12 of the
// binomial, outer taps dropped) that spreads by PASS_SPREAD window pixels
// squared along its direction; passes over buffers a BLUR_SCALE-th of the
// window's size must spread as far in window pixels for the glow to look the
// same, and less by what shrinking the bright parts and filtering the glow
// back up spread on their own.

// Variance, in window pixels squared, that one pass adds along its direction.
inline constexpr float PASS_SPREAD = 2.854f;

// Variance, in window pixels squared along each side, of shrinking by a
// `scale`-wide box and filtering back up with a tent `scale` pixels either
// side.
float resamplingSpread(uint32_t scale);

// The offset, in blur texels, of the two bilinear taps of each horizontal or
// vertical pass when `passes` passes run in all at `scale`: the variance a
// pass adds in blur texels squared, which two taps at +-r give for r in
// [0, 1]. Zero when the passes along that side cannot even make up for the
// resampling.
float blurPassReach(uint32_t passes, bool horizontal, uint32_t scale = BLUR_SCALE);
