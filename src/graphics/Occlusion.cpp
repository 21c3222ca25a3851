#include "graphics/Occlusion.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

// Quads are compared only with quads that share a cell of a coarse grid over the screen (two
// boxes that overlap share the cell of any point they have in common, clamped to the grid).
constexpr int kGridColumns = 32;
constexpr int kGridRows = 18;
// A cell holding more quads than this is not searched pair by pair: its quads all keep the depth
// test and hide nothing (a screen full of sprites would otherwise cost more to analyse than to draw).
constexpr size_t kQuadsPerCellCompared = 256;
// A quad's uncovered remainder is cut into parts only from this many pixels (128 x 128) on: a
// smaller one could not save enough pixels to pay for drawing it piece by piece. Two neighbouring
// parts stay one where the rectangle around both adds no more than kPartsMergeBelow pixels.
constexpr double kPartsFrom = 16384.0;
constexpr double kPartsMergeBelow = 1024.0;

int CellOf(float ndc, int cells) {
  const float at = (ndc + 1.0f) * 0.5f * static_cast<float>(cells);
  if (!(at >= 0.0f)) return 0;  // also not a number
  if (at >= static_cast<float>(cells - 1)) return cells - 1;
  return static_cast<int>(at);
}

// The quads of each cell, in draw order.
struct Grid {
  std::vector<uint32_t> cells[kGridColumns * kGridRows];

  void Fill(const std::vector<FrameQuad>& quads, const std::vector<uint8_t>* skip) {
    for (auto& cell : cells) cell.clear();
    for (size_t i = 0; i < quads.size(); ++i) {
      if (skip != nullptr && (*skip)[i] != 0) continue;
      int c0, r0, c1, r1;
      Span(quads[i].box, &c0, &r0, &c1, &r1);
      for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) cells[r * kGridColumns + c].push_back(static_cast<uint32_t>(i));
      }
    }
  }

  static void Span(const ScreenBox& box, int* c0, int* r0, int* c1, int* r1) {
    *c0 = CellOf(box.x0, kGridColumns);
    *c1 = std::max(*c0, CellOf(box.x1, kGridColumns));
    *r0 = CellOf(box.y0, kGridRows);
    *r1 = std::max(*r0, CellOf(box.y1, kGridRows));
  }
};

Grid& SharedGrid() {
  static Grid grid;
  return grid;
}

// The first entry of a cell's list after quad `index` (lists are in draw order).
std::vector<uint32_t>::const_iterator After(const std::vector<uint32_t>& cell, uint32_t index) {
  return std::upper_bound(cell.begin(), cell.end(), index);
}

// The quads drawn after p whose boxes overlap p's, in draw order (at most kQuadsPerCellCompared
// cells' worth); false when there are too many to look through.
bool LaterOverlapping(const std::vector<FrameQuad>& quads, const Grid& grid, uint32_t p, std::vector<uint32_t>* out) {
  constexpr size_t kLaterCompared = 1024;
  out->clear();
  int c0, r0, c1, r1;
  Grid::Span(quads[p].box, &c0, &r0, &c1, &r1);
  for (int r = r0; r <= r1; ++r) {
    for (int c = c0; c <= c1; ++c) {
      const std::vector<uint32_t>& cell = grid.cells[r * kGridColumns + c];
      for (auto it = After(cell, p); it != cell.end(); ++it) {
        if (Overlap(quads[*it].box, quads[p].box)) out->push_back(*it);
      }
      if (out->size() > kLaterCompared * 4) return false;
    }
  }
  std::sort(out->begin(), out->end());
  out->erase(std::unique(out->begin(), out->end()), out->end());
  return out->size() <= kLaterCompared;
}

// The nearest depth of the quads drawn so far after p, for each depth plane among them (plane 0
// for quads without one): a quad q may hide p only if none of them may be nearer than q.
struct Between {
  std::vector<DepthSpan> nearestByPlane;

  void Add(const DepthSpan& depth) {
    for (DepthSpan& known : nearestByPlane) {
      if (known.plane == depth.plane) {
        known.nearest = std::min(known.nearest, depth.nearest);
        known.farthest = std::max(known.farthest, depth.farthest);
        return;
      }
    }
    nearestByPlane.push_back(depth);
  }
  bool NoneNearerThan(const DepthSpan& q) const {
    for (const DepthSpan& known : nearestByPlane) {
      if (MayBeNearer(known, q)) return false;
    }
    return true;
  }
};

// The analysis' lists, kept from frame to frame rather than made again for each quad or call.
struct Scratch {
  std::vector<uint32_t> later;
  std::vector<PixelRect> cover;
  std::vector<uint32_t> coverQuads;
  Between between;
  std::vector<uint8_t> needs;
  std::vector<int> cuts;
  std::vector<PixelRect> bands;
  std::vector<std::pair<int, int>> spans;
};

Scratch& SharedScratch() {
  static Scratch scratch;
  return scratch;
}

bool Crowded(const Grid& grid, const ScreenBox& box) {
  int c0, r0, c1, r1;
  Grid::Span(box, &c0, &r0, &c1, &r1);
  for (int r = r0; r <= r1; ++r) {
    for (int c = c0; c <= c1; ++c) {
      if (grid.cells[r * kGridColumns + c].size() > kQuadsPerCellCompared) return true;
    }
  }
  return false;
}

}  // namespace

bool Overlap(const ScreenBox& a, const ScreenBox& b) {
  return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1;
}

bool Contains(const ScreenBox& outer, const ScreenBox& inner) {
  return outer.x0 <= inner.x0 && inner.x1 <= outer.x1 && outer.y0 <= inner.y0 && inner.y1 <= outer.y1;
}

bool Overlap(const PixelRect& a, const PixelRect& b) {
  return !a.Empty() && !b.Empty() && a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1;
}

PixelRect Around(const PixelRect& a, const PixelRect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

bool Contains(const PixelRect& outer, const PixelRect& inner) {
  return inner.Empty() ||
         (outer.x0 <= inner.x0 && inner.x1 <= outer.x1 && outer.y0 <= inner.y0 && inner.y1 <= outer.y1);
}

namespace {

// Whether `rectangles` from `first` on cover `box`; `budget` counts down the pieces looked at.
bool CoveredFrom(const PixelRect& box, const std::vector<PixelRect>& rectangles, size_t first, int* budget) {
  if (box.Empty()) return true;
  if (--*budget < 0) return false;
  for (size_t i = first; i < rectangles.size(); ++i) {
    const PixelRect& r = rectangles[i];
    if (!Overlap(r, box)) continue;
    if (Contains(r, box)) return true;
    // What r leaves of the box: up to four pieces (left and right full height, then below and
    // above between them), each to be covered by the rectangles after r.
    PixelRect pieces[4];
    int count = 0;
    if (box.x0 < r.x0) pieces[count++] = {box.x0, box.y0, r.x0 - 1, box.y1};
    if (r.x1 < box.x1) pieces[count++] = {r.x1 + 1, box.y0, box.x1, box.y1};
    const int x0 = std::max(box.x0, r.x0), x1 = std::min(box.x1, r.x1);
    if (box.y0 < r.y0) pieces[count++] = {x0, box.y0, x1, r.y0 - 1};
    if (r.y1 < box.y1) pieces[count++] = {x0, r.y1 + 1, x1, box.y1};
    for (int k = 0; k < count; ++k) {
      if (!CoveredFrom(pieces[k], rectangles, i + 1, budget)) return false;
    }
    return true;
  }
  return false;
}

}  // namespace

bool Covered(const PixelRect& box, const std::vector<PixelRect>& rectangles) {
  int budget = 4096;
  return CoveredFrom(box, rectangles, 0, &budget);
}

bool MayBeNearer(const DepthSpan& a, const DepthSpan& b) {
  if (a.plane != 0 && a.plane == b.plane) return false;
  // Written so that a span that is not a number counts as possibly nearer.
  return !(a.nearest >= b.farthest + kDepthTolerance);
}

namespace {

// The most rows (or columns) of `n`, counted from one side, that `rectangles` cover, where
// band(c) is the first c of them: covering is monotone in the count, so a binary search finds it.
template <class Band>
int CoveredCount(int n, const std::vector<PixelRect>& rectangles, Band band) {
  int low = 0, high = n;  // low are covered; more than high are not
  while (low < high) {
    const int mid = low + (high - low + 1) / 2;
    if (Covered(band(mid), rectangles)) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  return low;
}

}  // namespace

namespace {

bool SameCorner(const FrameQuad& a, int ca, const FrameQuad& b, int cb) {
  return std::memcmp(a.corners[ca], b.corners[cb], sizeof(a.corners[ca])) == 0;
}

// Adds to `cover` the pixels between the inner rectangles of covering quads (`quads[coverQuads[k]]`
// covers `cover[k]`) that meet along an edge whose two corners they share, and those around a
// corner four of them share: each such pixel lies within the edge slack of the shared edge or
// corner, inside the quads' span along it, where the quads meet without a gap.
void AddSeams(const std::vector<FrameQuad>& quads, const std::vector<uint32_t>& coverQuads,
              std::vector<PixelRect>* cover) {
  constexpr size_t kQuadsPaired = 64;
  const size_t n = coverQuads.size();
  if (n < 2 || n > kQuadsPaired) return;
  constexpr uint32_t kNone = ~0u;
  uint32_t above[kQuadsPaired], right[kQuadsPaired];
  for (size_t a = 0; a < n; ++a) {
    above[a] = right[a] = kNone;
    const FrameQuad& qa = quads[coverQuads[a]];
    for (size_t b = 0; b < n; ++b) {
      const FrameQuad& qb = quads[coverQuads[b]];
      if (a == b || qa.draw != qb.draw) continue;
      if (SameCorner(qa, 1, qb, 0) && SameCorner(qa, 2, qb, 3)) above[a] = static_cast<uint32_t>(b);
      if (SameCorner(qa, 3, qb, 0) && SameCorner(qa, 2, qb, 1)) right[a] = static_cast<uint32_t>(b);
    }
  }
  for (size_t a = 0; a < n; ++a) {
    const PixelRect& ia = quads[coverQuads[a]].inner;
    if (above[a] != kNone) {
      const PixelRect& ib = quads[coverQuads[above[a]]].inner;
      cover->push_back({std::max(ia.x0, ib.x0), ia.y1 + 1, std::min(ia.x1, ib.x1), ib.y0 - 1});
    }
    if (right[a] != kNone) {
      const PixelRect& ic = quads[coverQuads[right[a]]].inner;
      cover->push_back({ia.x1 + 1, std::max(ia.y0, ic.y0), ic.x0 - 1, std::min(ia.y1, ic.y1)});
    }
    if (above[a] != kNone && right[a] != kNone && right[above[a]] != kNone && right[above[a]] == above[right[a]]) {
      const PixelRect& ib = quads[coverQuads[above[a]]].inner;
      const PixelRect& ic = quads[coverQuads[right[a]]].inner;
      cover->push_back({ia.x1 + 1, ia.y1 + 1, ic.x0 - 1, ib.y0 - 1});
    }
  }
}

}  // namespace

PixelRect Uncovered(const PixelRect& rect, const std::vector<PixelRect>& rectangles) {
  if (rect.Empty() || rectangles.empty()) return rect;
  PixelRect r = rect;
  // Covered rows from the bottom and from the top, then covered columns from either side of the rest.
  r.y0 += CoveredCount(r.y1 - r.y0 + 1, rectangles, [&](int c) { return PixelRect{r.x0, r.y0, r.x1, r.y0 + c - 1}; });
  if (r.Empty()) return r;
  r.y1 -= CoveredCount(r.y1 - r.y0 + 1, rectangles, [&](int c) { return PixelRect{r.x0, r.y1 - c + 1, r.x1, r.y1}; });
  r.x0 += CoveredCount(r.x1 - r.x0 + 1, rectangles, [&](int c) { return PixelRect{r.x0, r.y0, r.x0 + c - 1, r.y1}; });
  r.x1 -= CoveredCount(r.x1 - r.x0 + 1, rectangles, [&](int c) { return PixelRect{r.x1 - c + 1, r.y0, r.x1, r.y1}; });
  return r;
}

namespace {

PixelParts One(const PixelRect& r) {
  PixelParts parts;
  if (!r.Empty()) parts.part[parts.count++] = r;
  return parts;
}

// More rectangles than this are not cut into bands (each band looks through all of them).
constexpr size_t kRectanglesBanded = 128;

// Rows y0..y1 cut at each rectangle's first row and the row after its last, in order with y0 and
// y1 + 1 at the ends: between two cuts each rectangle spans all of a band's rows or none.
void BandCuts(int y0, int y1, const std::vector<PixelRect>& rectangles, std::vector<int>* cuts) {
  cuts->assign({y0, y1 + 1});
  for (const PixelRect& r : rectangles) {
    if (r.Empty()) continue;
    if (y0 < r.y0 && r.y0 <= y1) cuts->push_back(r.y0);
    if (y0 <= r.y1 && r.y1 < y1) cuts->push_back(r.y1 + 1);
  }
  std::sort(cuts->begin(), cuts->end());
  cuts->erase(std::unique(cuts->begin(), cuts->end()), cuts->end());
}

// Merges neighbouring bands (in order of their rows, none sharing a row) into the rectangle
// around both, the merge that adds the fewest pixels first. The merged rectangle spans only rows
// of the two bands and of the rows between them, which no other band has: parts never share a pixel.
PixelParts MergeBands(std::vector<PixelRect>* bands, int most, double mergeBelow) {
  most = std::clamp(most, 1, PixelParts::kMost);
  while (bands->size() > 1) {
    size_t best = 0;
    double fewest = 0.0;
    for (size_t k = 0; k + 1 < bands->size(); ++k) {
      const PixelRect& a = (*bands)[k];
      const PixelRect& b = (*bands)[k + 1];
      const double added = Around(a, b).Area() - a.Area() - b.Area();
      if (k == 0 || added < fewest) {
        fewest = added;
        best = k;
      }
    }
    if (bands->size() <= static_cast<size_t>(most) && fewest > mergeBelow) break;
    (*bands)[best] = Around((*bands)[best], (*bands)[best + 1]);
    bands->erase(bands->begin() + static_cast<std::ptrdiff_t>(best) + 1);
  }
  PixelParts parts;
  for (const PixelRect& band : *bands) parts.part[parts.count++] = band;
  return parts;
}

}  // namespace

PixelParts UncoveredParts(const PixelRect& rect, const std::vector<PixelRect>& rectangles, int most, double mergeBelow) {
  if (rect.Empty() || rectangles.empty() || rectangles.size() > kRectanglesBanded) return One(Uncovered(rect, rectangles));
  Scratch& s = SharedScratch();
  BandCuts(rect.y0, rect.y1, rectangles, &s.cuts);
  s.bands.clear();
  for (size_t k = 0; k + 1 < s.cuts.size(); ++k) {
    const int y0 = s.cuts[k], y1 = s.cuts[k + 1] - 1;
    s.spans.clear();
    for (const PixelRect& r : rectangles) {
      if (!r.Empty() && r.y0 <= y0 && y1 <= r.y1 && r.x0 <= rect.x1 && rect.x0 <= r.x1) s.spans.push_back({r.x0, r.x1});
    }
    // The first column the spans leave uncovered from the left, then the last from the right.
    std::sort(s.spans.begin(), s.spans.end());
    int first = rect.x0;
    for (const auto& [x0, x1] : s.spans) {
      if (x0 > first) break;
      first = std::max(first, x1 + 1);
    }
    if (first > rect.x1) continue;
    std::sort(s.spans.begin(), s.spans.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    int last = rect.x1;
    for (const auto& [x0, x1] : s.spans) {
      if (x1 < last) break;
      last = std::min(last, x0 - 1);
    }
    s.bands.push_back({first, y0, last, y1});
  }
  return MergeBands(&s.bands, most, mergeBelow);
}

PixelParts PartsHolding(const std::vector<PixelRect>& pieces, int most, double mergeBelow) {
  PixelRect around;
  for (const PixelRect& piece : pieces) around = Around(around, piece);
  if (around.Empty() || pieces.size() > kRectanglesBanded) return One(around);
  Scratch& s = SharedScratch();
  BandCuts(around.y0, around.y1, pieces, &s.cuts);
  s.bands.clear();
  for (size_t k = 0; k + 1 < s.cuts.size(); ++k) {
    PixelRect band;
    for (const PixelRect& piece : pieces) {
      if (!piece.Empty() && piece.y0 <= s.cuts[k] && s.cuts[k + 1] - 1 <= piece.y1) band = Around(band, piece);
    }
    if (band.Empty()) continue;
    s.bands.push_back({band.x0, s.cuts[k], band.x1, s.cuts[k + 1] - 1});
  }
  return MergeBands(&s.bands, most, mergeBelow);
}

void FindHiddenQuads(const std::vector<FrameQuad>& quads, std::vector<uint8_t>* hidden,
                     std::vector<PixelParts>* visible) {
  constexpr int kEverything = 1 << 30;
  hidden->assign(quads.size(), 0);
  if (visible != nullptr) {
    visible->clear();
    const PixelRect everything{-kEverything, -kEverything, kEverything, kEverything};
    for (const FrameQuad& q : quads) visible->push_back(One(q.hideable ? q.pixels : everything));
  }
  // A quad without a pixel on the screen draws nothing.
  bool anyHides = false;
  for (size_t i = 0; i < quads.size(); ++i) {
    if (quads[i].hideable && quads[i].pixels.Empty()) (*hidden)[i] = 1;
    anyHides = anyHides || quads[i].hides;
  }
  if (!anyHides) return;
  Grid& grid = SharedGrid();
  grid.Fill(quads, nullptr);
  std::vector<uint32_t>& later = SharedScratch().later;
  std::vector<PixelRect>& cover = SharedScratch().cover;
  std::vector<uint32_t>& coverQuads = SharedScratch().coverQuads;
  Between& between = SharedScratch().between;
  for (size_t i = 0; i < quads.size(); ++i) {
    const FrameQuad& p = quads[i];
    if (!p.hideable || (*hidden)[i] != 0 || Crowded(grid, p.box) || !LaterOverlapping(quads, grid, static_cast<uint32_t>(i), &later)) continue;
    // Walk the later quads over p in draw order: each one that hides, is nowhere farther than p
    // and has nothing nearer than itself drawn over p since p, covers its inner rectangle of p.
    between.nearestByPlane.clear();
    cover.clear();
    coverQuads.clear();
    for (uint32_t k : later) {
      const FrameQuad& q = quads[k];
      if (q.hides && Overlap(q.inner, p.pixels) && !MayBeNearer(p.depth, q.depth) && between.NoneNearerThan(q.depth)) {
        cover.push_back(q.inner);
        coverQuads.push_back(k);
        if (Contains(q.inner, p.pixels)) break;
      }
      between.Add(q.depth);
    }
    if (cover.empty()) continue;
    AddSeams(quads, coverQuads, &cover);
    if (Covered(p.pixels, cover)) {
      (*hidden)[i] = 1;
      if (visible != nullptr) (*visible)[i] = PixelParts{};
    } else if (visible != nullptr) {
      const PixelRect shown = Uncovered(p.pixels, cover);
      (*visible)[i] = shown.Area() >= kPartsFrom ? UncoveredParts(shown, cover, PixelParts::kMost, kPartsMergeBelow)
                                                : One(shown);
    }
  }
}

void FindDrawsWithoutDepth(const std::vector<FrameQuad>& quads, const std::vector<uint8_t>& hidden, size_t draws,
                           std::vector<uint8_t>* withoutDepth) {
  // A quad needs depth when it overlaps an earlier quad that may be nearer (its test may fail) or
  // a later one that may be farther (its write may fail that quad's test): the two ends of one pair.
  // Quads on one depth plane are never nearer or farther than each other: a frame (or a crowded
  // cell) drawn all in one plane, as a screen of 2-D sprites is, has no pair to compare.
  uint32_t framePlane = 0;
  bool onePlane = true;
  for (size_t i = 0; i < quads.size() && onePlane; ++i) {
    if (hidden[i] != 0) continue;
    if (framePlane == 0) framePlane = quads[i].depth.plane;
    onePlane = framePlane != 0 && quads[i].depth.plane == framePlane;
  }
  if (onePlane) {
    withoutDepth->assign(draws, 1);
    return;
  }
  std::vector<uint8_t>& needs = SharedScratch().needs;
  needs.assign(quads.size(), 0);
  Grid& grid = SharedGrid();
  grid.Fill(quads, &hidden);
  for (const std::vector<uint32_t>& cell : grid.cells) {
    if (cell.size() > kQuadsPerCellCompared) {
      const uint32_t plane = quads[cell.front()].depth.plane;
      if (plane != 0 && std::all_of(cell.begin(), cell.end(), [&](uint32_t i) { return quads[i].depth.plane == plane; })) {
        continue;
      }
      for (uint32_t i : cell) needs[i] = 1;
      continue;
    }
    for (size_t a = 0; a < cell.size(); ++a) {
      const FrameQuad& earlier = quads[cell[a]];
      for (size_t b = a + 1; b < cell.size(); ++b) {
        if (needs[cell[a]] != 0 && needs[cell[b]] != 0) continue;
        const FrameQuad& later = quads[cell[b]];
        if (Overlap(earlier.box, later.box) && MayBeNearer(earlier.depth, later.depth)) {
          needs[cell[a]] = needs[cell[b]] = 1;
        }
      }
    }
  }
  withoutDepth->assign(draws, 1);
  for (size_t i = 0; i < quads.size(); ++i) {
    if (needs[i] != 0 && quads[i].draw < draws) (*withoutDepth)[quads[i].draw] = 0;
  }
}

void OpaqueTexels::Build(int width, int height, const uint8_t* rgba) {
  width_ = height_ = 0;
  sums_.clear();
  if (width <= 0 || height <= 0 || rgba == nullptr) return;
  width_ = width;
  height_ = height;
  const size_t stride = static_cast<size_t>(width) + 1;
  sums_.assign(stride * (static_cast<size_t>(height) + 1), 0);
  for (int y = 0; y < height; ++y) {
    uint32_t row = 0;
    for (int x = 0; x < width; ++x) {
      row += rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4 + 3] != 255 ? 1u : 0u;
      sums_[(static_cast<size_t>(y) + 1) * stride + static_cast<size_t>(x) + 1] =
          sums_[static_cast<size_t>(y) * stride + static_cast<size_t>(x) + 1] + row;
    }
  }
}

bool OpaqueTexels::Opaque(int x0, int y0, int x1, int y1) const {
  if (Empty() || x0 < 0 || y0 < 0 || x1 >= width_ || y1 >= height_ || x0 > x1 || y0 > y1) return false;
  const size_t stride = static_cast<size_t>(width_) + 1;
  auto at = [&](int x, int y) { return sums_[static_cast<size_t>(y) * stride + static_cast<size_t>(x)]; };
  return at(x1 + 1, y1 + 1) - at(x0, y1 + 1) - at(x1 + 1, y0) + at(x0, y0) == 0;
}

bool OpaqueTexels::Ranges(float t0, float t1, int size, int out[4], int* count) const {
  if (!(std::isfinite(t0) && std::isfinite(t1)) || t0 > t1 || std::abs(t0) > 1e6f || std::abs(t1) > 1e6f) return false;
  // Linear filtering reads texels floor(t * size - 0.5) and the one after; one more each side.
  const double first = std::floor(static_cast<double>(t0) * size - 0.5) - 1.0;
  const double last = std::floor(static_cast<double>(t1) * size - 0.5) + 2.0;
  if (last - first + 1.0 >= static_cast<double>(size)) {
    out[0] = 0;
    out[1] = size - 1;
    *count = 1;
    return true;
  }
  // The wrapping sampler reads texel i mod size.
  const int from = static_cast<int>(static_cast<long long>(first) % size + size) % size;
  const int to = from + static_cast<int>(last - first);
  if (to < size) {
    out[0] = from;
    out[1] = to;
    *count = 1;
  } else {
    out[0] = from;
    out[1] = size - 1;
    out[2] = 0;
    out[3] = to - size;
    *count = 2;
  }
  return true;
}

bool OpaqueTexels::SamplesOpaque(float u0, float v0, float u1, float v1) const {
  if (Empty()) return false;
  int columns[4], rows[4], columnRanges = 0, rowRanges = 0;
  if (!Ranges(u0, u1, width_, columns, &columnRanges) || !Ranges(v0, v1, height_, rows, &rowRanges)) return false;
  for (int c = 0; c < columnRanges; ++c) {
    for (int r = 0; r < rowRanges; ++r) {
      if (!Opaque(columns[2 * c], rows[2 * r], columns[2 * c + 1], rows[2 * r + 1])) return false;
    }
  }
  return true;
}
