#include "game/RingGuide.h"

#include "game/Hud.h"
#include "render/Shader.h"
#include "render/Text.h"
#include "world/Camera.h"

#include <GL/glew.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float DESIGN_HEIGHT = 1080.0f;
// How far from the window's edge the arrow's tip stays, and its length.
constexpr float EDGE_MARGIN = 40.0f;
constexpr float ARROW_LENGTH = 44.0f;
constexpr float MARKER_SIZE = 26.0f;
constexpr float DISTANCE_SCALE = 0.4f;
// The share of the view (in normalised device coordinates) within which a
// ring counts as in view: one at the very edge already gets the arrow.
constexpr float IN_VIEW = 0.92f;
constexpr glm::vec3 GUIDE_COLOR{1.0f, 0.85f, 0.3f};

struct Vertex {
    glm::vec3 position;
    glm::vec3 color;
};

void triangle(std::vector<Vertex>& out, glm::vec2 a, glm::vec2 b, glm::vec2 c) {
    for (glm::vec2 p : {a, b, c}) {
        out.push_back({glm::vec3(p, 0.0f), GUIDE_COLOR});
    }
}

// The plain colour program of the collision lines, reused for flat shapes;
// built on first use, it lives until exit.
class ShapeProgram : public VFShader {
public:
    ShapeProgram() : VFShader("lines.vert", "lines.frag") {}
};

} // namespace

glm::vec2 distanceTextCorner(const RingGuide& guide, glm::vec2 textSize, float unit, float width,
                             float height) {
    glm::vec2 centre;
    if (guide.inView) {
        centre = guide.at - glm::vec2(0.0f, 2.0f * MARKER_SIZE * unit + 0.5f * textSize.y);
    } else {
        // The box's centre goes back along the arrow until the box clears the
        // arrow's base: how far depends on which of its sides faces the arrow.
        const glm::vec2 d = guide.direction;
        const float length = ARROW_LENGTH * unit;
        const float halfAlong = 0.5f * (std::abs(d.x) * textSize.x + std::abs(d.y) * textSize.y);
        centre = guide.at - d * (length + 0.3f * length + halfAlong);
    }
    glm::vec2 corner = centre - 0.5f * textSize;
    corner.x = std::clamp(corner.x, 0.0f, std::max(0.0f, width - textSize.x));
    corner.y = std::clamp(corner.y, 0.0f, std::max(0.0f, height - textSize.y));
    return corner;
}

RingGuide ringGuide(const Camera& camera, const glm::vec3& ring, float width, float height) {
    RingGuide guide;
    const glm::vec4 seen = camera.getViewMatrix() * glm::vec4(ring, 1.0f);
    guide.distance = glm::length(glm::vec3(seen));
    const glm::vec4 clip = camera.getProjection() * seen;
    if (seen.z < -camera.nearPlane && clip.w > 0.0f) {
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        if (std::abs(ndc.x) <= IN_VIEW && std::abs(ndc.y) <= IN_VIEW) {
            guide.inView = true;
            guide.at = {0.5f * (ndc.x + 1.0f) * width, 0.5f * (ndc.y + 1.0f) * height};
            return guide;
        }
    }
    // The way to turn in the camera's own frame; straight behind, up.
    glm::vec2 way(seen.x, seen.y);
    if (glm::length(way) < 1e-4f * std::max(1.0f, guide.distance)) {
        way = {0.0f, 1.0f};
    }
    guide.direction = glm::normalize(way);
    const float unit = height / DESIGN_HEIGHT;
    const glm::vec2 centre(0.5f * width, 0.5f * height);
    const float reachX = std::max(0.0f, 0.5f * width - EDGE_MARGIN * unit);
    const float reachY = std::max(0.0f, 0.5f * height - EDGE_MARGIN * unit);
    const float dx = std::abs(guide.direction.x);
    const float dy = std::abs(guide.direction.y);
    const float reach =
        std::min(dx > 1e-6f ? reachX / dx : 1e30f, dy > 1e-6f ? reachY / dy : 1e30f);
    guide.at = centre + guide.direction * reach;
    return guide;
}

std::string ringDistanceText(float metres) {
    return std::to_string(int(std::lround(std::max(0.0f, metres)))) + " m";
}

void drawRingGuide(const RingGuide& guide, float width, float height) {
    static ShapeProgram program;
    static GLuint vertexArray = 0;
    static GLuint buffer = 0;
    if (!vertexArray) {
        glGenVertexArrays(1, &vertexArray);
        glGenBuffers(1, &buffer);
        glBindVertexArray(vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                              reinterpret_cast<const void*>(sizeof(glm::vec3)));
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    const float unit = height / DESIGN_HEIGHT;
    std::vector<Vertex> shapes;
    glm::vec2 textAt;
    if (guide.inView) {
        // Four small wedges pointing at the ring's centre.
        const float s = MARKER_SIZE * unit;
        for (glm::vec2 d : {glm::vec2(1, 0), glm::vec2(-1, 0), glm::vec2(0, 1), glm::vec2(0, -1)}) {
            const glm::vec2 side(-d.y, d.x);
            const glm::vec2 tip = guide.at + d * s;
            triangle(shapes, tip, tip + d * (0.6f * s) + side * (0.35f * s),
                     tip + d * (0.6f * s) - side * (0.35f * s));
        }
    } else {
        const float length = ARROW_LENGTH * unit;
        const glm::vec2 d = guide.direction;
        const glm::vec2 side(-d.y, d.x);
        const glm::vec2 base = guide.at - d * length;
        triangle(shapes, guide.at, base + side * (0.45f * length), base - side * (0.45f * length));
    }
    const std::string distance = ringDistanceText(guide.distance);
    const TextExtent extent =
        measureText(startupGlyphs(), distance, 0.0f, 0.0f, DISTANCE_SCALE * unit);
    if (!extent.empty()) {
        const glm::vec2 corner = distanceTextCorner(
            guide, {extent.width(), extent.top - extent.bottom}, unit, width, height);
        // The pen stands where the measured box starts at that corner.
        textAt = corner - glm::vec2(extent.left, extent.bottom);
    }
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    const GLboolean culling = glIsEnabled(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glUseProgram(program.programId);
    const glm::mat4 projection = glm::ortho(0.0f, width, 0.0f, height);
    glUniformMatrix4fv(glGetUniformLocation(program.programId, "projView"), 1, GL_FALSE,
                       glm::value_ptr(projection));
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(shapes.size() * sizeof(Vertex)), shapes.data(),
                 GL_STREAM_DRAW);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(shapes.size()));
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glUseProgram(0);
    if (culling) {
        glEnable(GL_CULL_FACE);
    }
    drawText(distance, textAt.x, textAt.y, DISTANCE_SCALE * unit, GUIDE_COLOR);
    if (!depthTest) {
        glDisable(GL_DEPTH_TEST);
    }
}
