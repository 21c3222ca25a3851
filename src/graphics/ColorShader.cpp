#include "graphics/ColorShader.h"

#include <cstring>

#include "graphics/Camera.h"
#include "graphics/GraphicsDevice.h"

namespace {
ColorShader* gColorShader = nullptr;
}

ColorShader* GetColorShader() { return gColorShader; }
void SetColorShader(ColorShader* shader) { gColorShader = shader; }

bool ColorShader::Initialize() {
  program_ = CompileShaderProgram(platform::ProgramKind::Color, "./Shaders/vcolor.glsl", "./Shaders/pcolor.glsl",
                                  &vertexShader_, &pixelShader_);
  if (!program_) return false;
  matrixBuffer_ = Gpu().CreateUniformBuffer(platform::kMatrixBlockBytes);
  if (!matrixBuffer_) {
    Shutdown();
    return false;
  }
  return true;
}

void ColorShader::Shutdown() {
  platform::GpuDevice& gpu = Gpu();
  gpu.DestroyBuffer(matrixBuffer_);
  gpu.DestroyProgram(program_);
  gpu.DestroyShader(pixelShader_);
  gpu.DestroyShader(vertexShader_);
  shadowValid_ = false;
}

bool ColorShader::Render(platform::GpuBuffer vertices, platform::GpuBuffer indices, int indexCount,
                         const glm::mat4& world, const glm::mat4& view, const glm::mat4& projection) {
  // Queued sprites go first, so this draw lands after them.
  NotifyStateChange();
  // glm keeps matrices column by column, which is the order GLSL's std140 mat4 expects; the
  // shaders multiply projection * view * world * position.
  uint8_t block[platform::kMatrixBlockBytes];
  std::memcpy(block, &world[0][0], 64);
  std::memcpy(block + 64, &view[0][0], 64);
  std::memcpy(block + 128, &projection[0][0], 64);
  return RenderBatch(vertices, indices, indexCount, 0, block);
}

bool ColorShader::RenderBatch(platform::GpuBuffer vertices, platform::GpuBuffer indices, int indexCount,
                              int baseVertex, const uint8_t* matrices) {
  platform::GpuDevice& gpu = Gpu();
  if (std::memcmp(matrices, shadow_, sizeof(shadow_)) != 0 || !shadowValid_) {
    if (!gpu.WriteBuffer(matrixBuffer_, matrices, sizeof(shadow_))) return false;
    std::memcpy(shadow_, matrices, sizeof(shadow_));
    shadowValid_ = true;
  }
  gpu.BindUniformBuffer(platform::UniformSlot::Matrix, matrixBuffer_);
  gpu.DrawBase(program_, vertices, indices, indexCount, baseVertex, platform::GpuTexture{});
  return true;
}

bool ColorShader::Render(platform::GpuBuffer vertices, platform::GpuBuffer indices, int indexCount) {
  return Render(vertices, indices, indexCount, WorldMatrix(), ViewMatrix(), ProjectionMatrix());
}
