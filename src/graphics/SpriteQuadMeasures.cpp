// The sprite batch's measures of one quad: its corners through the matrices, its place on the
// screen, its depths and depth plane, the pixels it may draw, and how its texture meets the pixels
// (shrunk, or each pixel centre on a texel centre).

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

#include "graphics/GraphicsDevice.h"
#include "graphics/SpriteBatchState.h"
#include "graphics/Texture.h"

namespace sprite_batch {

namespace {

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

}  // namespace

// Bounds grow by about two pixels of a 1280-pixel-wide screen, against rounding in rasterising.
constexpr float kBoundsMargin = 4.0f / 1280.0f;

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

namespace {

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

}  // namespace

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

// The two kinds of vertex the batch queues.
template Projected Project(const TextureVertex corners[4], const float all[16]);
template Projected Project(const ColorVertex corners[4], const float all[16]);
template DepthSpan Depths(BatchModule& m, const Projected& q, const TextureVertex corners[4],
                          const uint8_t matrices[platform::kMatrixBlockBytes]);
template DepthSpan Depths(BatchModule& m, const Projected& q, const ColorVertex corners[4],
                          const uint8_t matrices[platform::kMatrixBlockBytes]);

}  // namespace sprite_batch
