#include "gameplay/PathGrid.h"

#include <algorithm>
#include <cmath>

#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"

namespace {

struct GridState {
  bool exists = false;
  std::vector<int32_t> cells;  // kGridRows x kGridColumns, row by row
  std::vector<uint8_t> mask;   // the same with a blocked border, 1 = open
  std::vector<uint8_t> openNeighbours;  // per padded cell, bit d: neighbour d is open
};

GridState& State() {
  static GridState state;
  return state;
}

// A cell counts as blocked when a circle of this radius around its sample point touches an obstacle.
constexpr float kBlockRadius = 13.0f;
constexpr int32_t kCellOriginX = kGridOriginX / kGridCellSize;  // -7
constexpr int32_t kCellOriginY = kGridOriginY / kGridCellSize;  // -7
// One candidate-range helper serves both axes because both origins give the same cell offset.
static_assert(kCellOriginX == kCellOriginY);

struct Obstacle {
  float left, right, bottom, top;
};

bool BlocksPaths(ObjectType type, bool glassBlocks) {
  switch (type) {
    case ObjectType::Vent:
    case ObjectType::Wall:
    case ObjectType::EscapeBarrier:
      return true;
    case ObjectType::Glass:
      return glassBlocks;
    default:
      return false;
  }
}

// The obstacles of the object list: each object's Transform rectangle, width and height exchanged
// when it is turned by exactly 90 or 270 degrees.
std::vector<Obstacle> CollectObstacles(bool glassBlocks) {
  std::vector<Obstacle> obstacles;
  for (GameObject* object : Objects()) {
    if (object == nullptr || !BlocksPaths(object->type, glassBlocks)) continue;
    const Transform* t = object->GetTransform();
    if (t == nullptr) continue;
    float width = t->scale[0];
    float height = t->scale[1];
    if (t->rotation == 90.0f || t->rotation == 270.0f) std::swap(width, height);
    // A negative scale mirrors the picture; the obstacle covers the same ground.
    float halfW = std::fabs(width) / 2.0f;
    float halfH = std::fabs(height) / 2.0f;
    obstacles.push_back({t->position[0] - halfW, t->position[0] + halfW, t->position[1] - halfH,
                         t->position[1] + halfH});
  }
  return obstacles;
}

// Squared distance from the sample point to the nearest point of the rectangle, against the radius.
bool Touches(float x, float y, const Obstacle& o) {
  float nearestX = std::max(o.left, std::min(x, o.right));
  float nearestY = std::max(o.bottom, std::min(y, o.top));
  float dx = x - nearestX;
  float dy = y - nearestY;
  return dx * dx + dy * dy <= kBlockRadius * kBlockRadius;
}

// Cells are sampled at grid points of the world: column c at x = (c - 7) * 13, sample index n at
// y = (n - 7) * 13. Both points convert back (WorldToCell) to column c and row kGridRows - n, which
// is the row whose state they decide, in a full build as in a refresh.
float SampleX(int32_t column) { return static_cast<float>((kCellOriginX + column) * kGridCellSize); }
float SampleY(int32_t n) { return static_cast<float>((kCellOriginY + n) * kGridCellSize); }

void WriteCell(int32_t row, int32_t column, int32_t value) {
  GridState& s = State();
  s.cells[static_cast<size_t>(row) * kGridColumns + column] = value;
  const int32_t p = (row + 1) * kPaddedColumns + column + 1;
  const uint8_t open = value == kCellOpen ? 1 : 0;
  if (s.mask[p] == open) return;
  s.mask[p] = open;
  // This cell is neighbour d of the cell one step d back.
  for (int d = 0; d < 8; ++d) {
    uint8_t& bits = s.openNeighbours[p - kNeighbourOffset[d]];
    bits = static_cast<uint8_t>(open ? bits | (1u << d) : bits & ~(1u << d));
  }
}

// Rebuilds the padded mask and the open-neighbour bits from the cells.
void RebuildMask() {
  GridState& s = State();
  const size_t padded = static_cast<size_t>(kPaddedRows) * kPaddedColumns;
  s.mask.assign(padded, 0);
  for (int32_t r = 0; r < kGridRows; ++r) {
    const int32_t* from = &s.cells[static_cast<size_t>(r) * kGridColumns];
    uint8_t* to = &s.mask[static_cast<size_t>(r + 1) * kPaddedColumns + 1];
    for (int32_t c = 0; c < kGridColumns; ++c) to[c] = from[c] == kCellOpen ? 1 : 0;
  }
  s.openNeighbours.assign(padded, 0);
  for (int32_t r = 1; r <= kGridRows; ++r) {
    for (int32_t c = 1; c <= kGridColumns; ++c) {
      const int32_t p = r * kPaddedColumns + c;
      uint8_t bits = 0;
      for (int d = 0; d < 8; ++d) bits = static_cast<uint8_t>(bits | (s.mask[p + kNeighbourOffset[d]] << d));
      s.openNeighbours[p] = bits;
    }
  }
  s.exists = true;
}

void AllocateGrid(int32_t fill) {
  State().cells.assign(static_cast<size_t>(kGridRows) * kGridColumns, fill);
  RebuildMask();
}

// Range of sample indices i (sample coordinate (i - 7) * 13) that can lie within the radius of
// [low, high], widened by one for rounding and clamped to [0, count - 1]. Empty when first > last.
void CandidateRange(float low, float high, int32_t count, int32_t* first, int32_t* last) {
  double lo = std::floor((static_cast<double>(low) - kBlockRadius) / kGridCellSize) - kCellOriginX - 1;
  double hi = std::ceil((static_cast<double>(high) + kBlockRadius) / kGridCellSize) - kCellOriginX + 1;
  lo = std::clamp(lo, -1.0, static_cast<double>(count));
  hi = std::clamp(hi, -1.0, static_cast<double>(count));
  *first = std::max(0, static_cast<int32_t>(lo));
  *last = std::min(count - 1, static_cast<int32_t>(hi));
}

}  // namespace

GridCell WorldToCell(float x, float y) {
  // Far-off points (and NaN) cannot be truncated to an int; they lie outside the grid anyway.
  constexpr float kLimit = 1.0e9f;
  if (!(std::fabs(x) < kLimit) || !(std::fabs(y) < kLimit)) return {};
  GridCell cell;
  cell.row = kGridRows - (static_cast<int32_t>(y) - kGridOriginY) / kGridCellSize;
  cell.column = (static_cast<int32_t>(x) - kGridOriginX) / kGridCellSize;
  return cell;
}

GridPoint CellToWorld(GridCell cell) {
  return {static_cast<float>((cell.column + kCellOriginX) * kGridCellSize),
          static_cast<float>((kGridRows - cell.row) * kGridCellSize + kGridOriginY)};
}

bool IsInsideGrid(GridCell cell) {
  return cell.row >= 0 && cell.row < kGridRows && cell.column >= 0 && cell.column < kGridColumns;
}

void BuildGrid() {
  AllocateGrid(kCellOpen);
  const std::vector<Obstacle> obstacles = CollectObstacles(true);
  // Each obstacle only tests the cells near it; a cell is blocked when any obstacle touches it, so
  // the order of the obstacles does not matter.
  for (const Obstacle& o : obstacles) {
    int32_t firstColumn = 0, lastColumn = kGridColumns - 1;
    int32_t firstSample = 1, lastSample = kGridRows;
    bool finite = std::isfinite(o.left) && std::isfinite(o.right) && std::isfinite(o.bottom) && std::isfinite(o.top);
    if (finite) {
      CandidateRange(o.left, o.right, kGridColumns, &firstColumn, &lastColumn);
      CandidateRange(o.bottom, o.top, kGridRows + 1, &firstSample, &lastSample);
      firstSample = std::max(firstSample, 1);
    }
    for (int32_t n = firstSample; n <= lastSample; ++n) {
      // Row kGridRows - n is decided by the sample that converts back to it, as in a refresh.
      // Sampling the row below instead would set every obstacle one cell off its place, and a
      // refresh would then move the walls it re-evaluates.
      int32_t row = kGridRows - n;
      for (int32_t c = firstColumn; c <= lastColumn; ++c) {
        if (Touches(SampleX(c), SampleY(n), o)) WriteCell(row, c, kCellBlocked);
      }
    }
  }
}

void RefreshGridRegion(float x, float y, float width, float height) {
  if (!State().exists) return;
  bool inside = kGridOriginX <= x - width / 2 && x + width / 2 <= kGridBoundX && kGridOriginY <= y - height / 2 &&
                y + height / 2 <= kGridBoundY;
  if (!inside) return;
  const std::vector<Obstacle> obstacles = CollectObstacles(false);
  int32_t cx = static_cast<int32_t>(x - kGridOriginX) / kGridCellSize;
  int32_t cy = static_cast<int32_t>(y - kGridOriginY) / kGridCellSize;
  int32_t mx = static_cast<int32_t>((width / 2) / kGridCellSize);
  int32_t my = static_cast<int32_t>((height / 2) / kGridCellSize);
  for (int32_t n = cy + my + 3; n >= cy - my - 2; --n) {
    int32_t row = kGridRows - n;
    for (int32_t c = cx - mx - 3; c <= cx + mx + 2; ++c) {
      // Near the bounds the region reaches past the last row or column; those cells do not exist.
      if (!IsInsideGrid({row, c})) continue;
      bool blocked = std::any_of(obstacles.begin(), obstacles.end(),
                                 [&](const Obstacle& o) { return Touches(SampleX(c), SampleY(n), o); });
      WriteCell(row, c, blocked ? kCellBlocked : kCellOpen);
    }
  }
}

bool GridExists() { return State().exists; }

bool IsCellOpen(GridCell cell) { return GridCellValue(cell) == kCellOpen; }

int32_t GridCellValue(GridCell cell) {
  if (!State().exists || !IsInsideGrid(cell)) return kCellBlocked;
  return State().cells[static_cast<size_t>(cell.row) * kGridColumns + cell.column];
}

void LoadGrid(const std::vector<int32_t>& cells) {
  std::vector<int32_t>& grid = State().cells;
  grid.assign(static_cast<size_t>(kGridRows) * kGridColumns, kCellBlocked);
  std::copy_n(cells.begin(), std::min(cells.size(), grid.size()), grid.begin());
  RebuildMask();
}

void ReleaseGrid() {
  GridState& s = State();
  s.exists = false;
  s.cells.clear();
  s.cells.shrink_to_fit();
  s.mask.clear();
  s.mask.shrink_to_fit();
  s.openNeighbours.clear();
  s.openNeighbours.shrink_to_fit();
}

const uint8_t* PaddedOpenNeighbours() { return State().exists ? State().openNeighbours.data() : nullptr; }
