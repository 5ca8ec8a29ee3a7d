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
    t.difficulty = 2;
    t.seed = 2027;
    t.legs = {{0, 0, 125},     {35, 10, 140},   {45, 15, 145},  {30, -10, 135},
              {-20, -20, 155}, {-50, -10, 140}, {-45, 15, 145}, {-10, 25, 135},
              {40, 0, 155},    {50, -20, 140},  {20, -15, 140}, {-35, 10, 145},
              {-45, 20, 135},  {-15, -5, 155},  {30, -15, 140}, {10, 0, 145}};
    t.limits.playerLine = true;
    t.limits.pilotInput = 1.0f;
    t.limits.corridorRadius = 8.0f;
    t.limits.designTurnRate = 0.35f;
    t.nearRocks = 30;
    t.nearGap = {0.5f, 7.0f};
    t.gates = {{4, 2, 8.0f, 6.0f}, {11, 2, 8.0f, 6.0f}};
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
    t.seed = 4409;
    t.legs = {{0, 0, 135},    {40, 25, 150},  {50, -10, 145}, {30, -35, 150},  {-10, -30, 145},
              {-45, 5, 150},  {-50, 35, 145}, {-20, 30, 150}, {25, 0, 145},    {55, -30, 150},
              {40, -25, 145}, {0, 30, 150},   {-40, 35, 145}, {-55, -10, 150}, {-25, -40, 145},
              {20, -10, 150}, {45, 30, 145},  {15, 10, 150}};
    t.limits.playerLine = true;
    t.limits.pilotInput = 1.0f;
    t.limits.corridorRadius = 6.0f;
    t.limits.designTurnRate = 0.38f;
    t.nearRocks = 34;
    t.nearGap = {0.3f, 5.0f};
    t.gates = {{2, 2, 6.0f, 5.0f}, {6, 3, 6.0f, 4.5f}, {10, 2, 6.0f, 5.0f}, {14, 3, 6.0f, 4.5f}};
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
    t.difficulty = 4;
    t.seed = 7717;
    t.legs = {{0, 0, 170},     {55, 10, 170},  {60, -20, 160},  {-10, -40, 170},
              {-65, -10, 160}, {-60, 30, 170}, {-5, 45, 160},   {60, 15, 170},
              {65, -25, 160},  {15, -45, 170}, {-55, -20, 160}, {-70, 25, 170},
              {-20, 45, 160},  {50, 20, 170},  {70, -20, 160},  {25, -40, 170}};
    t.limits.playerLine = true;
    t.limits.pilotInput = 1.0f;
    t.limits.corridorRadius = 4.5f;
    t.limits.designTurnRate = 0.40f;
    t.nearRocks = 40;
    t.nearGap = {0.2f, 3.5f};
    t.nearSize = {3.0f, 7.0f};
    t.gates = {{1, 2, 4.5f, 4.5f},
               {4, 3, 4.5f, 4.0f},
               {7, 2, 4.5f, 4.5f},
               {10, 3, 4.5f, 4.0f},
               {13, 2, 4.5f, 4.5f}};
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

// Hairpins at nearly the ship's best turn, and gaps a few metres wider than the ship.
TrackDesign crimsonNeedle() {
    TrackDesign t;
    t.file = "crimson_needle.dae";
    t.name = "Crimson Needle";
    t.difficulty = 5;
    t.seed = 9241;
    t.legs = {{0, 0, 220},     {70, 15, 195},  {75, -20, 195},  {-10, -55, 210},
              {-75, -20, 195}, {-80, 30, 195}, {-5, 60, 210},   {75, 20, 195},
              {80, -30, 195},  {10, -60, 210}, {-70, -25, 195}, {-85, 25, 195},
              {-15, 55, 210},  {65, 25, 195},  {85, -25, 195},  {20, -55, 210}};
    t.limits.playerLine = true;
    t.limits.pilotInput = 1.0f;
    t.limits.corridorRadius = 3.0f;
    t.limits.designTurnRate = 0.42f;
    t.nearRocks = 46;
    t.nearGap = {0.0f, 2.5f};
    t.nearSize = {3.0f, 6.5f};
    t.gates = {{0, 2, 3.0f, 4.0f}, {3, 3, 3.0f, 3.5f},  {6, 2, 3.0f, 4.0f},
               {9, 3, 3.0f, 3.5f}, {12, 2, 3.0f, 4.0f}, {14, 3, 3.0f, 3.5f}};
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
