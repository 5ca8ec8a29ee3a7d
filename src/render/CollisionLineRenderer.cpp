#include "render/CollisionLineRenderer.h"

#include "core/Log.h"
#include "physics/CookedMesh.h"
#include "physics/PhysicsContext.h"
#include "world/Camera.h"

#include <GL/glew.h>
#include <glm/geometric.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <string>

namespace {

// Where the mesh's points lie, read from the cooked mesh itself so that a
// shape out of view costs no lines.
BoundingSphere meshBounds(const CookedMesh& mesh) {
    const std::vector<glm::vec3>* points = nullptr;
    if (const auto* hull = dynamic_cast<const ConvexMesh*>(&mesh)) {
        points = &hull->vertices();
    } else if (const auto* surface = dynamic_cast<const TriangleMesh*>(&mesh)) {
        points = &surface->positions();
    }
    if (!points || points->empty()) {
        return {};
    }
    glm::vec3 low = points->front(), high = low;
    for (const glm::vec3& p : *points) {
        low = glm::min(low, p);
        high = glm::max(high, p);
    }
    BoundingSphere sphere{0.5f * (low + high), 0.0f};
    for (const glm::vec3& p : *points) {
        sphere.radius = std::max(sphere.radius, glm::length(p - sphere.centre));
    }
    return sphere;
}

// "1500000" as "1,500,000".
std::string grouped(std::size_t value) {
    const std::string digits = std::to_string(value);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            text += ',';
        }
        text += digits[i];
    }
    return text;
}

} // namespace

std::string budgetNote(const CollisionLineFrame& shown) {
    if (shown.drawn >= shown.inView) {
        return {};
    }
    return "showing the nearest " + grouped(shown.drawn) + " of " + grouped(shown.inView) +
           " shapes in view";
}

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

CollisionLineRenderer::CollisionLineRenderer(std::size_t lineBudget)
    : VFShader("lines.vert", "lines.frag"), lineBudget_(lineBudget) {
    GLint vao = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vao);
    glGenVertexArrays(1, &vao_);
    glBindVertexArray(vao_);
    // Ends come from each mesh's buffer; the colour is one value per shape.
    glEnableVertexAttribArray(0);
    glBindVertexArray(GLuint(vao));
    projViewLocation_ = glGetUniformLocation(programId, "projView");
}

CollisionLineRenderer::~CollisionLineRenderer() {
    release();
    glDeleteVertexArrays(1, &vao_);
}

std::size_t CollisionLineRenderer::heldMeshes() const {
    return std::size_t(std::count_if(meshes_.begin(), meshes_.end(),
                                     [](const auto& entry) { return entry.second.buffer != 0; }));
}

void CollisionLineRenderer::release() {
    for (auto& [key, entry] : meshes_) {
        forget(entry);
    }
    // Swapped with empty ones: clearing keeps the tables' storage.
    std::unordered_map<const CookedMesh*, MeshLines>().swap(meshes_);
    std::vector<Candidate>().swap(candidates_);
    budgetReported_ = false;
}

void CollisionLineRenderer::forget(MeshLines& entry) {
    if (entry.buffer != 0) {
        glDeleteBuffers(1, &entry.buffer);
        entry.buffer = 0;
        heldLines_ -= entry.lines;
    }
}

CollisionLineRenderer::MeshLines&
CollisionLineRenderer::entryFor(const std::shared_ptr<const CookedMesh>& mesh) {
    MeshLines& entry = meshes_[mesh.get()];
    if (entry.mesh.expired()) {
        // New, or a mesh made where a released one was.
        forget(entry);
        entry = MeshLines{mesh, meshBounds(*mesh)};
    }
    return entry;
}

void CollisionLineRenderer::upload(MeshLines& entry, const CookedMesh& mesh) {
    const std::vector<glm::vec3> ends = meshEdges(mesh);
    entry.lines = ends.size() / 2;
    glGenBuffers(1, &entry.buffer);
    glBindBuffer(GL_ARRAY_BUFFER, entry.buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(ends.size() * sizeof(glm::vec3)), ends.data(),
                 GL_STATIC_DRAW);
    heldLines_ += entry.lines;
}

void CollisionLineRenderer::letGoOfUnused() {
    if (heldLines_ <= 2 * lineBudget_) {
        return;
    }
    std::vector<MeshLines*> unused;
    for (auto& [key, entry] : meshes_) {
        if (entry.buffer != 0 && entry.lastDrawn != frame_) {
            unused.push_back(&entry);
        }
    }
    std::sort(unused.begin(), unused.end(),
              [](const MeshLines* a, const MeshLines* b) { return a->lastDrawn < b->lastDrawn; });
    for (MeshLines* entry : unused) {
        if (heldLines_ <= 2 * lineBudget_) {
            break;
        }
        forget(*entry);
    }
}

CollisionLineFrame CollisionLineRenderer::draw(const std::vector<PlacedShape>& shapes,
                                               const Camera& camera) {
    ++frame_;
    CollisionLineFrame shown;
    shown.shapes = shapes.size();
    // Meshes gone since the last frame take their entries with them.
    for (auto it = meshes_.begin(); it != meshes_.end();) {
        if (it->second.mesh.expired()) {
            forget(it->second);
            it = meshes_.erase(it);
        } else {
            ++it;
        }
    }
    const glm::mat4 projView = camera.getProjection() * camera.getViewMatrix();
    const glm::vec3 eye = camera.getPosition();
    candidates_.clear();
    for (const PlacedShape& shape : shapes) {
        if (!shape.mesh) {
            continue;
        }
        MeshLines& entry = entryFor(shape.mesh);
        const BoundingSphere sphere = transformBounds(entry.bounds, shape.place);
        if (outsideView(sphere, projView)) {
            continue;
        }
        candidates_.push_back(
            {&shape, &entry, std::max(0.0f, glm::length(sphere.centre - eye) - sphere.radius)});
    }
    shown.inView = candidates_.size();
    if (candidates_.empty()) {
        return shown;
    }
    std::stable_sort(
        candidates_.begin(), candidates_.end(),
        [](const Candidate& a, const Candidate& b) { return a.distance < b.distance; });

    GLint program = 0, vao = 0, arrayBuffer = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vao);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
    GLfloat color[4];
    glGetVertexAttribfv(1, GL_CURRENT_VERTEX_ATTRIB, color);
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);

    glUseProgram(programId);
    glDisable(GL_DEPTH_TEST);
    glBindVertexArray(vao_);
    for (const Candidate& candidate : candidates_) {
        MeshLines& entry = *candidate.lines;
        if (entry.buffer == 0) {
            upload(entry, *candidate.shape->mesh);
        }
        // The nearest shape is drawn whatever its size.
        if (shown.drawn > 0 && shown.lines + entry.lines > lineBudget_) {
            break;
        }
        entry.lastDrawn = frame_;
        const glm::mat4 placed = projView * candidate.shape->place;
        glUniformMatrix4fv(projViewLocation_, 1, GL_FALSE, glm::value_ptr(placed));
        const glm::vec3 kindColor = shapeKindColor(candidate.shape->kind);
        glVertexAttrib3f(1, kindColor.r, kindColor.g, kindColor.b);
        glBindBuffer(GL_ARRAY_BUFFER, entry.buffer);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(glm::vec3), nullptr);
        glDrawArrays(GL_LINES, 0, GLsizei(entry.lines * 2));
        ++shown.drawn;
        shown.lines += entry.lines;
    }
    letGoOfUnused();

    glBindVertexArray(GLuint(vao));
    glBindBuffer(GL_ARRAY_BUFFER, GLuint(arrayBuffer));
    glVertexAttrib4fv(1, color);
    glUseProgram(GLuint(program));
    if (depthTest) {
        glEnable(GL_DEPTH_TEST);
    }
    if (shown.drawn < shown.inView && !budgetReported_) {
        budgetReported_ = true;
        logMessage(LogLevel::INFO, "Collision lines: " + budgetNote(shown) + " (at most " +
                                       grouped(lineBudget_) + " lines a frame).");
    }
    return shown;
}

namespace {

// Made by the first draw, with the context current. Never destroyed: it
// would delete its buffers after the context has gone at exit.
CollisionLineRenderer* f11View = nullptr;

} // namespace

CollisionLineFrame drawCollisionLines(const Camera& camera) {
    if (!f11View) {
        f11View = new CollisionLineRenderer();
    }
    return f11View->draw(placedShapes(PhysicsContext::instance()), camera);
}

void releaseCollisionLines() {
    if (f11View) {
        f11View->release();
    }
}
