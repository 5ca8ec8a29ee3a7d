#pragma once

#include "game/Controls.h"

#include <memory>

struct World;
class GameObject;
class FreeCamera;

// The running game's process-wide records, set up by start-up and alive for
// the whole run.

// The loaded level; the world cache owns it until exit.
extern World* world;
// The player's ship inside the world's objects, or null when the level has none.
extern GameObject* ship;
// The pending steering of the ship.
extern ShipControl shipControl;
// The render and overlay switches.
extern RenderToggles renderToggles;
// The debugging camera, only while Debugging.
extern std::unique_ptr<FreeCamera> freeCamera;
