#include "physics/PhysicsContext.h"

#include "core/LoopScheduler.h"
#include "physics/CollisionGroup.h"
#include "physics/RigidBody.h"

#include <btBulletDynamicsCommon.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <tuple>
#include <unordered_set>
#include <vector>

namespace {

// Holds the whole pair rule, so that Bullet forms only the pairs the game
// reports. Static bodies never pair with each other, nor do two triggers.
class GameOverlapFilter : public btOverlapFilterCallback {
public:
    bool needBroadphaseCollision(btBroadphaseProxy* proxy0,
                                 btBroadphaseProxy* proxy1) const override {
        auto* a = bodyOf(proxy0);
        auto* b = bodyOf(proxy1);
        if (!a || !b || (!a->isDynamic() && !b->isDynamic()) ||
            (a->isTrigger() && b->isTrigger())) {
            return false;
        }
        return gameFilterShader({a->filter(), a->isTrigger()}, {b->filter(), b->isTrigger()}) !=
               PairKind::Dropped;
    }

private:
    static const RigidBody* bodyOf(btBroadphaseProxy* proxy) {
        auto* object = static_cast<const btCollisionObject*>(proxy->m_clientObject);
        return object ? static_cast<const RigidBody*>(object->getUserPointer()) : nullptr;
    }
};

// One shape of one body touching one shape of another during a step. A
// trigger body comes first, otherwise the older body.
struct Touch {
    RigidBody* a;
    RigidBody* b;
    uint64_t serialA;
    uint64_t serialB;
    uint32_t shapeA;
    uint32_t shapeB;
    bool trigger;

    auto key() const { return std::tie(serialA, serialB, shapeA, shapeB); }
    bool operator<(const Touch& other) const { return key() < other.key(); }
    bool operator==(const Touch& other) const { return key() == other.key(); }
    bool names(const RigidBody* body) const { return a == body || b == body; }
};

} // namespace

struct PhysicsContext::Impl {
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher{&configuration};
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    GameOverlapFilter filter;
    btDiscreteDynamicsWorld world{&dispatcher, &broadphase, &solver, &configuration};
    std::vector<RigidBody*> bodies;
    // The moving bodies among them, the only ones a step changes.
    std::vector<RigidBody*> dynamicBodies;
    // Open batches, and the bodies waiting for the outermost one to end, in
    // the order they came (a body may be listed again after leaving).
    int batches = 0;
    std::vector<RigidBody*> waitingOrder;
    std::unordered_set<RigidBody*> waiting;
    // The touches of the last step, sorted.
    std::vector<Touch> touches;
    uint32_t shapeIndex(const RigidBody* body, int bulletIndex) const;
    void collectTouches(std::vector<Touch>& out);
};

PhysicsContext& PhysicsContext::instance() {
    static PhysicsContext context;
    return context;
}

PhysicsContext::PhysicsContext()
    : callback_(std::make_unique<CollisionCallback>()), impl_(std::make_unique<Impl>()) {
    impl_->world.setGravity(btVector3(0.0f, 0.0f, 0.0f));
    // Static bodies never move; only moving bodies need new bounds each step.
    impl_->world.setForceUpdateAllAabbs(false);
    // Pairs are filtered as bodies enter the world, so the rule is in place
    // before the first one does.
    impl_->world.getPairCache()->setOverlapFilterCallback(&impl_->filter);
}

PhysicsContext::~PhysicsContext() {
    // Bodies that outlive the world must not reach back into it.
    for (RigidBody* body : impl_->bodies) {
        unlink(*body);
        body->setWorld(nullptr);
    }
    impl_->bodies.clear();
    impl_->dynamicBodies.clear();
}

std::unique_ptr<CollisionCallback>
PhysicsContext::setCallback(std::unique_ptr<CollisionCallback> callback) {
    if (!callback) {
        callback = std::make_unique<CollisionCallback>();
    }
    std::swap(callback, callback_);
    return callback;
}

void PhysicsContext::addBody(RigidBody& body) {
    if (body.inWorld()) {
        return;
    }
    body.setWorld(this);
    impl_->bodies.push_back(&body);
    if (body.isDynamic()) {
        impl_->dynamicBodies.push_back(&body);
    }
    link(body);
}

void PhysicsContext::removeBody(RigidBody& body) {
    // Bodies keep the order they came in. A world is released front to back
    // in about that order, so the body is found near the front.
    auto it = std::find(impl_->bodies.begin(), impl_->bodies.end(), &body);
    if (it == impl_->bodies.end()) {
        return;
    }
    unlink(body);
    impl_->bodies.erase(it);
    std::erase(impl_->dynamicBodies, &body);
    body.setWorld(nullptr);
}

void PhysicsContext::beginBatch() {
    ++impl_->batches;
}

void PhysicsContext::endBatch() {
    if (impl_->batches == 0 || --impl_->batches > 0) {
        return;
    }
    std::vector<RigidBody*> order;
    order.reserve(impl_->waiting.size());
    for (RigidBody* body : impl_->waitingOrder) {
        if (impl_->waiting.erase(body) > 0) {
            order.push_back(body);
        }
    }
    impl_->waitingOrder.clear();
    // A fixed shuffle: inserted in a random order the tree stays shallow,
    // and the same level always builds the same tree.
    std::mt19937 shuffle(order.size());
    std::shuffle(order.begin(), order.end(), shuffle);
    for (RigidBody* body : order) {
        insert(*body);
    }
}

size_t PhysicsContext::bodyCount() const {
    return impl_->bodies.size();
}

void PhysicsContext::visitBodies(
    const std::function<void(const RigidBody&, const btCollisionObject&)>& visit) const {
    for (const RigidBody* body : impl_->bodies) {
        const btCollisionObject* object = body->nativeObject();
        if (object->getBroadphaseHandle()) {
            visit(*body, *object);
        }
    }
}

void PhysicsContext::link(RigidBody& body) {
    if (impl_->batches > 0) {
        if (impl_->waiting.insert(&body).second) {
            impl_->waitingOrder.push_back(&body);
        }
        return;
    }
    insert(body);
}

void PhysicsContext::insert(RigidBody& body) {
    btCollisionObject* object = body.nativeObject();
    if (body.shapeCount() == 0 || object->getBroadphaseHandle()) {
        return;
    }
    if (body.isDynamic()) {
        impl_->world.addRigidBody(static_cast<btRigidBody*>(object));
        return;
    }
    // A static body enters the broadphase only, not the world's list of
    // objects: Bullet walks that list several times each step (bounds,
    // islands, saved poses), and a level of thousands of rocks and rings
    // would pay for all of them on every step although none of them moves.
    // Pairs, contacts and reports come from the broadphase, so they are the
    // same.
    btVector3 min, max;
    object->getCollisionShape()->getAabb(object->getWorldTransform(), min, max);
    object->setBroadphaseHandle(impl_->broadphase.createProxy(
        min, max, object->getCollisionShape()->getShapeType(), object,
        int(btBroadphaseProxy::StaticFilter),
        int(btBroadphaseProxy::AllFilter ^ btBroadphaseProxy::StaticFilter), &impl_->dispatcher));
}

void PhysicsContext::unlink(RigidBody& body) {
    impl_->waiting.erase(&body);
    btCollisionObject* object = body.nativeObject();
    if (object->getBroadphaseHandle()) {
        // Frees the body's pairs and their contact manifolds.
        if (body.isDynamic()) {
            impl_->world.removeRigidBody(static_cast<btRigidBody*>(object));
        } else {
            btBroadphaseProxy* proxy = object->getBroadphaseHandle();
            impl_->broadphase.getOverlappingPairCache()->cleanProxyFromPairs(proxy,
                                                                             &impl_->dispatcher);
            impl_->broadphase.destroyProxy(proxy, &impl_->dispatcher);
            object->setBroadphaseHandle(nullptr);
        }
    }
    auto& touches = impl_->touches;
    touches.erase(std::remove_if(touches.begin(), touches.end(),
                                 [&](const Touch& t) { return t.names(&body); }),
                  touches.end());
}

void PhysicsContext::relink(RigidBody& body) {
    unlink(body);
    link(body);
}

void PhysicsContext::updateBounds(RigidBody& body) {
    btCollisionObject* object = body.nativeObject();
    if (object->getBroadphaseHandle()) {
        impl_->world.updateSingleAabb(object);
    }
}

void PhysicsContext::simulateStep() {
    for (RigidBody* body : impl_->dynamicBodies) {
        body->integrateVelocity(PHYSICS_STEP);
    }
    // Bullet keeps contact points that sink deeper into a shape; since no
    // contact is ever solved, each step starts from fresh points so that a
    // touch ends when the shapes part, not when their bounds do.
    btCollisionDispatcher& dispatcher = impl_->dispatcher;
    for (int i = 0; i < dispatcher.getNumManifolds(); ++i) {
        dispatcher.getManifoldByIndexInternal(i)->clearManifold();
    }
    // No sub-stepping: exactly one internal step of this length.
    impl_->world.stepSimulation(PHYSICS_STEP, 0);
    ++steps_;
    deliverReports();
}

uint32_t PhysicsContext::Impl::shapeIndex(const RigidBody* body, int bulletIndex) const {
    // Only dynamic bodies hold several shapes (children of a compound, whose
    // index Bullet records); a static body's index may name a triangle.
    if (!body->isDynamic() || bulletIndex < 0 || uint32_t(bulletIndex) >= body->shapeCount()) {
        return 0;
    }
    return uint32_t(bulletIndex);
}

void PhysicsContext::Impl::collectTouches(std::vector<Touch>& out) {
    for (int i = 0; i < dispatcher.getNumManifolds(); ++i) {
        const btPersistentManifold* manifold = dispatcher.getManifoldByIndexInternal(i);
        auto* a = static_cast<RigidBody*>(manifold->getBody0()->getUserPointer());
        auto* b = static_cast<RigidBody*>(manifold->getBody1()->getUserPointer());
        if (!a || !b) {
            continue;
        }
        for (int j = 0; j < manifold->getNumContacts(); ++j) {
            const btManifoldPoint& point = manifold->getContactPoint(j);
            if (point.getDistance() > 0.0f) {
                continue;
            }
            Touch t{a,
                    b,
                    a->serial(),
                    b->serial(),
                    shapeIndex(a, point.m_index0),
                    shapeIndex(b, point.m_index1),
                    a->isTrigger() || b->isTrigger()};
            const bool swap = t.trigger ? !a->isTrigger() : t.serialB < t.serialA;
            if (swap) {
                std::swap(t.a, t.b);
                std::swap(t.serialA, t.serialB);
                std::swap(t.shapeA, t.shapeB);
            }
            out.push_back(t);
        }
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
}

void PhysicsContext::deliverReports() {
    std::vector<Touch> current;
    impl_->collectTouches(current);
    const std::vector<Touch>& previous = impl_->touches;

    std::vector<Touch> begun;
    std::set_difference(current.begin(), current.end(), previous.begin(), previous.end(),
                        std::back_inserter(begun));
    std::vector<Touch> ended;
    std::set_difference(previous.begin(), previous.end(), current.begin(), current.end(),
                        std::back_inserter(ended));
    impl_->touches = std::move(current);

    // Contacts: one call per pair of bodies; the touches of one pair are
    // adjacent because the order starts with the two bodies.
    std::vector<ContactPair> pairs;
    for (size_t i = 0; i < begun.size();) {
        if (begun[i].trigger) {
            ++i;
            continue;
        }
        pairs.clear();
        size_t j = i;
        for (; j < begun.size() && begun[j].a == begun[i].a && begun[j].b == begun[i].b; ++j) {
            if (!begun[j].trigger) {
                pairs.push_back(ContactPair{
                    {begun[j].a, begun[j].b}, {begun[j].shapeA, begun[j].shapeB}, TouchFound});
            }
        }
        callback_->onContact(ContactPairHeader{{begun[i].a, begun[i].b}}, pairs.data(),
                             uint32_t(pairs.size()));
        i = j;
    }

    // Triggers: all pairs of the step in one call, the ended ones first.
    std::vector<TriggerPair> triggers;
    auto addTriggers = [&](const std::vector<Touch>& touches, TriggerStatus status) {
        for (const Touch& t : touches) {
            if (t.trigger) {
                triggers.push_back(TriggerPair{t.a, t.shapeA, t.b, t.shapeB, status});
            }
        }
    };
    addTriggers(ended, TriggerStatus::Lost);
    addTriggers(begun, TriggerStatus::Found);
    if (!triggers.empty()) {
        callback_->onTrigger(triggers.data(), uint32_t(triggers.size()));
    }
}
