// The level's occupancy grid for path finding: 13-unit cells over the playing area, open (1) or
// blocked (0). It is built from the level's obstacles when a level starts and refreshed locally when
// a glass pane shatters. Rows run against y (row 0 is the top), columns with x. One grid for the
// whole program; it lives from one BuildGrid to the next.
// The grid covers the usual area below (x -100..4200, y -100..4000) and grows, with the same cell
// size and a 100-unit margin, to hold every guard, patrol node, food and player of a level that
// reaches past it; the constants name the usual grid, the functions the grid of the moment.
#pragma once

#include <cstdint>
#include <vector>

inline constexpr int32_t kGridOriginX = -100;
inline constexpr int32_t kGridOriginY = -100;
// Refreshes only reach rectangles inside these bounds.
inline constexpr int32_t kGridBoundX = 4200;
inline constexpr int32_t kGridBoundY = 4000;
inline constexpr int32_t kGridCellSize = 13;
// The row count comes from the x extent and the column count from the y extent, as the game has
// always sized its grid.
inline constexpr int32_t kGridRows = (kGridBoundX - kGridOriginX) / kGridCellSize;     // 330
inline constexpr int32_t kGridColumns = (kGridBoundY - kGridOriginY) / kGridCellSize;  // 315

inline constexpr int32_t kCellOpen = 1;
inline constexpr int32_t kCellBlocked = 0;

struct GridCell {
  int32_t row = -1;
  int32_t column = -1;
  bool operator==(const GridCell&) const = default;
};

struct GridPoint {
  float x = 0.0f;
  float y = 0.0f;
};

// The area a grid covers: its origin and bounds in world units. Rows come from the x extent and
// columns from the y extent, as the game has always sized its grid.
struct GridShape {
  int32_t originX = kGridOriginX;
  int32_t originY = kGridOriginY;
  int32_t boundX = kGridBoundX;
  int32_t boundY = kGridBoundY;
  int32_t Rows() const { return (boundX - originX) / kGridCellSize; }
  int32_t Columns() const { return (boundY - originY) / kGridCellSize; }
  int64_t Cells() const { return static_cast<int64_t>(Rows()) * Columns(); }
  bool operator==(const GridShape&) const = default;
};
// The most cells a grid may have (about 26,000 units square): a level past it gets no grid.
inline constexpr int64_t kMostGridCells = int64_t{1} << 22;
// The margin kept round the points a grid must hold.
inline constexpr int32_t kGridMargin = 100;
// The shape that holds these points (x, y pairs): the usual one when it holds them all, else the
// usual one grown to hold them with the margin. Points not finite are left out.
GridShape GridShapeFor(const std::vector<float>& points);
// The shape of the grid of the moment (the usual one until a level grows it).
const GridShape& CurrentGridShape();
// Uses this shape from now on for cell arithmetic (the level check plans with it); any grid built
// for another shape is released.
void UseGridShape(const GridShape& shape);
int32_t GridRows();
int32_t GridColumns();
// The padded layout's row length and the neighbour steps as offsets in it, for the grid of the moment.
int32_t PaddedColumns();
const int32_t* NeighbourOffsets();

// The cell holding a world point (coordinates truncated toward zero). A point below the grid's
// bottom edge maps to row 330, outside the grid; points too far out to convert give (-1, -1).
GridCell WorldToCell(float x, float y);
// The world position of a cell (where search nodes are placed).
GridPoint CellToWorld(GridCell cell);
bool IsInsideGrid(GridCell cell);

// (Re)builds the whole grid from the Vent, Glass, Wall and Escape barrier objects of the object list,
// over the shape that holds the list's guards, patrol nodes, food and player. A shape of more than
// kMostGridCells is not built: the level then has no grid (logged) and false is returned.
bool BuildGrid();
// Re-evaluates the cells around a rectangle (centre x, y) against Vent, Wall and Escape barrier
// objects only, so a shattered pane stops blocking. Does nothing without a grid or when the
// rectangle reaches past the grid's bounds.
void RefreshGridRegion(float x, float y, float width, float height);

// True once a grid has been built or loaded.
bool GridExists();
// True when the cell is inside the grid and open. Without a grid every cell counts as blocked.
bool IsCellOpen(GridCell cell);
// The raw cell value (1 open, 0 blocked); 0 outside the grid or without a grid.
int32_t GridCellValue(GridCell cell);
// Replaces the grid with given values, row by row, over the usual shape (kGridRows x kGridColumns of
// them; a short vector is padded with blocked cells). Tools and tests use it to search prepared grids.
void LoadGrid(const std::vector<int32_t>& cells);
// Forgets the grid (GridExists becomes false).
void ReleaseGrid();

// The path finder's layout of the grid: a border of one closed cell all round, row by row,
// kGridColumns + 2 cells per row, so every grid cell has eight neighbours in range.
inline constexpr int32_t kPaddedColumns = kGridColumns + 2;
inline constexpr int32_t kPaddedRows = kGridRows + 2;

// The eight neighbours of a cell in the order the path finder visits them: north, south, east,
// west, north-east, north-west, south-east, south-west (north is row - 1).
inline constexpr int32_t kNeighbourRow[8] = {-1, 1, 0, 0, -1, -1, 1, 1};
inline constexpr int32_t kNeighbourColumn[8] = {0, 0, 1, -1, 1, -1, 1, -1};
// The same steps as offsets in the padded layout.
inline constexpr int32_t kNeighbourOffset[8] = {-kPaddedColumns,     kPaddedColumns,     1, -1, -kPaddedColumns + 1,
                                                -kPaddedColumns - 1, kPaddedColumns + 1, kPaddedColumns - 1};
// For every cell of the padded layout, which of its neighbours are open: bit d for neighbour d of
// the order above (border cells and cells outside the grid are never open). Kept up to date with
// the grid; null without a grid.
const uint8_t* PaddedOpenNeighbours();
