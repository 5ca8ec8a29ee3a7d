#include "render/CollisionLineRenderer.h"

#include "physics/PhysicsContext.h"
#include "render/Camera.h"

#include <GL/glew.h>

glm::vec3 shapeKindColor(ShapeKind kind) {
    switch (kind) {
    case ShapeKind::Obstacle:
        return {1.0f, 0.25f, 0.1f};
    case ShapeKind::Trash:
        return {0.1f, 1.0f, 0.2f};
    case ShapeKind::Ring:
        return {1.0f, 0.9f, 0.0f};
    case ShapeKind::Ship:
        return {0.2f, 0.6f, 1.0f};
    }
    return {1.0f, 1.0f, 1.0f};
}

CollisionLineRenderer::CollisionLineRenderer() : VFShader("lines.vert", "lines.frag") {
    glGenVertexArrays(1, &vao_);
    glGenBuffers(1, &vbo_);
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    constexpr GLsizei STRIDE = 6 * sizeof(float);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, STRIDE, nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, STRIDE,
                          reinterpret_cast<const void*>(3 * sizeof(float)));
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void CollisionLineRenderer::draw(const std::vector<CollisionLine>& lines, const Camera& camera) {
    if (lines.empty()) {
        return;
    }
    vertices_.clear();
    vertices_.reserve(lines.size() * 12);
    for (const CollisionLine& line : lines) {
        const glm::vec3 color = shapeKindColor(line.kind);
        for (const glm::vec3& end : {line.from, line.to}) {
            vertices_.insert(vertices_.end(), {end.x, end.y, end.z, color.r, color.g, color.b});
        }
    }
    glUseProgram(programId);
    setCamera(camera);
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices_.size() * sizeof(float)), vertices_.data(),
                 GL_STREAM_DRAW);
    glDrawArrays(GL_LINES, 0, GLsizei(lines.size() * 2));
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    if (depthTest) {
        glEnable(GL_DEPTH_TEST);
    }
}

void drawCollisionLines(const Camera& camera) {
    // Made on first use, with the context current; lives until exit.
    static CollisionLineRenderer renderer;
    renderer.draw(collisionLines(PhysicsContext::instance()), camera);
}
