#include "physics/CollisionCallback.h"

void CollisionCallback::onConstraintBreak(uint32_t) {}

void CollisionCallback::onWake(RigidBody* const*, uint32_t) {}

void CollisionCallback::onSleep(RigidBody* const*, uint32_t) {}

void CollisionCallback::onContact(const ContactPairHeader&, const ContactPair*, uint32_t) {}

void CollisionCallback::onTrigger(const TriggerPair*, uint32_t) {}

void CollisionCallback::onAdvance(const RigidBody* const*, uint32_t) {}
