#include "game/GameRules.h"

#include "core/GameState.h"
#include "physics/RigidBody.h"
#include "sound/GameSounds.h"
#include "world/World.h"

#include <algorithm>

namespace {

void setState(World& w, GameState state) {
    if (w.gameStatePtr) {
        *w.gameStatePtr = state;
    }
}

} // namespace

World* GameRules::world() const {
    return target_;
}

void GameRules::onContact(const ContactPairHeader&, const ContactPair* pairs, uint32_t count) {
    World* w = world();
    if (!w) {
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (pairs[i].touchFound()) {
            setState(*w, GameState::GameOver);
            soundCrash();
        }
    }
}

void GameRules::onTrigger(const TriggerPair* pairs, uint32_t count) {
    World* w = world();
    if (!w) {
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        GameObject* trigger = pairs[i].triggerBody ? pairs[i].triggerBody->userData() : nullptr;
        GameObject* other = pairs[i].otherBody ? pairs[i].otherBody->userData() : nullptr;
        // A body of no object (none the game made) says nothing about the
        // others of the step: a ring pass among them still counts.
        if (!trigger || !other) {
            continue;
        }
        // Only entering counts: the ship leaving a trigger, or put back at
        // the start from inside one, passes nothing.
        if (other->kind != ObjectKind::Ship || pairs[i].status != TriggerStatus::Found) {
            continue;
        }
        if (trigger->kind == ObjectKind::Trash) {
            uint32_t position = 0;
            for (GameObject& object : w->objects) {
                if (object.actor.get() == trigger->actor.get()) {
                    break;
                }
                ++position;
            }
            if (position == w->objects.size()) {
                continue;
            }
            // Several hulls of the ship can enter one can in the same step:
            // it is collected once.
            if (std::find(w->removalQueue.begin(), w->removalQueue.end(), position) !=
                w->removalQueue.end()) {
                continue;
            }
            w->removalQueue.push_back(position);
            w->remainingTrash -= 1;
            w->collectedTrash += 1;
            soundCanCollected(trigger->getPosition());
            if (onCollected_) {
                onCollected_(w->collectedTrash);
            }
        } else if (trigger->kind == ObjectKind::Ring) {
            if (w->currentRing < 0) {
                continue;
            }
            auto it = w->objects.begin();
            int32_t position = 0;
            for (; it != w->objects.end() && position < w->currentRing; ++it, ++position) {
            }
            if (it == w->objects.end() || it->actor.get() != trigger->actor.get()) {
                continue; // not the ring to pass next
            }
            int32_t next = position + 1;
            for (++it; it != w->objects.end(); ++it, ++next) {
                if (it->kind == ObjectKind::Ring) {
                    break;
                }
            }
            soundRingPassed(trigger->getPosition(), it == w->objects.end());
            if (it != w->objects.end()) {
                w->currentRing = next;
            } else {
                setState(*w, GameState::Finished);
            }
        }
    }
}
