#include "graphics/SpriteBatch.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/Camera.h"
#include "graphics/ColorShader.h"
#include "graphics/Filter.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/Light.h"
#include "graphics/Texture.h"
#include "graphics/TextureShader.h"
#include "objects/GameObject.h"

namespace {

// Quads per draw call: the shared index buffer covers this many (1.5 MB of indices).
constexpr int kQuadsPerDraw = 65536;
// The streams hold several frames of a busy level; a full stream starts over at its front, in the
// same storage. A run of quads never holds more vertices than its stream.
constexpr size_t kTextureStreamVertices = 1 << 18;
constexpr size_t kColorStreamVertices = 1 << 16;
static_assert(kTextureStreamVertices >= static_cast<size_t>(kQuadsPerDraw) * 4, "a textured run fits its stream");
// Corner order of a queued quad and the two clockwise triangles made of it.
constexpr uint32_t kQuadIndexPattern[6] = {0, 1, 2, 2, 3, 0};

enum class Mode { None, Textured, Colored };

// One GPU stream: a vertex buffer written front to back, frame after frame, without waiting for
// the GPU; when the next batch does not fit, writing starts over at the front, and that one write
// waits until the draws queued from the buffer are done, so a region is never written while a
// queued draw may still read it and the stream never needs a second storage.
struct Stream {
  platform::GpuBuffer buffer;
  size_t capacity = 0;  // vertices
  size_t cursor = 0;    // first free vertex
};

struct BatchModule {
  bool live = false;
  Stream textured;
  Stream colored;
  platform::GpuBuffer quadIndices;

  Mode mode = Mode::None;
  platform::GpuTexture texture;
  const Texture* textureObject = nullptr;
  uint8_t matrices[platform::kMatrixBlockBytes] = {};
  std::vector<uint8_t> lights;  // the light block bytes in use (header + entries)
  // Filter sets: row r of set s at filters + (s * 3 + r) * 4 floats; set 0 is identity.
  float filters[kFilterSetsPerDraw * 12] = {};
  int filterSets = 1;
  bool lightsReach = false;  // some light reaches some queued quad
  std::vector<TextureVertex> textureVertices;
  std::vector<ColorVertex> colorVertices;

  // Scratch for the state a new quad needs.
  uint8_t nextMatrices[platform::kMatrixBlockBytes] = {};
  std::vector<uint8_t> nextLights = std::vector<uint8_t>(platform::kLightBlockBytes);
};

BatchModule& Module() {
  static BatchModule module;
  return module;
}

void IdentitySet(float* rows) {
  const float identity[12] = {1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0};
  std::memcpy(rows, identity, sizeof(identity));
}

void CurrentMatrices(uint8_t out[platform::kMatrixBlockBytes]) {
  // glm keeps matrices column by column, the order GLSL's std140 mat4 expects.
  std::memcpy(out, &WorldMatrix()[0][0], 64);
  std::memcpy(out + 64, &ViewMatrix()[0][0], 64);
  std::memcpy(out + 128, &ProjectionMatrix()[0][0], 64);
}

size_t QueuedQuads(const BatchModule& m) {
  return m.mode == Mode::Textured ? m.textureVertices.size() / 4 : m.colorVertices.size() / 4;
}

// Reserves `count` vertices in a stream; returns the first one's index.
size_t Reserve(Stream& stream, size_t count, bool* wrapped) {
  *wrapped = stream.cursor + count > stream.capacity;
  if (*wrapped) stream.cursor = 0;
  size_t first = stream.cursor;
  stream.cursor += count;
  return first;
}

void SendTextured(BatchModule& m) {
  TextureShader* shader = GetTextureShader();
  const size_t count = m.textureVertices.size();
  if (shader == nullptr || count == 0) return;
  bool wrapped = false;
  const size_t first = Reserve(m.textured, count, &wrapped);
  if (!Gpu().WriteBufferAt(m.textured.buffer, first * sizeof(TextureVertex), m.textureVertices.data(),
                           count * sizeof(TextureVertex), wrapped)) {
    return;
  }
  uint8_t filterBlock[platform::kFilterBlockBytes] = {};
  std::memcpy(filterBlock, m.filters, static_cast<size_t>(m.filterSets) * 12 * sizeof(float));
  shader->RenderBatch(m.textured.buffer, m.quadIndices, static_cast<int>(count / 4 * 6), static_cast<int>(first),
                      m.matrices, filterBlock, m.lights.data(), m.lights.size(), m.textureObject,
                      (m.filterSets > 1 ? 0u : kNoFilters) | (m.lightsReach ? 0u : kNoLights));
}

void SendColored(BatchModule& m) {
  ColorShader* shader = GetColorShader();
  const size_t count = m.colorVertices.size();
  if (shader == nullptr || count == 0) return;
  bool wrapped = false;
  const size_t first = Reserve(m.colored, count, &wrapped);
  if (!Gpu().WriteBufferAt(m.colored.buffer, first * sizeof(ColorVertex), m.colorVertices.data(),
                           count * sizeof(ColorVertex), wrapped)) {
    return;
  }
  shader->RenderBatch(m.colored.buffer, m.quadIndices, static_cast<int>(count / 4 * 6), static_cast<int>(first),
                      m.matrices);
}

// Starts a new batch in `mode` with the state in the scratch fields.
void Begin(BatchModule& m, Mode mode, const Texture* texture) {
  m.mode = mode;
  m.textureObject = texture;
  m.texture = texture != nullptr ? texture->view : platform::GpuTexture{};
  std::memcpy(m.matrices, m.nextMatrices, sizeof(m.matrices));
  m.filterSets = 1;
  m.lightsReach = false;
  IdentitySet(m.filters);
}

// The set index of a composed filter in this batch, or -1 when the table is full.
int FindOrAddFilterSet(BatchModule& m, const float rows[12]) {
  for (int s = 1; s < m.filterSets; ++s) {
    if (std::memcmp(m.filters + s * 12, rows, 12 * sizeof(float)) == 0) return s;
  }
  if (m.filterSets >= kFilterSetsPerDraw) return -1;
  std::memcpy(m.filters + m.filterSets * 12, rows, 12 * sizeof(float));
  return m.filterSets++;
}

bool StreamsReady(const BatchModule& m) { return m.live && m.quadIndices; }

// Screen furniture is not lit (Shaders/ptexture.glsl).
bool IsLit(uint32_t kind) {
  const auto k = static_cast<ObjectType>(kind & ((1u << kFilterSetShift) - 1));
  return k != ObjectType::Text && k != ObjectType::UI && k != ObjectType::Transition;
}

float ReadFloat(const uint8_t* at) {
  float value;
  std::memcpy(&value, at, sizeof(value));
  return value;
}

// The lights of a light block (as FillLightBlock wrote it) that cannot reach any pixel of the quad,
// one bit per light. A light adds nothing beyond its reach: past the fall-off end (or, with an end
// not past the start, past the start) its fall-off is exactly 0. The quad's pixels lie within the
// box of its corners in world space; a light is left out only when that box lies beyond its reach
// by a margin, so rounding in the pixel stage's interpolated world position can never bring a
// left-out light back within reach. True when some light of the block reaches the quad.
bool UnreachedLights(const TextureVertex corners[4], const uint8_t world[64], const std::vector<uint8_t>& block,
                     uint32_t out[4]) {
  out[0] = out[1] = out[2] = out[3] = 0;
  if (block.size() < 32) return false;
  uint32_t count = 0;
  std::memcpy(&count, block.data() + 12, sizeof(count));
  count = std::min<uint32_t>({count, static_cast<uint32_t>(kMaxLights), static_cast<uint32_t>((block.size() - 32) / 64)});
  if (count == 0) return false;
  float m[16];
  std::memcpy(m, world, sizeof(m));
  float low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
  for (int c = 0; c < 4; ++c) {
    const float* p = corners[c].position;
    for (int axis = 0; axis < 3; ++axis) {
      // Column-major: world = M (x, y, z, 1).
      const float value = m[axis] * p[0] + m[4 + axis] * p[1] + m[8 + axis] * p[2] + m[12 + axis];
      low[axis] = c == 0 ? value : std::min(low[axis], value);
      high[axis] = c == 0 ? value : std::max(high[axis], value);
    }
  }
  uint32_t reached = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* entry = block.data() + 32 + static_cast<size_t>(i) * 64;
    const float start = ReadFloat(entry + 32);
    const float end = ReadFloat(entry + 48);
    const float reach = end > start ? end : start;
    const float limit = reach * 1.001f + 1.0f;
    float distance2 = 0.0f;
    for (int axis = 0; axis < 3; ++axis) {
      const float at = ReadFloat(entry + 4 * axis);
      const float gap = at < low[axis] ? low[axis] - at : (at > high[axis] ? at - high[axis] : 0.0f);
      distance2 += gap * gap;
    }
    // Written so that anything not a plain number (an infinite reach, a NaN) keeps the light.
    if (limit >= 0.0f && distance2 > limit * limit) {
      out[i / 32] |= 1u << (i % 32);
    } else {
      ++reached;
    }
  }
  return reached > 0;
}

}  // namespace

bool InitializeSpriteBatch() {
  BatchModule& m = Module();
  ShutdownSpriteBatch();
  platform::GpuDevice& gpu = Gpu();
  std::vector<uint32_t> indices(static_cast<size_t>(kQuadsPerDraw) * 6);
  for (size_t q = 0; q < static_cast<size_t>(kQuadsPerDraw); ++q) {
    for (size_t i = 0; i < 6; ++i) indices[q * 6 + i] = static_cast<uint32_t>(q * 4 + kQuadIndexPattern[i]);
  }
  m.quadIndices = gpu.CreateIndexBuffer(indices.data(), indices.size());
  m.textured.capacity = kTextureStreamVertices;
  m.textured.buffer = gpu.CreateVertexBuffer(platform::VertexLayout::Texture, nullptr,
                                             kTextureStreamVertices * sizeof(TextureVertex));
  m.colored.capacity = kColorStreamVertices;
  m.colored.buffer = gpu.CreateVertexBuffer(platform::VertexLayout::Color, nullptr,
                                            kColorStreamVertices * sizeof(ColorVertex));
  m.live = m.quadIndices && m.textured.buffer && m.colored.buffer;
  if (!m.live) ShutdownSpriteBatch();
  return m.live;
}

void ShutdownSpriteBatch() {
  BatchModule& m = Module();
  platform::GpuDevice& gpu = Gpu();
  gpu.DestroyBuffer(m.quadIndices);
  gpu.DestroyBuffer(m.textured.buffer);
  gpu.DestroyBuffer(m.colored.buffer);
  m.textured.cursor = m.colored.cursor = 0;
  m.textureVertices.clear();
  m.colorVertices.clear();
  m.mode = Mode::None;
  m.textureObject = nullptr;
  m.live = false;
}

void FlushSprites() {
  BatchModule& m = Module();
  if (m.mode == Mode::Textured) SendTextured(m);
  if (m.mode == Mode::Colored) SendColored(m);
  m.textureVertices.clear();
  m.colorVertices.clear();
  m.mode = Mode::None;
  m.textureObject = nullptr;
}

void DrawTexturedQuad(const TextureVertex corners[4], const Texture* texture, const GameObject* owner) {
  BatchModule& m = Module();
  if (!StreamsReady(m)) return;
  CurrentMatrices(m.nextMatrices);
  m.nextLights.resize(platform::kLightBlockBytes);
  m.nextLights.resize(TextureShader::FillLightBlock(m.nextLights.data()));
  float rows[12];
  const bool filtered = ComposeFilters(owner, rows);
  // The pixel stage drops pixels whose alpha ends below kDiscardAlpha, and a texel's alpha is at
  // most 1: under an alpha scale below it no pixel of the quad survives, so the quad is left out
  // rather than shaded and thrown away pixel by pixel (a faded-out object over the whole screen).
  if (rows[3] < kDiscardAlpha) return;

  // Anything this quad does not share with the queued ones starts a new draw.
  const platform::GpuTexture view = texture != nullptr ? texture->view : platform::GpuTexture{};
  bool same = m.mode == Mode::Textured && m.texture == view && QueuedQuads(m) < static_cast<size_t>(kQuadsPerDraw) &&
              std::memcmp(m.matrices, m.nextMatrices, sizeof(m.matrices)) == 0 && m.lights == m.nextLights;
  int set = 0;
  if (same && filtered) {
    set = FindOrAddFilterSet(m, rows);
    same = set >= 0;
  }
  if (!same) {
    FlushSprites();
    Begin(m, Mode::Textured, texture);
    m.lights.swap(m.nextLights);
    set = filtered ? FindOrAddFilterSet(m, rows) : 0;
  }
  uint32_t unreached[4] = {0, 0, 0, 0};
  if (IsLit(corners[0].kind) && UnreachedLights(corners, m.matrices, m.lights, unreached)) m.lightsReach = true;
  for (int i = 0; i < 4; ++i) {
    TextureVertex v = corners[i];
    v.kind = (v.kind & ((1u << kFilterSetShift) - 1)) | (static_cast<uint32_t>(set) << kFilterSetShift);
    std::memcpy(v.lightsOut, unreached, sizeof(unreached));
    m.textureVertices.push_back(v);
  }
}

void DrawColoredQuad(const ColorVertex corners[4]) {
  BatchModule& m = Module();
  if (!StreamsReady(m)) return;
  // The colour program drops pixels whose alpha is not above 0, and a pixel's alpha lies between
  // its corners': a quad with no corner above 0 shows nothing and writes no depth (the transition
  // overlay once its fade is over), so it is left out.
  if (corners[0].color[3] <= 0.0f && corners[1].color[3] <= 0.0f && corners[2].color[3] <= 0.0f &&
      corners[3].color[3] <= 0.0f) {
    return;
  }
  CurrentMatrices(m.nextMatrices);
  // A colour run never outgrows its (smaller) stream.
  const bool same = m.mode == Mode::Colored && QueuedQuads(m) < kColorStreamVertices / 4 &&
                    std::memcmp(m.matrices, m.nextMatrices, sizeof(m.matrices)) == 0;
  if (!same) {
    FlushSprites();
    Begin(m, Mode::Colored, nullptr);
  }
  m.colorVertices.insert(m.colorVertices.end(), corners, corners + 4);
}
