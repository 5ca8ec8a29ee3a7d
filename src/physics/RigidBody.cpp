#include "physics/RigidBody.h"

#include "core/Log.h"
#include "physics/CookedMesh.h"
#include "physics/PhysicsContext.h"

#include <BulletCollision/CollisionShapes/btCompoundShape.h>
#include <BulletCollision/CollisionShapes/btConvexHullShape.h>
#include <BulletCollision/CollisionShapes/btScaledBvhTriangleMeshShape.h>
#include <BulletDynamics/Dynamics/btRigidBody.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

// Rounding of dynamic convex shapes: Bullet's usual margin, which keeps its
// distance queries well-conditioned while static shapes have none.
constexpr float DYNAMIC_MARGIN = 0.04f;
constexpr float DEFAULT_ANGULAR_DAMPING = 0.05f;

btVector3 toBullet(const glm::vec3& v) {
    return btVector3(v.x, v.y, v.z);
}
glm::vec3 toGlm(const btVector3& v) {
    return glm::vec3(v.x(), v.y(), v.z());
}

btTransform toBullet(const glm::vec3& position, const glm::quat& rotation) {
    return btTransform(btQuaternion(rotation.x, rotation.y, rotation.z, rotation.w),
                       toBullet(position));
}

uint64_t nextSerial() {
    static std::atomic<uint64_t> counter{0};
    return ++counter;
}

struct Shape {
    std::shared_ptr<const CookedMesh> mesh;
    std::unique_ptr<btCollisionShape> shape;
    glm::vec3 scale;
};

} // namespace

struct RigidBody::Impl {
    bool dynamic = false;
    // A btRigidBody for dynamic bodies.
    std::unique_ptr<btCollisionObject> object;
    // The shapes of a dynamic body are children of this compound, in order.
    std::unique_ptr<btCompoundShape> compound;
    std::vector<Shape> shapes;
    bool trigger = false;
    FilterData filter;
    GameObject* user = nullptr;
    glm::vec3 torque{0.0f};
    float angularDamping = DEFAULT_ANGULAR_DAMPING;
    PhysicsContext* world = nullptr;
    uint64_t serial = nextSerial();

    btRigidBody* rigid() const {
        return dynamic ? static_cast<btRigidBody*>(object.get()) : nullptr;
    }
};

RigidBody::RigidBody(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {
    impl_->object->setUserPointer(this);
}

std::unique_ptr<RigidBody> RigidBody::createStatic(const glm::vec3& position,
                                                   const glm::quat& rotation) {
    auto impl = std::make_unique<Impl>();
    impl->object = std::make_unique<btCollisionObject>();
    impl->object->setWorldTransform(toBullet(position, rotation));
    impl->object->setCollisionFlags(btCollisionObject::CF_STATIC_OBJECT |
                                    btCollisionObject::CF_NO_CONTACT_RESPONSE);
    // A static body never moves, so it is never awake.
    impl->object->setActivationState(ISLAND_SLEEPING);
    return std::unique_ptr<RigidBody>(new RigidBody(std::move(impl)));
}

std::unique_ptr<RigidBody> RigidBody::createDynamic(const glm::vec3& position,
                                                    const glm::quat& rotation) {
    auto impl = std::make_unique<Impl>();
    impl->dynamic = true;
    impl->compound = std::make_unique<btCompoundShape>();
    // Mass 1 and unit inertia, not computed from the shapes, with the centre
    // of mass at the body's origin. Damping is applied by the world's own
    // velocity update, so Bullet's stays off.
    btRigidBody::btRigidBodyConstructionInfo info(1.0f, nullptr, impl->compound.get(),
                                                  btVector3(1.0f, 1.0f, 1.0f));
    info.m_linearDamping = 0.0f;
    info.m_angularDamping = 0.0f;
    info.m_startWorldTransform = toBullet(position, rotation);
    auto body = std::make_unique<btRigidBody>(info);
    body->setCollisionFlags(body->getCollisionFlags() | btCollisionObject::CF_NO_CONTACT_RESPONSE);
    body->setActivationState(DISABLE_DEACTIVATION);
    body->setFlags(body->getFlags() & ~BT_ENABLE_GYROSCOPIC_FORCE_IMPLICIT_BODY);
    impl->object = std::move(body);
    return std::unique_ptr<RigidBody>(new RigidBody(std::move(impl)));
}

RigidBody::~RigidBody() {
    release();
}

bool RigidBody::isDynamic() const {
    return impl_->dynamic;
}

bool RigidBody::attachConvex(std::shared_ptr<const ConvexMesh> mesh, const glm::vec3& scale) {
    if (!mesh) {
        logMessage(LogLevel::WARNING, "Convex shape without a cooked hull was not attached.");
        return false;
    }
    if (!impl_->dynamic && !impl_->shapes.empty()) {
        logMessage(LogLevel::WARNING, "A static body takes one shape; the second was dropped.");
        return false;
    }
    const auto& vertices = mesh->vertices();
    auto hull = std::make_unique<btConvexHullShape>(&vertices[0].x, int(vertices.size()),
                                                    int(sizeof(glm::vec3)));
    hull->setLocalScaling(toBullet(scale));
    hull->setMargin(impl_->dynamic ? DYNAMIC_MARGIN : 0.0f);
    if (impl_->dynamic) {
        impl_->compound->addChildShape(btTransform::getIdentity(), hull.get());
    } else {
        impl_->object->setCollisionShape(hull.get());
    }
    impl_->shapes.push_back(Shape{std::move(mesh), std::move(hull), scale});
    changed();
    return true;
}

bool RigidBody::attachTriangleMesh(std::shared_ptr<const TriangleMesh> mesh,
                                   const glm::vec3& scale) {
    if (!mesh) {
        logMessage(LogLevel::WARNING,
                   "Triangle-mesh shape without a cooked mesh was not attached.");
        return false;
    }
    if (impl_->dynamic || !impl_->shapes.empty()) {
        logMessage(LogLevel::WARNING,
                   "A triangle mesh needs a static body without shapes; it was dropped.");
        return false;
    }
    // Each body scales the shared tree through its own wrapper; the tree
    // itself is never scaled.
    auto scaled =
        std::make_unique<btScaledBvhTriangleMeshShape>(mesh->shape_.get(), toBullet(scale));
    impl_->object->setCollisionShape(scaled.get());
    impl_->shapes.push_back(Shape{std::move(mesh), std::move(scaled), scale});
    changed();
    return true;
}

uint32_t RigidBody::shapeCount() const {
    return uint32_t(impl_->shapes.size());
}

const CookedMesh* RigidBody::shapeMesh(uint32_t index) const {
    return index < impl_->shapes.size() ? impl_->shapes[index].mesh.get() : nullptr;
}

std::shared_ptr<const CookedMesh> RigidBody::sharedShapeMesh(uint32_t index) const {
    return index < impl_->shapes.size() ? impl_->shapes[index].mesh : nullptr;
}

glm::vec3 RigidBody::shapeScale(uint32_t index) const {
    return index < impl_->shapes.size() ? impl_->shapes[index].scale : glm::vec3(0.0f);
}

void RigidBody::detachShapes() {
    if (impl_->shapes.empty()) {
        return;
    }
    // Out of the world first: its pairs still refer to the shapes.
    PhysicsContext* world = impl_->world;
    if (world) {
        world->unlink(*this);
    }
    if (impl_->dynamic) {
        while (impl_->compound->getNumChildShapes() > 0) {
            impl_->compound->removeChildShapeByIndex(impl_->compound->getNumChildShapes() - 1);
        }
    } else {
        impl_->object->setCollisionShape(nullptr);
    }
    impl_->shapes.clear();
}

void RigidBody::setTrigger(bool trigger) {
    impl_->trigger = trigger;
    changed();
}

bool RigidBody::isTrigger() const {
    return impl_->trigger;
}

void RigidBody::setFilter(FilterData filter) {
    impl_->filter = filter;
    changed();
}

FilterData RigidBody::filter() const {
    return impl_->filter;
}

GameObject* RigidBody::userData() const {
    return impl_->user;
}

void RigidBody::setUserData(GameObject* object) {
    impl_->user = object;
}

glm::vec3 RigidBody::position() const {
    return toGlm(impl_->object->getWorldTransform().getOrigin());
}

glm::quat RigidBody::rotation() const {
    btQuaternion q = impl_->object->getWorldTransform().getRotation();
    return glm::quat(q.w(), q.x(), q.y(), q.z());
}

void RigidBody::setGlobalPose(const glm::vec3& position, const glm::quat& rotation) {
    btTransform pose = toBullet(position, rotation);
    impl_->object->setWorldTransform(pose);
    impl_->object->setInterpolationWorldTransform(pose);
    if (impl_->world) {
        impl_->world->updateBounds(*this);
    }
}

void RigidBody::setLinearVelocity(const glm::vec3& velocity) {
    if (btRigidBody* body = impl_->rigid()) {
        body->setLinearVelocity(toBullet(velocity));
    }
}

glm::vec3 RigidBody::linearVelocity() const {
    btRigidBody* body = impl_->rigid();
    return body ? toGlm(body->getLinearVelocity()) : glm::vec3(0.0f);
}

void RigidBody::setAngularVelocity(const glm::vec3& velocity) {
    if (btRigidBody* body = impl_->rigid()) {
        body->setAngularVelocity(toBullet(velocity));
    }
}

glm::vec3 RigidBody::angularVelocity() const {
    btRigidBody* body = impl_->rigid();
    return body ? toGlm(body->getAngularVelocity()) : glm::vec3(0.0f);
}

void RigidBody::addTorque(const glm::vec3& torque) {
    if (impl_->dynamic) {
        impl_->torque += torque;
    }
}

void RigidBody::setAngularDamping(float damping) {
    impl_->angularDamping = std::max(0.0f, damping);
}

float RigidBody::angularDamping() const {
    return impl_->angularDamping;
}

bool RigidBody::inWorld() const {
    return impl_->world != nullptr;
}

void RigidBody::release() {
    if (impl_ && impl_->world) {
        impl_->world->removeBody(*this);
    }
}

btCollisionObject* RigidBody::nativeObject() const {
    return impl_->object.get();
}

// Torque, damping and the speed limit act the way the game's handling was
// tuned for: the torque adds I⁻¹·T·dt, then the angular velocity shrinks by
// max(0, 1 − c·dt) and is clamped to the limit. Bullet's own damping, a power
// law with the coefficient capped at 1, would turn the ship far too slowly.
void RigidBody::integrateVelocity(float dt) {
    btRigidBody* body = impl_->rigid();
    if (!body) {
        return;
    }
    btVector3 omega = body->getAngularVelocity() +
                      body->getInvInertiaTensorWorld() * toBullet(impl_->torque) * dt;
    omega *= std::max(0.0f, 1.0f - impl_->angularDamping * dt);
    const float speed = omega.length();
    if (speed > MAX_ANGULAR_VELOCITY) {
        omega *= MAX_ANGULAR_VELOCITY / speed;
    }
    body->setAngularVelocity(omega);
    impl_->torque = glm::vec3(0.0f);
}

uint64_t RigidBody::serial() const {
    return impl_->serial;
}

void RigidBody::setWorld(PhysicsContext* context) {
    impl_->world = context;
}

void RigidBody::changed() {
    if (impl_->world) {
        impl_->world->relink(*this);
    }
}
