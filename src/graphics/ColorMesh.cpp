#include "graphics/ColorMesh.h"

#include <cmath>
#include <utility>

#include "graphics/Camera.h"
#include "graphics/SpriteBatch.h"

namespace {

constexpr float kTwoPi = 6.28318530718f;

ColorVertex Vertex(float x, float y, float z, const float rgba[4]) {
  return {{x, y, z}, {rgba[0], rgba[1], rgba[2], rgba[3]}};
}

}  // namespace

ColorMesh::~ColorMesh() { Release(); }

void ColorMesh::AddTriangle(float ax, float ay, float bx, float by, float cx, float cy, float z, const float rgba[4]) {
  // With y up a positive cross product is anticlockwise: swap two corners.
  const float cross = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
  if (cross > 0.0f) {
    std::swap(bx, cx);
    std::swap(by, cy);
  }
  vertices_.push_back(Vertex(ax, ay, z, rgba));
  vertices_.push_back(Vertex(bx, by, z, rgba));
  vertices_.push_back(Vertex(cx, cy, z, rgba));
}

void ColorMesh::AddFan(float cx, float cy, const float* rim, size_t rimPoints, float z, const float rgba[4]) {
  for (size_t i = 0; i + 1 < rimPoints; ++i) {
    AddTriangle(cx, cy, rim[2 * i], rim[2 * i + 1], rim[2 * i + 2], rim[2 * i + 3], z, rgba);
  }
}

void ColorMesh::AddRing(float cx, float cy, float inner, float outer, int segments, float z, const float rgba[4]) {
  for (int i = 0; i < segments; ++i) {
    const float a0 = kTwoPi * static_cast<float>(i) / static_cast<float>(segments);
    const float a1 = kTwoPi * static_cast<float>(i + 1) / static_cast<float>(segments);
    const float c0 = std::cos(a0), s0 = std::sin(a0), c1 = std::cos(a1), s1 = std::sin(a1);
    AddTriangle(cx + inner * c0, cy + inner * s0, cx + outer * c0, cy + outer * s0, cx + outer * c1, cy + outer * s1, z, rgba);
    AddTriangle(cx + inner * c0, cy + inner * s0, cx + outer * c1, cy + outer * s1, cx + inner * c1, cy + inner * s1, z, rgba);
  }
}

void ColorMesh::Draw() {
  if (vertices_.empty() || GetColorShader() == nullptr) return;
  // Each triangle goes to the sprite batch as a quad whose fourth corner repeats the third: the
  // batch draws a quad as two triangles, the first being this one and the second an empty one
  // (no area, no pixels). The triangles keep their order among the frame's other quads.
  for (size_t i = 0; i + 2 < vertices_.size(); i += 3) {
    const ColorVertex corners[4] = {vertices_[i], vertices_[i + 1], vertices_[i + 2], vertices_[i + 2]};
    DrawColoredQuad(corners);
  }
}

void ColorMesh::Release() {
  vertices_.clear();
  vertices_.shrink_to_fit();
}
