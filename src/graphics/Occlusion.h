// Whole-frame decisions of the sprite batch, made once every quad of the frame is queued: which
// quads a later opaque quad hides completely (they are left out), and which draw calls can go
// without the depth test (nothing they draw is ever nearer or farther than what it overlaps, so
// the test always passes and their depth writes never decide a later test). Pure: screen boxes,
// depth spans and the draw order in, decisions out; no GPU. Also the per-texture table that says
// whether a rectangle of texels is fully opaque.
//
// Both decisions are exact: the frame drawn with them is the frame drawn without them, pixel for
// pixel. Boxes are conservative (every pixel a quad may touch lies inside its box), depth spans
// bracket every depth a quad's pixels can have, and depths too close to order reliably count as
// possibly nearer either way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A rectangle in normalised device coordinates (x and y from -1 to 1 across the screen).
struct ScreenBox {
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// A rectangle of whole pixels of the window: columns x0..x1 and rows y0..y1, inclusive (empty
// when x1 < x0 or y1 < y0).
struct PixelRect {
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  bool Empty() const { return x1 < x0 || y1 < y0; }
  double Area() const { return Empty() ? 0.0 : (x1 - x0 + 1.0) * (y1 - y0 + 1.0); }
};

bool Overlap(const ScreenBox& a, const ScreenBox& b);
bool Overlap(const PixelRect& a, const PixelRect& b);
// The smallest rectangle holding both (either may be empty).
PixelRect Around(const PixelRect& a, const PixelRect& b);
// True when `inner` lies within `outer` (edges may touch).
bool Contains(const ScreenBox& outer, const ScreenBox& inner);
bool Contains(const PixelRect& outer, const PixelRect& inner);
// True when the rectangles together cover every pixel of `rect`. Gives up, answering false, past
// a fixed amount of work.
bool Covered(const PixelRect& rect, const std::vector<PixelRect>& rectangles);

// The window depths (0 nearest, 1 farthest) a quad's pixels may have. `plane` names a flat quad
// whose depth the GPU computes from its z alone, under the same depth rows of the matrices: two
// quads with the same nonzero plane have equal depth at every pixel, bit for bit. 0: no such promise.
struct DepthSpan {
  double nearest = 0.0;
  double farthest = 1.0;
  uint32_t plane = 0;
};

// Depths closer than this are not ordered: the GPU projects in single precision, which may put a
// depth near 1 off by about two units in its last place (2^-24 each) either way, so two depths
// need four such units between them before their order is certain. The spans themselves are
// worked out in double precision.
inline constexpr double kDepthTolerance = 4.0 / 16777216.0;

// True when `a` may be strictly nearer than `b` at some pixel (the depth test LEQUAL lets equal
// depths pass, so only strictly nearer matters).
bool MayBeNearer(const DepthSpan& a, const DepthSpan& b);

// One queued quad as the frame analysis sees it.
struct FrameQuad {
  ScreenBox box;       // every pixel the quad may touch (grown by the rounding margin)
  DepthSpan depth;
  uint32_t draw = 0;   // the draw call it goes out in (draws go out in number order)
  bool hideable = false;  // may be left out when hidden
  PixelRect pixels;       // every pixel a hideable quad may draw
  // Draws every pixel of `inner` with alpha exactly 1 (opaque texels, no fading filter, facing
  // the camera), so blending leaves nothing of what was there.
  bool hides = false;
  PixelRect inner;
  // A hiding quad's corners as queued (bottom-left, top-left, top-right, bottom-right; x, y, z
  // under its draw's matrices). Two hiding quads of one draw whose edges share both corners bit
  // for bit meet without a gap: GL draws each pixel along a shared edge exactly once, so the
  // pixels between their inner rectangles are painted by one or the other.
  float corners[4][3] = {};
};

// The smallest rectangle holding every pixel of `rect` that `rectangles` leave uncovered (empty
// when they cover it all; `rect` itself when the work runs out).
PixelRect Uncovered(const PixelRect& rect, const std::vector<PixelRect>& rectangles);

// A few rectangles that share no pixel: a draw limited to each in turn shades every pixel inside
// them once, as one draw limited to their union would.
struct PixelParts {
  static constexpr int kMost = 4;
  PixelRect part[kMost];
  int count = 0;  // 0: no pixel
};

// Parts holding every pixel of `rect` that `rectangles` leave uncovered, where one rectangle
// around them all (Uncovered) would hold many more, as around an L-shaped remainder. `rect` is
// cut into bands of rows at the rectangles' edges; a band keeps its columns from its first
// uncovered pixel to its last; neighbouring bands then merge into the rectangle around both
// while there are more than `most` (at most PixelParts::kMost) or a merge adds no more than
// `mergeBelow` pixels. Past a fixed amount of work, the one rectangle Uncovered gives.
PixelParts UncoveredParts(const PixelRect& rect, const std::vector<PixelRect>& rectangles, int most, double mergeBelow);

// Parts holding every pixel of `pieces` (which may overlap), made the same way from bands of rows
// cut at the pieces' edges, each band keeping the columns from its pieces' first to their last.
PixelParts PartsHolding(const std::vector<PixelRect>& pieces, int most, double mergeBelow);

// Marks quad i hidden when later quads hide it: the inner rectangles of later quads Q that hide
// (with the pixels along the edges such quads share, and around the corners four of them share),
// each nowhere farther than i and with no quad drawn between i and Q over i's box that may be
// nearer than Q (a half-transparent one could otherwise show i through it), together cover i's
// pixels. Each pixel of i is then overwritten, colour and depth, by such a Q. A hideable quad
// without a pixel on the screen is marked too. `hidden` gets one entry per quad.
// When `visible` is given it gets, for each quad, parts holding every pixel of the quad that
// such quads do not cover (UncoveredParts, for a large remainder): the only pixels of the quad
// that can still show. Drawing a quad limited to them gives the same picture. Quads that are not
// hideable get the whole window (every int), hidden ones no part.
void FindHiddenQuads(const std::vector<FrameQuad>& quads, std::vector<uint8_t>* hidden,
                     std::vector<PixelParts>* visible = nullptr);

// Marks each of `draws` draw calls that can go without the depth test: none of its (unhidden)
// quads overlaps an earlier one that may be nearer, nor a later one that may be farther.
// `withoutDepth` gets one entry per draw; a draw without quads counts as without depth.
void FindDrawsWithoutDepth(const std::vector<FrameQuad>& quads, const std::vector<uint8_t>& hidden, size_t draws,
                           std::vector<uint8_t>* withoutDepth);

// A picture's texels that are not fully opaque (alpha below 255), counted in a summed-area table,
// to ask whether a rectangle of texels is opaque in constant time.
class OpaqueTexels {
 public:
  // True when every texel is opaque (then so is every smaller mipmap level, made of averages of them).
  bool AllOpaque() const { return !Empty() && Opaque(0, 0, width_ - 1, height_ - 1); }
  // `rgba`: top-down rows of width x height texels. Empty pictures make an empty table.
  void Build(int width, int height, const uint8_t* rgba);
  bool Empty() const { return width_ == 0; }
  // True when every texel of columns x0..x1 and rows y0..y1 (inclusive, inside the picture) is opaque.
  bool Opaque(int x0, int y0, int x1, int y1) const;
  // True when every texel that linear filtering with a wrapping sampler may read for texture
  // coordinates within [u0, u1] x [v0, v1] of the full-size level is opaque (one texel more on each
  // side against rounding).
  bool SamplesOpaque(float u0, float v0, float u1, float v1) const;

 private:
  // Inclusive texel ranges of one axis, wrapped into the picture: one or two ranges.
  bool Ranges(float t0, float t1, int size, int out[4], int* count) const;

  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> sums_;  // (width + 1) x (height + 1): non-opaque texels above and left
};
