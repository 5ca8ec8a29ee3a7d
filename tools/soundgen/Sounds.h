#pragma once

#include "Synth.h"

#include <string>
#include <vector>

// One of the game's sounds, ready to be written under its file name.
struct GeneratedSound {
    std::string fileName;
    Signal signal;
};

// Every sound the game plays, made from tones, noise and envelopes.
std::vector<GeneratedSound> generateSounds();
