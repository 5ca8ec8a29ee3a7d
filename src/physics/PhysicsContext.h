#pragma once

#include "physics/CollisionCallback.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

class RigidBody;
class btCollisionObject;

// The one physics world of the process: no gravity, the game's pair filter,
// a fixed step of PHYSICS_STEP and the reports of each step delivered to the
// installed CollisionCallback. Created on first use and alive until exit; the
// game objects that own bodies are destroyed before it.
class PhysicsContext {
public:
    static PhysicsContext& instance();
    ~PhysicsContext();
    PhysicsContext(const PhysicsContext&) = delete;
    PhysicsContext& operator=(const PhysicsContext&) = delete;

    // Exactly one step of PHYSICS_STEP. Reports reach the callback on the
    // calling thread before this returns. Bodies must not be added, released
    // or changed and the callback must not be replaced from inside a report.
    void simulateStep();

    // Installs a callback (null installs one that ignores everything) and
    // hands back the previous one.
    std::unique_ptr<CollisionCallback> setCallback(std::unique_ptr<CollisionCallback> callback);
    CollisionCallback& callback() { return *callback_; }

    // Puts a body into the world; its filter words take effect now. A body
    // is in one world at most; adding it twice changes nothing.
    void addBody(RigidBody& body);
    // Takes a body out of the world, with every pair and touch it had.
    void removeBody(RigidBody& body);
    size_t bodyCount() const;
    // Every body that takes part in the world, in the order it was added,
    // with the Bullet object that carries its shapes and pose (for reading
    // the shapes as the physics has them, e.g. to draw them).
    void
    visitBodies(const std::function<void(const RigidBody&, const btCollisionObject&)>& visit) const;

    // Between these two, bodies added (or changed) enter the collision
    // detection together at the end, in an order that keeps its tree of
    // bounds balanced: one by one, a level's thousands of bodies laid out
    // along a track grow the tree into a chain, and each insert walks all of
    // it. Until then they are counted but touch nothing. Calls nest; the
    // outermost end inserts. Loading a level is the one user.
    void beginBatch();
    void endBatch();
    uint64_t stepCount() const { return steps_; }

private:
    friend class RigidBody;
    struct Impl;
    PhysicsContext();

    // Bullet membership follows the body's shapes: a shapeless body is in the
    // world but takes no part in it.
    void link(RigidBody& body);
    void insert(RigidBody& body);
    void unlink(RigidBody& body);
    void relink(RigidBody& body);
    void updateBounds(RigidBody& body);
    void deliverReports();

    std::unique_ptr<CollisionCallback> callback_;
    std::unique_ptr<Impl> impl_;
    uint64_t steps_ = 0;
};
