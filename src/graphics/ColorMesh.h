// A mesh of flat-coloured triangles rebuilt every frame and drawn through the colour program in
// world space (identity world matrix, the camera's view and projection): vision cones, arrows and
// other shapes that are not quads. Triangles are stored clockwise on screen whatever order they are
// given in, since the device culls the other winding. The triangles are drawn through the sprite
// batch, in order with the frame's quads.
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

  // Forgets the triangles (their storage stays for the next frame).
  void Clear() { vertices_.clear(); }
  // One triangle at depth z with the colour RGBA.
  void AddTriangle(float ax, float ay, float bx, float by, float cx, float cy, float z, const float rgba[4]);
  // A fan around (cx, cy): one triangle for each pair of neighbouring rim points (x, y pairs).
  void AddFan(float cx, float cy, const float* rim, size_t rimPoints, float z, const float rgba[4]);
  // A ring between radii inner and outer around (cx, cy), of `segments` pieces.
  void AddRing(float cx, float cy, float inner, float outer, int segments, float z, const float rgba[4]);
  size_t TriangleCount() const { return vertices_.size() / 3; }
  const std::vector<ColorVertex>& Vertices() const { return vertices_; }

  // Queues the triangles on the sprite batch with the current matrices; nothing without triangles
  // or without the colour program.
  void Draw();
  // Forgets the triangles and their storage.
  void Release();

 private:
  std::vector<ColorVertex> vertices_;
};
