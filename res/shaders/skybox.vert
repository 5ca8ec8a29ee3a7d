#version 330 core
// The sky cube around the viewer. Only the camera's rotation reaches it, and
// it is placed on the far plane (depth = w) so that it stays behind
// everything already drawn.

layout(location = 0) in vec3 position;

uniform mat4 view;
uniform mat4 proj;

out vec3 direction;

void main() {
    direction = position;
    vec4 clip = proj * view * vec4(position, 1.0);
    gl_Position = clip.xyww;
}
