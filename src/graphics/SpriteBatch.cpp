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
#include "graphics/Light.h"
#include "graphics/Occlusion.h"
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

// A quad may be drawn earlier than it was asked for - joining an earlier batch of the same state -
// when it shares no pixel with anything asked for between: quads apart on the screen touch no
// common pixel, so neither blending nor the depth or stencil tests can tell the order they were
// drawn in. This joins, for instance, each guard with the other guards rather than leaving one
// draw per guard between the draws of their footstep particles. The search looks this many
// batches back and compares against each quad of a batch of at most kQuadsCompared quads (a
// larger batch counts by its bounds alone).
constexpr int kBatchesSearched = 8;
constexpr size_t kQuadsCompared = 64;
// Bounds grow by about two pixels of a 1280-pixel-wide screen, against rounding in rasterising.
constexpr float kBoundsMargin = 4.0f / 1280.0f;

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

BatchModule& Module() {
  static BatchModule module;
  return module;
}

// The device and the shader programs tell the batch before they draw past it or present.
class Flusher final : public StateChangeListener {
 public:
  void BeforeStateChange() override { FlushSprites(); }
};

Flusher& TheFlusher() {
  static Flusher flusher;
  return flusher;
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

// projection x view x world of a matrix block: object space straight to clip space. Worked out
// once for each block met in a row (see BatchModule::clip).
const float* ClipMatrix(BatchModule& m, const uint8_t matrices[platform::kMatrixBlockBytes]) {
  if (m.clipKnown && std::memcmp(m.clipFor, matrices, sizeof(m.clipFor)) == 0) return m.clip;
  float world[16], view[16], projection[16], viewWorld[16];
  std::memcpy(world, matrices, 64);
  std::memcpy(view, matrices + 64, 64);
  std::memcpy(projection, matrices + 128, 64);
  Multiply(view, world, viewWorld);
  Multiply(projection, viewWorld, m.clip);
  std::memcpy(m.clipFor, matrices, sizeof(m.clipFor));
  m.clipKnown = true;
  return m.clip;
}

// Four corners after projection: normalised device x and y, window depth (z / w, 0 nearest) and
// the clip-space w. `known` is false when a corner is at or behind the camera's plane or not a number.
struct Projected {
  float x[4], y[4], depth[4], w[4];
  bool known = true;
};

template <class Vertex>
Projected Project(const Vertex corners[4], const float all[16]) {
  Projected out;
  for (int c = 0; c < 4; ++c) {
    const float* p = corners[c].position;
    float clip[4];
    for (int row = 0; row < 4; ++row) clip[row] = all[row] * p[0] + all[4 + row] * p[1] + all[8 + row] * p[2] + all[12 + row];
    if (!(clip[3] > 1e-6f)) out.known = false;
    out.w[c] = clip[3];
    out.x[c] = clip[0] / clip[3];
    out.y[c] = clip[1] / clip[3];
    out.depth[c] = clip[2] / clip[3];
    if (!std::isfinite(out.x[c]) || !std::isfinite(out.y[c]) || !std::isfinite(out.depth[c])) out.known = false;
  }
  return out;
}

// The screen rectangle of projected corners, grown by the margin.
Box ScreenBounds(const Projected& q) {
  if (!q.known) return kWholeScreen;
  Box box{*std::min_element(q.x, q.x + 4), *std::min_element(q.y, q.y + 4), *std::max_element(q.x, q.x + 4),
          *std::max_element(q.y, q.y + 4)};
  box.x0 -= kBoundsMargin;
  box.y0 -= kBoundsMargin;
  box.x1 += kBoundsMargin;
  box.y1 += kBoundsMargin;
  return box;
}

// The depth plane of a flat quad: the GPU computes a vertex's depth as projection x view x world x
// position, and where the x and y columns of each matrix's depth and w rows are zero, that depth
// depends on the position's z and those rows' other entries alone, so quads that share them
// get the same depth, bit for bit, at every pixel (a flat triangle's depth does not vary across it).
// 0 when the quad is not flat or the matrices mix x or y into depth.
template <class Vertex>
uint32_t DepthPlane(BatchModule& m, const Vertex corners[4], const uint8_t matrices[platform::kMatrixBlockBytes]) {
  constexpr size_t kPlanesNamed = 4096;
  std::array<float, 13> key;
  for (int c = 1; c < 4; ++c) {
    if (std::memcmp(&corners[c].position[2], &corners[0].position[2], sizeof(float)) != 0) return 0;
  }
  for (int k = 0; k < 3; ++k) {
    float matrix[16];
    std::memcpy(matrix, matrices + 64 * k, 64);
    // Column by column: entry (row r, column c) at c * 4 + r.
    if (matrix[2] != 0.0f || matrix[3] != 0.0f || matrix[6] != 0.0f || matrix[7] != 0.0f) return 0;
    key[4 * k] = matrix[10];
    key[4 * k + 1] = matrix[11];
    key[4 * k + 2] = matrix[14];
    key[4 * k + 3] = matrix[15];
  }
  key[12] = corners[0].position[2];
  for (size_t i = 0; i < m.planes.size(); ++i) {
    if (std::memcmp(m.planes[i].key.data(), key.data(), sizeof(key)) == 0) return static_cast<uint32_t>(i + 1);
  }
  if (m.planes.size() >= kPlanesNamed) return 0;
  m.planes.push_back(BatchModule::NamedPlane{key, std::nullopt});
  return static_cast<uint32_t>(m.planes.size());
}

template <class Vertex>
DepthSpan MeasureDepths(const Vertex corners[4], const uint8_t matrices[platform::kMatrixBlockBytes], uint32_t plane) {
  float m[3][16];
  for (int k = 0; k < 3; ++k) std::memcpy(m[k], matrices + 64 * k, 64);
  DepthSpan span{1e30, -1e30, plane};
  for (int c = 0; c < 4; ++c) {
    double v[4] = {corners[c].position[0], corners[c].position[1], corners[c].position[2], 1.0};
    for (int k = 0; k < 3; ++k) {
      // The last product's x and y rows are never read.
      double out[4] = {0.0, 0.0, 0.0, 0.0};
      for (int row = k == 2 ? 2 : 0; row < 4; ++row) {
        out[row] = m[k][row] * v[0] + m[k][4 + row] * v[1] + m[k][8 + row] * v[2] + m[k][12 + row] * v[3];
      }
      std::memcpy(v, out, sizeof(v));
    }
    const double depth = v[2] / v[3];
    if (!std::isfinite(depth)) return DepthSpan{-1e30, 1e30, 0};
    span.nearest = std::min(span.nearest, depth);
    span.farthest = std::max(span.farthest, depth);
  }
  return span;
}

// The depths a quad's pixels may have, and its depth plane: a triangle's depth lies between its
// corners'. Worked out in double precision, world, view and projection one after another as the
// vertex stage does; once for each named plane (the products that reach depth and w read the
// corner's z alone).
template <class Vertex>
DepthSpan Depths(BatchModule& m, const Projected& q, const Vertex corners[4],
                 const uint8_t matrices[platform::kMatrixBlockBytes]) {
  const uint32_t plane = DepthPlane(m, corners, matrices);
  if (!q.known) return DepthSpan{-1e30, 1e30, 0};
  if (plane == 0) return MeasureDepths(corners, matrices, plane);
  std::optional<DepthSpan>& depth = m.planes[plane - 1].depth;
  if (!depth) depth = MeasureDepths(corners, matrices, plane);
  return *depth;
}

// Whether a textured quad may show its texture smaller than its size anywhere: GL then blends in
// smaller mipmap levels. A quad that lies flat to the screen (all corners at one distance, which
// every quad of the game does) maps screen pixels to texels linearly; the texels one pixel step
// covers (the length of each direction's step, the scale GL's level choice is defined by) must
// not pass one by more than a thousandth: a sprite drawn at its own size, upright or turned, has a
// step of one, where GL samples the full-size level alone (a level of detail of 0 or below
// magnifies), exactly what the sampler without mipmaps gives; the thousandth absorbs the rounding
// of the step's computation, which moves a colour by far less than a level. (GL may also take a
// larger stand-in for the length, up to the sum of the parts; the software GL we test on does not:
// turned sprites at their own size draw the same with either sampler.) Anything else (a tilted quad, an
// unknown texture or screen size) counts as shrinking.
bool Shrinks(const Projected& q, const TextureVertex corners[4], const Texture* texture, int screenWidth,
             int screenHeight) {
  if (texture == nullptr || texture->width <= 0 || texture->height <= 0 || screenWidth <= 0 || screenHeight <= 0) {
    return true;
  }
  float sx[4], sy[4], tx[4], ty[4];
  const float* w = q.w;
  for (int c = 0; c < 4; ++c) {
    if (!(w[c] > 1e-6f)) return true;
    sx[c] = q.x[c] * 0.5f * static_cast<float>(screenWidth);
    sy[c] = q.y[c] * 0.5f * static_cast<float>(screenHeight);
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
  const float step = std::max(std::hypot(dudx, dvdx), std::hypot(dudy, dvdy));
  return !(step <= 1.001f);
}

// Whether linear filtering gives each pixel of a textured quad exactly one texel of the full-size
// level, so that the nearest texel is the same picture: the quad lies flat to the screen, steps
// one texel per pixel along the texture's axes (mirrored or turned by quarter turns too), and
// puts texel centres on pixel centres. With window position s and texel position t, a flat
// quad's triangles map s to t affinely. Take P, a map that swaps or mirrors the axes: a pixel
// centre s = k + 1/2 goes to t = P s + d with P s a texel centre, so the pixel takes a texel
// centre wherever d = t - P s is a whole number of texels. d is affine across each triangle, so
// its corners bound it: all four corners within kTexelCentreSlack of one whole number will do,
// whatever P was tried (the edges out of corner 0 suggest one).
// How near is near enough: the software GL we run on filters 8-bit textures in fixed point,
// rounding the texel position to 1/256 of a texel; half a step either side of a centre gives a
// weight of exactly 0 for the neighbours, the nearest texel's own bytes. The slack allows half
// of that half step for our and the GPU's own rounding (the projection of corners some hundred
// pixels out, a float texture coordinate, interpolation across the quad: each well below 1/4096
// of a texel for the screens and textures allowed here). Very large textures carry too few bits in
// a float coordinate and do not qualify.
constexpr double kTexelCentreSlack = 1.0 / 1024.0;
constexpr int kLargestNearestTexture = 4096;

bool TexelsOnPixels(const Projected& q, const TextureVertex corners[4], const Texture* texture, int screenWidth,
                    int screenHeight) {
  if (texture == nullptr || texture->width <= 0 || texture->height <= 0 ||
      texture->width > kLargestNearestTexture || texture->height > kLargestNearestTexture || screenWidth <= 0 ||
      screenHeight <= 0 || !q.known) {
    return false;
  }
  // One distance for all four corners: the map is affine on the screen.
  if (q.w[1] != q.w[0] || q.w[2] != q.w[0] || q.w[3] != q.w[0]) return false;
  const double halfWidth = 0.5 * screenWidth, halfHeight = 0.5 * screenHeight;
  double sx[4], sy[4], tx[4], ty[4];
  for (int c = 0; c < 4; ++c) {
    sx[c] = (static_cast<double>(q.x[c]) + 1.0) * halfWidth;
    sy[c] = (static_cast<double>(q.y[c]) + 1.0) * halfHeight;
    tx[c] = static_cast<double>(corners[c].texcoord[0]) * texture->width;
    ty[c] = static_cast<double>(corners[c].texcoord[1]) * texture->height;
  }
  // P: each texture axis along the screen axis it follows most (screen edges e, texture edges t
  // from corner 0 to corners 1 and 3), in the direction it runs.
  const double e1x = sx[1] - sx[0], e1y = sy[1] - sy[0], e2x = sx[3] - sx[0], e2y = sy[3] - sy[0];
  const double t1x = tx[1] - tx[0], t1y = ty[1] - ty[0], t2x = tx[3] - tx[0], t2y = ty[3] - ty[0];
  const double uAlongX = t1x * e1x + t2x * e2x, uAlongY = t1x * e1y + t2x * e2y;
  const double vAlongX = t1y * e1x + t2y * e2x, vAlongY = t1y * e1y + t2y * e2y;
  double pux = 0, puy = 0, pvx = 0, pvy = 0;
  if (std::abs(uAlongX) + std::abs(vAlongY) >= std::abs(uAlongY) + std::abs(vAlongX)) {
    pux = uAlongX < 0 ? -1 : 1;
    pvy = vAlongY < 0 ? -1 : 1;
  } else {
    puy = uAlongY < 0 ? -1 : 1;
    pvx = vAlongX < 0 ? -1 : 1;
  }
  // d at corner 0 to the nearest whole texel (far-off quads are not worth the care).
  const double du = tx[0] - pux * sx[0] - puy * sy[0], dv = ty[0] - pvx * sx[0] - pvy * sy[0];
  if (!(std::abs(du) < 1e6 && std::abs(dv) < 1e6)) return false;
  const double wholeU = static_cast<double>(static_cast<int64_t>(du + (du < 0 ? -0.5 : 0.5)));
  const double wholeV = static_cast<double>(static_cast<int64_t>(dv + (dv < 0 ? -0.5 : 0.5)));
  for (int c = 0; c < 4; ++c) {
    if (!(std::abs(tx[c] - pux * sx[c] - puy * sy[c] - wholeU) <= kTexelCentreSlack &&
          std::abs(ty[c] - pvx * sx[c] - pvy * sy[c] - wholeV) <= kTexelCentreSlack)) {
      return false;
    }
  }
  return true;
}

// Pixel centres this close to a quad's edge (in pixels) may fall either side of it: the GPU snaps
// corners to a grid of at least sixteenths of a pixel and projects in single precision.
constexpr double kEdgeSlack = 0.125;

// The window's pixels whose centres lie within [x0, x1] x [y0, y1] (window coordinates in pixels),
// clipped to the window.
PixelRect PixelsWithin(double x0, double y0, double x1, double y1, int width, int height) {
  PixelRect r;
  r.x0 = static_cast<int>(std::max(0.0, std::ceil(x0 - 0.5)));
  r.y0 = static_cast<int>(std::max(0.0, std::ceil(y0 - 0.5)));
  r.x1 = static_cast<int>(std::min(static_cast<double>(width - 1), std::floor(x1 - 0.5)));
  r.y1 = static_cast<int>(std::min(static_cast<double>(height - 1), std::floor(y1 - 0.5)));
  return r;
}

double WindowX(float ndc, int width) { return (static_cast<double>(ndc) + 1.0) * 0.5 * width; }

// The graphics device's viewport, read once for a quad.
struct Screen {
  bool device = false;  // false: no graphics device (width and height 0)
  int width = 0;
  int height = 0;
};

Screen CurrentScreen() {
  const GraphicsDevice* device = GetGraphicsDevice();
  if (device == nullptr) return Screen{};
  return Screen{true, device->ViewportWidth(), device->ViewportHeight()};
}

// Every pixel a quad may draw.
PixelRect PixelsOf(const Projected& q, const Screen& screen) {
  const int width = screen.width;
  const int height = screen.height;
  // Without a known window every pixel may be drawn.
  if (width <= 0 || height <= 0) return PixelRect{0, 0, 1 << 30, 1 << 30};
  if (!q.known) return PixelsWithin(0, 0, width, height, width, height);
  return PixelsWithin(WindowX(*std::min_element(q.x, q.x + 4), width) - kEdgeSlack,
                      WindowX(*std::min_element(q.y, q.y + 4), height) - kEdgeSlack,
                      WindowX(*std::max_element(q.x, q.x + 4), width) + kEdgeSlack,
                      WindowX(*std::max_element(q.y, q.y + 4), height) + kEdgeSlack, width, height);
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

// Reserves `count` vertices in a stream; returns the first one's index.
size_t Reserve(Stream& stream, size_t count, bool* wrapped) {
  *wrapped = stream.cursor + count > stream.capacity;
  if (*wrapped) stream.cursor = 0;
  size_t first = stream.cursor;
  stream.cursor += count;
  return first;
}

// The vertices of a batch's quads that are not hidden: the batch's own when none is.
template <class Vertex>
const std::vector<Vertex>& Kept(const BatchModule& m, const Batch& b, const std::vector<Vertex>& all,
                                std::vector<Vertex>& kept) {
  const auto hidden = m.hidden.begin() + static_cast<std::ptrdiff_t>(b.first);
  const size_t quads = b.analysed.size();
  if (std::find(hidden, hidden + static_cast<std::ptrdiff_t>(quads), uint8_t{1}) == hidden + static_cast<std::ptrdiff_t>(quads)) {
    return all;
  }
  kept.clear();
  for (size_t i = 0; i < quads; ++i) {
    if (hidden[static_cast<std::ptrdiff_t>(i)] == 0) kept.insert(kept.end(), all.begin() + 4 * i, all.begin() + 4 * i + 4);
  }
  return kept;
}

// Runs `draw` once limited to each of `limits`, or once unlimited when there are none.
template <class Draw>
void DrawLimited(const PixelParts& limits, Draw draw) {
  if (limits.count == 0) {
    Gpu().UseScissor(0, 0, 0, 0);
    draw();
  }
  for (int k = 0; k < limits.count; ++k) {
    const PixelRect& r = limits.part[k];
    Gpu().UseScissor(r.x0, r.y0, r.x1 - r.x0 + 1, r.y1 - r.y0 + 1);
    draw();
  }
}

void SendTextured(BatchModule& m, const Batch& b, bool nearest, const PixelParts& limits) {
  TextureShader* shader = GetTextureShader();
  const std::vector<TextureVertex>& vertices = Kept(m, b, b.textureVertices, m.keptTexture);
  const size_t count = vertices.size();
  if (shader == nullptr || count == 0) return;
  bool wrapped = false;
  const size_t first = Reserve(m.textured, count, &wrapped);
  if (!Gpu().WriteBufferAt(m.textured.buffer, first * sizeof(TextureVertex), vertices.data(),
                           count * sizeof(TextureVertex), wrapped)) {
    return;
  }
  uint8_t filterBlock[platform::kFilterBlockBytes] = {};
  std::memcpy(filterBlock, b.filters, static_cast<size_t>(b.filterSets) * 12 * sizeof(float));
  // The lit program's shape follows the most lights on one quad that is drawn (a hidden or
  // off-screen quad's lights cost no pixel).
  const auto hidden = m.hidden.begin() + static_cast<std::ptrdiff_t>(b.first);
  int mostLights = 0;
  for (size_t q = 0; q < b.quadLights.size(); ++q) {
    if (hidden[static_cast<std::ptrdiff_t>(q)] == 0) mostLights = std::max<int>(mostLights, b.quadLights[q]);
  }
  const uint32_t skip = (b.filterSets > 1 ? 0u : kNoFilters) | (b.lightsReach ? 0u : kNoLights) |
                        (b.shrinks ? 0u : kNoMipmaps) | (nearest ? kNearestTexel : 0u) | (b.tinted ? 0u : kNoTint);
  DrawLimited(limits, [&] {
    shader->RenderBatch(m.textured.buffer, m.quadIndices, static_cast<int>(count / 4 * 6), static_cast<int>(first),
                        b.matrices, filterBlock, b.lights.data(), b.lights.size(), b.textureObject, skip, mostLights);
  });
  if (mostLights > 0) ++(mostLights <= kLightSlots ? m.stats.drawsLitBySlots : m.stats.drawsLitByLoop);
  if (mostLights == 0 && !b.tinted) ++m.stats.drawsUntinted;
}

void SendColored(BatchModule& m, const Batch& b, const PixelParts& limits) {
  ColorShader* shader = GetColorShader();
  const std::vector<ColorVertex>& vertices = Kept(m, b, b.colorVertices, m.keptColor);
  const size_t count = vertices.size();
  if (shader == nullptr || count == 0) return;
  bool wrapped = false;
  const size_t first = Reserve(m.colored, count, &wrapped);
  if (!Gpu().WriteBufferAt(m.colored.buffer, first * sizeof(ColorVertex), vertices.data(),
                           count * sizeof(ColorVertex), wrapped)) {
    return;
  }
  DrawLimited(limits, [&] {
    shader->RenderBatch(m.colored.buffer, m.quadIndices, static_cast<int>(count / 4 * 6), static_cast<int>(first),
                        b.matrices);
  });
}

// A draw limited to the pixels its quads can still show, when later opaque quads cover much of
// them (a level's backdrop under the floor drawn over it, at the same depth): those pixels would
// be shaded only to be painted over. The limit is a few rectangles sharing no pixel, and the draw
// goes out once limited to each: every pixel inside one is drawn exactly once, by all of the
// draw's quads in their order, and pixels outside them are left as they are, so the picture is
// the same. Each rectangle past the first must save this many pixels, and this many more for
// each quad drawn again (its vertices are set up once for each rectangle); draws of more quads
// get one rectangle.
constexpr double kPixelsPerLimit = 16384.0;
constexpr double kPixelsPerQuadRepeated = 256.0;
constexpr size_t kQuadsRepeated = 64;

// The rectangles a draw goes out limited to, one draw each; none: one draw, unlimited.
PixelParts LimitToVisible(BatchModule& m, const Batch& b) {
  PixelRect drawn, shown;
  size_t quads = 0;
  double all = 0.0;
  bool trimmed = false;  // some quad can show less than all of it
  m.pieces.clear();
  for (size_t i = 0; i < b.analysed.size(); ++i) {
    if (m.hidden[b.first + i] != 0) continue;
    ++quads;
    const PixelRect& pixels = b.analysed[i].pixels;
    drawn = Around(drawn, pixels);
    all += pixels.Area();
    const PixelParts& visible = m.visible[b.first + i];
    trimmed = trimmed || visible.count != 1 || std::memcmp(&visible.part[0], &pixels, sizeof(pixels)) != 0;
    for (int k = 0; k < visible.count; ++k) {
      shown = Around(shown, visible.part[k]);
      m.pieces.push_back(visible.part[k]);
    }
  }
  if (!trimmed || shown.Empty() || !Contains(drawn, shown)) return {};
  // What limiting saves: the pixels of the draw's quads (their rectangles) outside the limit, less
  // the cost of drawing again for each rectangle past the first.
  const double perLimit = kPixelsPerLimit + kPixelsPerQuadRepeated * static_cast<double>(quads);
  const auto saves = [&](const PixelParts& limits) {
    double inside = 0.0;
    for (size_t i = 0; i < b.analysed.size(); ++i) {
      if (m.hidden[b.first + i] != 0) continue;
      const PixelRect& q = b.analysed[i].pixels;
      for (int k = 0; k < limits.count; ++k) {
        const PixelRect& r = limits.part[k];
        inside += PixelRect{std::max(q.x0, r.x0), std::max(q.y0, r.y0), std::min(q.x1, r.x1), std::min(q.y1, r.y1)}.Area();
      }
    }
    return all - inside - perLimit * (limits.count - 1);
  };
  // One rectangle around all that can show, where it leaves out a good share of the draw (a row
  // or column of a small sprite is not worth it); or a few, where they save more.
  PixelParts best;
  double bestSaves = 0.0;
  if (shown.Area() <= 0.75 * drawn.Area()) {
    best.part[best.count++] = shown;
    bestSaves = saves(best);
  }
  for (int most = PixelParts::kMost; most >= 2 && quads <= kQuadsRepeated; --most) {
    const PixelParts parts = PartsHolding(m.pieces, most, perLimit);
    const double partsSave = parts.count >= 2 ? saves(parts) : 0.0;
    if (partsSave > bestSaves) {
      best = parts;
      bestSaves = partsSave;
    }
    if (parts.count < most) break;  // fewer allowed would give the same
  }
  return best;
}

// `limit`: the draw may be limited to the pixels it can still show (LimitToVisible).
void Send(BatchModule& m, const Batch& b, bool depthTest, bool blend, bool nearest, bool limit = true) {
  Gpu().UseDepthTest(depthTest);
  Gpu().UseBlending(blend);
  const PixelParts limits = limit ? LimitToVisible(m, b) : PixelParts{};
  if (b.mode == Mode::Textured) SendTextured(m, b, nearest, limits);
  if (b.mode == Mode::Colored) SendColored(m, b, limits);
}

// Whether a batch paints every pixel of the window: some quad it draws hides the whole window.
bool PaintsWholeWindow(const BatchModule& m, const Batch& b, const Screen& screen) {
  for (size_t i = 0; i < b.analysed.size(); ++i) {
    const PixelRect& r = b.analysed[i].inner;
    if (m.hidden[b.first + i] == 0 && b.analysed[i].hides && r.x0 <= 0 && r.y0 <= 0 && r.x1 >= screen.width - 1 &&
        r.y1 >= screen.height - 1) {
      return true;
    }
  }
  return false;
}

// Every input of a textured batch's draw, as bytes: the texture (a view's pixels never change;
// handles are not reused), the window size, the blocks, the vertices and which quads are left out
// (with the quads' light counts and the batch's flags, they choose the program and the sampler).
void DrawInputs(const BatchModule& m, const Batch& b, const Screen& screen, std::vector<uint8_t>* out) {
  out->clear();
  auto add = [out](const void* bytes, size_t size) {
    const auto* at = static_cast<const uint8_t*>(bytes);
    out->insert(out->end(), at, at + size);
  };
  const int header[6] = {static_cast<int>(b.texture.id), static_cast<int>(b.texture.device), screen.width, screen.height,
                         b.filterSets, (b.lightsReach ? 1 : 0) | (b.shrinks ? 2 : 0)};
  add(header, sizeof(header));
  add(b.matrices, sizeof(b.matrices));
  add(b.filters, static_cast<size_t>(b.filterSets) * 12 * sizeof(float));
  add(b.lights.data(), b.lights.size());
  add(b.quadLights.data(), b.quadLights.size());
  add(m.hidden.data() + b.first, b.analysed.size());
  add(b.textureVertices.data(), b.textureVertices.size() * sizeof(TextureVertex));
}

// Sends the frame's first draw. When it paints every pixel of the window opaque, without blending
// and without the depth test (a menu's or a splash screen's backdrop), its pixels follow from what
// it reads alone, and it writes no depth: if all of that is byte for byte what the draw the device
// keeps a copy of read, the copy is put back instead of shading the same pixels again; otherwise
// the draw goes out, and once it has read the same twice in a row the device copies its pixels
// for the frames to come (a copy costs a blit, not worth paying in every frame of a backdrop that
// changes every frame).
void SendFirst(BatchModule& m) {
  platform::GpuDevice& gpu = Gpu();
  const Batch& b = m.pending[0];
  const Screen screen = CurrentScreen();
  const bool whole = m.withoutDepth[0] != 0 && m.withoutBlending[0] != 0 && b.mode == Mode::Textured && screen.device &&
                     PaintsWholeWindow(m, b, screen);
  if (whole) {
    DrawInputs(m, b, screen, &m.firstDraw);
    if (m.firstDraw == m.copiedDraw && gpu.RestoreBackBuffer()) return;
  }
  const uint64_t draws = gpu.Stats().drawCalls;
  // A draw to be copied paints the whole window, not only what later quads leave showing.
  Send(m, b, m.withoutDepth[0] == 0, m.withoutBlending[0] == 0, m.nearest[0] != 0, !whole);
  if (!whole || gpu.Stats().drawCalls == draws) return;
  if (m.firstDraw == m.lastFirstDraw) {
    gpu.KeepBackBuffer();
    m.copiedDraw = m.firstDraw;
  }
  m.lastFirstDraw.swap(m.firstDraw);
}

// The pixels a box covers on the screen (clipped to it), for the frame's statistics.
double BoxPixels(const Box& box, const Screen& screen) {
  const double width = screen.width;
  const double height = screen.height;
  const double x = std::clamp<double>(box.x1, -1.0, 1.0) - std::clamp<double>(box.x0, -1.0, 1.0);
  const double y = std::clamp<double>(box.y1, -1.0, 1.0) - std::clamp<double>(box.y0, -1.0, 1.0);
  return x > 0 && y > 0 ? x * 0.5 * width * y * 0.5 * height : 0.0;
}

void CountFrame(BatchModule& m, bool frameEnds) {
  SpriteFrameStats& s = m.stats;
  if (frameEnds) ++s.frames;
  s.quads += m.frame.size();
  const Screen screen = CurrentScreen();
  for (size_t i = 0; i < m.frame.size(); ++i) {
    const double pixels = BoxPixels(m.frame[i].box, screen);
    s.pixels += pixels;
    if (m.hidden[i] != 0) {
      ++s.hiddenQuads;
      if (m.frame[i].pixels.Empty()) ++s.offScreenQuads;
      s.hiddenPixels += pixels;
    } else {
      if (m.withoutDepth[m.frame[i].draw] != 0) s.pixelsWithoutDepth += pixels;
      if (m.withoutBlending[m.frame[i].draw] != 0) s.pixelsWithoutBlending += pixels;
      if (m.nearest[m.frame[i].draw] != 0) s.pixelsNearest += pixels;
    }
  }
  for (size_t d = 0; d < m.held; ++d) {
    const Batch& b = m.pending[d];
    bool sent = false;
    for (size_t i = 0; i < b.analysed.size(); ++i) sent = sent || m.hidden[b.first + i] == 0;
    if (!sent) continue;
    ++s.draws;
    if (m.withoutDepth[d] != 0) ++s.drawsWithoutDepth;
    if (m.withoutBlending[d] != 0) ++s.drawsWithoutBlending;
    if (m.nearest[d] != 0) ++s.drawsNearest;
  }
}

void LayOutFrame(BatchModule& m) {
  m.frame.clear();
  for (size_t d = 0; d < m.held; ++d) {
    Batch& b = m.pending[d];
    b.first = m.frame.size();
    for (FrameQuad quad : b.analysed) {
      quad.draw = static_cast<uint32_t>(d);
      m.frame.push_back(quad);
    }
  }
}

// Marks each held batch whose quads left to draw (the hidden ones are not) all draw opaque pixels
// only: blending cannot change what they paint.
void FindDrawsWithoutBlending(BatchModule& m) {
  m.withoutBlending.assign(m.held, 0);
  for (size_t d = 0; d < m.held; ++d) {
    const Batch& b = m.pending[d];
    bool opaque = true;
    if (b.seeThrough > 0) {
      for (size_t i = 0; i < b.opaque.size() && opaque; ++i) opaque = b.opaque[i] != 0 || m.hidden[b.first + i] != 0;
    }
    m.withoutBlending[d] = opaque ? 1 : 0;
  }
}

// Marks each held textured batch whose quads left to draw all have their pixel centres on texel
// centres (TexelsOnPixels): the nearest texel is what linear filtering would give them.
void FindNearestDraws(BatchModule& m) {
  m.nearest.assign(m.held, 0);
  for (size_t d = 0; d < m.held; ++d) {
    const Batch& b = m.pending[d];
    if (b.mode != Mode::Textured) continue;
    bool onTexels = true;
    for (size_t i = 0; i < b.onTexels.size() && onTexels && b.offTexels > 0; ++i) {
      onTexels = b.onTexels[i] != 0 || m.hidden[b.first + i] != 0;
    }
    m.nearest[d] = onTexels ? 1 : 0;
  }
}

// Sends every held batch: quads a later quad hides are left out, draws of opaque pixels go
// without blending, draws whose pixels each take one texel sample the nearest one, and, when
// this is the frame's end, draws that cannot be told from draws without depth go without it.
void SendHeld(BatchModule& m, bool frameEnds) {
  platform::GpuDevice& gpu = Gpu();
  // 1. The held quads in the order they will be drawn.
  LayOutFrame(m);
  // 2. Quads a later opaque quad covers completely.
  FindHiddenQuads(m.frame, &m.hidden, &m.visible);
  // 3. Draws that need neither the depth test nor their depth writes. Anything drawn since the
  //    last clear that the batch did not see, or a flush before the frame's end (whatever draws
  //    next may read the depth), keeps the test everywhere.
  const bool depthClean = frameEnds && gpu.Stats().clears > m.clearsSeen && gpu.Stats().drawCalls == m.drawsSeen;
  if (depthClean) {
    FindDrawsWithoutDepth(m.frame, m.hidden, m.held, &m.withoutDepth);
  } else {
    m.withoutDepth.assign(m.held, 0);
  }
  // 4. Draws whose every pixel is opaque, which blending cannot change.
  FindDrawsWithoutBlending(m);
  // 5. Draws whose every pixel centre falls on a texel centre, which sample the nearest texel.
  FindNearestDraws(m);
  CountFrame(m, frameEnds);
  // 6. The draws, in order (the first may come from a copy), each limited to the pixels it can
  //    still show; the depth test and blending are back on, and the limit off, for whatever
  //    draws next.
  if (m.held > 0) SendFirst(m);
  for (size_t i = 1; i < m.held; ++i) {
    Send(m, m.pending[i], m.withoutDepth[i] == 0, m.withoutBlending[i] == 0, m.nearest[i] != 0);
  }
  gpu.UseDepthTest(true);
  gpu.UseBlending(true);
  gpu.UseScissor(0, 0, 0, 0);
  // 7. An empty frame for the next quads.
  m.held = 0;
  m.heldTextureVertices = m.heldColorVertices = 0;
  m.frame.clear();
  m.planes.clear();
  m.clearsSeen = gpu.Stats().clears;
  m.drawsSeen = gpu.Stats().drawCalls;
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

// The vertex stage tints a lit kind's quad by the ambient colour times its intensity, formed in
// single precision as here; a product of exactly 1 in every channel changes no pixel.
bool AmbientTintIsOne(const std::vector<uint8_t>& lights) {
  if (lights.size() < 32) return false;
  const float intensity = ReadFloat(lights.data() + 28);
  for (int c = 0; c < 3; ++c) {
    if (ReadFloat(lights.data() + 16 + 4 * c) * intensity != 1.0f) return false;
  }
  return true;
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
