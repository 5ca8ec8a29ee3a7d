#pragma once

#include "physics/CollisionLines.h"
#include "render/Shader.h"

#include <glm/vec3.hpp>

#include <cstdint>
#include <vector>

class Camera;

// The colour of each kind of collision shape on screen.
glm::vec3 shapeKindColor(ShapeKind kind);

// Draws collision lines over whatever the frame holds: every line in the
// colour of its kind, unlit, never hidden by the scene's depth (program
// "lines.vert"/"lines.frag"). Lives until exit with its program and buffers,
// like the other programs.
class CollisionLineRenderer : public VFShader {
public:
    CollisionLineRenderer();

    // Needs a current context; leaves the depth test as it found it.
    void draw(const std::vector<CollisionLine>& lines, const Camera& camera);

private:
    uint32_t vao_ = 0;
    uint32_t vbo_ = 0;
    std::vector<float> vertices_;
};

// The F11 view: the lines of every collision shape in the physics world, as
// seen by `camera`, over the current frame.
void drawCollisionLines(const Camera& camera);
