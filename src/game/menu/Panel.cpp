#include "game/menu/Panel.h"

#include "render/Shader.h"

#include <GL/glew.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace {

class PanelProgram : public VFShader {
public:
    PanelProgram() : VFShader("panel.vert", "panel.frag") {}
};

} // namespace

void drawPanels(const std::vector<PanelRect>& rects, float width, float height) {
    if (rects.empty()) {
        return;
    }
    // Built on first use, they live until exit.
    static PanelProgram program;
    static GLuint vertexArray = 0;
    static GLuint buffer = 0;
    if (!vertexArray) {
        glGenVertexArrays(1, &vertexArray);
        glGenBuffers(1, &buffer);
        glBindVertexArray(vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 2 * sizeof(float), nullptr);
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    std::vector<float> corners;
    corners.reserve(rects.size() * 12);
    for (const PanelRect& r : rects) {
        const float x0 = r.x, y0 = r.y, x1 = r.x + r.width, y1 = r.y + r.height;
        for (float v : {x0, y0, x1, y0, x1, y1, x0, y0, x1, y1, x0, y1}) {
            corners.push_back(v);
        }
    }
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    const GLboolean culling = glIsEnabled(GL_CULL_FACE);
    const GLboolean blending = glIsEnabled(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glUseProgram(program.programId);
    const glm::mat4 projection = glm::ortho(0.0f, width, 0.0f, height);
    glUniformMatrix4fv(glGetUniformLocation(program.programId, "projection"), 1, GL_FALSE,
                       glm::value_ptr(projection));
    const GLint color = glGetUniformLocation(program.programId, "color");
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(corners.size() * sizeof(float)), corners.data(),
                 GL_STREAM_DRAW);
    for (std::size_t i = 0; i < rects.size(); ++i) {
        glUniform4fv(color, 1, glm::value_ptr(rects[i].color));
        glDrawArrays(GL_TRIANGLES, GLint(i * 6), 6);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glUseProgram(0);
    if (culling) {
        glEnable(GL_CULL_FACE);
    }
    if (depthTest) {
        glEnable(GL_DEPTH_TEST);
    }
    if (!blending) {
        glDisable(GL_BLEND);
    }
}
