#version 330 core
// Texture program, vertex stage. Position through the world, view and projection matrices
// (MatrixBuffer, slot 0), depth 0..w (remapped to -w..w only where the device defines
// DEPTH_MINUS_ONE_TO_ONE, see vcolor.glsl); the texture coordinates
// pass through; the object kind ("TEXCOORD 1", the ObjectType number of the quad's owner) goes to
// the pixel stage as a flat integer, never interpolated, and so does the quad's filter set, which
// rides in the same word above bit 16; the world position goes along so the pixel stage can
// measure its distance to each light, and so does the quad's set of lights that cannot reach it
// (flat, one bit per light).

layout(std140) uniform MatrixBuffer {
  mat4 worldMatrix;
  mat4 viewMatrix;
  mat4 projectionMatrix;
};

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texcoord;
layout(location = 2) in uint objectKind;
layout(location = 3) in uvec4 lightsOut;

out vec2 uv;
out vec3 worldPosition;
flat out uint kind;
flat out uint filterSet;
flat out uvec4 unreached;

void main() {
  vec4 world = worldMatrix * vec4(position, 1.0);
  vec4 p = projectionMatrix * (viewMatrix * world);
#ifdef DEPTH_MINUS_ONE_TO_ONE
  p.z = p.z * 2.0 - p.w;
#endif
  gl_Position = p;
  uv = texcoord;
  worldPosition = world.xyz;
  kind = objectKind & 0xFFFFu;
  filterSet = objectKind >> 16;
  unreached = lightsOut;
}
