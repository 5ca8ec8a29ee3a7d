#include "world/WorldStart.h"

#include "physics/PhysicsContext.h"
#include "world/GameBodies.h"
#include "world/World.h"

WorldStart::WorldStart(const World& world) : currentRing_(world.currentRing) {
    entries_.reserve(world.objects.size());
    for (const GameObject& object : world.objects) {
        Entry entry{object.kind, 0};
        if (object.kind == ObjectKind::Trash) {
            entry.can = cans_.size();
            cans_.push_back({object.name, object.position, object.rotation, object.scale,
                             // A can the loader could not shape stays without one.
                             object.actor ? object.actor->sharedShapeMesh(0) : nullptr});
        } else if (object.kind == ObjectKind::Ship) {
            shipPosition_ = object.position;
            shipRotation_ = object.rotation;
        }
        entries_.push_back(entry);
    }
}

std::size_t WorldStart::canCount() const {
    return cans_.size();
}

void WorldStart::restore(World& world) const {
    PhysicsContext& physics = PhysicsContext::instance();
    physics.beginBatch();
    // Every can of the last run goes, and all of them come back new: the
    // list keeps everything else in order, so a can's place is found by
    // counting the others.
    auto it = world.objects.begin();
    for (const Entry& entry : entries_) {
        if (entry.kind == ObjectKind::Trash) {
            const Can& can = cans_[entry.can];
            world.objects.insert(
                it, createTrash(can.position, can.rotation, can.scale, can.name, can.shape));
            continue;
        }
        while (it != world.objects.end() && it->kind == ObjectKind::Trash) {
            it = world.objects.erase(it);
        }
        if (it == world.objects.end()) {
            break;
        }
        if (it->kind == ObjectKind::Ship && it->actor) {
            it->position = shipPosition_;
            it->rotation = shipRotation_;
            RigidBody& body = *it->actor;
            body.setGlobalPose(shipPosition_, shipRotation_);
            body.setLinearVelocity(glm::vec3(0.0f));
            body.setAngularVelocity(glm::vec3(0.0f));
        }
        ++it;
    }
    while (it != world.objects.end()) {
        it = it->kind == ObjectKind::Trash ? world.objects.erase(it) : std::next(it);
    }
    physics.endBatch();
    world.objectsReplaced();
    world.removalQueue.clear();
    world.remainingTrash = int32_t(cans_.size());
    world.collectedTrash = 0;
    world.currentRing = currentRing_;
}
