#include "graphics/TextureShader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/Camera.h"
#include "graphics/Filter.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/Light.h"
#include "graphics/Texture.h"
#include "objects/GameObject.h"
#include "objects/Transform.h"

namespace {

TextureShader* gTextureShader = nullptr;

constexpr size_t kFilterEntryBytes = 48;
constexpr size_t kLightHeaderBytes = 32;
constexpr size_t kLightEntryBytes = 64;
static_assert(kFilterEntryBytes * kMaxFilters == platform::kFilterBlockBytes, "filter block layout");
static_assert(kLightHeaderBytes + kLightEntryBytes * kMaxLights == platform::kLightBlockBytes, "light block layout");

void Put(uint8_t* at, float value) { std::memcpy(at, &value, sizeof(value)); }
void Put(uint8_t* at, uint32_t value) { std::memcpy(at, &value, sizeof(value)); }

// Light shapes of the programs: the loop, no lights, 1 to kLightSlots slots, then no lights and
// no ambient tint.
constexpr int kShapeLoop = 0;
constexpr int kShapeUnlit = 1;
constexpr int kShapeUntinted = kShapeUnlit + kLightSlots + 1;

int Program(uint32_t skip, int lightsPerQuad) {
  int shape = kShapeLoop;
  if ((skip & kNoLights) != 0 || lightsPerQuad <= 0) {
    shape = (skip & kNoTint) != 0 ? kShapeUntinted : kShapeUnlit;
  } else if (lightsPerQuad <= kLightSlots) {
    shape = kShapeUnlit + lightsPerQuad;
  }
  return 2 * shape + static_cast<int>(skip & kNoFilters);
}

}  // namespace

TextureShader* GetTextureShader() { return gTextureShader; }
void SetTextureShader(TextureShader* shader) { gTextureShader = shader; }

int ReachedLightCount(const uint32_t lightsOut[4], uint32_t lightCount) {
  const uint32_t count = std::min<uint32_t>(lightCount, kMaxLights);
  int reached = 0;
  for (uint32_t w = 0; w * 32 < count; ++w) {
    uint32_t bits = ~lightsOut[w];
    if (count - w * 32 < 32) bits &= (1u << (count - w * 32)) - 1u;
    reached += std::popcount(bits);
  }
  return reached;
}

bool TextureShader::Initialize() {
  // Program v: v % 2 is the kNoFilters bit, v / 2 the light shape (see Program).
  for (int variant = 0; variant < kTextureVariants; ++variant) {
    std::vector<std::string> defines;
    if ((variant & kNoFilters) != 0) defines.push_back("NO_FILTERS");
    const int shape = variant / 2;
    if (shape == kShapeUnlit || shape == kShapeUntinted) defines.push_back("NO_LIGHTS");
    if (shape == kShapeUntinted) defines.push_back("NO_TINT");
    if (shape > kShapeUnlit && shape < kShapeUntinted) {
      std::string slots = "LIGHT_SLOTS ";
      slots += static_cast<char>('0' + shape - kShapeUnlit);
      defines.push_back(slots);
    }
    programs_[variant] = CompileShaderProgram(platform::ProgramKind::Texture, "./Shaders/vtexture.glsl",
                                              "./Shaders/ptexture.glsl", &vertexShaders_[variant],
                                              &pixelShaders_[variant], defines);
    if (!programs_[variant]) {
      Shutdown();
      return false;
    }
  }
  platform::GpuDevice& gpu = Gpu();
  matrixBuffer_ = gpu.CreateUniformBuffer(platform::kMatrixBlockBytes);
  filterBuffer_ = gpu.CreateUniformBuffer(platform::kFilterBlockBytes);
  lightBuffer_ = gpu.CreateUniformBuffer(platform::kLightBlockBytes);
  if (!matrixBuffer_ || !filterBuffer_ || !lightBuffer_) {
    Shutdown();
    return false;
  }
  return true;
}

void TextureShader::Shutdown() {
  platform::GpuDevice& gpu = Gpu();
  gpu.DestroyBuffer(lightBuffer_);
  gpu.DestroyBuffer(filterBuffer_);
  gpu.DestroyBuffer(matrixBuffer_);
  for (int variant = 0; variant < kTextureVariants; ++variant) {
    gpu.DestroyProgram(programs_[variant]);
    gpu.DestroyShader(pixelShaders_[variant]);
    gpu.DestroyShader(vertexShaders_[variant]);
  }
  matrixShadow_.clear();
  filterShadow_.clear();
  lightShadow_.clear();
}

void TextureShader::FillFilterBlock(const GameObject* owner, uint8_t out[platform::kFilterBlockBytes]) {
  std::memset(out, 0, platform::kFilterBlockBytes);
  if (owner == nullptr) return;
  // The owner's Filter components in component order; the first 16 are sent, the rest ignored.
  int entry = 0;
  for (const auto& component : owner->components) {
    if (entry >= kMaxFilters) break;
    const auto* filter = dynamic_cast<const Filter*>(component.get());
    if (filter == nullptr) continue;
    uint8_t* at = out + static_cast<size_t>(entry) * kFilterEntryBytes;
    Put(at, static_cast<uint32_t>(filter->filterType));
    for (int c = 0; c < 4; ++c) Put(at + 16 + 4 * c, filter->color[c]);
    Put(at + 32, filter->saturation);
    ++entry;
  }
}

size_t TextureShader::FillLightBlock(uint8_t out[platform::kLightBlockBytes]) {
  const std::vector<Light*>& lights = LightList();
  // The block holds 128 lights; a scene with more sends the first 128 it created.
  size_t count = lights.size() < static_cast<size_t>(kMaxLights) ? lights.size() : static_cast<size_t>(kMaxLights);
  const Camera& camera = MainCamera();
  Vector4 ambient = GetAmbient();
  std::memset(out, 0, kLightHeaderBytes);
  Put(out + 0, camera.position[0]);
  Put(out + 4, camera.position[1]);
  Put(out + 8, camera.position[2]);
  Put(out + 12, static_cast<uint32_t>(count));
  for (int c = 0; c < 4; ++c) Put(out + 16 + 4 * c, ambient[c]);
  for (size_t i = 0; i < count; ++i) {
    const Light* light = lights[i];
    uint8_t* at = out + kLightHeaderBytes + i * kLightEntryBytes;
    std::memset(at, 0, kLightEntryBytes);
    const Transform* t = light->owner != nullptr ? light->owner->GetTransform() : nullptr;
    if (t != nullptr) {
      Put(at + 0, t->position[0]);
      Put(at + 4, t->position[1]);
      // 10 units nearer the camera than the owner.
      Put(at + 8, t->position[2] - 10.0f);
    }
    Put(at + 16, light->color[0]);
    Put(at + 20, light->color[1]);
    Put(at + 24, light->color[2]);
    Put(at + 28, light->intensity);
    Put(at + 32, light->falloffStart);
    Put(at + 48, light->falloffEnd);
  }
  return kLightHeaderBytes + count * kLightEntryBytes;
}

bool TextureShader::UploadIfChanged(platform::GpuBuffer buffer, std::vector<uint8_t>& shadow, const uint8_t* bytes,
                                    size_t size) {
  if (shadow.size() == size && std::memcmp(shadow.data(), bytes, size) == 0) return true;
  if (!Gpu().WriteBuffer(buffer, bytes, size)) return false;
  shadow.assign(bytes, bytes + size);
  return true;
}

bool TextureShader::Render(platform::GpuBuffer vertices, platform::GpuBuffer indices, int indexCount,
                           const glm::mat4& world, const glm::mat4& view, const glm::mat4& projection,
                           const Texture* texture, const GameObject* owner) {
  // Queued sprites go first, so this draw lands after them.
  NotifyStateChange();
  // glm keeps matrices column by column, the order GLSL's std140 mat4 expects.
  uint8_t matrices[platform::kMatrixBlockBytes];
  std::memcpy(matrices, &world[0][0], 64);
  std::memcpy(matrices + 64, &view[0][0], 64);
  std::memcpy(matrices + 128, &projection[0][0], 64);
  // The vertices of a direct draw carry no filter set of their own: set 0 holds the owner's.
  uint8_t filters[platform::kFilterBlockBytes] = {};
  float rows[12];
  ComposeFilters(owner, rows);
  std::memcpy(filters, rows, sizeof(rows));
  // The block is rebuilt for every draw (a light may have moved since the last one) but sent only
  // when it differs from what the GPU holds.
  static uint8_t lights[platform::kLightBlockBytes];
  size_t lightBytes = FillLightBlock(lights);
  return RenderBatch(vertices, indices, indexCount, 0, matrices, filters, lights, lightBytes, texture);
}

bool TextureShader::RenderBatch(platform::GpuBuffer vertices, platform::GpuBuffer indices, int indexCount,
                                int baseVertex, const uint8_t* matrices, const uint8_t* filters,
                                const uint8_t* lights, size_t lightBytes, const Texture* texture,
                                uint32_t skip, int lightsPerQuad) {
  if (!UploadIfChanged(matrixBuffer_, matrixShadow_, matrices, platform::kMatrixBlockBytes)) return false;
  if (!UploadIfChanged(filterBuffer_, filterShadow_, filters, platform::kFilterBlockBytes)) return false;
  // Only the header and the entries in use are sent; the shader reads no further than the count.
  if (!UploadIfChanged(lightBuffer_, lightShadow_, lights, lightBytes)) return false;

  platform::GpuDevice& gpu = Gpu();
  gpu.BindUniformBuffer(platform::UniformSlot::Matrix, matrixBuffer_);
  gpu.BindUniformBuffer(platform::UniformSlot::Filter, filterBuffer_);
  gpu.BindUniformBuffer(platform::UniformSlot::Light, lightBuffer_);
  gpu.UseSampling((skip & kNearestTexel) != 0 ? platform::TextureSampling::Nearest
                  : (skip & kNoMipmaps) != 0   ? platform::TextureSampling::FullSize
                                               : platform::TextureSampling::Mipmaps);
  gpu.DrawBase(programs_[Program(skip, lightsPerQuad)], vertices, indices, indexCount, baseVertex,
               texture != nullptr ? texture->view : platform::GpuTexture{});
  return true;
}

bool TextureShader::Render(platform::GpuBuffer vertices, platform::GpuBuffer indices, int indexCount,
                           const Texture* texture, const GameObject* owner) {
  return Render(vertices, indices, indexCount, WorldMatrix(), ViewMatrix(), ProjectionMatrix(), texture, owner);
}
