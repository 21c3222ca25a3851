// A mesh of flat-coloured triangles rebuilt every frame and drawn through the colour program in
// world space (identity world matrix, the camera's view and projection): vision cones, arrows and
// other shapes that are not quads. Triangles are stored clockwise on screen whatever order they are
// given in, since the device culls the other winding. The device buffers grow to the largest frame
// and are freed by Release (or the destructor).
#pragma once

#include <cstddef>
#include <vector>

#include "graphics/ColorShader.h"
#include "platform/GpuDevice.h"

class ColorMesh {
 public:
  ColorMesh() = default;
  ~ColorMesh();
  ColorMesh(const ColorMesh&) = delete;
  ColorMesh& operator=(const ColorMesh&) = delete;

  // Forgets the triangles (the buffers stay).
  void Clear() { vertices_.clear(); }
  // One triangle at depth z with the colour RGBA.
  void AddTriangle(float ax, float ay, float bx, float by, float cx, float cy, float z, const float rgba[4]);
  // A fan around (cx, cy): one triangle for each pair of neighbouring rim points (x, y pairs).
  void AddFan(float cx, float cy, const float* rim, size_t rimPoints, float z, const float rgba[4]);
  // A ring between radii inner and outer around (cx, cy), of `segments` pieces.
  void AddRing(float cx, float cy, float inner, float outer, int segments, float z, const float rgba[4]);
  size_t TriangleCount() const { return vertices_.size() / 3; }
  const std::vector<ColorVertex>& Vertices() const { return vertices_; }

  // Uploads the triangles and draws them with one draw call; nothing without triangles or without
  // the colour program.
  void Draw();
  void Release();

 private:
  bool Reserve(size_t vertexCount);

  std::vector<ColorVertex> vertices_;
  platform::GpuBuffer vertexBuffer_;
  platform::GpuBuffer indexBuffer_;
  size_t capacity_ = 0;  // vertices the buffers hold
};
