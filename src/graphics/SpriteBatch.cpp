#include "graphics/SpriteBatch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "graphics/Camera.h"
#include "graphics/ColorShader.h"
#include "graphics/Filter.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/SpriteBatchState.h"
#include "graphics/Texture.h"
#include "graphics/TextureShader.h"
#include "objects/GameObject.h"

using namespace sprite_batch;

namespace {

// Corner order of a queued quad and the two clockwise triangles made of it.
constexpr uint32_t kQuadIndexPattern[6] = {0, 1, 2, 2, 3, 0};

// A quad may be drawn earlier than it was asked for - joining an earlier batch of the same state -
// when it shares no pixel with anything asked for between: quads apart on the screen touch no
// common pixel, so neither blending nor the depth or stencil tests can tell the order they were
// drawn in. This joins, for instance, each guard with the other guards rather than leaving one
// draw per guard between the draws of their footstep particles. The search looks this many
// batches back and compares against each quad of a batch of at most kQuadsCompared quads (a
// larger batch counts by its bounds alone).
constexpr int kBatchesSearched = 8;
constexpr size_t kQuadsCompared = 64;

// The device and the shader programs tell the batch before they draw past it or present.
class Flusher final : public StateChangeListener {
 public:
  void BeforeStateChange() override { FlushSprites(); }
};

Flusher& TheFlusher() {
  static Flusher flusher;
  return flusher;
}

void CurrentMatrices(uint8_t out[platform::kMatrixBlockBytes]) {
  // glm keeps matrices column by column, the order GLSL's std140 mat4 expects.
  std::memcpy(out, &WorldMatrix()[0][0], 64);
  std::memcpy(out + 64, &ViewMatrix()[0][0], 64);
  std::memcpy(out + 128, &ProjectionMatrix()[0][0], 64);
}

// Whether every texel a quad can sample between its corners' texture coordinates is opaque.
bool SamplesOnlyOpaque(const TextureVertex corners[4], const Texture* texture) {
  float u0 = corners[0].texcoord[0], u1 = u0, v0 = corners[0].texcoord[1], v1 = v0;
  for (int c = 1; c < 4; ++c) {
    u0 = std::min(u0, corners[c].texcoord[0]);
    u1 = std::max(u1, corners[c].texcoord[0]);
    v0 = std::min(v0, corners[c].texcoord[1]);
    v1 = std::max(v1, corners[c].texcoord[1]);
  }
  return texture->opaque.SamplesOpaque(u0, v0, u1, v1);
}

// Whether a textured quad paints every pixel of a rectangle with alpha exactly 1: it lies square
// to the screen and faces the camera (the back faces are culled), within the depth range, its
// filters leave alpha alone, and every texel it can sample is opaque (with a picture opaque
// throughout when it shrinks its texture, since mipmaps mix texels from farther off). Then
// blending keeps nothing of what was below. Writes the pixels whose centres lie inside the quad
// by more than the slack to `inner`. `shrinks()` answers Shrinks for the quad.
template <class ShrinksFn>
bool PaintsOpaque(const Projected& q, const TextureVertex corners[4], const Texture* texture, float alphaScale,
                  const Screen& screen, ShrinksFn shrinks, PixelRect* inner) {
  if (!q.known || texture == nullptr || !texture->view || texture->opaque.Empty() || alphaScale != 1.0f) return false;
  // Corners bottom-left (0), top-left (1), top-right (2), bottom-right (3): the left and right
  // edges upright and the top and bottom level, to within a small part of a pixel.
  constexpr float kSquare = 0.25f / 1280.0f;
  if (std::abs(q.x[0] - q.x[1]) > kSquare || std::abs(q.x[2] - q.x[3]) > kSquare || std::abs(q.y[0] - q.y[3]) > kSquare ||
      std::abs(q.y[1] - q.y[2]) > kSquare) {
    return false;
  }
  // Clockwise on the screen (x right, y up) is the front face.
  const float turn = (q.x[1] - q.x[0]) * (q.y[2] - q.y[0]) - (q.x[2] - q.x[0]) * (q.y[1] - q.y[0]);
  if (!(turn < 0.0f)) return false;
  for (int c = 0; c < 4; ++c) {
    if (!(q.depth[c] >= 0.0f && q.depth[c] <= 1.0f)) return false;
  }
  // A quad that shows its texture smaller than its size samples smaller mipmap levels too, whose
  // texels mix texels from all around: only a picture opaque throughout is opaque there.
  if (!screen.device) return false;
  if (!texture->opaque.AllOpaque() && shrinks()) return false;
  if (!SamplesOnlyOpaque(corners, texture)) return false;
  const int width = screen.width, height = screen.height;
  *inner = PixelsWithin(WindowX(std::max(q.x[0], q.x[1]), width) + kEdgeSlack,
                        WindowX(std::max(q.y[0], q.y[3]), height) + kEdgeSlack,
                        WindowX(std::min(q.x[2], q.x[3]), width) - kEdgeSlack,
                        WindowX(std::min(q.y[1], q.y[2]), height) - kEdgeSlack, width, height);
  return !inner->Empty();
}

// Whether every pixel a textured quad draws comes out with alpha exactly 1, so that blending
// (source x alpha + destination x (1 - alpha), alpha one / zero) gives the source itself and the
// draw may go without it: its filters leave alpha alone (an alpha scale of exactly 1; the lights
// touch colour only) and every texel it can sample is opaque. A texel of alpha 255 reads as
// exactly 1, and filtering between such texels, or between mipmap levels made of them, stays 1.
// Unlike PaintsOpaque this asks nothing of the quad's shape or place: without multisampling a
// pixel is either drawn whole (its centre lies inside a triangle) or not at all, so a turned or
// tilted quad has no partly covered edge pixels whose coverage would lower their alpha; which
// pixels it draws does not matter here, only what each one drawn is made of. Those pixels'
// texture coordinates lie between the corners' (up to rounding, which the texel of margin
// SamplesOpaque keeps absorbs); a quad that shrinks its texture also reads smaller mipmap
// levels, whose texels mix texels from all around, so only a picture opaque throughout will do.
// `shrinks()` answers Shrinks for the quad.
template <class ShrinksFn>
bool DrawsOpaque(const TextureVertex corners[4], const Texture* texture, float alphaScale, ShrinksFn shrinks) {
  if (texture == nullptr || !texture->view || texture->opaque.Empty() || alphaScale != 1.0f) return false;
  if (texture->opaque.AllOpaque()) return true;
  if (!SamplesOnlyOpaque(corners, texture)) return false;
  return !shrinks();
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

void AddOpaque(Batch& batch, bool opaque) {
  batch.opaque.push_back(opaque ? 1 : 0);
  if (!opaque) ++batch.seeThrough;
}

// A new, empty batch at the end of the held ones, in `mode` with the state in the scratch fields.
Batch& Begin(BatchModule& m, Mode mode, const Texture* texture) {
  if (m.pending.size() <= m.held) m.pending.emplace_back();
  Batch& b = m.pending[m.held++];
  b.mode = mode;
  b.textureObject = texture;
  b.texture = texture != nullptr ? texture->view : platform::GpuTexture{};
  std::memcpy(b.matrices, m.nextMatrices, sizeof(b.matrices));
  b.filterSets = 1;
  b.lightsReach = false;
  b.tinted = false;
  b.quadLights.clear();
  b.shrinks = false;
  IdentitySet(b.filters);
  b.textureVertices.clear();
  b.colorVertices.clear();
  b.quadBounds.clear();
  b.analysed.clear();
  b.opaque.clear();
  b.seeThrough = 0;
  b.onTexels.clear();
  b.offTexels = 0;
  b.bounds = Box{};
  return b;
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

}  // namespace

namespace sprite_batch {

BatchModule& Module() {
  static BatchModule module;
  return module;
}

}  // namespace sprite_batch

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
  if (!m.live) {
    ShutdownSpriteBatch();
    return false;
  }
  SetStateChangeListener(&TheFlusher());
  return true;
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
  m.heldTextureVertices = m.heldColorVertices = 0;
  m.frame.clear();
  m.planes.clear();
  m.copiedDraw.clear();
  m.lastFirstDraw.clear();
  m.live = false;
  if (GetStateChangeListener() == &TheFlusher()) SetStateChangeListener(nullptr);
}

void FlushSprites() {
  BatchModule& m = Module();
  if (StreamsReady(m)) SendHeld(m, false);
}

void FinishSpriteFrame() {
  BatchModule& m = Module();
  if (StreamsReady(m)) SendHeld(m, true);
}

const SpriteFrameStats& GetSpriteFrameStats() { return Module().stats; }

void ResetSpriteFrameStats() { Module().stats = SpriteFrameStats{}; }

void DrawTexturedQuad(const TextureVertex corners[4], const Texture* texture, const GameObject* owner) {
  BatchModule& m = Module();
  if (!StreamsReady(m)) return;
  CurrentMatrices(m.nextMatrices);
  m.nextLightBytes = TextureShader::FillLightBlock(m.nextLights);
  float rows[12];
  const bool filtered = ComposeFilters(owner, rows);
  // The pixel stage drops pixels whose alpha ends below kDiscardAlpha, and a texel's alpha is at
  // most 1: under an alpha scale below it no pixel of the quad survives, so the quad is left out
  // rather than shaded and thrown away pixel by pixel (a faded-out object over the whole screen).
  if (rows[3] < kDiscardAlpha) return;
  // A full stream sends what it holds: the frame goes on from an empty one.
  if (m.heldTextureVertices + 4 > kTextureStreamVertices) FlushSprites();

  // The newest batch this quad may join: one that shares its texture, matrices and lights and has
  // room for it and its filters; anything else starts a new draw.
  const platform::GpuTexture view = texture != nullptr ? texture->view : platform::GpuTexture{};
  const Projected projected = Project(corners, ClipMatrix(m, m.nextMatrices));
  const Box box = ScreenBounds(projected);
  int set = 0;
  auto matches = [&](Batch& b) {
    if (b.mode != Mode::Textured || !(b.texture == view) || b.Quads() >= static_cast<size_t>(kQuadsPerDraw) ||
        std::memcmp(b.matrices, m.nextMatrices, sizeof(b.matrices)) != 0 || b.lights.size() != m.nextLightBytes ||
        std::memcmp(b.lights.data(), m.nextLights, m.nextLightBytes) != 0) {
      return false;
    }
    set = filtered ? FindOrAddFilterSet(b, rows) : 0;
    return set >= 0;
  };
  Batch* batch = FindBatch(m, box, matches);
  if (batch == nullptr) {
    batch = &Begin(m, Mode::Textured, texture);
    batch->lights.assign(m.nextLights, m.nextLights + m.nextLightBytes);
    set = filtered ? FindOrAddFilterSet(*batch, rows) : 0;
  }
  uint32_t unreached[4] = {0, 0, 0, 0};
  int reached = 0;
  if (IsLit(corners[0].kind) && UnreachedLights(corners, batch->matrices, batch->lights, unreached)) {
    batch->lightsReach = true;
    uint32_t lightCount = 0;
    std::memcpy(&lightCount, batch->lights.data() + 12, sizeof(lightCount));
    reached = ReachedLightCount(unreached, lightCount);
  }
  batch->quadLights.push_back(static_cast<uint8_t>(std::min(reached, 255)));
  // The tint is flat, from a corner the rasteriser picks: every corner's kind counts.
  for (int i = 0; i < 4 && !batch->tinted; ++i) batch->tinted = IsLit(corners[i].kind) && !AmbientTintIsOne(batch->lights);
  // Worked out at most once for the quad, and only when asked.
  const Screen screen = CurrentScreen();
  int shrinks = -1;
  auto quadShrinks = [&] {
    if (shrinks < 0) shrinks = Shrinks(projected, corners, texture, screen.width, screen.height) ? 1 : 0;
    return shrinks != 0;
  };
  if (!batch->shrinks) batch->shrinks = !screen.device || quadShrinks();
  AddBounds(*batch, box);
  FrameQuad quad;
  quad.box = box;
  quad.depth = Depths(m, projected, corners, batch->matrices);
  quad.hideable = true;
  quad.pixels = PixelsOf(projected, screen);
  quad.hides = PaintsOpaque(projected, corners, texture, rows[3], screen, quadShrinks, &quad.inner);
  if (quad.hides) {
    for (int c = 0; c < 4; ++c) std::memcpy(quad.corners[c], corners[c].position, sizeof(quad.corners[c]));
  }
  batch->analysed.push_back(quad);
  AddOpaque(*batch, quad.hides || DrawsOpaque(corners, texture, rows[3], quadShrinks));
  // A draw with a quad off the texel centres keeps linear filtering (unless that quad turns out
  // hidden), so the check stops at the first such quad: most draws of a level are magnified.
  const bool onTexels = batch->offTexels == 0 && TexelsOnPixels(projected, corners, texture, screen.width, screen.height);
  batch->onTexels.push_back(onTexels ? 1 : 0);
  if (!onTexels) ++batch->offTexels;
  m.heldTextureVertices += 4;
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
  if (m.heldColorVertices + 4 > kColorStreamVertices) FlushSprites();
  CurrentMatrices(m.nextMatrices);
  const Projected projected = Project(corners, ClipMatrix(m, m.nextMatrices));
  const Box box = ScreenBounds(projected);
  // A colour run never outgrows its (smaller) stream.
  auto matches = [&](Batch& b) {
    return b.mode == Mode::Colored && b.Quads() < kColorStreamVertices / 4 &&
           std::memcmp(b.matrices, m.nextMatrices, sizeof(b.matrices)) == 0;
  };
  Batch* batch = FindBatch(m, box, matches);
  if (batch == nullptr) batch = &Begin(m, Mode::Colored, nullptr);
  AddBounds(*batch, box);
  FrameQuad quad;
  quad.box = box;
  quad.depth = Depths(m, projected, corners, batch->matrices);
  batch->analysed.push_back(quad);
  // The colour program writes the vertex colour: with alpha exactly 1 at every corner, alpha is 1
  // across the quad, or a rounding step below it where perspective interpolation rounds (Mesa's
  // software renderer: about one pixel in twelve of tilted quads). That step is lost in the 8-bit
  // back buffer, where that renderer blends: blended and unblended gave the same bytes for every
  // pixel of 400,000 drawn, colours halfway between two steps included.
  AddOpaque(*batch, corners[0].color[3] == 1.0f && corners[1].color[3] == 1.0f && corners[2].color[3] == 1.0f &&
                        corners[3].color[3] == 1.0f);
  m.heldColorVertices += 4;
  batch->colorVertices.insert(batch->colorVertices.end(), corners, corners + 4);
}

