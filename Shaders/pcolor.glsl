#version 330 core
// Colour program, pixel stage: the vertex colour as it is. Untextured models are neither lit nor
// filtered. A pixel with no coverage at all (alpha 0) is dropped so that an invisible quad does not
// write depth and hide what lies behind it.

in vec4 vertexColor;
out vec4 fragColor;

void main() {
  if (vertexColor.a <= 0.0) discard;
  fragColor = vertexColor;
}
