#pragma once

#include "physics/CollisionGroup.h"

#include <glm/gtc/quaternion.hpp>
#include <glm/vec3.hpp>

#include <cstdint>
#include <memory>

class btCollisionObject;
class CookedMesh;
class ConvexMesh;
class GameObject;
class PhysicsContext;
class TriangleMesh;

// A body of the physics world: static (never moves) or dynamic (moved by its
// velocities and torques), carrying one or more collision shapes. It owns its
// shapes; the cooked meshes they are made from are shared with other bodies.
// Contacts between bodies are reported but never resolved, so bodies pass
// through each other.
//
// Shapes, filter words and the trigger flag are best set before the body is
// added to the world; changing them later re-enters the body into the world,
// which forgets its current touches (an overlap still going on is reported
// found again).
// Destroying a body releases it. A body is not movable: reports and the
// world refer to it by address.
class RigidBody {
public:
    static std::unique_ptr<RigidBody> createStatic(const glm::vec3& position,
                                                   const glm::quat& rotation);
    // Mass 1, inertia (1, 1, 1), angular damping 0.05, angular speed limit
    // 7 rad/s, never asleep.
    static std::unique_ptr<RigidBody> createDynamic(const glm::vec3& position,
                                                    const glm::quat& rotation);
    ~RigidBody();
    RigidBody(const RigidBody&) = delete;
    RigidBody& operator=(const RigidBody&) = delete;

    bool isDynamic() const;

    // A convex shape from a cooked hull, scaled per axis. The shapes of a
    // dynamic body keep a rounding margin of 0.04; static shapes have none,
    // so a dynamic body is reported touching at a true gap of up to 0.04.
    // A static body holds one shape at most. False (and nothing attached)
    // for a null mesh or a second static shape.
    bool attachConvex(std::shared_ptr<const ConvexMesh> mesh,
                      const glm::vec3& scale = glm::vec3(1.0f));
    // A scaled instance of a shared triangle mesh; static bodies only.
    bool attachTriangleMesh(std::shared_ptr<const TriangleMesh> mesh, const glm::vec3& scale);
    uint32_t shapeCount() const;
    // The cooked mesh and the scale of the shape at `index` (null and zero
    // out of range).
    const CookedMesh* shapeMesh(uint32_t index) const;
    glm::vec3 shapeScale(uint32_t index) const;
    // The cooked mesh at `index` shared, to shape another body alike.
    std::shared_ptr<const CookedMesh> sharedShapeMesh(uint32_t index) const;
    // Removes every shape; the body then takes no part in the simulation.
    void detachShapes();

    // A trigger body reports overlaps (found, lost) and never touches.
    void setTrigger(bool trigger);
    bool isTrigger() const;
    void setFilter(FilterData filter);
    FilterData filter() const;

    // The game object that owns this body; null for bodies that belong to none.
    GameObject* userData() const;
    void setUserData(GameObject* object);

    glm::vec3 position() const;
    glm::quat rotation() const;
    void setGlobalPose(const glm::vec3& position, const glm::quat& rotation);

    // Velocities and torques act on dynamic bodies only.
    void setLinearVelocity(const glm::vec3& velocity);
    glm::vec3 linearVelocity() const;
    void setAngularVelocity(const glm::vec3& velocity);
    glm::vec3 angularVelocity() const;
    // Accumulates a torque for the next step, then cleared.
    void addTorque(const glm::vec3& torque);
    void setAngularDamping(float damping);
    float angularDamping() const;
    static constexpr float MAX_ANGULAR_VELOCITY = 7.0f;

    bool inWorld() const;
    // Removes the body from the world; it never appears in a report again.
    void release();

private:
    friend class PhysicsContext;
    struct Impl;
    explicit RigidBody(std::unique_ptr<Impl> impl);

    // What the world needs: the Bullet object, the
    // start-of-step velocity update and a stable order among bodies.
    btCollisionObject* nativeObject() const;
    void integrateVelocity(float dt);
    uint64_t serial() const;
    void setWorld(PhysicsContext* context);
    void changed();

    std::unique_ptr<Impl> impl_;
};
