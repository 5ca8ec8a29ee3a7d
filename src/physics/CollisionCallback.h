#pragma once

#include <cstdint>

class RigidBody;

// Events of one contact pair in a step, as bits of ContactPair::events.
enum ContactEvent : uint32_t {
    TouchFound = 1u << 0,
};

// The two bodies of a group of contact pairs.
struct ContactPairHeader {
    RigidBody* bodies[2] = {nullptr, nullptr};
};

// A touch between one shape of each of two bodies. Shape indices count the
// shapes of the body in the order they were attached.
struct ContactPair {
    RigidBody* bodies[2] = {nullptr, nullptr};
    uint32_t shapes[2] = {0, 0};
    uint32_t events = 0;

    bool touchFound() const { return (events & TouchFound) != 0; }
};

enum class TriggerStatus : uint32_t {
    Found,
    Lost,
};

// A trigger volume that a shape of another body entered (Found) or left (Lost).
struct TriggerPair {
    RigidBody* triggerBody = nullptr;
    uint32_t triggerShape = 0;
    RigidBody* otherBody = nullptr;
    uint32_t otherShape = 0;
    TriggerStatus status = TriggerStatus::Found;
};

// Receives the simulation's reports on the thread that steps it, before the
// step returns. Contacts of a step come first, one onContact call per pair of
// bodies, then all of its trigger pairs in one onTrigger call. Every body a
// report names is still in the world: a body removed between steps never
// appears again, not even as a lost trigger. The base class ignores
// everything; the game's rules override what they need.
class CollisionCallback {
public:
    // No constraints exist in the game's world; kept so that rule sets can
    // be written against the whole event interface.
    virtual void onConstraintBreak(uint32_t count);
    // Dynamic bodies never sleep, so these are not called either.
    virtual void onWake(RigidBody* const* bodies, uint32_t count);
    virtual void onSleep(RigidBody* const* bodies, uint32_t count);
    virtual void onContact(const ContactPairHeader& header, const ContactPair* pairs,
                           uint32_t count);
    virtual void onTrigger(const TriggerPair* pairs, uint32_t count);
    // Pose previews are not produced.
    virtual void onAdvance(const RigidBody* const* bodies, uint32_t count);

    virtual ~CollisionCallback() = default;
};
