#include "game/Run.h"

#include "core/LoopScheduler.h"
#include "game/Input.h"
#include "game/Score.h"
#include "physics/PhysicsContext.h"
#include "physics/RigidBody.h"
#include "sound/GameSounds.h"
#include "world/World.h"
#include "world/WorldStart.h"

Run::Run(World& world, const WorldStart& start) : world_(world) {
    start.restore(world_);
    world_.gameStatePtr = &state;
    setFlightSounds(&sounds);
    for (GameObject& object : world_.objects) {
        if (object.kind == ObjectKind::Ship) {
            control.ship = &object;
            break;
        }
    }
}

Run::~Run() {
    if (world_.gameStatePtr == &state) {
        world_.gameStatePtr = nullptr;
    }
    forgetFlightSounds(&sounds);
}

double Run::clock() const {
    return double(steps_) * STEP_SECONDS;
}

void Run::step() {
    ++steps_;
    applyShipControl(control, PHYSICS_STEP);
    world_.processRemovals();
    PhysicsContext::instance().simulateStep();
    world_.syncFromPhysics();
}

int32_t Run::points() const {
    return computeScore(world_.collectedTrash, clock());
}

Run::RingProgress Run::ringProgress() const {
    RingProgress progress;
    int32_t position = 0;
    for (const GameObject& object : world_.objects) {
        if (object.kind == ObjectKind::Ring) {
            ++progress.total;
            if (position <= world_.currentRing) {
                progress.next = progress.total;
            }
        }
        ++position;
    }
    return progress;
}

void applyShipControl(ShipControl& control, float step) {
    GameObject* target = control.ship;
    if (!target || !target->actor || !target->actor->isDynamic()) {
        return;
    }
    const float s = step * STEP_TORQUE_SHARE;
    const glm::quat r = target->getRotation();
    RigidBody& body = *target->actor;
    soundSteering(control.pitch, control.roll, control.yaw);
    body.addTorque((s * control.pitch) * (r * glm::vec3(-1.0f, 0.0f, 0.0f)));
    body.addTorque((s * control.roll) * (r * glm::vec3(0.0f, 0.0f, 1.0f)));
    body.addTorque((s * control.yaw) * (r * glm::vec3(0.0f, -1.0f, 0.0f)));
    body.setLinearVelocity(SHIP_SPEED * (r * glm::vec3(0.0f, 0.0f, 1.0f)));
}
