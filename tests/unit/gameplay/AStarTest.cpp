// The path finder's rules on small hand-made grids: moves, tie order, end-point checks, messages and
// the log, and the search nodes built from a path.
#include <gtest/gtest.h>

#include <string>

#include "GridMakers.h"
#include "PathFinderFixture.h"
#include "core/Logger.h"
#include "gameplay/AStar.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/PathGrid.h"
#include "scenes/PathNode.h"
#include "support/LogCapture.h"

namespace {

using gridmakers::At;
using gridmakers::Grid;

using path_test::Captured;

class AStarTest : public path_test::PathFinderTest {
 protected:
  // A grid with only the listed cells open.
  static Grid OnlyOpen(std::initializer_list<GridCell> cells) {
    Grid grid = gridmakers::Filled(kCellBlocked);
    for (GridCell c : cells) grid[At(c.row, c.column)] = kCellOpen;
    return grid;
  }
};

TEST_F(AStarTest, SqueezesDiagonallyBetweenTwoBlockedCells) {
  Grid grid = gridmakers::Filled(kCellOpen);
  grid[At(10, 11)] = kCellBlocked;  // east of the source
  grid[At(11, 10)] = kCellBlocked;  // south of the source
  LoadGrid(grid);
  EXPECT_EQ(FindPath({10, 10}, {11, 11}), (std::vector<GridCell>{{10, 10}, {11, 11}}));
  EXPECT_EQ(Captured(), "The destination cell is found\n");
}

TEST_F(AStarTest, PointsJustBelowTheGridConvertToRow330AndAreInvalid) {
  LoadGrid(gridmakers::Filled(kCellOpen));
  // (int)y - y0 = 12 and -5: both divide to 0, which is row 330.
  GridCell below = WorldToCell(50.0f, -88.0f);
  EXPECT_EQ(below, (GridCell{330, 11}));
  EXPECT_EQ(WorldToCell(50.0f, -105.0f).row, 330);
  EXPECT_EQ(WorldToCell(50.0f, -87.0f).row, 329);  // 13 above the origin is the bottom row
  GridCell inside = WorldToCell(50.0f, 50.0f);

  EXPECT_TRUE(FindPath(below, inside).empty());
  EXPECT_EQ(Captured(), "Source is invalid\n");
  Captured().clear();
  EXPECT_TRUE(FindPath(inside, below).empty());
  EXPECT_EQ(Captured(), "Destination is invalid\n");
  Captured().clear();
  // The source is checked first.
  EXPECT_TRUE(FindPath(below, {-1, 0}).empty());
  EXPECT_EQ(Captured(), "Source is invalid\n");
}

TEST_F(AStarTest, EqualCostEntriesExpandSmallerRowFirstThenSmallerColumn) {
  // Only north and south of the source are open, both as far from the walled-off destination.
  LoadGrid(OnlyOpen({{9, 10}, {10, 10}, {11, 10}, {10, 20}}));
  EXPECT_TRUE(FindPath({10, 10}, {10, 20}).empty());
  EXPECT_EQ(pops_, (std::vector<GridCell>{{10, 10}, {9, 10}, {11, 10}}));
  EXPECT_EQ(Captured(), "Failed to find the Destination Cell\n");

  pops_.clear();
  LoadGrid(OnlyOpen({{10, 9}, {10, 10}, {10, 11}, {20, 10}}));
  FindPath({10, 10}, {20, 10});
  EXPECT_EQ(pops_, (std::vector<GridCell>{{10, 10}, {10, 9}, {10, 11}}));

  // North-east (9, 11) and south-west (11, 9) are equally far from (20, 20); north-east has the
  // smaller row but the larger column, and still goes first.
  pops_.clear();
  LoadGrid(OnlyOpen({{9, 11}, {10, 10}, {11, 9}, {20, 20}}));
  FindPath({10, 10}, {20, 20});
  EXPECT_EQ(pops_, (std::vector<GridCell>{{10, 10}, {9, 11}, {11, 9}}));
}

TEST_F(AStarTest, BlockedOrEqualEndPointsAndMissingGridFindNothing) {
  Grid grid = gridmakers::Filled(kCellOpen);
  grid[At(3, 3)] = kCellBlocked;
  LoadGrid(grid);
  EXPECT_TRUE(FindPath({3, 3}, {4, 4}).empty());
  EXPECT_TRUE(FindPath({4, 4}, {3, 3}).empty());
  EXPECT_EQ(Captured(), "");  // blocked end points only go to the log
  EXPECT_TRUE(FindPath({4, 4}, {4, 4}).empty());
  EXPECT_EQ(Captured(), "We are already at the destination\n");
  EXPECT_TRUE(pops_.empty());

  ReleaseGrid();
  Captured().clear();
  EXPECT_TRUE(FindPath({4, 4}, {5, 5}).empty());
  EXPECT_EQ(Captured(), "");
}

TEST_F(AStarTest, LogsBlockedEndPointsAndTheFoundPathAtDebug) {
  testing_support::LogCapture log;
  Grid grid = gridmakers::Filled(kCellOpen);
  grid[At(0, 0)] = kCellBlocked;
  LoadGrid(grid);
  FindPath({0, 0}, {2, 2});
  FindPath({2, 2}, {2, 4});
  EXPECT_EQ(log.Take(),
            "-DEBUG- Source or Destination is Blocked\n"
            "-DEBUG- A* Path is\n"
            "-DEBUG- -> (2,2) \n\n"
            "-DEBUG- -> (2,3) \n\n"
            "-DEBUG- -> (2,4) \n\n");
}

class SearchPathTest : public AStarTest {
 protected:
  void TearDown() override {
    ClearObjects();
    AStarTest::TearDown();
  }
};

TEST_F(SearchPathTest, BuildsOneNodePerCellAtTheCellPositions) {
  size_t listed = Objects().size();
  std::vector<GridCell> path{{10, 10}, {11, 11}, {11, 12}};
  PathNode* first = BuildSearchPath(path);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Objects().size(), listed);  // search nodes stay out of the object list
  PathNode* node = first;
  for (size_t i = 0; i < path.size(); ++i) {
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->name, "EnemySearchNode");
    EXPECT_EQ(node->head, first);
    if (i == 0) {
      EXPECT_EQ(node->previous, nullptr);
    }
    GridPoint at = CellToWorld(path[i]);
    EXPECT_EQ(node->GetTransform()->position[0], at.x);
    EXPECT_EQ(node->GetTransform()->position[1], at.y);
    EXPECT_EQ(node->GetTransform()->position[2], 0.0f);
    EXPECT_EQ(WorldToCell(at.x, at.y), path[i]);
    if (i > 0) {
      EXPECT_EQ(node->previous->GetNext(), node);
    }
    node = node->GetNext();
  }
  EXPECT_EQ(node, nullptr);
  // Released from a node in the middle: the whole chain goes (LeakSanitizer checks).
  ReleaseSearchPath(first->GetNext());
  ReleaseSearchPath(nullptr);
  EXPECT_EQ(BuildSearchPath({}), nullptr);
}

}  // namespace
