#include "world/World.h"

#include "physics/RigidBody.h"

#include <algorithm>
#include <iterator>

void World::processRemovals() {
    if (removalQueue.empty()) {
        return;
    }
    // The positions describe the list as it stood when they were queued, so
    // all of them are resolved to objects before any is unlinked. A position
    // queued twice names one object, which goes once.
    std::vector<uint32_t> positions = removalQueue;
    removalQueue.clear();
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());

    std::vector<std::list<GameObject>::iterator> doomed;
    doomed.reserve(positions.size());
    auto it = objects.begin();
    uint32_t at = 0;
    for (uint32_t position : positions) {
        if (position >= objects.size()) {
            break;
        }
        std::advance(it, position - at);
        at = position;
        doomed.push_back(it);
    }

    // The current ring keeps being the same object; each removal before it
    // moves it one place towards the front.
    int32_t before = 0;
    for (uint32_t position : positions) {
        if (currentRing >= 0 && position < static_cast<uint32_t>(currentRing)) {
            ++before;
        }
    }
    for (auto& object : doomed) {
        objects.erase(object);
    }
    ++generation_;
    currentRing -= before;
}

void World::syncFromPhysics() {
    if (movingFor_ != generation_ || movingCount_ != objects.size()) {
        moving_.clear();
        for (GameObject& object : objects) {
            if (object.actor && object.actor->isDynamic()) {
                moving_.push_back(&object);
            }
        }
        movingFor_ = generation_;
        movingCount_ = objects.size();
    }
    for (GameObject* object : moving_) {
        object->position = object->actor->position();
        object->rotation = object->actor->rotation();
    }
}

std::vector<Light*> World::collectLights() {
    std::vector<Light*> lights;
    lights.reserve(directionalLights.size() + pointLights.size());
    lights.insert(lights.end(), directionalLights.begin(), directionalLights.end());
    for (PointLight& light : pointLights) {
        lights.push_back(&light);
    }
    return lights;
}
