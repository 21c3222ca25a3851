#version 330 core
// Colour program, vertex stage: untextured quads. Position and colour pass through the world,
// view and projection matrices (MatrixBuffer, slot 0). The projection gives depth from 0 to w.
// The device switches GL's clip space to that range where the driver can; where it cannot, it
// defines DEPTH_MINUS_ONE_TO_ONE and depth is remapped here to GL's -w..w.

layout(std140) uniform MatrixBuffer {
  mat4 worldMatrix;
  mat4 viewMatrix;
  mat4 projectionMatrix;
};

layout(location = 0) in vec3 position;
layout(location = 1) in vec4 color;

out vec4 vertexColor;

void main() {
  vec4 p = projectionMatrix * (viewMatrix * (worldMatrix * vec4(position, 1.0)));
#ifdef DEPTH_MINUS_ONE_TO_ONE
  p.z = p.z * 2.0 - p.w;
#endif
  gl_Position = p;
  vertexColor = color;
}
