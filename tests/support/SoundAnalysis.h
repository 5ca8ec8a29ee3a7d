#pragma once

#include "sound/SoundFile.h"

#include <filesystem>
#include <string>

// Measures recordings of the game's sound (OpenAL Soft's `wave` driver
// writes them): how loud a band of frequencies is over a window of time.

// The level in dB relative to full scale of the part of `sound` between
// `lowHz` and `highHz`, over the window [fromSeconds, toSeconds): the power
// of those DFT bins in Hann-windowed frames of 2048 samples, averaged over
// the frames. Silence (and an empty window) gives -200.
double bandLevel(const SoundSamples& sound, double fromSeconds, double toSeconds, double lowHz,
                 double highHz);

// The first time at which the band's level over a 0.1 s window reaches
// `thresholdDb`, or a negative value if it never does.
double bandOnset(const SoundSamples& sound, double lowHz, double highHz, double thresholdDb);

// The largest sample of the sound, as a fraction of full scale.
double peakLevel(const SoundSamples& sound);

// A configuration for OpenAL Soft that writes its output to `wavFile` instead
// of a sound card, written to `confFile`; tests point ALSOFT_CONF at it.
void writeWaveDriverConfig(const std::filesystem::path& confFile,
                           const std::filesystem::path& wavFile);
