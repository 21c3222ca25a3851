#include "graphics/ColorMesh.h"

#include <cmath>
#include <numeric>
#include <utility>

#include "graphics/Camera.h"
#include "graphics/GraphicsDevice.h"

namespace {

constexpr float kTwoPi = 6.28318530718f;
constexpr size_t kFirstCapacity = 768;

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

bool ColorMesh::Reserve(size_t vertexCount) {
  if (vertexCount <= capacity_) return true;
  size_t capacity = capacity_ == 0 ? kFirstCapacity : capacity_;
  while (capacity < vertexCount) capacity *= 2;
  platform::GpuDevice& gpu = Gpu();
  gpu.DestroyBuffer(vertexBuffer_);
  gpu.DestroyBuffer(indexBuffer_);
  capacity_ = 0;
  // The triangles are a plain list, so the indices simply count up and never change.
  std::vector<uint32_t> indices(capacity);
  std::iota(indices.begin(), indices.end(), 0u);
  vertexBuffer_ = gpu.CreateVertexBuffer(platform::VertexLayout::Color, nullptr, capacity * sizeof(ColorVertex));
  indexBuffer_ = gpu.CreateIndexBuffer(indices.data(), indices.size());
  if (!vertexBuffer_ || !indexBuffer_) {
    gpu.DestroyBuffer(vertexBuffer_);
    gpu.DestroyBuffer(indexBuffer_);
    return false;
  }
  capacity_ = capacity;
  return true;
}

void ColorMesh::Draw() {
  if (vertices_.empty()) return;
  ColorShader* shader = GetColorShader();
  if (shader == nullptr || !Reserve(vertices_.size())) return;
  const size_t bytes = vertices_.size() * sizeof(ColorVertex);
  if (!Gpu().WriteBuffer(vertexBuffer_, vertices_.data(), bytes)) {
    // The buffers died with a device that was shut down since: make new ones on this device.
    vertexBuffer_ = {};
    indexBuffer_ = {};
    capacity_ = 0;
    if (!Reserve(vertices_.size()) || !Gpu().WriteBuffer(vertexBuffer_, vertices_.data(), bytes)) return;
  }
  shader->Render(vertexBuffer_, indexBuffer_, static_cast<int>(vertices_.size()), WorldMatrix(), ViewMatrix(),
                 ProjectionMatrix());
}

void ColorMesh::Release() {
  if (capacity_ == 0 && !vertexBuffer_ && !indexBuffer_) return;
  platform::GpuDevice& gpu = Gpu();
  gpu.DestroyBuffer(vertexBuffer_);
  gpu.DestroyBuffer(indexBuffer_);
  capacity_ = 0;
}
