#include "SoundAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

namespace {

constexpr int FRAME = 2048;
constexpr double PI = 3.141592653589793;

// Power of the bins of one frame between the two frequencies (Goertzel),
// normalised so that a full-scale sine in the band gives about 0.5.
double framePower(const std::vector<int16_t>& samples, size_t first, int rate, double lowHz,
                  double highHz) {
    static std::vector<double> window = [] {
        std::vector<double> w(FRAME);
        for (int i = 0; i < FRAME; ++i) {
            w[size_t(i)] = 0.5 - 0.5 * std::cos(2.0 * PI * i / (FRAME - 1));
        }
        return w;
    }();
    double windowPower = 0.0;
    for (double w : window) {
        windowPower += w * w;
    }
    const int lowBin = std::max(1, int(std::ceil(lowHz * FRAME / rate)));
    const int highBin = std::min(FRAME / 2 - 1, int(std::floor(highHz * FRAME / rate)));
    double power = 0.0;
    for (int k = lowBin; k <= highBin; ++k) {
        const double coefficient = 2.0 * std::cos(2.0 * PI * k / FRAME);
        double s1 = 0.0, s2 = 0.0;
        for (int i = 0; i < FRAME; ++i) {
            const double x = samples[first + size_t(i)] / 32768.0 * window[size_t(i)];
            const double s0 = x + coefficient * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        power += s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    }
    // Both halves of the spectrum, over the window's energy and length.
    return 2.0 * power / (windowPower * FRAME);
}

double toDb(double power) {
    return power > 1e-20 ? 10.0 * std::log10(power) : -200.0;
}

} // namespace

double bandLevel(const SoundSamples& sound, double fromSeconds, double toSeconds, double lowHz,
                 double highHz) {
    const size_t first = size_t(std::max(0.0, fromSeconds) * sound.sampleRate);
    const size_t end =
        std::min(sound.samples.size(), size_t(std::max(0.0, toSeconds) * sound.sampleRate));
    double total = 0.0;
    int frames = 0;
    for (size_t start = first; start + FRAME <= end; start += FRAME / 2) {
        total += framePower(sound.samples, start, sound.sampleRate, lowHz, highHz);
        ++frames;
    }
    return frames ? toDb(total / frames) : -200.0;
}

double bandOnset(const SoundSamples& sound, double lowHz, double highHz, double thresholdDb) {
    for (double t = 0.0; t + 0.1 <= sound.seconds(); t += 0.05) {
        if (bandLevel(sound, t, t + 0.1 + double(FRAME) / sound.sampleRate, lowHz, highHz) >=
            thresholdDb) {
            return t;
        }
    }
    return -1.0;
}

double peakLevel(const SoundSamples& sound) {
    int peak = 0;
    for (int16_t s : sound.samples) {
        peak = std::max(peak, std::abs(int(s)));
    }
    return peak / 32768.0;
}

void writeWaveDriverConfig(const std::filesystem::path& confFile,
                           const std::filesystem::path& wavFile) {
    std::ofstream out(confFile);
    out << "[general]\ndrivers=wave\n[wave]\nfile=" << wavFile.string() << "\n";
}
