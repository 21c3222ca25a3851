// The path finder written the plain way: a fresh cell-detail table and closed table for every
// search, and an ordered set of (f, (row, column)) as the open list. The game's fast path finder
// (gameplay/AStar) must agree with it on every path, every message and every cell taken from the
// open list; the differential test and the path-finding benchmark both run it.
#pragma once

#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "scenes/PathGrid.h"

namespace reference {

struct SearchResult {
  std::vector<GridCell> path;   // source to destination, empty when nothing was found
  std::string messages;         // what went to standard output
  bool blocked = false;         // "Source or Destination is Blocked" was logged
  std::vector<GridCell> pops;   // every cell taken from the open list, when asked for
};

struct CellDetail {
  int parentRow, parentColumn;
  double f, g, h;
};

// `grid` holds kGridRows x kGridColumns values row by row (1 open).
inline SearchResult FindPath(const std::vector<int32_t>& grid, GridCell src, GridCell dest, bool recordPops = false) {
  const int ROW = kGridRows;
  const int COL = kGridColumns;
  const double FLT_MAX_VALUE = 3.4028234663852886e38;
  SearchResult result;
  auto isValid = [&](int row, int col) { return row >= 0 && row < ROW && col >= 0 && col < COL; };
  auto isUnBlocked = [&](int row, int col) { return grid[static_cast<size_t>(row) * COL + col] == 1; };
  auto isDestination = [&](int row, int col) { return row == dest.row && col == dest.column; };
  auto calculateHValue = [&](int row, int col) {
    return static_cast<double>(std::sqrt((row - dest.row) * (row - dest.row) + (col - dest.column) * (col - dest.column)));
  };

  if (!isValid(src.row, src.column)) {
    result.messages += "Source is invalid\n";
    return result;
  }
  if (!isValid(dest.row, dest.column)) {
    result.messages += "Destination is invalid\n";
    return result;
  }
  if (!isUnBlocked(src.row, src.column) || !isUnBlocked(dest.row, dest.column)) {
    result.blocked = true;
    return result;
  }
  if (isDestination(src.row, src.column)) {
    result.messages += "We are already at the destination\n";
    return result;
  }

  // Both tables are allocated for the whole grid by every search (stored flat, indexed row by row).
  std::vector<char> closedTable(static_cast<size_t>(ROW) * COL, 0);
  std::vector<CellDetail> detailTable(static_cast<size_t>(ROW) * COL,
                                      CellDetail{-1, -1, FLT_MAX_VALUE, FLT_MAX_VALUE, FLT_MAX_VALUE});
  auto closedList = [&](int row) { return &closedTable[static_cast<size_t>(row) * COL]; };
  auto cellDetails = [&](int row) { return &detailTable[static_cast<size_t>(row) * COL]; };
  int i = src.row, j = src.column;
  cellDetails(i)[j] = {i, j, 0.0, 0.0, 0.0};

  using pPair = std::pair<double, std::pair<int, int>>;
  std::set<pPair> openList;
  openList.insert(std::make_pair(0.0, std::make_pair(i, j)));

  bool foundDest = false;
  // Returns true when the destination was reached through this successor.
  auto successor = [&](int ni, int nj, double step) {
    if (!isValid(ni, nj)) return false;
    if (isDestination(ni, nj)) {
      cellDetails(ni)[nj].parentRow = i;
      cellDetails(ni)[nj].parentColumn = j;
      result.messages += "The destination cell is found\n";
      std::vector<GridCell> reversed;
      int row = dest.row, col = dest.column;
      while (!(cellDetails(row)[col].parentRow == row && cellDetails(row)[col].parentColumn == col)) {
        reversed.push_back({row, col});
        int tempRow = cellDetails(row)[col].parentRow;
        int tempCol = cellDetails(row)[col].parentColumn;
        row = tempRow;
        col = tempCol;
      }
      reversed.push_back({row, col});
      result.path.assign(reversed.rbegin(), reversed.rend());
      foundDest = true;
      return true;
    }
    if (!closedList(ni)[nj] && isUnBlocked(ni, nj)) {
      double gNew = cellDetails(i)[j].g + step;
      double hNew = calculateHValue(ni, nj);
      double fNew = gNew + hNew;
      if (cellDetails(ni)[nj].f == FLT_MAX_VALUE || cellDetails(ni)[nj].f > fNew) {
        openList.insert(std::make_pair(fNew, std::make_pair(ni, nj)));
        cellDetails(ni)[nj] = {i, j, fNew, gNew, hNew};
      }
    }
    return false;
  };

  while (!openList.empty()) {
    pPair p = *openList.begin();
    openList.erase(openList.begin());
    i = p.second.first;
    j = p.second.second;
    closedList(i)[j] = true;
    if (recordPops) result.pops.push_back({i, j});

    if (successor(i - 1, j, 1.0)) return result;          // north
    if (successor(i + 1, j, 1.0)) return result;          // south
    if (successor(i, j + 1, 1.0)) return result;          // east
    if (successor(i, j - 1, 1.0)) return result;          // west
    if (successor(i - 1, j + 1, 1.414)) return result;    // north-east
    if (successor(i - 1, j - 1, 1.414)) return result;    // north-west
    if (successor(i + 1, j + 1, 1.414)) return result;    // south-east
    if (successor(i + 1, j - 1, 1.414)) return result;    // south-west
  }
  if (!foundDest) result.messages += "Failed to find the Destination Cell\n";
  return result;
}

}  // namespace reference
