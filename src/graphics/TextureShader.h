// The texture program: textured quads, filtered by the drawn object's Filter components and lit by
// every Light and the ambient colour. Sources "./Shaders/vtexture.glsl" and
// "./Shaders/ptexture.glsl", compiled at start-up.
//
// The object kind: each texture vertex carries the ObjectType number of the object that owns the
// quad (vertex attribute 2, "TEXCOORD 1"). The vertex shader passes it unchanged to the pixel shader
// as a flat unsigned integer. The pixel shader treats screen furniture - Text (10), UI (16) and
// Transition (17) - as unlit: the ambient colour and the lights never darken menus, text or the
// fade. Every other kind (level objects, and particles, which carry kind 0) is lit. Filters apply
// to every kind. The lighting model itself is described in ptexture.glsl.
//
// The kind word also carries, above bit 16, the quad's filter set (see SpriteBatchState.h).
//
// Blocks, byte for byte (std140): MatrixBuffer 192 bytes (world, view, projection); FilterBuffer
// 768 bytes = 16 filter sets of 48: each an object's filters folded into one step (ComposeFilters:
// three rows of vec4, the 3 x 3 colour matrix with the alpha scale in row 0's w), set 0 for quads
// without a set of their own; LightBuffer
// 8224 bytes = 32-byte header (camera position xyz, light count, ambient RGB + intensity) + 128
// entries of 64 (position xyz-10 and 0, colour RGB, intensity, fall-off start at 32, fall-off end
// at 48). A block is uploaded only when its bytes differ from what the GPU already holds, so a
// frame whose lights do not change sends the light block once, not once per sprite.
#pragma once

#include <cstdint>
#include <vector>

#include <glm/mat4x4.hpp>

#include "platform/GpuDevice.h"

class GameObject;
class Texture;

// One vertex of the texture program (40 bytes): position, texture coordinates, owner's object kind,
// and the lights that cannot reach the quad: bit b of word w set means light 32 w + b is left out
// of the quad's lighting (the sprite batch works them out; all clear means every light is tried).
struct TextureVertex {
  float position[3];
  float texcoord[2];
  uint32_t kind;
  uint32_t lightsOut[4];
};
static_assert(sizeof(TextureVertex) == platform::kTextureVertexBytes, "texture vertex is 40 bytes");

inline constexpr int kMaxFilters = 16;

// The steps of the pixel stage a draw can do without (Shaders/ptexture.glsl): each combination is a
// program of its own, built from the same file.
enum TextureSteps : uint32_t {
  kAllSteps = 0,
  kNoFilters = 1,  // no quad of the draw is filtered (its filter set is the identity)
  kNoLights = 2,   // no light reaches any quad of the draw (the ambient colour still applies)
  // Not a program of its own: no quad of the draw shows its texture smaller than its size, so the
  // full-size level is sampled alone (GpuDevice::UseSampling), which gives the same pixels.
  kNoMipmaps = 4,
  // Not a program of its own either: every pixel centre of the draw falls on a texel centre of the
  // full-size level, so the nearest texel is what linear filtering gives (GpuDevice::UseSampling).
  kNearestTexel = 8,
  // Every quad's ambient tint is exactly 1 (screen furniture, or a white ambient colour at
  // intensity 1): with kNoLights, a program that leaves the multiply by it out.
  kNoTint = 16,
};
inline constexpr int kMaxLights = 128;
// The lit pixel stage comes in two shapes: a loop over the lights that reach the quad (any number),
// and, for draws none of whose quads more than kLightSlots lights reach, variants with 1 to
// kLightSlots light slots that the vertex stage fills (no loop, no light block reads per pixel).
inline constexpr int kLightSlots = 3;
// Programs per filter choice: the loop, no lights, one per slot count, and neither lights nor tint.
inline constexpr int kLightShapes = kLightSlots + 3;
inline constexpr int kTextureVariants = 2 * kLightShapes;

// The lights of the first `lightCount` of a light block that reach a quad whose vertices carry
// `lightsOut` (see TextureVertex): the number of lights the pixel stage adds for it.
int ReachedLightCount(const uint32_t lightsOut[4], uint32_t lightCount);

class TextureShader {
 public:
  // Compiles both sources and creates the matrix, filter and light blocks (the sampler is the
  // device's). Failure messages as for ColorShader::Initialize.
  bool Initialize();
  void Shutdown();

  // Draws `indexCount` indices of a texture-layout vertex buffer and an index buffer with the three
  // matrices, the texture (null or empty view: transparent) and the owner's filters (null owner: no
  // filters). Particle emitters call this once per emitter with their own buffers.
  bool Render(platform::GpuBuffer vertices, platform::GpuBuffer indices, int indexCount,
              const glm::mat4& world, const glm::mat4& view, const glm::mat4& projection,
              const Texture* texture, const GameObject* owner);
  // The same with the device's world matrix and the camera's view and projection.
  bool Render(platform::GpuBuffer vertices, platform::GpuBuffer indices, int indexCount,
              const Texture* texture, const GameObject* owner);
  // One batched draw: `indexCount` indices from `baseVertex` of a stream, with the blocks' bytes
  // as given (lights: the bytes in use). The sprite batch calls this.
  // `skip` (TextureSteps bits) names steps no quad of the draw needs; the variant without them
  // draws it. `lightsPerQuad` is the most lights that reach one quad of the draw: up to
  // kLightSlots, a variant with that many slots and no loop draws it.
  bool RenderBatch(platform::GpuBuffer vertices, platform::GpuBuffer indices, int indexCount, int baseVertex,
                   const uint8_t* matrices, const uint8_t* filters, const uint8_t* lights, size_t lightBytes,
                   const Texture* texture, uint32_t skip = kAllSteps, int lightsPerQuad = kMaxLights);

  // The owner's Filter components as entries of 48 bytes (type uint at 0, colour RGBA at 16,
  // saturation at 32), the first 16 in component order (tests read them).
  static void FillFilterBlock(const GameObject* owner, uint8_t out[platform::kFilterBlockBytes]);
  // Returns the number of bytes in use (32 + 64 x lights sent).
  static size_t FillLightBlock(uint8_t out[platform::kLightBlockBytes]);

 private:
  // Uploads `bytes` to `buffer` unless `shadow` already holds exactly those bytes.
  bool UploadIfChanged(platform::GpuBuffer buffer, std::vector<uint8_t>& shadow, const uint8_t* bytes,
                       size_t size);

  platform::GpuShader vertexShaders_[kTextureVariants];
  platform::GpuShader pixelShaders_[kTextureVariants];
  platform::GpuProgram programs_[kTextureVariants];
  platform::GpuBuffer matrixBuffer_;
  platform::GpuBuffer filterBuffer_;
  platform::GpuBuffer lightBuffer_;
  std::vector<uint8_t> matrixShadow_;
  std::vector<uint8_t> filterShadow_;
  std::vector<uint8_t> lightShadow_;
};

// The program-wide texture program (null before Graphics::Initialize and after shutdown).
TextureShader* GetTextureShader();
void SetTextureShader(TextureShader* shader);
