// The sprite batch's own state and what its files share: the batch module (the streams, the held
// draws, the frame's quads and the decisions about them), one held draw (Batch), and the measures
// of a quad. Only the sprite batch's files include this (SpriteBatch, SpriteQuadMeasures,
// SpriteFrame, SpriteLightsAndFilters); the rest of the game goes through SpriteBatch.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "graphics/ColorShader.h"
#include "graphics/Occlusion.h"
#include "graphics/SpriteFrameStats.h"
#include "graphics/TextureShader.h"
#include "platform/GpuDevice.h"

class Texture;

namespace sprite_batch {

// The texture program's pixel stage drops pixels whose alpha ends below this (Shaders/ptexture.glsl).
constexpr float kDiscardAlpha = 0.01f;
// The filter index 0 means "no filters"; up to this many distinct filter sets share one draw.
constexpr int kFilterSetsPerDraw = 16;
// The vertex's kind word: the object kind in the low 16 bits, the filter set above.
constexpr uint32_t kFilterSetShift = 16;

// Quads per draw call: the shared index buffer covers this many (1.5 MB of indices).
constexpr int kQuadsPerDraw = 65536;
// The streams hold several frames of a busy level; a full stream starts over at its front, in the
// same storage. A run of quads never holds more vertices than its stream.
constexpr size_t kTextureStreamVertices = 1 << 18;
constexpr size_t kColorStreamVertices = 1 << 16;
static_assert(kTextureStreamVertices >= static_cast<size_t>(kQuadsPerDraw) * 4, "a textured run fits its stream");

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

using Box = ScreenBox;

// A quad with a corner at or behind the camera's plane covers an unknown part of the screen.
constexpr Box kWholeScreen{-1e30f, -1e30f, 1e30f, 1e30f};

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
  bool tinted = false;       // some quad's ambient tint is not exactly 1 (AmbientTintIsOne)
  bool shrinks = false;      // some quad shows its texture smaller than its size
  std::vector<TextureVertex> textureVertices;
  std::vector<uint8_t> quadLights;  // how many lights reach each textured quad (0: unlit)
  std::vector<ColorVertex> colorVertices;
  // Where on the screen the quads lie: all of them, and each one (for a small batch).
  Box bounds;
  std::vector<Box> quadBounds;
  // Each quad as the frame analysis sees it, in draw order; `first` is where the batch's quads
  // start in the frame's list once the held batches are laid end to end.
  std::vector<FrameQuad> analysed;
  size_t first = 0;
  // Per quad: every pixel it draws comes out with alpha exactly 1 (DrawsOpaque), and how many do not.
  std::vector<uint8_t> opaque;
  size_t seeThrough = 0;
  // Per quad: linear filtering gives each of its pixels one texel (TexelsOnPixels), and how many
  // are not known to (after the first, the batch's quads go unchecked).
  std::vector<uint8_t> onTexels;
  size_t offTexels = 0;

  size_t Quads() const { return mode == Mode::Textured ? textureVertices.size() / 4 : colorVertices.size() / 4; }
};

struct BatchModule {
  bool live = false;
  Stream textured;
  Stream colored;
  platform::GpuBuffer quadIndices;

  // Batches waiting, oldest first: pending[0 .. held) (the vector keeps their storage between frames).
  // The whole frame is held, as far as the streams can take it, so that the decisions at the
  // flush can look at every quad drawn after a given one.
  std::vector<Batch> pending;
  size_t held = 0;
  size_t heldTextureVertices = 0;
  size_t heldColorVertices = 0;

  // Every held quad in the order the draws give them (a quad that joined an earlier draw is drawn
  // before quads asked for ahead of it), and the decisions about them.
  std::vector<FrameQuad> frame;
  std::vector<uint8_t> hidden;
  std::vector<uint8_t> withoutDepth;
  std::vector<uint8_t> withoutBlending;
  std::vector<uint8_t> nearest;
  // Per held quad: parts holding every pixel of it that later quads leave showing; and a draw's
  // parts laid end to end (LimitToVisible).
  std::vector<PixelParts> visible;
  std::vector<PixelRect> pieces;
  // The depth planes named so far this frame (DepthSpan::plane is index + 1), each with its depth
  // once a quad in it has been measured: every quad in one plane has the same depth at every
  // corner, so the first one's is every one's.
  struct NamedPlane {
    std::array<float, 13> key;
    std::optional<DepthSpan> depth;
  };
  std::vector<NamedPlane> planes;
  // The device's clear and draw counts after the last send: a frame may go without the depth
  // test only if the depth buffer was cleared since and nothing else drew into it.
  uint64_t clearsSeen = 0;
  uint64_t drawsSeen = 0;
  std::vector<TextureVertex> keptTexture;
  std::vector<ColorVertex> keptColor;
  // Everything the draw whose pixels the device keeps a copy of read (SendFirst; empty: none),
  // and what the last whole-window first draw read.
  std::vector<uint8_t> copiedDraw;
  std::vector<uint8_t> lastFirstDraw;
  std::vector<uint8_t> firstDraw;
  SpriteFrameStats stats;

  // Scratch for the state a new quad needs. The light block is filled in place for every quad:
  // only its first nextLightBytes bytes mean anything.
  uint8_t nextMatrices[platform::kMatrixBlockBytes] = {};
  uint8_t nextLights[platform::kLightBlockBytes] = {};
  size_t nextLightBytes = 0;
  // projection x view x world of the matrix block last asked about: the game draws quad after
  // quad under the same matrices, and the product is the same bits whenever the block is.
  uint8_t clipFor[platform::kMatrixBlockBytes] = {};
  float clip[16] = {};
  bool clipKnown = false;
};

BatchModule& Module();

// Four corners after projection: normalised device x and y, window depth (z / w, 0 nearest) and
// the clip-space w. `known` is false when a corner is at or behind the camera's plane or not a number.
struct Projected {
  float x[4], y[4], depth[4], w[4];
  bool known = true;
};

// The graphics device's viewport, read once for a quad.
struct Screen {
  bool device = false;  // false: no graphics device (width and height 0)
  int width = 0;
  int height = 0;
};

// ---- the measures of a quad (SpriteQuadMeasures.cpp) ----

// projection x view x world of a matrix block (16 floats, column by column), kept for the next ask.
const float* ClipMatrix(BatchModule& m, const uint8_t matrices[platform::kMatrixBlockBytes]);
// Four corners through the clip matrix `all` (for texture and colour vertices).
template <class Vertex>
Projected Project(const Vertex corners[4], const float all[16]);
// The screen rectangle of projected corners, grown by a margin against rounding.
Box ScreenBounds(const Projected& q);
// The depths a quad's pixels may have, and its depth plane (for texture and colour vertices).
template <class Vertex>
DepthSpan Depths(BatchModule& m, const Projected& q, const Vertex corners[4],
                 const uint8_t matrices[platform::kMatrixBlockBytes]);
// Whether a textured quad may show its texture smaller than its size anywhere (mipmaps then count).
bool Shrinks(const Projected& q, const TextureVertex corners[4], const Texture* texture, int screenWidth,
             int screenHeight);
// Whether linear filtering gives each pixel of a textured quad exactly one texel of the full-size
// level, so that the nearest texel is the same picture.
bool TexelsOnPixels(const Projected& q, const TextureVertex corners[4], const Texture* texture, int screenWidth,
                    int screenHeight);

// Pixel centres this close to a quad's edge (in pixels) may fall either side of it: the GPU snaps
// corners to a grid of at least sixteenths of a pixel and projects in single precision.
constexpr double kEdgeSlack = 0.125;
// The window's pixels whose centres lie within [x0, x1] x [y0, y1] (window coordinates in pixels),
// clipped to the window.
PixelRect PixelsWithin(double x0, double y0, double x1, double y1, int width, int height);
// A normalised device x (or y) in window pixels across `width`.
double WindowX(float ndc, int width);
// The graphics device's viewport, read once for a quad (no device: width and height 0).
Screen CurrentScreen();
// Every pixel a quad may draw.
PixelRect PixelsOf(const Projected& q, const Screen& screen);

// ---- the held frame (SpriteFrame.cpp) ----

// Sends every held batch: quads a later quad hides are left out, draws of opaque pixels go
// without blending, draws whose pixels each take one texel sample the nearest one, and, when
// this is the frame's end, draws that cannot be told from draws without depth go without it.
void SendHeld(BatchModule& m, bool frameEnds);

// ---- light and filter packing (SpriteLightsAndFilters.cpp) ----

// Writes the identity filter set: three rows of four floats.
void IdentitySet(float* rows);
// The set index of a composed filter in a batch, or -1 when its table is full.
int FindOrAddFilterSet(Batch& b, const float rows[12]);
// Screen furniture is not lit (Shaders/ptexture.glsl).
bool IsLit(uint32_t kind);
// The vertex stage tints a lit kind's quad by the ambient colour times its intensity, formed in
// single precision as here; a product of exactly 1 in every channel changes no pixel.
bool AmbientTintIsOne(const std::vector<uint8_t>& lights);

}  // namespace sprite_batch
