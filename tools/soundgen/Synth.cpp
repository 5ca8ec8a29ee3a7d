#include "Synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

constexpr double TWO_PI = 6.283185307179586;

void putLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(char((value >> (8 * i)) & 0xFF));
    }
}

} // namespace

Signal::Signal(int rate, double seconds, bool looping)
    : sampleRate(rate), samples(size_t(std::llround(seconds * rate)), 0.0f), loops(looping) {}

void Signal::add(int64_t index, float value) {
    const int64_t size = int64_t(samples.size());
    if (size == 0) {
        return;
    }
    if (loops) {
        index = ((index % size) + size) % size;
    } else if (index < 0 || index >= size) {
        return;
    }
    samples[size_t(index)] += value;
}

void Signal::normalise(float peak) {
    float loudest = 0.0f;
    for (float s : samples) {
        loudest = std::max(loudest, std::fabs(s));
    }
    if (loudest > 0.0f) {
        const float scale = peak / loudest;
        for (float& s : samples) {
            s *= scale;
        }
    }
}

uint64_t Random::next() {
    state_ += 0x9E3779B97F4A7C15ull;
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float Random::signedUnit() {
    return float(double(next() >> 11) * (2.0 / 9007199254740992.0) - 1.0);
}

double Envelope::level(double t, double length) const {
    if (t < 0.0 || t >= length) {
        return 0.0;
    }
    double value = attack > 0.0 ? std::min(1.0, t / attack) : 1.0;
    if (decay > 0.0 && t > attack) {
        value *= std::exp(-(t - attack) / decay);
    }
    const double left = length - t;
    if (release > 0.0 && left < release) {
        value *= left / release;
    }
    return value;
}

void addTone(Signal& signal, double start, double length, const Tone& tone) {
    const int64_t first = std::llround(start * signal.sampleRate);
    const int64_t count = std::llround(length * signal.sampleRate);
    const double nyquist = 0.5 * signal.sampleRate;
    double phase = 0.0;
    for (int64_t i = 0; i < count; ++i) {
        const double t = double(i) / signal.sampleRate;
        const double glide = std::pow(tone.endHz / tone.startHz, t / length);
        double hz = tone.startHz * glide;
        if (tone.vibratoDepth > 0.0) {
            hz *= 1.0 + tone.vibratoDepth * std::sin(TWO_PI * tone.vibratoHz * t);
        }
        double value = 0.0;
        for (size_t k = 0; k < tone.harmonics.size(); ++k) {
            // Overtones above half the sample rate would fold back as noise.
            if (hz * double(k + 1) < nyquist) {
                value += tone.harmonics[k] * std::sin(phase * double(k + 1));
            }
        }
        signal.add(first + i, float(tone.amplitude * tone.envelope.level(t, length) * value));
        phase = std::fmod(phase + TWO_PI * hz / signal.sampleRate, TWO_PI);
    }
}

void addNoise(Signal& signal, double start, double length, double amplitude, double startCutoffHz,
              double endCutoffHz, const Envelope& envelope, Random& random) {
    const int64_t first = std::llround(start * signal.sampleRate);
    const int64_t count = std::llround(length * signal.sampleRate);
    double state = 0.0;
    for (int64_t i = 0; i < count; ++i) {
        const double t = double(i) / signal.sampleRate;
        const double cutoff = startCutoffHz * std::pow(endCutoffHz / startCutoffHz, t / length);
        const double alpha = 1.0 - std::exp(-TWO_PI * cutoff / signal.sampleRate);
        state += alpha * (double(random.signedUnit()) - state);
        signal.add(first + i, float(amplitude * envelope.level(t, length) * state));
    }
}

std::string wavBytes(const Signal& signal) {
    const uint32_t dataBytes = uint32_t(signal.samples.size() * 2);
    std::string out;
    out.reserve(44 + dataBytes);
    out += "RIFF";
    putLittleEndian(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    putLittleEndian(out, 16, 4);                              // fmt chunk size
    putLittleEndian(out, 1, 2);                               // PCM
    putLittleEndian(out, 1, 2);                               // mono
    putLittleEndian(out, uint32_t(signal.sampleRate), 4);     // frames per second
    putLittleEndian(out, uint32_t(signal.sampleRate) * 2, 4); // bytes per second
    putLittleEndian(out, 2, 2);                               // bytes per frame
    putLittleEndian(out, 16, 2);                              // bits per sample
    out += "data";
    putLittleEndian(out, dataBytes, 4);
    for (float s : signal.samples) {
        const long value = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
        putLittleEndian(out, uint32_t(int32_t(value)) & 0xFFFF, 2);
    }
    return out;
}

bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string& problem) {
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        out.close();
        if (!out) {
            problem = "cannot write " + temporary;
            std::remove(temporary.c_str());
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        problem = "cannot rename " + temporary + " to " + path + ": " + error.message();
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
