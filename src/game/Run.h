#pragma once

#include "core/GameState.h"
#include "game/Controls.h"
#include "sound/GameSounds.h"

#include <cstdint>

class GameObject;
class WorldStart;
struct World;

// One flight of a track, from its start to whatever ends it. The
// application makes one for each start (the first flight, R, a track chosen
// from the list) and drops it for the next; everything that belongs to a
// flight lives here or in the world it has put back at the start, so that
// nothing of one flight reaches the next. The world, its meshes and shapes
// belong to the track and outlive the run.
class Run {
public:
    // Puts `world` back at `start` and points its rules at this run's state.
    Run(World& world, const WorldStart& start);
    // The world's rules no longer write into this run.
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    World& world() const { return world_; }
    // The ship in the world's objects, or null when the level has none.
    GameObject* ship() const { return control.ship; }

    // The fixed steps flown, the one that ended the flight included: the
    // flight's time whatever the frame rate, and what bests compare.
    int64_t steps() const { return steps_; }
    // Seconds flown, steps × 1/144 s: the clock and the score's divisor.
    double clock() const;
    // One fixed step: the pending steering, the removals the rules queued,
    // the physics, and the objects moved to their bodies. Counts on the
    // clock: the loop runs steps only while Running.
    void step();
    // The points so far: collected cans × 20000 / seconds flown.
    int32_t points() const;
    // The ring to fly through next, counted from 1 (the last one once
    // finished; 0 on a track without rings), of how many.
    struct RingProgress {
        int32_t next = 0;
        int32_t total = 0;
    };
    RingProgress ringProgress() const;

    // Written by the rules (through the world) and by the keys.
    GameState state = GameState::Running;
    // The pending steering of the ship.
    ShipControl control;
    // Set once a finished run has been judged against the bests.
    bool judged = false;
    bool newBest = false;
    int32_t finalPoints = 0;
    // What the sound keeps of this flight.
    FlightSounds sounds;

private:
    World& world_;
    int64_t steps_ = 0;
};

// One fixed step of flight: the held torque commands about the ship's own
// axes (each step its share, STEP_TORQUE_SHARE), the constant forward speed
// along its local +z. The commands stay until the keys are read again.
void applyShipControl(ShipControl& control, float step);
