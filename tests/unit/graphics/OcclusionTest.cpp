#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "graphics/Occlusion.h"

namespace {

// A quad in draw `draw` over pixel columns x0..x1 and rows y0..y1 of a 100 x 100 window, at
// depth `depth` (a flat quad of plane `plane` when nonzero). Its box is the pixels' rectangle in
// device coordinates grown by half a pixel.
FrameQuad Quad(uint32_t draw, int x0, int y0, int x1, int y1, double depth, uint32_t plane = 0) {
  FrameQuad q;
  q.draw = draw;
  q.pixels = {x0, y0, x1, y1};
  auto ndc = [](double pixel) { return static_cast<float>(pixel / 50.0 - 1.0); };
  q.box = {ndc(x0 - 0.5), ndc(y0 - 0.5), ndc(x1 + 1.5), ndc(y1 + 1.5)};
  q.depth = {depth, depth, plane};
  q.hideable = true;
  return q;
}

FrameQuad Hiding(FrameQuad q) {
  q.hides = true;
  q.inner = q.pixels;
  const float x0 = q.pixels.x0, y0 = q.pixels.y0, x1 = q.pixels.x1 + 1.0f, y1 = q.pixels.y1 + 1.0f;
  const float corners[4][3] = {{x0, y0, 0}, {x0, y1, 0}, {x1, y1, 0}, {x1, y0, 0}};
  std::memcpy(q.corners, corners, sizeof(corners));
  return q;
}

std::vector<uint8_t> Hidden(const std::vector<FrameQuad>& quads) {
  std::vector<uint8_t> hidden;
  FindHiddenQuads(quads, &hidden);
  return hidden;
}

std::vector<uint8_t> WithoutDepth(const std::vector<FrameQuad>& quads, size_t draws) {
  std::vector<uint8_t> hidden(quads.size(), 0), out;
  FindDrawsWithoutDepth(quads, hidden, draws, &out);
  return out;
}

constexpr double kFar = 0.9;
constexpr double kNear = 0.5;

// ---- depth order --------------------------------------------------------------

TEST(DepthOrderTest, OnlyDepthsApartByMoreThanTheToleranceAreOrdered) {
  const DepthSpan near{0.5, 0.5, 0}, far{0.6, 0.6, 0};
  EXPECT_TRUE(MayBeNearer(near, far));
  EXPECT_FALSE(MayBeNearer(far, near));
  // Too close to tell apart: either may be nearer.
  const DepthSpan a{0.5, 0.5, 0}, b{0.5 + kDepthTolerance / 2, 0.5 + kDepthTolerance / 2, 0};
  EXPECT_TRUE(MayBeNearer(a, b));
  EXPECT_TRUE(MayBeNearer(b, a));
  // One plane has one depth: equal, never strictly nearer.
  EXPECT_FALSE(MayBeNearer(DepthSpan{0.5, 0.5, 3}, DepthSpan{0.5, 0.5, 3}));
  EXPECT_TRUE(MayBeNearer(DepthSpan{0.5, 0.5, 0}, DepthSpan{0.5, 0.5, 0}));
  // Overlapping spans, and a span that is not a number.
  EXPECT_TRUE(MayBeNearer(DepthSpan{0.5, 0.7, 0}, DepthSpan{0.4, 0.6, 0}));
  EXPECT_TRUE(MayBeNearer(DepthSpan{std::nan(""), std::nan(""), 0}, far));
}

// ---- draws without depth ------------------------------------------------------

TEST(DrawsWithoutDepthTest, BackToFrontAndApartQuadsNeedNoDepthButAFartherOneOverANearerKeepsBoth) {
  // A backdrop, a nearer sprite over it, a nearer label over both, and last a sprite away from
  // them, farther than the label but nearer than the backdrop.
  std::vector<FrameQuad> quads = {Quad(0, 0, 0, 99, 99, kFar), Quad(1, 10, 10, 20, 20, 0.7),
                                  Quad(2, 5, 5, 30, 30, kNear), Quad(3, 60, 60, 70, 70, 0.8)};
  EXPECT_EQ(WithoutDepth(quads, 4), (std::vector<uint8_t>{1, 1, 1, 1}));
  // Draw 0: a near mark; draw 1: the floor after it, farther, over it; draw 2: apart.
  quads = {Quad(0, 10, 10, 20, 20, kNear), Quad(1, 0, 0, 50, 50, kFar),
                                  Quad(2, 80, 80, 90, 90, kFar)};
  EXPECT_EQ(WithoutDepth(quads, 3), (std::vector<uint8_t>{0, 0, 1}));
  // Side by side they cannot meet.
  quads[1] = Quad(1, 30, 30, 50, 50, kFar);
  EXPECT_EQ(WithoutDepth(quads, 3), (std::vector<uint8_t>{1, 1, 1}));
  // A draw needs depth when any one of its quads does.
  quads = {Quad(0, 10, 10, 20, 20, kNear), Quad(1, 60, 60, 70, 70, kNear), Quad(1, 15, 15, 25, 25, kFar)};
  EXPECT_EQ(WithoutDepth(quads, 2), (std::vector<uint8_t>{0, 0}));
}

TEST(DrawsWithoutDepthTest, EqualDepthsAndHiddenQuadsDoNotCount) {
  // Tiles of one plane drawn over each other: the later one wins either way.
  std::vector<FrameQuad> quads = {Quad(0, 0, 0, 50, 50, kFar, 1), Quad(1, 25, 25, 75, 75, kFar, 1)};
  EXPECT_EQ(WithoutDepth(quads, 2), (std::vector<uint8_t>{1, 1}));
  // Close depths without a common plane are not ordered.
  quads[1].depth = {kFar + kDepthTolerance / 4, kFar + kDepthTolerance / 4, 2};
  EXPECT_EQ(WithoutDepth(quads, 2), (std::vector<uint8_t>{0, 0}));
  // A quad left out meets nothing; an empty draw needs nothing.
  std::vector<uint8_t> hidden = {1, 0}, out;
  FindDrawsWithoutDepth(quads, hidden, 3, &out);
  EXPECT_EQ(out, (std::vector<uint8_t>{1, 1, 1}));
}

TEST(DrawsWithoutDepthTest, ACrowdedScreenStillFindsEveryConflict) {
  // Hundreds of same-plane sprites in one place, then one farther quad over them all.
  std::vector<FrameQuad> quads;
  for (int i = 0; i < 400; ++i) quads.push_back(Quad(0, i % 10, i % 7, i % 10 + 5, i % 7 + 5, kNear, 1));
  quads.push_back(Quad(1, 0, 0, 99, 99, kFar));
  EXPECT_EQ(WithoutDepth(quads, 2), (std::vector<uint8_t>{0, 0}));
  // All in one plane, crowded or not, the sprites need no test; a quad off the plane brings it back
  // for whatever it meets in the crowd (not for a label of the plane's own away from it).
  quads.back() = Quad(1, 90, 90, 95, 95, kNear, 1);
  EXPECT_EQ(WithoutDepth(quads, 2), (std::vector<uint8_t>{1, 1}));
  quads.back() = Quad(1, 2, 2, 3, 3, kNear, 2);
  quads.push_back(Quad(2, 90, 90, 95, 95, kNear, 1));
  EXPECT_EQ(WithoutDepth(quads, 3), (std::vector<uint8_t>{0, 0, 1}));
}

// ---- hidden quads ---------------------------------------------------------------

TEST(HiddenQuadsTest, ALaterOpaqueQuadAtTheSameOrNearerDepthHidesWhatItCoversIfItMayBeLeftOut) {
  std::vector<FrameQuad> quads = {Quad(0, 10, 10, 20, 20, kFar), Hiding(Quad(1, 5, 5, 30, 30, kFar, 0))};
  // Equal depths without a common plane are not ordered: not hidden.
  EXPECT_EQ(Hidden(quads), (std::vector<uint8_t>{0, 0}));
  quads[1].depth = {kNear, kNear, 0};
  EXPECT_EQ(Hidden(quads), (std::vector<uint8_t>{1, 0}));
  quads[0].depth.plane = quads[1].depth.plane = 4;
  quads[1].depth.nearest = quads[1].depth.farthest = kFar;
  EXPECT_EQ(Hidden(quads), (std::vector<uint8_t>{1, 0}));
  // A farther cover loses the depth test where the first quad is.
  quads[1].depth = {0.95, 0.95, 0};
  EXPECT_EQ(Hidden(quads), (std::vector<uint8_t>{0, 0}));
  // Covering all but one column is not enough; an earlier cover hides nothing.
  quads[1] = Hiding(Quad(1, 11, 5, 30, 30, kNear));
  EXPECT_EQ(Hidden(quads), (std::vector<uint8_t>{0, 0}));
  quads = {Hiding(Quad(0, 5, 5, 30, 30, kNear)), Quad(1, 10, 10, 20, 20, kFar)};
  EXPECT_EQ(Hidden(quads), (std::vector<uint8_t>{0, 0}));
  // Only hideable quads are left out, and quads off the screen always.
  quads = {Quad(0, 10, 10, 20, 20, kFar), Hiding(Quad(1, 0, 0, 40, 40, kNear))};
  quads[0].hideable = false;
  EXPECT_EQ(Hidden(quads), (std::vector<uint8_t>{0, 0}));
  quads[0] = Quad(0, 5, 5, 4, 4, kFar);  // no pixel on the screen
  quads[1].hides = false;
  EXPECT_EQ(Hidden(quads), (std::vector<uint8_t>{1, 0}));
}

TEST(HiddenQuadsTest, SeveralCoversTogetherHideAQuadWhenTheyLeaveNoPixelOut) {
  // Four tiles edge to edge over a backdrop's pixels.
  std::vector<FrameQuad> quads = {Quad(0, 0, 0, 39, 39, kFar, 1), Hiding(Quad(1, 0, 0, 19, 19, kFar, 1)),
                                  Hiding(Quad(1, 20, 0, 39, 19, kFar, 1)), Hiding(Quad(1, 0, 20, 19, 39, kFar, 1)),
                                  Hiding(Quad(1, 20, 20, 39, 39, kFar, 1))};
  EXPECT_EQ(Hidden(quads), (std::vector<uint8_t>{1, 0, 0, 0, 0}));
  // A one-pixel seam between two of them lets the backdrop show.
  quads[2] = Hiding(Quad(1, 21, 0, 39, 19, kFar, 1));
  EXPECT_EQ(Hidden(quads)[0], 0);
}

TEST(HiddenQuadsTest, ANearerQuadDrawnBetweenKeepsTheHiddenQuadDrawn) {
  // The middle quad is nearer than the cover: it may be half transparent and show the first
  // quad through it, so the first quad stays. One at the cover's plane or farther does not matter.
  std::vector<FrameQuad> quads = {Quad(0, 10, 10, 20, 20, kFar), Quad(1, 12, 12, 14, 14, 0.3),
                                  Hiding(Quad(2, 0, 0, 40, 40, kNear, 2))};
  EXPECT_EQ(Hidden(quads), (std::vector<uint8_t>{0, 0, 0}));
  quads[1].depth = {kNear, kNear, 2};
  EXPECT_EQ(Hidden(quads), (std::vector<uint8_t>{1, 1, 0}));
  quads[1].depth = {0.7, 0.7, 0};
  EXPECT_EQ(Hidden(quads), (std::vector<uint8_t>{1, 1, 0}));
  // Beside the first quad it does not matter either.
  quads[1] = Quad(1, 30, 30, 35, 35, 0.3);
  quads[1].hideable = false;
  EXPECT_EQ(Hidden(quads), (std::vector<uint8_t>{1, 0, 0}));
}

TEST(HiddenQuadsTest, APartlyCoveredQuadCanShowOnlyTheRectangleTheCoversLeave) {
  auto corners = [](const PixelRect& r) { return std::vector<int>{r.x0, r.y0, r.x1, r.y1}; };
  // A backdrop, then two opaque floor tiles at its depth over its top 60 rows.
  std::vector<FrameQuad> quads = {Quad(0, 0, 0, 99, 99, kFar, 1), Hiding(Quad(1, 0, 40, 49, 99, kFar, 1)),
                                  Hiding(Quad(1, 50, 40, 99, 99, kFar, 1))};
  std::vector<uint8_t> hidden;
  std::vector<PixelParts> visible;
  FindHiddenQuads(quads, &hidden, &visible);
  EXPECT_EQ(corners(visible[0].part[0]), (std::vector<int>{0, 0, 99, 39}));
  // A column between the tiles keeps every row it crosses; only whole rows and columns go. But
  // not when the tiles share that edge: each pixel on it is drawn by one or the other.
  quads[2] = Hiding(Quad(1, 51, 40, 99, 99, kFar, 1));
  FindHiddenQuads(quads, &hidden, &visible);
  EXPECT_EQ(corners(visible[0].part[0]), (std::vector<int>{0, 0, 99, 99}));
  quads[2].corners[0][0] = quads[2].corners[1][0] = 50.0f;
  FindHiddenQuads(quads, &hidden, &visible);
  EXPECT_EQ(corners(visible[0].part[0]), (std::vector<int>{0, 0, 99, 39}));
  EXPECT_EQ(corners(Uncovered({0, 0, 9, 9}, {{0, 0, 9, 2}, {0, 8, 9, 9}, {0, 0, 1, 9}, {9, 0, 9, 9}})),
            (std::vector<int>{2, 3, 8, 7}));
}

TEST(CoveredTest, RectanglesCoverWholePixelsEdgeToEdge) {
  const PixelRect box{0, 0, 9, 9};
  EXPECT_TRUE(Covered(box, {PixelRect{0, 0, 4, 9}, PixelRect{5, 0, 9, 4}, PixelRect{5, 5, 9, 9}}));
  EXPECT_FALSE(Covered(box, {PixelRect{0, 0, 4, 9}, PixelRect{5, 0, 9, 4}, PixelRect{5, 6, 9, 9}}));
  EXPECT_TRUE(Covered(box, {PixelRect{-5, -5, 20, 20}}));
  EXPECT_FALSE(Covered(box, {}));
  // A thousand single pixels that leave one out: the search gives up or finds the hole.
  std::vector<PixelRect> dots;
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      if (x != 7 || y != 3) dots.push_back(PixelRect{x, y, x, y});
    }
  }
  EXPECT_FALSE(Covered(box, dots));
}

TEST(UncoveredPartsTest, PartsShareNoPixelAndHoldEveryUncoveredOneOfAnLShapeForFarFewerPixels) {
  // Floor tiles over a backdrop leave a band along its bottom and one up its left side showing,
  // and the lower half of a column between two tiles.
  const PixelRect backdrop{0, 0, 199, 199};
  const std::vector<PixelRect> tiles = {{30, 20, 119, 199}, {121, 20, 199, 199}, {120, 20, 120, 99}};
  const std::vector<PixelRect> pieces = {{0, 0, 199, 19}, {0, 10, 29, 199}, {0, 150, 120, 199}};
  // The parts' pixels, once no pixel is found in two parts or left out where it must be held.
  const auto check = [](const PixelParts& parts, int count, auto mustHold) {
    EXPECT_EQ(parts.count, count);
    int shared = 0, lost = 0, area = 0;
    for (int y = -1; y <= 200; ++y) {
      for (int x = -1; x <= 200; ++x) {
        int holding = 0;
        for (int k = 0; k < parts.count; ++k) holding += Overlap(parts.part[k], PixelRect{x, y, x, y}) ? 1 : 0;
        shared += holding > 1 ? 1 : 0;
        lost += holding == 0 && mustHold(x, y) ? 1 : 0;
        area += holding;
      }
    }
    EXPECT_EQ(shared + lost, 0);
    return area;
  };
  const auto uncovered = [&](int x, int y) { return Overlap(backdrop, {x, y, x, y}) && !Covered({x, y, x, y}, tiles); };
  const auto inPieces = [&](int x, int y) { return Covered({x, y, x, y}, pieces); };
  // Three bands (4000 + 2400 + 12100 pixels); two once the lower ones merge, as they do when
  // merging them adds (7280) too few pixels; one around all.
  EXPECT_EQ(check(UncoveredParts(backdrop, tiles, 4, 0.0), 3, uncovered), 18500);
  EXPECT_EQ(check(UncoveredParts(backdrop, tiles, 2, 0.0), 2, uncovered), 25780);
  EXPECT_EQ(check(UncoveredParts(backdrop, tiles, 4, 8000.0), 2, uncovered), 25780);
  EXPECT_EQ(check(UncoveredParts(backdrop, tiles, 1, 0.0), 1, uncovered), 40000);
  EXPECT_EQ(check(PartsHolding(pieces, 4, 0.0), 3, inPieces), 4000 + 130 * 30 + 50 * 121);
}

// ---- opaque texels ----------------------------------------------------------------

// A 16 x 16 picture, opaque but for the texels listed (x, y).
OpaqueTexels Picture(const std::vector<std::pair<int, int>>& seeThrough) {
  std::vector<uint8_t> rgba(16 * 16 * 4, 255);
  for (auto [x, y] : seeThrough) rgba[(y * 16 + x) * 4 + 3] = 254;
  OpaqueTexels texels;
  texels.Build(16, 16, rgba.data());
  return texels;
}

TEST(OpaqueTexelsTest, RectanglesOfTexelsAreOpaqueUnlessTheyHoldATexelBelow255) {
  const OpaqueTexels texels = Picture({{15, 0}});
  EXPECT_TRUE(texels.Opaque(0, 0, 14, 15));
  EXPECT_FALSE(texels.Opaque(0, 0, 15, 0));
  EXPECT_FALSE(texels.Opaque(15, 0, 15, 0));
  EXPECT_FALSE(texels.Opaque(0, 0, 16, 15));  // outside the picture
  EXPECT_FALSE(texels.AllOpaque());
  EXPECT_TRUE(Picture({}).AllOpaque());
  OpaqueTexels empty;
  empty.Build(0, 0, nullptr);
  EXPECT_TRUE(empty.Empty());
  EXPECT_FALSE(empty.SamplesOpaque(0, 0, 1, 1));
}

TEST(OpaqueTexelsTest, SamplingReadsOneTexelBeyondTheFilterAndWrapsAtTheEdges) {
  // Texel (15, 0) is not opaque. Linear filtering at the picture's left and top edges blends in
  // the texels across them (the sampler wraps), so the top-left quarter is not certainly opaque.
  const OpaqueTexels corner = Picture({{15, 0}});
  EXPECT_FALSE(corner.SamplesOpaque(0.0f, 0.0f, 0.5f, 0.25f));
  // Rows far from row 0 are fine.
  EXPECT_TRUE(corner.SamplesOpaque(0.0f, 0.45f, 0.5f, 0.55f));
  // Texel (8, 8): u and v 0.42..0.43 filter texels 6 and 7; rounding may reach 8, so it counts.
  const OpaqueTexels middle = Picture({{8, 8}});
  EXPECT_TRUE(middle.SamplesOpaque(0.3f, 0.3f, 0.32f, 0.32f));
  EXPECT_FALSE(middle.SamplesOpaque(0.42f, 0.42f, 0.43f, 0.43f));
  // Coordinates past 1 read the picture again from its start.
  EXPECT_FALSE(corner.SamplesOpaque(1.9f, 1.0f, 1.95f, 1.05f));
  EXPECT_TRUE(corner.SamplesOpaque(1.3f, 1.3f, 1.32f, 1.32f));
  EXPECT_FALSE(corner.SamplesOpaque(std::nanf(""), 0.0f, 0.5f, 0.5f));
}

}  // namespace
