// The colour program: untextured quads, position and colour through the world, view and projection
// matrices. Sources "./Shaders/vcolor.glsl" and "./Shaders/pcolor.glsl", compiled at start-up.
// Untextured models are neither lit nor filtered.
#pragma once

#include <cstdint>

#include <glm/mat4x4.hpp>

#include "platform/GpuDevice.h"

// One vertex of the colour program (28 bytes): position, then RGBA colour.
struct ColorVertex {
  float position[3];
  float color[4];
};
static_assert(sizeof(ColorVertex) == platform::kColorVertexBytes, "colour vertex is 28 bytes");

class ColorShader {
 public:
  // Compiles both sources and creates the matrix block. On a missing file shows "Missing Shader
  // File" with the file name; on a compile error writes "shader-error.txt" and says so. False then.
  bool Initialize();
  void Shutdown();

  // Draws `indexCount` indices of the bound buffers (a colour-layout vertex buffer and an index
  // buffer) with the three matrices. False (nothing drawn) when the matrix block cannot be written.
  bool Render(platform::GpuBuffer vertices, platform::GpuBuffer indices, int indexCount,
              const glm::mat4& world, const glm::mat4& view, const glm::mat4& projection);
  // The same with the device's world matrix and the camera's view and projection.
  bool Render(platform::GpuBuffer vertices, platform::GpuBuffer indices, int indexCount);
  // One batched draw: `indexCount` indices from `baseVertex` of a stream with the matrix block's
  // bytes as given. The sprite batch calls this.
  bool RenderBatch(platform::GpuBuffer vertices, platform::GpuBuffer indices, int indexCount, int baseVertex,
                   const uint8_t* matrices);

 private:
  platform::GpuShader vertexShader_;
  platform::GpuShader pixelShader_;
  platform::GpuProgram program_;
  platform::GpuBuffer matrixBuffer_;
  // What the matrix block holds now: an unchanged block is not sent again.
  uint8_t shadow_[platform::kMatrixBlockBytes] = {};
  bool shadowValid_ = false;
};

// The program-wide colour program (null before Graphics::Initialize and after shutdown).
ColorShader* GetColorShader();
void SetColorShader(ColorShader* shader);
