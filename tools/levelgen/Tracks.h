#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "TrackCheck.h"

// How a track looks: its sky, its light and its rocks.
struct TrackLook {
    glm::vec3 nebulaA{0.42f, 0.12f, 0.5f}; // the sky's clouds shade between these two
    glm::vec3 nebulaB{0.06f, 0.3f, 0.42f};
    glm::vec3 starBand{0.09f, 0.085f, 0.1f}; // the faint band of unresolved stars
    glm::vec3 sunLight{1.0f, 0.93f, 0.82f};  // the lamp inside the sun
    glm::vec3 sunGlow{4.0f, 3.0f, 1.7f};     // the sun's own ambient, far past 1 so it blooms
    glm::vec3 fillA{0.35f, 0.45f, 0.75f};    // the two fill lamps along the track
    glm::vec3 fillB{0.75f, 0.5f, 0.35f};
    std::string rockTexture = "rock"; // <name>_diffuse.png; every rock shares rock_normal.png
    glm::vec3 rockBase{0.42f, 0.40f, 0.38f};
    glm::vec3 rockMineral{0.45f, 0.34f, 0.25f};
};

// One leg of a track as a designer sketches it: how far the heading turns left (yaw,
// degrees) and how far the nose rises (pitch, degrees) on the way to the next ring, and the
// distance to it.
struct Leg {
    float yaw;
    float pitch;
    float spacing;
};

// One corner of a track drawn ring by ring: fly `spacing` straight on to the ring, then
// turn by `turn` degrees there, in the plane `plane` degrees round the heading from the
// ship's right towards its up (0 right, 90 up, 180 left, -90 down). A ring faces halfway
// between the lines in and out of it.
struct Corner {
    float spacing;
    float turn;
    float plane;
};

// A narrow gap: rocks set around the line halfway between two rings, each `clearance`
// from the line, so the ship threads between them.
struct Gate {
    int afterRing; // between this ring and the next (-1: between the start and ring 0)
    int rocks;     // 2 or 3, evenly around the line
    float clearance;
    float size;
};

// Everything that makes one track: where it goes, what lines it and how it looks.
struct TrackDesign {
    std::string file; // the level file in the worlds folder; its stem names the sky
    std::string name;
    int difficulty = 1;
    uint64_t seed = 19;
    // The sky's own seed, when a new layout (seed) keeps the sky it had; 0: `seed`.
    uint64_t sky = 0;
    std::vector<Leg> legs;
    std::vector<Corner> corners; // when given, the track is drawn by these, not by `legs`
    FlightLimits limits;

    // Rocks close beside the line, `nearGap` (lo, hi) outside the corridor; then a wider
    // field up to `rocks` in all.
    int nearRocks = 26;
    glm::vec2 nearGap{1.0f, 10.0f};
    glm::vec2 nearSize{3.5f, 9.0f};
    int rocks = 70;
    std::vector<Gate> gates;

    glm::vec3 sunOffset{900.0f, 550.0f, -1900.0f}; // from the start
    float sunRadius = 150.0f;
    TrackLook look;

    uint64_t skySeed() const { return sky != 0 ? sky : seed; }
};

// The shipped tracks, easiest first. The first is the game's original track.
const std::vector<TrackDesign>& trackDesigns();
