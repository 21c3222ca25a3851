#include "graphics/SpriteBatch.h"

#include <algorithm>
#include <cmath>
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

// A screen rectangle in normalised device coordinates: x0, y0, x1, y1.
struct Box {
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// A quad with a corner at or behind the camera's plane covers an unknown part of the screen.
constexpr Box kWholeScreen{-1e30f, -1e30f, 1e30f, 1e30f};

bool Overlap(const Box& a, const Box& b) { return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1; }

// One draw call waiting to be sent: its state and its quads in draw order.
struct Batch {
  Mode mode = Mode::None;
  platform::GpuTexture texture;
  const Texture* textureObject = nullptr;
  uint8_t matrices[platform::kMatrixBlockBytes] = {};
  std::vector<uint8_t> lights;  // the light block bytes in use (header + entries)
  // Filter sets: row r of set s at filters + (s * 3 + r) * 4 floats; set 0 is identity.
  float filters[kFilterSetsPerDraw * 12] = {};
  int filterSets = 1;
  bool lightsReach = false;  // some light reaches some quad of the batch
  bool shrinks = false;      // some quad shows its texture smaller than its size
  std::vector<TextureVertex> textureVertices;
  std::vector<ColorVertex> colorVertices;
  // Where on the screen the quads lie: all of them, and each one (for a small batch).
  Box bounds;
  std::vector<Box> quadBounds;

  size_t Quads() const { return mode == Mode::Textured ? textureVertices.size() / 4 : colorVertices.size() / 4; }
};

// A quad may be drawn earlier than it was asked for - joining an earlier batch of the same state -
// when it shares no pixel with anything asked for between: quads apart on the screen touch no
// common pixel, so neither blending nor the depth or stencil tests can tell the order they were
// drawn in. This joins, for instance, each guard with the other guards rather than leaving one
// draw per guard between the draws of their footstep particles. The search looks this many
// batches back and compares against each quad of a batch of at most kQuadsCompared quads (a
// larger batch counts by its bounds alone).
constexpr int kBatchesSearched = 8;
constexpr size_t kQuadsCompared = 64;
// Batches held before the oldest is sent anyway.
constexpr size_t kBatchesHeld = 32;
// Bounds grow by about two pixels of a 1280-pixel-wide screen, against rounding in rasterising.
constexpr float kBoundsMargin = 4.0f / 1280.0f;

struct BatchModule {
  bool live = false;
  Stream textured;
  Stream colored;
  platform::GpuBuffer quadIndices;

  // Batches waiting, oldest first: pending[0 .. held) (the vector keeps their storage between frames).
  std::vector<Batch> pending;
  size_t held = 0;

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

// Column-major 4 x 4 product a b.
void Multiply(const float a[16], const float b[16], float out[16]) {
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[column * 4 + k];
      out[column * 4 + row] = sum;
    }
  }
}

// projection x view x world of a matrix block: object space straight to clip space.
void ClipMatrix(const uint8_t matrices[platform::kMatrixBlockBytes], float all[16]) {
  float world[16], view[16], projection[16], viewWorld[16];
  std::memcpy(world, matrices, 64);
  std::memcpy(view, matrices + 64, 64);
  std::memcpy(projection, matrices + 128, 64);
  Multiply(view, world, viewWorld);
  Multiply(projection, viewWorld, all);
}

// The screen rectangle of four corners under a matrix block (projection x view x world).
template <class Vertex>
Box ScreenBounds(const Vertex corners[4], const uint8_t matrices[platform::kMatrixBlockBytes]) {
  float all[16];
  ClipMatrix(matrices, all);
  Box box{1e30f, 1e30f, -1e30f, -1e30f};
  for (int c = 0; c < 4; ++c) {
    const float* p = corners[c].position;
    float clip[4];
    for (int row = 0; row < 4; ++row) clip[row] = all[row] * p[0] + all[4 + row] * p[1] + all[8 + row] * p[2] + all[12 + row];
    if (!(clip[3] > 1e-6f)) return kWholeScreen;
    const float x = clip[0] / clip[3];
    const float y = clip[1] / clip[3];
    if (!(x == x) || !(y == y)) return kWholeScreen;  // not a number
    box.x0 = std::min(box.x0, x);
    box.y0 = std::min(box.y0, y);
    box.x1 = std::max(box.x1, x);
    box.y1 = std::max(box.y1, y);
  }
  box.x0 -= kBoundsMargin;
  box.y0 -= kBoundsMargin;
  box.x1 += kBoundsMargin;
  box.y1 += kBoundsMargin;
  return box;
}

// Whether a textured quad may show its texture smaller than its size anywhere: GL then blends in
// smaller mipmap levels. A quad that lies flat to the screen (all corners at one distance, which
// every quad of the game does) maps screen pixels to texels linearly; the texels one pixel step
// covers, measured generously (the sum of both directions' steps, which is at least what any GL
// implementation takes for the level choice), must stay below one by a thousandth (a backdrop
// drawn at its own size is a few pixels larger than its picture). Anything else (a tilted quad,
// an unknown texture or screen size) counts as shrinking.
bool Shrinks(const TextureVertex corners[4], const uint8_t matrices[platform::kMatrixBlockBytes],
             const Texture* texture, int screenWidth, int screenHeight) {
  if (texture == nullptr || texture->width <= 0 || texture->height <= 0 || screenWidth <= 0 || screenHeight <= 0) {
    return true;
  }
  float all[16];
  ClipMatrix(matrices, all);
  float sx[4], sy[4], w[4], tx[4], ty[4];
  for (int c = 0; c < 4; ++c) {
    const float* p = corners[c].position;
    float clip[4];
    for (int row = 0; row < 4; ++row) clip[row] = all[row] * p[0] + all[4 + row] * p[1] + all[8 + row] * p[2] + all[12 + row];
    if (!(clip[3] > 1e-6f)) return true;
    w[c] = clip[3];
    sx[c] = clip[0] / clip[3] * 0.5f * static_cast<float>(screenWidth);
    sy[c] = clip[1] / clip[3] * 0.5f * static_cast<float>(screenHeight);
    tx[c] = corners[c].texcoord[0] * static_cast<float>(texture->width);
    ty[c] = corners[c].texcoord[1] * static_cast<float>(texture->height);
  }
  for (int c = 1; c < 4; ++c) {
    if (std::abs(w[c] - w[0]) > 1e-5f * std::abs(w[0])) return true;
  }
  // Corners bottom-left (0), top-left (1), top-right (2), bottom-right (3): the edges from corner 0,
  // and corner 2 where a parallelogram puts it, on the screen and in the texture.
  const float e1x = sx[1] - sx[0], e1y = sy[1] - sy[0], e2x = sx[3] - sx[0], e2y = sy[3] - sy[0];
  const float d1x = tx[1] - tx[0], d1y = ty[1] - ty[0], d2x = tx[3] - tx[0], d2y = ty[3] - ty[0];
  if (std::abs(sx[2] - (sx[1] + e2x)) > 0.01f || std::abs(sy[2] - (sy[1] + e2y)) > 0.01f ||
      std::abs(tx[2] - (tx[1] + d2x)) > 0.01f || std::abs(ty[2] - (ty[1] + d2y)) > 0.01f) {
    return true;
  }
  const float det = e1x * e2y - e1y * e2x;
  if (!(std::abs(det) > 1e-3f)) return true;
  // Texels per pixel step along x and along y: [d1 d2] [e1 e2]^-1.
  const float dudx = (d1x * e2y - d2x * e1y) / det, dvdx = (d1y * e2y - d2y * e1y) / det;
  const float dudy = (d2x * e1x - d1x * e2x) / det, dvdy = (d2y * e1x - d1y * e2x) / det;
  const float step = std::max(std::abs(dudx) + std::abs(dvdx), std::abs(dudy) + std::abs(dvdy));
  return !(step <= 0.999f);
}

// Whether a quad at `box` may share a pixel with a quad of the batch.
bool Touches(const Batch& batch, const Box& box) {
  if (!Overlap(batch.bounds, box)) return false;
  if (batch.Quads() > kQuadsCompared) return true;
  for (const Box& quad : batch.quadBounds) {
    if (Overlap(quad, box)) return true;
  }
  return false;
}

void AddBounds(Batch& batch, const Box& box) {
  if (batch.Quads() == 0) {
    batch.bounds = box;
  } else {
    batch.bounds.x0 = std::min(batch.bounds.x0, box.x0);
    batch.bounds.y0 = std::min(batch.bounds.y0, box.y0);
    batch.bounds.x1 = std::max(batch.bounds.x1, box.x1);
    batch.bounds.y1 = std::max(batch.bounds.y1, box.y1);
  }
  if (batch.quadBounds.size() <= kQuadsCompared) batch.quadBounds.push_back(box);
}

// Reserves `count` vertices in a stream; returns the first one's index.
size_t Reserve(Stream& stream, size_t count, bool* wrapped) {
  *wrapped = stream.cursor + count > stream.capacity;
  if (*wrapped) stream.cursor = 0;
  size_t first = stream.cursor;
  stream.cursor += count;
  return first;
}

void SendTextured(BatchModule& m, const Batch& b) {
  TextureShader* shader = GetTextureShader();
  const size_t count = b.textureVertices.size();
  if (shader == nullptr || count == 0) return;
  bool wrapped = false;
  const size_t first = Reserve(m.textured, count, &wrapped);
  if (!Gpu().WriteBufferAt(m.textured.buffer, first * sizeof(TextureVertex), b.textureVertices.data(),
                           count * sizeof(TextureVertex), wrapped)) {
    return;
  }
  uint8_t filterBlock[platform::kFilterBlockBytes] = {};
  std::memcpy(filterBlock, b.filters, static_cast<size_t>(b.filterSets) * 12 * sizeof(float));
  shader->RenderBatch(m.textured.buffer, m.quadIndices, static_cast<int>(count / 4 * 6), static_cast<int>(first),
                      b.matrices, filterBlock, b.lights.data(), b.lights.size(), b.textureObject,
                      (b.filterSets > 1 ? 0u : kNoFilters) | (b.lightsReach ? 0u : kNoLights) |
                          (b.shrinks ? 0u : kNoMipmaps));
}

void SendColored(BatchModule& m, const Batch& b) {
  ColorShader* shader = GetColorShader();
  const size_t count = b.colorVertices.size();
  if (shader == nullptr || count == 0) return;
  bool wrapped = false;
  const size_t first = Reserve(m.colored, count, &wrapped);
  if (!Gpu().WriteBufferAt(m.colored.buffer, first * sizeof(ColorVertex), b.colorVertices.data(),
                           count * sizeof(ColorVertex), wrapped)) {
    return;
  }
  shader->RenderBatch(m.colored.buffer, m.quadIndices, static_cast<int>(count / 4 * 6), static_cast<int>(first),
                      b.matrices);
}

void Send(BatchModule& m, const Batch& b) {
  if (b.mode == Mode::Textured) SendTextured(m, b);
  if (b.mode == Mode::Colored) SendColored(m, b);
}

// Sends the oldest held batch.
void SendOldest(BatchModule& m) {
  if (m.held == 0) return;
  Send(m, m.pending[0]);
  std::rotate(m.pending.begin(), m.pending.begin() + 1, m.pending.begin() + static_cast<std::ptrdiff_t>(m.held));
  --m.held;
}

// A new, empty batch at the end of the held ones, in `mode` with the state in the scratch fields.
Batch& Begin(BatchModule& m, Mode mode, const Texture* texture) {
  if (m.held >= kBatchesHeld) SendOldest(m);
  if (m.pending.size() <= m.held) m.pending.emplace_back();
  Batch& b = m.pending[m.held++];
  b.mode = mode;
  b.textureObject = texture;
  b.texture = texture != nullptr ? texture->view : platform::GpuTexture{};
  std::memcpy(b.matrices, m.nextMatrices, sizeof(b.matrices));
  b.filterSets = 1;
  b.lightsReach = false;
  b.shrinks = false;
  IdentitySet(b.filters);
  b.textureVertices.clear();
  b.colorVertices.clear();
  b.quadBounds.clear();
  b.bounds = Box{};
  return b;
}

// The set index of a composed filter in a batch, or -1 when its table is full.
int FindOrAddFilterSet(Batch& b, const float rows[12]) {
  for (int s = 1; s < b.filterSets; ++s) {
    if (std::memcmp(b.filters + s * 12, rows, 12 * sizeof(float)) == 0) return s;
  }
  if (b.filterSets >= kFilterSetsPerDraw) return -1;
  std::memcpy(b.filters + b.filterSets * 12, rows, 12 * sizeof(float));
  return b.filterSets++;
}

// The newest held batch a quad of this state may join (see kBatchesSearched), or null.
template <class Matches>
Batch* FindBatch(BatchModule& m, const Box& box, Matches matches) {
  const size_t searched = std::min<size_t>(m.held, kBatchesSearched);
  for (size_t k = 0; k < searched; ++k) {
    Batch& b = m.pending[m.held - 1 - k];
    if (matches(b)) return &b;
    if (Touches(b, box)) return nullptr;
  }
  return nullptr;
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

}  // namespace

// A light adds nothing beyond its reach: past the fall-off end (or, with an end not past the start,
// past the start) its fall-off is exactly 0. The quad's pixels lie within the
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
  m.pending.clear();
  m.held = 0;
  m.live = false;
}

void FlushSprites() {
  BatchModule& m = Module();
  for (size_t i = 0; i < m.held; ++i) Send(m, m.pending[i]);
  m.held = 0;
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

  // The newest batch this quad may join: one that shares its texture, matrices and lights and has
  // room for it and its filters; anything else starts a new draw.
  const platform::GpuTexture view = texture != nullptr ? texture->view : platform::GpuTexture{};
  const Box box = ScreenBounds(corners, m.nextMatrices);
  int set = 0;
  auto matches = [&](Batch& b) {
    if (b.mode != Mode::Textured || !(b.texture == view) || b.Quads() >= static_cast<size_t>(kQuadsPerDraw) ||
        std::memcmp(b.matrices, m.nextMatrices, sizeof(b.matrices)) != 0 || b.lights != m.nextLights) {
      return false;
    }
    set = filtered ? FindOrAddFilterSet(b, rows) : 0;
    return set >= 0;
  };
  Batch* batch = FindBatch(m, box, matches);
  if (batch == nullptr) {
    batch = &Begin(m, Mode::Textured, texture);
    batch->lights = m.nextLights;
    set = filtered ? FindOrAddFilterSet(*batch, rows) : 0;
  }
  uint32_t unreached[4] = {0, 0, 0, 0};
  if (IsLit(corners[0].kind) && UnreachedLights(corners, batch->matrices, batch->lights, unreached)) {
    batch->lightsReach = true;
  }
  if (!batch->shrinks) {
    const GraphicsDevice* device = GetGraphicsDevice();
    batch->shrinks = device == nullptr || Shrinks(corners, batch->matrices, texture, device->ViewportWidth(),
                                                  device->ViewportHeight());
  }
  AddBounds(*batch, box);
  for (int i = 0; i < 4; ++i) {
    TextureVertex v = corners[i];
    v.kind = (v.kind & ((1u << kFilterSetShift) - 1)) | (static_cast<uint32_t>(set) << kFilterSetShift);
    std::memcpy(v.lightsOut, unreached, sizeof(unreached));
    batch->textureVertices.push_back(v);
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
  const Box box = ScreenBounds(corners, m.nextMatrices);
  // A colour run never outgrows its (smaller) stream.
  auto matches = [&](Batch& b) {
    return b.mode == Mode::Colored && b.Quads() < kColorStreamVertices / 4 &&
           std::memcmp(b.matrices, m.nextMatrices, sizeof(b.matrices)) == 0;
  };
  Batch* batch = FindBatch(m, box, matches);
  if (batch == nullptr) batch = &Begin(m, Mode::Colored, nullptr);
  AddBounds(*batch, box);
  batch->colorVertices.insert(batch->colorVertices.end(), corners, corners + 4);
}
