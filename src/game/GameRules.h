#pragma once

#include "physics/CollisionCallback.h"

#include <cstdint>
#include <functional>

struct World;

// The game's rules, applied to the physics reports of each step: touching an
// obstacle ends the game; flying into a trash can collects it; flying through
// the current ring of the track makes the next ring current, and the last ring
// finishes the track.
class GameRules : public CollisionCallback {
public:
    // Told the new count whenever a can is collected (the overlay listens).
    using CollectedListener = std::function<void(int32_t collected)>;

    // The rules act on `target` (null: on nothing).
    explicit GameRules(World* target, CollectedListener onCollected = {})
        : target_(target), onCollected_(std::move(onCollected)) {}

    void onContact(const ContactPairHeader& header, const ContactPair* pairs,
                   uint32_t count) override;
    void onTrigger(const TriggerPair* pairs, uint32_t count) override;

private:
    World* world() const;
    World* target_;
    CollectedListener onCollected_;
};
