#include "Sounds.h"

#include <array>
#include <cmath>

namespace {

constexpr int RATE = 44100;
// The music is soft pads and bells; half the rate keeps the file small.
constexpr int MUSIC_RATE = 22050;
constexpr double TWO_PI = 6.283185307179586;

// Equal-tempered pitches used below.
constexpr double G2 = 98.00, A2 = 110.00, F2 = 87.31, C3 = 130.81, D3 = 146.83, E3 = 164.81,
                 F3 = 174.61, G3 = 196.00, A3 = 220.00, B3 = 246.94, C4 = 261.63, E4 = 329.63,
                 G4 = 392.00, C5 = 523.25, E5 = 659.26, G5 = 783.99, C6 = 1046.50, E6 = 1318.51;

// A one-second loop: a hum on 55 Hz with its overtones and a rumble of every
// whole frequency from 25 to 300 Hz at random phases. Whole frequencies
// repeat exactly once a second, so the loop has no seam. Everything stays
// below 400 Hz, under the chimes and pick-ups, which must be heard over it.
Signal engine() {
    Signal s(RATE, 1.0, true);
    Random random(0xE1);
    struct Partial {
        double hz, amplitude, phase;
    };
    std::vector<Partial> partials;
    for (int k = 1; k <= 7; ++k) {
        partials.push_back({55.0 * k, 1.0 / k, TWO_PI * 0.5 * (1.0 + random.signedUnit())});
    }
    for (int hz = 25; hz <= 300; ++hz) {
        const double amplitude = 0.9 / std::sqrt(double(hz)) * (0.5 + 0.5 * random.signedUnit());
        partials.push_back({double(hz), amplitude, TWO_PI * 0.5 * (1.0 + random.signedUnit())});
    }
    for (size_t i = 0; i < s.samples.size(); ++i) {
        const double t = double(i) / RATE;
        double value = 0.0;
        for (const Partial& p : partials) {
            value += p.amplitude * std::sin(TWO_PI * p.hz * t + p.phase);
        }
        // A slow throb, six times a second, also whole.
        value *= 1.0 + 0.15 * std::sin(TWO_PI * 6.0 * t);
        s.samples[i] = float(value);
    }
    s.normalise(0.7f);
    return s;
}

Tone bell(double hz, double decay, double amplitude = 1.0) {
    Tone tone;
    tone.startHz = tone.endHz = hz;
    tone.amplitude = amplitude;
    tone.harmonics = {1.0, 0.3};
    tone.envelope = {0.004, decay, 0.05};
    return tone;
}

// Three rising notes of a major chord, rung one after another.
Signal chime() {
    Signal s(RATE, 0.9);
    const std::array<double, 3> notes{C5, E5, G5};
    for (size_t i = 0; i < notes.size(); ++i) {
        addTone(s, 0.08 * double(i), 0.7, bell(notes[i], 0.22));
    }
    s.normalise(0.8f);
    return s;
}

// The last ring: the chord climbs on to the next octave and rings longer.
Signal lastChime() {
    Signal s(RATE, 1.8);
    const std::array<double, 5> notes{C5, E5, G5, C6, E6};
    for (size_t i = 0; i < notes.size(); ++i) {
        addTone(s, 0.09 * double(i), 1.4, bell(notes[i], 0.45));
    }
    s.normalise(0.8f);
    return s;
}

// Two quick upward blips, high above the chimes.
Signal pickup() {
    Signal s(RATE, 0.16);
    Tone blip;
    blip.startHz = 3000.0;
    blip.endHz = 3500.0;
    blip.envelope = {0.003, 0.04, 0.01};
    addTone(s, 0.0, 0.07, blip);
    blip.startHz = 3400.0;
    blip.endHz = 3900.0;
    addTone(s, 0.06, 0.09, blip);
    s.normalise(0.8f);
    return s;
}

// A burst of noise that darkens as it fades, a falling thump under it and a
// few clangs of bent metal.
Signal crash() {
    Signal s(RATE, 1.4);
    Random random(0xC4);
    addNoise(s, 0.0, 1.35, 1.0, 4000.0, 300.0, {0.002, 0.3, 0.05}, random);
    Tone thump;
    thump.startHz = 70.0;
    thump.endHz = 35.0;
    thump.amplitude = 1.2;
    thump.harmonics = {1.0, 0.5};
    thump.envelope = {0.002, 0.18, 0.05};
    addTone(s, 0.0, 0.6, thump);
    for (double hz : {287.0, 431.0, 662.0, 1021.0}) {
        Tone clang;
        clang.startHz = hz;
        clang.endHz = hz * 0.97;
        clang.amplitude = 0.15;
        clang.envelope = {0.002, 0.35, 0.1};
        addTone(s, 0.01, 1.2, clang);
    }
    s.normalise(0.9f);
    return s;
}

Tone brass(double hz, double amplitude, const Envelope& envelope) {
    Tone tone;
    tone.startHz = tone.endHz = hz;
    tone.amplitude = amplitude;
    tone.harmonics = {1.0, 0.5, 0.33, 0.25, 0.2, 0.12};
    tone.envelope = envelope;
    return tone;
}

// Three short brass notes up to a held chord.
Signal fanfare() {
    Signal s(RATE, 1.6);
    const Envelope shortNote{0.02, 0.0, 0.05};
    addTone(s, 0.00, 0.14, brass(G4, 1.0, shortNote));
    addTone(s, 0.15, 0.14, brass(C5, 1.0, shortNote));
    addTone(s, 0.30, 0.14, brass(E5, 1.0, shortNote));
    const Envelope held{0.03, 0.9, 0.3};
    Tone top = brass(G5, 1.0, held);
    top.vibratoDepth = 0.006;
    top.vibratoHz = 5.5;
    addTone(s, 0.45, 1.1, top);
    addTone(s, 0.45, 1.1, brass(C5, 0.5, held));
    addTone(s, 0.45, 1.1, brass(E5, 0.5, held));
    s.normalise(0.8f);
    return s;
}

// A short soft tick for pause and menus.
Signal click() {
    Signal s(RATE, 0.03);
    Tone tick;
    tick.startHz = tick.endHz = 1600.0;
    tick.harmonics = {1.0, 0.3};
    tick.envelope = {0.0005, 0.005, 0.005};
    addTone(s, 0.0, 0.03, tick);
    Random random(0xC1);
    addNoise(s, 0.0, 0.01, 0.3, 6000.0, 2000.0, {0.0005, 0.003, 0.002}, random);
    s.normalise(0.5f);
    return s;
}

// Sixteen seconds of slow pads (A minor, F, C, G) with a soft bell
// arpeggio; tails wrap around, so it loops without a seam.
Signal music() {
    Signal s(MUSIC_RATE, 16.0, true);
    const std::array<std::array<double, 4>, 4> chords{{
        {A2, A3, C4, E4},
        {F2, F3, A3, C4},
        {C3, E3, G3, C4},
        {G2, D3, G3, B3},
    }};
    const std::array<int, 8> pattern{1, 2, 3, 2, 1, 2, 3, 2};
    for (size_t c = 0; c < chords.size(); ++c) {
        const double start = 4.0 * double(c);
        for (double hz : chords[c]) {
            Tone pad;
            pad.startHz = pad.endHz = hz;
            pad.amplitude = 0.18;
            pad.harmonics = {1.0, 0.25, 0.1};
            pad.vibratoDepth = 0.002;
            pad.vibratoHz = 0.3;
            pad.envelope = {1.0, 0.0, 1.2};
            addTone(s, start, 4.6, pad);
        }
        for (size_t n = 0; n < pattern.size(); ++n) {
            addTone(s, start + 0.5 * double(n), 1.2,
                    bell(2.0 * chords[c][size_t(pattern[n])], 0.4, 0.08));
        }
    }
    s.normalise(0.6f);
    return s;
}

} // namespace

std::vector<GeneratedSound> generateSounds() {
    std::vector<GeneratedSound> sounds;
    sounds.push_back({"engine.wav", engine()});
    sounds.push_back({"chime.wav", chime()});
    sounds.push_back({"chime_last.wav", lastChime()});
    sounds.push_back({"pickup.wav", pickup()});
    sounds.push_back({"crash.wav", crash()});
    sounds.push_back({"fanfare.wav", fanfare()});
    sounds.push_back({"click.wav", click()});
    sounds.push_back({"music.wav", music()});
    return sounds;
}
