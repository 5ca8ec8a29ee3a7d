#pragma once

#include "physics/CollisionLines.h"
#include "render/Culling.h"
#include "render/Shader.h"

#include <glm/vec3.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class Camera;

// The colour of each kind of collision shape on screen.
glm::vec3 shapeKindColor(ShapeKind kind);

// What one frame of collision lines showed.
struct CollisionLineFrame {
    std::size_t shapes = 0; // shapes handed in
    std::size_t inView = 0; // those whose bounding sphere reaches the view
    std::size_t drawn = 0;  // the nearest of those, within the line budget
    std::size_t lines = 0;  // lines drawn
};

// "showing the nearest 35 of 1,009 shapes in view" when the line budget left
// shapes in view out of a frame; "" when it drew them all.
std::string budgetNote(const CollisionLineFrame& shown);

// Draws collision shapes as lines over whatever the frame holds: each shape
// in the colour of its kind, unlit, never hidden by the scene's depth
// (program "lines.vert"/"lines.frag").
//
// A mesh's lines are made and uploaded once, in the mesh's own frame, into a
// buffer of its own, and drawn with each body's placement, so that a
// thousand asteroids of five meshes hold the lines of five. Shapes outside
// the view are skipped; of the rest the nearest are drawn, up to a budget of
// lines a frame, and the first frame the budget leaves shapes out says so in
// one INFO line. Lines of meshes not drawn lately are let go when more than
// twice the budget is held. Lives until exit with its program, like the
// other programs; its buffers go with release() or the object.
class CollisionLineRenderer : public VFShader {
public:
    // About 50 ms of CPU a frame for the software rasteriser at 1280x720:
    // some 30 asteroids of 5,120 triangles.
    static constexpr std::size_t DEFAULT_LINE_BUDGET = 250'000;

    explicit CollisionLineRenderer(std::size_t lineBudget = DEFAULT_LINE_BUDGET);
    ~CollisionLineRenderer() override;
    CollisionLineRenderer(const CollisionLineRenderer&) = delete;
    CollisionLineRenderer& operator=(const CollisionLineRenderer&) = delete;

    // Needs a current context; leaves the program, vertex array, array
    // buffer, depth test and the colour attribute's value as it found them.
    CollisionLineFrame draw(const std::vector<PlacedShape>& shapes, const Camera& camera);

    // Lets go of every mesh's lines and buffers; the next draw makes what it
    // needs again, and says again when the budget cuts in.
    void release();

    // Meshes whose lines are held, and the lines they hold together.
    std::size_t heldMeshes() const;
    std::size_t heldLines() const { return heldLines_; }

private:
    struct MeshLines {
        // To tell a mesh that went from a new one at the same address.
        std::weak_ptr<const CookedMesh> mesh;
        BoundingSphere bounds; // in the mesh's frame
        uint32_t buffer = 0;   // 0 while its lines are not held
        std::size_t lines = 0;
        uint64_t lastDrawn = 0; // frame number
    };
    struct Candidate {
        const PlacedShape* shape;
        MeshLines* lines;
        float distance;
    };

    MeshLines& entryFor(const std::shared_ptr<const CookedMesh>& mesh);
    void upload(MeshLines& entry, const CookedMesh& mesh);
    void forget(MeshLines& entry);
    void letGoOfUnused();

    std::size_t lineBudget_;
    uint32_t vao_ = 0;
    int32_t projViewLocation_ = -1;
    std::unordered_map<const CookedMesh*, MeshLines> meshes_;
    std::vector<Candidate> candidates_;
    std::size_t heldLines_ = 0;
    uint64_t frame_ = 0;
    bool budgetReported_ = false;
};

// The F11 view: the lines of every collision shape in the physics world, as
// seen by `camera`, over the current frame. The renderer behind it is made
// on first use and lives until exit.
CollisionLineFrame drawCollisionLines(const Camera& camera);

// F11 turned off: the F11 view lets go of all its lines and buffers.
void releaseCollisionLines();
