#include "scenes/PathGrid.h"

#include <algorithm>
#include <cmath>

#include "core/Logger.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"

namespace {

struct GridState {
  bool exists = false;
  GridShape shape;
  int32_t rows = kGridRows;
  int32_t columns = kGridColumns;
  int32_t padded = kPaddedColumns;
  int32_t offsets[8] = {};
  std::vector<int32_t> cells;  // kGridRows x kGridColumns, row by row
  std::vector<uint8_t> mask;   // the same with a blocked border, 1 = open
  std::vector<uint8_t> openNeighbours;  // per padded cell, bit d: neighbour d is open
};

void SetShape(GridState& s, const GridShape& shape) {
  s.shape = shape;
  s.rows = shape.Rows();
  s.columns = shape.Columns();
  s.padded = s.columns + 2;
  for (int d = 0; d < 8; ++d) s.offsets[d] = kNeighbourRow[d] * s.padded + kNeighbourColumn[d];
}

GridState& State() {
  static GridState state = [] {
    GridState s;
    SetShape(s, GridShape{});
    return s;
  }();
  return state;
}

// A cell counts as blocked when a circle of this radius around its sample point touches an obstacle.
constexpr float kBlockRadius = 13.0f;
// The cell offsets of the origin (-7 on both axes for the usual grid).
int32_t CellOriginX() { return State().shape.originX / kGridCellSize; }
int32_t CellOriginY() { return State().shape.originY / kGridCellSize; }

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
float SampleX(int32_t column) { return static_cast<float>((CellOriginX() + column) * kGridCellSize); }
float SampleY(int32_t n) { return static_cast<float>((CellOriginY() + n) * kGridCellSize); }

void WriteCell(int32_t row, int32_t column, int32_t value) {
  GridState& s = State();
  s.cells[static_cast<size_t>(row) * s.columns + column] = value;
  const int32_t p = (row + 1) * s.padded + column + 1;
  const uint8_t open = value == kCellOpen ? 1 : 0;
  if (s.mask[p] == open) return;
  s.mask[p] = open;
  // This cell is neighbour d of the cell one step d back.
  for (int d = 0; d < 8; ++d) {
    uint8_t& bits = s.openNeighbours[p - s.offsets[d]];
    bits = static_cast<uint8_t>(open ? bits | (1u << d) : bits & ~(1u << d));
  }
}

// Rebuilds the padded mask and the open-neighbour bits from the cells.
void RebuildMask() {
  GridState& s = State();
  const size_t padded = static_cast<size_t>(s.rows + 2) * s.padded;
  s.mask.assign(padded, 0);
  for (int32_t r = 0; r < s.rows; ++r) {
    const int32_t* from = &s.cells[static_cast<size_t>(r) * s.columns];
    uint8_t* to = &s.mask[static_cast<size_t>(r + 1) * s.padded + 1];
    for (int32_t c = 0; c < s.columns; ++c) to[c] = from[c] == kCellOpen ? 1 : 0;
  }
  s.openNeighbours.assign(padded, 0);
  for (int32_t r = 1; r <= s.rows; ++r) {
    for (int32_t c = 1; c <= s.columns; ++c) {
      const int32_t p = r * s.padded + c;
      uint8_t bits = 0;
      for (int d = 0; d < 8; ++d) bits = static_cast<uint8_t>(bits | (s.mask[p + s.offsets[d]] << d));
      s.openNeighbours[p] = bits;
    }
  }
  s.exists = true;
}

void AllocateGrid(int32_t fill) {
  State().cells.assign(static_cast<size_t>(State().rows) * State().columns, fill);
  RebuildMask();
}

// Range of sample indices i (sample coordinate (i - 7) * 13) that can lie within the radius of
// [low, high], widened by one for rounding and clamped to [0, count - 1]. Empty when first > last.
void CandidateRange(float low, float high, int32_t cellOrigin, int32_t count, int32_t* first, int32_t* last) {
  double lo = std::floor((static_cast<double>(low) - kBlockRadius) / kGridCellSize) - cellOrigin - 1;
  double hi = std::ceil((static_cast<double>(high) + kBlockRadius) / kGridCellSize) - cellOrigin + 1;
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
  const GridState& s = State();
  GridCell cell;
  cell.row = s.rows - (static_cast<int32_t>(y) - s.shape.originY) / kGridCellSize;
  cell.column = (static_cast<int32_t>(x) - s.shape.originX) / kGridCellSize;
  return cell;
}

GridPoint CellToWorld(GridCell cell) {
  const GridState& s = State();
  return {static_cast<float>((cell.column + CellOriginX()) * kGridCellSize),
          static_cast<float>((s.rows - cell.row) * kGridCellSize + s.shape.originY)};
}

bool IsInsideGrid(GridCell cell) {
  const GridState& s = State();
  return cell.row >= 0 && cell.row < s.rows && cell.column >= 0 && cell.column < s.columns;
}

GridShape GridShapeFor(const std::vector<float>& points) {
  const GridShape usual;
  // Beyond this a coordinate cannot be held by any grid we would build; such a point is left out.
  constexpr float kLimit = 1.0e8f;
  bool fits = true;
  float minX = 0.0f, minY = 0.0f, maxX = 0.0f, maxY = 0.0f;
  bool any = false;
  for (size_t i = 0; i + 1 < points.size(); i += 2) {
    const float x = points[i], y = points[i + 1];
    if (!(std::fabs(x) < kLimit) || !(std::fabs(y) < kLimit)) continue;
    // The usual grid holds a point when its cell is inside: row from y, column from x.
    const int32_t row = usual.Rows() - (static_cast<int32_t>(y) - usual.originY) / kGridCellSize;
    const int32_t column = (static_cast<int32_t>(x) - usual.originX) / kGridCellSize;
    fits = fits && row >= 0 && row < usual.Rows() && column >= 0 && column < usual.Columns();
    minX = any ? std::min(minX, x) : x;
    maxX = any ? std::max(maxX, x) : x;
    minY = any ? std::min(minY, y) : y;
    maxY = any ? std::max(maxY, y) : y;
    any = true;
  }
  if (fits || !any) return usual;
  GridShape grown;
  grown.originX = std::min(usual.originX, static_cast<int32_t>(std::floor(minX)) - kGridMargin);
  // The lowest 13 units above the origin convert to the row past the last (as in the usual grid):
  // one more cell below keeps the whole margin inside.
  grown.originY = std::min(usual.originY, static_cast<int32_t>(std::floor(minY)) - kGridMargin - kGridCellSize);
  // Columns run with x but are counted from the y extent, rows the other way round: each bound is
  // set by the other axis's reach (one more cell for the truncations).
  const int64_t reachX = static_cast<int64_t>(std::ceil(maxX)) + kGridMargin - grown.originX + kGridCellSize;
  const int64_t reachY = static_cast<int64_t>(std::ceil(maxY)) + kGridMargin - grown.originY + kGridCellSize;
  const int64_t most = int64_t{1} << 30;
  grown.boundY = static_cast<int32_t>(std::min(most, std::max<int64_t>(usual.boundY, grown.originY + reachX)));
  grown.boundX = static_cast<int32_t>(std::min(most, std::max<int64_t>(usual.boundX, grown.originX + reachY)));
  return grown;
}

const GridShape& CurrentGridShape() { return State().shape; }

void UseGridShape(const GridShape& shape) {
  GridState& s = State();
  if (s.shape == shape) return;
  ReleaseGrid();
  SetShape(s, shape);
}

int32_t GridRows() { return State().rows; }
int32_t GridColumns() { return State().columns; }
int32_t PaddedColumns() { return State().padded; }
const int32_t* NeighbourOffsets() { return State().offsets; }

bool BuildGrid() {
  std::vector<float> points;
  for (GameObject* object : Objects()) {
    if (object == nullptr) continue;
    switch (object->type) {
      case ObjectType::Enemy:
      case ObjectType::Node:
      case ObjectType::Food:
      case ObjectType::Player:
        break;
      default:
        continue;
    }
    if (const Transform* t = object->GetTransform()) {
      points.push_back(t->position[0]);
      points.push_back(t->position[1]);
    }
  }
  const GridShape shape = GridShapeFor(points);
  if (shape.Cells() > kMostGridCells) {
    ReleaseGrid();
    Log("The level is too large for the guards' path grid; guards will not plan paths", LogLevel::Error);
    return false;
  }
  UseGridShape(shape);
  const int32_t rows = State().rows, columns = State().columns;
  AllocateGrid(kCellOpen);
  const std::vector<Obstacle> obstacles = CollectObstacles(true);
  // Each obstacle only tests the cells near it; a cell is blocked when any obstacle touches it, so
  // the order of the obstacles does not matter.
  for (const Obstacle& o : obstacles) {
    int32_t firstColumn = 0, lastColumn = columns - 1;
    int32_t firstSample = 1, lastSample = rows;
    bool finite = std::isfinite(o.left) && std::isfinite(o.right) && std::isfinite(o.bottom) && std::isfinite(o.top);
    if (finite) {
      CandidateRange(o.left, o.right, CellOriginX(), columns, &firstColumn, &lastColumn);
      CandidateRange(o.bottom, o.top, CellOriginY(), rows + 1, &firstSample, &lastSample);
      firstSample = std::max(firstSample, 1);
    }
    for (int32_t n = firstSample; n <= lastSample; ++n) {
      // Row kGridRows - n is decided by the sample that converts back to it, as in a refresh.
      // Sampling the row below instead would set every obstacle one cell off its place, and a
      // refresh would then move the walls it re-evaluates.
      int32_t row = rows - n;
      for (int32_t c = firstColumn; c <= lastColumn; ++c) {
        if (Touches(SampleX(c), SampleY(n), o)) WriteCell(row, c, kCellBlocked);
      }
    }
  }
  return true;
}

void RefreshGridRegion(float x, float y, float width, float height) {
  if (!State().exists) return;
  const GridShape& shape = State().shape;
  bool inside = shape.originX <= x - width / 2 && x + width / 2 <= shape.boundX && shape.originY <= y - height / 2 &&
                y + height / 2 <= shape.boundY;
  if (!inside) return;
  const std::vector<Obstacle> obstacles = CollectObstacles(false);
  int32_t cx = static_cast<int32_t>(x - shape.originX) / kGridCellSize;
  int32_t cy = static_cast<int32_t>(y - shape.originY) / kGridCellSize;
  int32_t mx = static_cast<int32_t>((width / 2) / kGridCellSize);
  int32_t my = static_cast<int32_t>((height / 2) / kGridCellSize);
  for (int32_t n = cy + my + 3; n >= cy - my - 2; --n) {
    int32_t row = State().rows - n;
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
  return State().cells[static_cast<size_t>(cell.row) * State().columns + cell.column];
}

void LoadGrid(const std::vector<int32_t>& cells) {
  UseGridShape(GridShape{});
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
