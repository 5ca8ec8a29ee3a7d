#include "physics/CollisionMeshes.h"

#include "assets/Shape.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Mesh meshOf(const std::vector<glm::vec3>& positions, std::vector<uint32_t> indices) {
    std::vector<Vertex> vertices(positions.size());
    for (std::size_t i = 0; i < positions.size(); ++i) {
        vertices[i].position = positions[i];
        vertices[i].normal = glm::vec3(0, 0, 1);
    }
    return Mesh(std::move(vertices), std::move(indices), Material{});
}

// A pyramid on a square: 5 corners, 6 triangles, plus a point inside.
Mesh pyramid() {
    return meshOf({{-1, 0, -1}, {1, 0, -1}, {1, 0, 1}, {-1, 0, 1}, {0, 2, 0}, {0, 0.5f, 0}},
                  {0, 1, 2, 0, 2, 3, 0, 4, 1, 1, 4, 2, 2, 4, 3, 3, 4, 0});
}

std::string captured(auto&& cook) {
    testing::internal::CaptureStdout();
    cook();
    return testing::internal::GetCapturedStdout();
}

TEST(CookConvex, TheHullIsFoundFromThePositionsAlone) {
    std::shared_ptr<const ConvexMesh> hull;
    // Triangles play no part: a mesh with no triangles still has a hull.
    Mesh points = pyramid();
    points.indices.clear();
    EXPECT_EQ(captured([&] { hull = cookConvex(points); }), "");
    ASSERT_TRUE(hull);
    EXPECT_EQ(hull->vertices().size(), 5u); // the inner point is not a corner
}

TEST(CookConvex, FlatOrTooFewPointsGiveNullWithoutAConsoleLine) {
    std::shared_ptr<const ConvexMesh> hull = cookConvex(pyramid());
    EXPECT_EQ(captured([&] {
                  hull = cookConvex(meshOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {}));
              }),
              "");
    EXPECT_FALSE(hull);
    EXPECT_EQ(captured([&] {
                  hull = cookConvex(meshOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 1}}, {}));
              }),
              "");
    EXPECT_FALSE(hull);
    EXPECT_EQ(captured([&] { hull = cookConvex(meshOf({}, {})); }), "");
    EXPECT_FALSE(hull);
}

TEST(CookTriMesh, KeepsEveryTriangleOfTheMesh) {
    std::shared_ptr<const TriangleMesh> surface;
    EXPECT_EQ(captured([&] { surface = cookTriMesh(pyramid()); }), "");
    ASSERT_TRUE(surface);
    EXPECT_EQ(surface->triangleCount(), 6u);
    EXPECT_EQ(surface->vertexCount(), 6u);
}

TEST(CookTriMesh, NoTrianglesOrABadIndexGiveNullWithoutAConsoleLine) {
    std::shared_ptr<const TriangleMesh> surface;
    EXPECT_EQ(captured([&] { surface = cookTriMesh(meshOf({{0, 0, 0}, {1, 0, 0}}, {})); }), "");
    EXPECT_FALSE(surface);
    EXPECT_EQ(captured([&] {
                  surface = cookTriMesh(meshOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 7}));
              }),
              "");
    EXPECT_FALSE(surface);
}

TEST(CollisionMeshStore, KeepsEntriesAtTheirPositionsIncludingFailedOnes) {
    Store<std::shared_ptr<const CookedMesh>>& store = collisionMeshStore();
    EXPECT_EQ(&store, &collisionMeshStore());
    const std::size_t before = store.size();
    const uint32_t first = store.push(cookTriMesh(pyramid()));
    const uint32_t second = store.push(nullptr);
    const uint32_t third = store.push(cookConvex(pyramid()));
    EXPECT_EQ(first, before);
    EXPECT_EQ(second, before + 1);
    EXPECT_EQ(third, before + 2);
    EXPECT_TRUE(std::dynamic_pointer_cast<const TriangleMesh>(store.at(first)));
    EXPECT_FALSE(store.at(second));
    EXPECT_TRUE(std::dynamic_pointer_cast<const ConvexMesh>(store.at(third)));
}

} // namespace
