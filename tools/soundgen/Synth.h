#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The building blocks of the game's sounds: a mono signal of floats that
// voices are added into, seeded noise, envelopes and simple filters. Every
// piece is computed by this code alone, so the same build writes the same
// samples on every machine.

// A mono signal at a fixed sample rate, in the range -1 to 1 once normalised.
struct Signal {
    int sampleRate = 44100;
    std::vector<float> samples;
    // A looping signal wraps whatever runs past its end back to its start,
    // so a note's tail carries over the seam instead of being cut.
    bool loops = false;

    Signal(int rate, double seconds, bool looping = false);
    double seconds() const { return double(samples.size()) / sampleRate; }
    // Adds `value` at sample `index` (wrapped when looping, dropped past the end otherwise).
    void add(int64_t index, float value);
    // Scales the whole signal so that its loudest sample reaches `peak`.
    void normalise(float peak);
};

// SplitMix64: a tiny seeded generator whose sequence is fixed by this code.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t next();
    // Uniform in [-1, 1).
    float signedUnit();

private:
    uint64_t state_;
};

// How a voice swells and fades: a linear rise over `attack` seconds, then an
// exponential fall with time constant `decay` (0: held at full level), and a
// linear release over the last `release` seconds of the voice.
struct Envelope {
    double attack = 0.005;
    double decay = 0.0;
    double release = 0.01;
    // The level `t` seconds into a voice lasting `length` seconds.
    double level(double t, double length) const;
};

// A tone: a fundamental gliding from `startHz` to `endHz` over its length
// (exponentially, as the ear hears pitch), with overtones at whole multiples.
struct Tone {
    double startHz = 440.0;
    double endHz = 440.0;
    double amplitude = 1.0;
    // Relative amplitude of harmonic k + 1 (the first entry is the fundamental).
    std::vector<double> harmonics{1.0};
    // Vibrato depth as a fraction of the frequency, and its rate.
    double vibratoDepth = 0.0;
    double vibratoHz = 5.0;
    Envelope envelope;
};

// Adds `tone` to the signal from `start` for `length` seconds.
void addTone(Signal& signal, double start, double length, const Tone& tone);

// Adds white noise through a one-pole low-pass whose cut-off glides from
// `startCutoffHz` to `endCutoffHz`, shaped by `envelope`.
void addNoise(Signal& signal, double start, double length, double amplitude, double startCutoffHz,
              double endCutoffHz, const Envelope& envelope, Random& random);

// The signal as 16-bit PCM mono WAV bytes (a plain 44-byte header).
std::string wavBytes(const Signal& signal);

// Writes `bytes` to `path` whole or not at all (a temporary file, then a
// rename). False with `problem` set on failure.
bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string& problem);
