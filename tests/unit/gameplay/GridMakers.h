// Grids for exercising the path finder: random fields of any density, mazes and open ground, either
// over the whole 330 x 315 grid or inside a smaller region with everything around it blocked. The
// differential test and the path-finding benchmark share them.
#pragma once

#include <algorithm>
#include <ostream>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "scenes/PathGrid.h"

// How test failures print a cell.
inline void PrintTo(const GridCell& cell, std::ostream* os) { *os << "(" << cell.row << "," << cell.column << ")"; }

namespace gridmakers {

using Grid = std::vector<int32_t>;

struct Region {
  int32_t top = 0, left = 0, rows = kGridRows, columns = kGridColumns;
};

inline size_t At(int32_t row, int32_t column) { return static_cast<size_t>(row) * kGridColumns + column; }

inline Grid Filled(int32_t value) { return Grid(static_cast<size_t>(kGridRows) * kGridColumns, value); }

// Each cell of the region is blocked with the given probability; everything outside is blocked.
inline Grid RandomField(std::mt19937& rng, const Region& region, double density) {
  Grid grid = Filled(kCellBlocked);
  std::bernoulli_distribution blocked(density);
  for (int32_t r = region.top; r < region.top + region.rows; ++r) {
    for (int32_t c = region.left; c < region.left + region.columns; ++c) {
      grid[At(r, c)] = blocked(rng) ? kCellBlocked : kCellOpen;
    }
  }
  return grid;
}

// A perfect maze carved in the region: rooms on odd offsets, one-cell corridors between them, then
// `extraOpenings` random walls knocked out so some loops exist.
inline Grid Maze(std::mt19937& rng, const Region& region, int extraOpenings = 0) {
  Grid grid = Filled(kCellBlocked);
  const int32_t roomRows = (region.rows - 1) / 2;
  const int32_t roomColumns = (region.columns - 1) / 2;
  if (roomRows <= 0 || roomColumns <= 0) return grid;
  auto cellOf = [&](int32_t rr, int32_t rc) { return std::pair<int32_t, int32_t>{region.top + 1 + 2 * rr, region.left + 1 + 2 * rc}; };
  std::vector<uint8_t> visited(static_cast<size_t>(roomRows) * roomColumns, 0);
  std::vector<std::pair<int32_t, int32_t>> stack;
  stack.push_back({0, 0});
  visited[0] = 1;
  grid[At(cellOf(0, 0).first, cellOf(0, 0).second)] = kCellOpen;
  const int32_t dr[4] = {-1, 1, 0, 0};
  const int32_t dc[4] = {0, 0, 1, -1};
  while (!stack.empty()) {
    auto [rr, rc] = stack.back();
    int32_t options[4];
    int count = 0;
    for (int d = 0; d < 4; ++d) {
      int32_t nr = rr + dr[d], nc = rc + dc[d];
      if (nr >= 0 && nr < roomRows && nc >= 0 && nc < roomColumns && !visited[static_cast<size_t>(nr) * roomColumns + nc]) {
        options[count++] = d;
      }
    }
    if (count == 0) {
      stack.pop_back();
      continue;
    }
    int d = options[std::uniform_int_distribution<int>(0, count - 1)(rng)];
    int32_t nr = rr + dr[d], nc = rc + dc[d];
    visited[static_cast<size_t>(nr) * roomColumns + nc] = 1;
    auto [r, c] = cellOf(rr, rc);
    grid[At(r + dr[d], c + dc[d])] = kCellOpen;
    grid[At(r + 2 * dr[d], c + 2 * dc[d])] = kCellOpen;
    stack.push_back({nr, nc});
  }
  std::uniform_int_distribution<int32_t> pickRow(region.top + 1, region.top + region.rows - 2);
  std::uniform_int_distribution<int32_t> pickColumn(region.left + 1, region.left + region.columns - 2);
  for (int k = 0; k < extraOpenings && region.rows > 2 && region.columns > 2; ++k) {
    // Row first, then column, whatever order the compiler evaluates arguments in.
    const int32_t row = pickRow(rng);
    const int32_t column = pickColumn(rng);
    grid[At(row, column)] = kCellOpen;
  }
  return grid;
}

// Rooms and corridors like a level: random wall rectangles dropped on open ground.
inline Grid Rooms(std::mt19937& rng, const Region& region, int walls) {
  Grid grid = Filled(kCellBlocked);
  for (int32_t r = region.top; r < region.top + region.rows; ++r) {
    for (int32_t c = region.left; c < region.left + region.columns; ++c) grid[At(r, c)] = kCellOpen;
  }
  std::uniform_int_distribution<int32_t> length(3, std::max(4, std::min(region.rows, region.columns) / 2));
  std::uniform_int_distribution<int32_t> thickness(1, 3);
  std::bernoulli_distribution horizontal(0.5);
  for (int k = 0; k < walls; ++k) {
    int32_t h = thickness(rng), w = length(rng);
    if (!horizontal(rng)) std::swap(h, w);
    int32_t top = region.top + std::uniform_int_distribution<int32_t>(0, std::max(0, region.rows - h))(rng);
    int32_t left = region.left + std::uniform_int_distribution<int32_t>(0, std::max(0, region.columns - w))(rng);
    for (int32_t r = top; r < std::min(top + h, region.top + region.rows); ++r) {
      for (int32_t c = left; c < std::min(left + w, region.left + region.columns); ++c) grid[At(r, c)] = kCellBlocked;
    }
  }
  return grid;
}

// A random open cell of the region, or the region's first cell when none is open.
inline GridCell RandomOpenCell(std::mt19937& rng, const Grid& grid, const Region& region) {
  std::uniform_int_distribution<int32_t> pickRow(region.top, region.top + region.rows - 1);
  std::uniform_int_distribution<int32_t> pickColumn(region.left, region.left + region.columns - 1);
  for (int tries = 0; tries < 200; ++tries) {
    GridCell cell{pickRow(rng), pickColumn(rng)};
    if (grid[At(cell.row, cell.column)] == kCellOpen) return cell;
  }
  return {region.top, region.left};
}

}  // namespace gridmakers
