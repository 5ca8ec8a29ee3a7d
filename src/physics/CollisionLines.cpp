#include "physics/CollisionLines.h"

#include "physics/CollisionGroup.h"
#include "physics/PhysicsContext.h"
#include "physics/RigidBody.h"

#include <BulletCollision/CollisionShapes/btCompoundShape.h>
#include <BulletCollision/CollisionShapes/btConvexHullShape.h>
#include <BulletCollision/CollisionShapes/btScaledBvhTriangleMeshShape.h>
#include <BulletCollision/CollisionShapes/btTriangleCallback.h>
#include <LinearMath/btConvexHullComputer.h>
#include <btBulletCollisionCommon.h>

namespace {

ShapeKind kindOf(const RigidBody& body) {
    if (body.isDynamic()) {
        return ShapeKind::Ship;
    }
    if (body.isTrigger()) {
        return (body.filter().word0 & RingGroup) ? ShapeKind::Ring : ShapeKind::Trash;
    }
    return ShapeKind::Obstacle;
}

glm::vec3 toGlm(const btVector3& v) {
    return {v.x(), v.y(), v.z()};
}

struct LineSink {
    std::vector<CollisionLine>& lines;
    ShapeKind kind;

    void add(const btTransform& place, const btVector3& a, const btVector3& b) {
        lines.push_back({toGlm(place * a), toGlm(place * b), kind});
    }
};

class TriangleEdges : public btTriangleCallback {
public:
    TriangleEdges(LineSink& sink, const btTransform& place) : sink_(sink), place_(place) {}

    void processTriangle(btVector3* corners, int, int) override {
        sink_.add(place_, corners[0], corners[1]);
        sink_.add(place_, corners[1], corners[2]);
        sink_.add(place_, corners[2], corners[0]);
    }

private:
    LineSink& sink_;
    const btTransform& place_;
};

void addHull(const btConvexHullShape& hull, const btTransform& place, LineSink& sink) {
    std::vector<btVector3> points;
    for (int i = 0; i < hull.getNumPoints(); ++i) {
        points.push_back(hull.getScaledPoint(i));
    }
    if (points.empty()) {
        return;
    }
    btConvexHullComputer computer;
    computer.compute(&points[0].x(), int(sizeof(btVector3)), int(points.size()), 0.0f, 0.0f);
    for (int i = 0; i < computer.edges.size(); ++i) {
        const btConvexHullComputer::Edge& edge = computer.edges[i];
        // Each edge is stored once per direction.
        if (edge.getSourceVertex() < edge.getTargetVertex()) {
            sink.add(place, computer.vertices[edge.getSourceVertex()],
                     computer.vertices[edge.getTargetVertex()]);
        }
    }
}

void addShape(const btCollisionShape& shape, const btTransform& place, LineSink& sink) {
    switch (shape.getShapeType()) {
    case COMPOUND_SHAPE_PROXYTYPE: {
        const auto& compound = static_cast<const btCompoundShape&>(shape);
        for (int i = 0; i < compound.getNumChildShapes(); ++i) {
            addShape(*compound.getChildShape(i), place * compound.getChildTransform(i), sink);
        }
        break;
    }
    case CONVEX_HULL_SHAPE_PROXYTYPE:
        addHull(static_cast<const btConvexHullShape&>(shape), place, sink);
        break;
    case SCALED_TRIANGLE_MESH_SHAPE_PROXYTYPE:
    case TRIANGLE_MESH_SHAPE_PROXYTYPE: {
        // Every triangle: the bounds take in the whole (scaled) mesh.
        TriangleEdges edges(sink, place);
        const btVector3 everywhere(BT_LARGE_FLOAT, BT_LARGE_FLOAT, BT_LARGE_FLOAT);
        static_cast<const btConcaveShape&>(shape).processAllTriangles(&edges, -everywhere,
                                                                      everywhere);
        break;
    }
    default:
        break;
    }
}

} // namespace

std::vector<CollisionLine> collisionLines(const PhysicsContext& physics) {
    std::vector<CollisionLine> lines;
    physics.visitBodies([&](const RigidBody& body, const btCollisionObject& object) {
        if (const btCollisionShape* shape = object.getCollisionShape()) {
            LineSink sink{lines, kindOf(body)};
            addShape(*shape, object.getWorldTransform(), sink);
        }
    });
    return lines;
}
