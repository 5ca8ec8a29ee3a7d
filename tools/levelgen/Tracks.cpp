#include "Tracks.h"

namespace {

TrackDesign driftBelt() {
    TrackDesign t;
    t.file = "sub2demo_debug.dae";
    t.name = "Drift Belt";
    t.difficulty = 1;
    t.seed = 19;
    t.legs = {{0, 0, 90},    {25, 0, 110},    {35, 10, 115},   {20, 15, 105},
              {-10, 0, 120}, {-40, -15, 110}, {-35, -10, 115}, {-15, 10, 100},
              {30, 5, 120},  {40, -10, 110},  {15, -5, 105},   {-25, 0, 115}};
    return t;
}

// Long sweeping curves with the rocks drawn in closer.
TrackDesign amberReach() {
    TrackDesign t;
    t.file = "amber_reach.dae";
    t.name = "Amber Reach";
    t.difficulty = 1;
    t.seed = 2027;
    t.legs = {{0, 0, 120},    {30, 10, 140},  {25, -10, 140}, {-20, -15, 140}, {-35, 5, 140},
              {-25, 15, 140}, {15, 10, 140},  {35, -5, 140},  {30, -15, 140},  {-10, -10, 140},
              {-35, 10, 140}, {-25, 15, 140}, {20, 0, 140},   {30, -10, 140}};
    t.limits.pilotInput = 1.0f;
    t.limits.corridorRadius = 9.5f;
    t.nearRocks = 30;
    t.nearGap = {1.0f, 12.0f};
    t.gates = {{2, 2, 11.2f, 6.0f}};
    t.sunOffset = {-1980.0f, 810.0f, -3060.0f};
    t.sunRadius = 260.0f;
    TrackLook& l = t.look;
    l.nebulaA = {0.55f, 0.27f, 0.07f};
    l.nebulaB = {0.36f, 0.1f, 0.06f};
    l.starBand = {0.11f, 0.085f, 0.06f};
    l.sunLight = {1.0f, 0.78f, 0.52f};
    l.sunGlow = {4.6f, 2.5f, 0.9f};
    l.fillA = {0.8f, 0.55f, 0.3f};
    l.fillB = {0.45f, 0.38f, 0.65f};
    l.rockTexture = "rock_amber";
    l.rockBase = {0.5f, 0.37f, 0.27f};
    l.rockMineral = {0.66f, 0.32f, 0.13f};
    return t;
}

// A corkscrew: the nose rises and falls while the heading swings, so every turn mixes
// pitch and yaw, with gaps between rocks to thread.
TrackDesign glacierCoil() {
    TrackDesign t;
    t.file = "glacier_coil.dae";
    t.name = "Glacier Coil";
    t.difficulty = 3;
    // Rocks that fill less of the view at the start than the first layout's, in its sky.
    t.seed = 4410;
    t.sky = 4409;
    t.legs = {{0, 0, 120},     {40, 25, 135},   {45, -15, 135},  {25, -35, 135},
              {-15, -30, 135}, {-45, 10, 135},  {-40, 35, 135},  {-10, 30, 135},
              {35, 0, 135},    {45, -30, 135},  {30, -25, 135},  {-5, 30, 135},
              {-40, 30, 135},  {-45, -15, 135}, {-20, -35, 135}, {25, -10, 135}};
    t.limits.pilotInput = 1.0f;
    t.limits.corridorRadius = 7.8f;
    t.nearRocks = 32;
    t.nearGap = {4.0f, 12.0f};
    t.gates = {{4, 2, 7.8f, 5.0f}, {11, 2, 7.8f, 5.0f}};
    t.sunOffset = {1260.0f, -1080.0f, -3600.0f};
    t.sunRadius = 260.0f;
    TrackLook& l = t.look;
    l.nebulaA = {0.1f, 0.34f, 0.55f};
    l.nebulaB = {0.32f, 0.5f, 0.62f};
    l.starBand = {0.08f, 0.1f, 0.13f};
    l.sunLight = {0.82f, 0.9f, 1.0f};
    l.sunGlow = {2.6f, 3.3f, 4.4f};
    l.fillA = {0.4f, 0.62f, 0.95f};
    l.fillB = {0.62f, 0.82f, 0.85f};
    l.rockTexture = "rock_glacier";
    l.rockBase = {0.6f, 0.66f, 0.74f};
    l.rockMineral = {0.32f, 0.48f, 0.7f};
    return t;
}

// Tight switchbacks through rock fields.
TrackDesign thornfield() {
    TrackDesign t;
    t.file = "thornfield.dae";
    t.name = "Thornfield";
    t.difficulty = 3;
    t.seed = 7717;
    t.legs = {{0, 0, 120},    {0, 0, 130},     {-40, 20, 135}, {-40, -25, 135},
              {0, 0, 130},    {40, -20, 135},  {45, 30, 135},  {0, 0, 130},
              {-35, 25, 135}, {-45, -25, 135}, {0, 0, 130},    {35, -25, 135},
              {45, 20, 135},  {0, 0, 130},     {-40, 15, 135}, {-30, -10, 135}};
    t.limits.pilotInput = 1.0f;
    t.limits.corridorRadius = 5.0f;
    t.nearRocks = 36;
    t.nearGap = {8.0f, 16.0f};
    t.nearSize = {3.0f, 7.0f};
    // The gaps are on straight legs, where every pilot flies the same line.
    t.gates = {{0, 2, 5.0f, 4.5f},
               {3, 2, 5.0f, 4.0f},
               {6, 2, 5.6f, 4.5f},
               {9, 2, 5.0f, 4.0f},
               {12, 2, 5.0f, 4.5f}};
    t.sunOffset = {-1440.0f, 1260.0f, -3780.0f};
    t.sunRadius = 260.0f;
    TrackLook& l = t.look;
    l.nebulaA = {0.08f, 0.4f, 0.18f};
    l.nebulaB = {0.3f, 0.44f, 0.08f};
    l.starBand = {0.08f, 0.11f, 0.07f};
    l.sunLight = {0.9f, 1.0f, 0.7f};
    l.sunGlow = {3.0f, 3.9f, 1.5f};
    l.fillA = {0.42f, 0.8f, 0.5f};
    l.fillB = {0.75f, 0.72f, 0.32f};
    l.rockTexture = "rock_thorn";
    l.rockBase = {0.3f, 0.34f, 0.27f};
    l.rockMineral = {0.42f, 0.52f, 0.22f};
    return t;
}

// A half circle in the plane `plane`: in along a straight of `straight` metres, then
// three chords of `chord` metres, so that its radius is `chord`.
void addHairpin(std::vector<Corner>& corners, float straight, float chord, float plane) {
    corners.push_back({straight, 30, plane});
    corners.push_back({chord, 60, plane});
    corners.push_back({chord, 60, plane});
    corners.push_back({chord, 30, plane});
}

// Hairpins at nearly the ship's best turn, and gaps a few metres wider than the ship.
TrackDesign crimsonNeedle() {
    TrackDesign t;
    t.file = "crimson_needle.dae";
    t.name = "Crimson Needle";
    t.difficulty = 5;
    t.seed = 9241;
    // Hairpins: half circles three rings round, on the diagonals between pitch and yaw
    // where the ship turns fastest, joined by straights past single rocks.
    for (float plane : {45.0f, -135.0f, 135.0f, -45.0f}) {
        addHairpin(t.corners, t.corners.empty() ? 120.0f : 110.0f, 72.0f, plane);
    }
    t.corners.push_back({110, 0, 0});
    t.limits.flownOnLine = false;
    t.limits.pilotInput = 1.0f;
    t.limits.corridorRadius = 3.0f;
    t.nearRocks = 40;
    // Rocks beside the hairpins keep off the line a player flies round them, which lies
    // inside the line drawn through the rings.
    t.nearGap = {4.0f, 11.0f};
    t.nearSize = {3.0f, 6.5f};
    t.gates = {
        {3, 1, 3.02f, 4.0f}, {7, 1, 3.02f, 4.0f}, {11, 1, 3.02f, 4.5f}, {15, 1, 3.02f, 4.0f}};
    t.sunOffset = {1800.0f, 540.0f, -3960.0f};
    t.sunRadius = 260.0f;
    TrackLook& l = t.look;
    l.nebulaA = {0.58f, 0.05f, 0.08f};
    l.nebulaB = {0.26f, 0.02f, 0.22f};
    l.starBand = {0.12f, 0.06f, 0.07f};
    l.sunLight = {1.0f, 0.5f, 0.38f};
    l.sunGlow = {5.0f, 1.5f, 0.8f};
    l.fillA = {0.9f, 0.32f, 0.3f};
    l.fillB = {0.52f, 0.3f, 0.82f};
    l.rockTexture = "rock_crimson";
    l.rockBase = {0.23f, 0.2f, 0.2f};
    l.rockMineral = {0.52f, 0.14f, 0.1f};
    return t;
}

} // namespace

const std::vector<TrackDesign>& trackDesigns() {
    static const std::vector<TrackDesign> designs = {driftBelt(), amberReach(), glacierCoil(),
                                                     thornfield(), crimsonNeedle()};
    return designs;
}
