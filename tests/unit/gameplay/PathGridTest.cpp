// The occupancy grid: conversions between world points and cells, the full build from the level's
// obstacles, and the local refresh after a pane shatters.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "GridMakers.h"
#include "gameplay/AStar.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/PathGrid.h"

namespace {

const float kNan = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

std::vector<int32_t> Snapshot() {
  std::vector<int32_t> cells;
  for (int32_t r = 0; r < kGridRows; ++r) {
    for (int32_t c = 0; c < kGridColumns; ++c) cells.push_back(GridCellValue({r, c}));
  }
  return cells;
}

// Every `step`th cell (each way) converts to a point inside itself.
void ExpectCellsRoundTrip(int32_t rowStep, int32_t columnStep) {
  for (int32_t r = 0; r < GridRows(); r += rowStep) {
    for (int32_t c = 0; c < GridColumns(); c += columnStep) {
      const GridPoint p = CellToWorld({r, c});
      ASSERT_EQ(WorldToCell(p.x, p.y), (GridCell{r, c}));
    }
  }
}

class PathGridTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ClearObjects();
    ReleaseGrid();
  }
  static GameObject* Place(ObjectType type, float x, float y, float width, float height, float rotation = 0.0f) {
    auto* object = new GameObject("Obstacle_" + std::to_string(Objects().size()), x, y, 0.0f, width, height, type);
    object->GetTransform()->rotation = rotation;
    AddObject(object);
    return object;
  }
  static bool Blocked(float x, float y) { return GridCellValue(WorldToCell(x, y)) == kCellBlocked; }
};

TEST_F(PathGridTest, ConversionsTruncateTowardZeroRoundTripAndLeavePointsTheyCannotConvertOutside) {
  EXPECT_EQ(WorldToCell(-100.0f, 3000.0f), (GridCell{330 - 3100 / 13, 0}));
  EXPECT_EQ(WorldToCell(-105.0f, 0.0f).column, 0);    // -5 / 13 is 0, not -1
  EXPECT_EQ(WorldToCell(-112.9f, 0.0f).column, 0);    // (int)-112.9 = -112, -12 / 13 = 0
  EXPECT_EQ(WorldToCell(-113.0f, 0.0f).column, -1);
  EXPECT_EQ(WorldToCell(12.9f, 0.0f).column, 8);      // (int)12.9 = 12, 112 / 13 = 8
  EXPECT_EQ(WorldToCell(0.0f, 0.0f), (GridCell{323, 7}));
  EXPECT_EQ(CellToWorld({323, 7}).x, 0.0f);
  EXPECT_EQ(CellToWorld({323, 7}).y, -9.0f);          // (330 - 323) * 13 - 100
  EXPECT_EQ(CellToWorld({0, 0}).x, -91.0f);           // (0 + -100 / 13) * 13
  ExpectCellsRoundTrip(1, 1);
  for (GridCell cell : {WorldToCell(kNan, 0.0f), WorldToCell(0.0f, kInf), WorldToCell(-kInf, 0.0f), WorldToCell(3e38f, 1.0f)}) {
    EXPECT_FALSE(IsInsideGrid(cell));
  }
  EXPECT_FALSE(IsInsideGrid(WorldToCell(5000.0f, 0.0f)));
  EXPECT_FALSE(IsInsideGrid(WorldToCell(0.0f, 5000.0f)));  // rows below 0
}

TEST_F(PathGridTest, AnObstacleBlocksTheCellsWithin13UnitsOfIt) {
  // A zero-size wall exactly on the sample point (0, 0) of cell (323, 7): the four straight
  // neighbours' points are exactly 13 away (still blocked), the diagonal ones 18.4 away (open).
  Place(ObjectType::Wall, 0.0f, 0.0f, 0.0f, 0.0f);
  BuildGrid();
  ASSERT_TRUE(GridExists());
  int blocked = 0;
  for (int32_t v : Snapshot()) blocked += v == kCellBlocked;
  EXPECT_EQ(blocked, 5);
  for (GridCell c : {GridCell{323, 7}, GridCell{322, 7}, GridCell{324, 7}, GridCell{323, 6}, GridCell{323, 8}}) {
    EXPECT_EQ(GridCellValue(c), kCellBlocked) << c.row << "," << c.column;
  }
  // The blocked cell is the one the wall's position converts to.
  EXPECT_EQ(WorldToCell(0.0f, 0.0f), (GridCell{323, 7}));
}

TEST_F(PathGridTest, OnlyVentsGlassWallsAndEscapeBarriersBlock) {
  const ObjectType blocking[] = {ObjectType::Vent, ObjectType::Glass, ObjectType::Wall, ObjectType::EscapeBarrier};
  const ObjectType passable[] = {ObjectType::Plain,      ObjectType::Player,   ObjectType::Food,  ObjectType::Enemy,
                                 ObjectType::Cover,      ObjectType::Collection, ObjectType::Background,
                                 ObjectType::Text,       ObjectType::KillZone, ObjectType::EscapeZone,
                                 ObjectType::Node,       ObjectType::UI,       ObjectType::Light};
  float x = 0.0f;
  for (ObjectType t : blocking) Place(t, x += 200.0f, 500.0f, 40.0f, 40.0f);
  for (ObjectType t : passable) Place(t, x += 200.0f, 500.0f, 40.0f, 40.0f);
  BuildGrid();
  x = 0.0f;
  for (ObjectType t : blocking) EXPECT_TRUE(Blocked(x += 200.0f, 500.0f)) << static_cast<int>(t);
  for (ObjectType t : passable) EXPECT_FALSE(Blocked(x += 200.0f, 500.0f)) << static_cast<int>(t);
}

TEST_F(PathGridTest, TurnedByExactly90Or270DegreesTheObstacleStandsUpright) {
  Place(ObjectType::Wall, 1000.0f, 1000.0f, 300.0f, 10.0f, 90.0f);
  Place(ObjectType::Wall, 2000.0f, 1000.0f, 300.0f, 10.0f, 270.0f);
  Place(ObjectType::Wall, 3000.0f, 1000.0f, 300.0f, 10.0f, 45.0f);  // other angles keep the rectangle
  BuildGrid();
  for (float wx : {1000.0f, 2000.0f}) {
    EXPECT_TRUE(Blocked(wx, 1130.0f));
    EXPECT_TRUE(Blocked(wx, 870.0f));
    EXPECT_FALSE(Blocked(wx + 100.0f, 1000.0f));
  }
  EXPECT_FALSE(Blocked(3000.0f, 1130.0f));
  EXPECT_TRUE(Blocked(3100.0f, 1000.0f));
}

TEST_F(PathGridTest, BuildingAgainReplacesTheOldGrid) {
  GameObject* wall = Place(ObjectType::Wall, 500.0f, 500.0f, 50.0f, 50.0f);
  BuildGrid();
  EXPECT_TRUE(Blocked(500.0f, 500.0f));
  wall->GetTransform()->position[0] = 900.0f;  // the next level's wall stands elsewhere
  BuildGrid();
  EXPECT_FALSE(Blocked(500.0f, 500.0f));
  EXPECT_TRUE(Blocked(900.0f, 500.0f));
}

TEST_F(PathGridTest, BadObstacleNumbersNeitherCrashNorBlockEverything) {
  Place(ObjectType::Wall, kNan, 100.0f, 10.0f, 10.0f);
  Place(ObjectType::Wall, 100.0f, 100.0f, kInf, 10.0f);
  Place(ObjectType::Wall, 1e30f, -1e30f, 10.0f, 10.0f);
  Place(ObjectType::Wall, 700.0f, 700.0f, -60.0f, -60.0f);  // a mirrored wall covers the same ground
  BuildGrid();
  EXPECT_TRUE(Blocked(700.0f, 700.0f));
  EXPECT_TRUE(Blocked(725.0f, 675.0f));
  EXPECT_FALSE(Blocked(1500.0f, 1500.0f));
}

TEST_F(PathGridTest, RefreshFreesAShatteredPaneButKeepsTheWallsAroundIt) {
  // A wall with a window in it: pane between two wall pieces.
  Place(ObjectType::Wall, 1000.0f, 1000.0f, 400.0f, 20.0f);
  Place(ObjectType::Wall, 1500.0f, 1000.0f, 400.0f, 20.0f);
  Place(ObjectType::Glass, 1250.0f, 1000.0f, 100.0f, 20.0f);
  BuildGrid();
  const std::vector<int32_t> before = Snapshot();
  EXPECT_TRUE(Blocked(1250.0f, 1000.0f));

  RefreshGridRegion(1250.0f, 1000.0f, 100.0f, 20.0f);
  const std::vector<int32_t> after = Snapshot();
  EXPECT_FALSE(Blocked(1250.0f, 1000.0f));
  EXPECT_FALSE(Blocked(1250.0f, 1015.0f));
  EXPECT_TRUE(Blocked(1190.0f, 1000.0f));  // wall ends 10 units left of the pane's edge
  EXPECT_TRUE(Blocked(1310.0f, 1000.0f));
  int freed = 0;
  for (size_t i = 0; i < before.size(); ++i) {
    // Nothing became blocked, and whatever was freed lies over the pane.
    ASSERT_FALSE(before[i] == kCellOpen && after[i] == kCellBlocked) << i;
    if (before[i] != after[i]) {
      ++freed;
      GridPoint p = CellToWorld({static_cast<int32_t>(i / kGridColumns), static_cast<int32_t>(i % kGridColumns)});
      EXPECT_GT(p.x, 1200.0f - 13.0f);
      EXPECT_LT(p.x, 1300.0f + 13.0f);
    }
  }
  EXPECT_GT(freed, 0);
}

TEST_F(PathGridTest, RefreshOfAnUnchangedLevelChangesNothing) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> where(0.0f, 3900.0f), size(5.0f, 300.0f);
  for (int i = 0; i < 60; ++i) {
    Place(i % 3 == 0 ? ObjectType::Vent : ObjectType::Wall, where(rng), where(rng), size(rng), size(rng), i % 4 == 0 ? 90.0f : 0.0f);
  }
  BuildGrid();
  const std::vector<int32_t> built = Snapshot();
  for (int i = 0; i < 40; ++i) RefreshGridRegion(where(rng), where(rng), size(rng), size(rng));
  EXPECT_TRUE(Snapshot() == built);
}

TEST_F(PathGridTest, RefreshNearTheOuterBoundsSkipsCellsPastTheGrid) {
  // The grid's last column is at x 3991, but refreshes reach up to x 4200: near the right edge the
  // region runs past the last column, near the origin past the last row and before column 0.
  Place(ObjectType::Glass, 3950.0f, 2000.0f, 100.0f, 20.0f);
  Place(ObjectType::Wall, 3950.0f, 2030.0f, 100.0f, 10.0f);
  Place(ObjectType::Glass, -50.0f, -50.0f, 100.0f, 100.0f);
  Place(ObjectType::Glass, 4150.0f, 1000.0f, 100.0f, 100.0f);
  Place(ObjectType::Glass, 2000.0f, 3990.0f, 100.0f, 40.0f);
  BuildGrid();
  EXPECT_TRUE(Blocked(3950.0f, 2002.0f));
  EXPECT_TRUE(Blocked(-40.0f, -40.0f));

  RefreshGridRegion(3950.0f, 2000.0f, 100.0f, 20.0f);
  EXPECT_FALSE(Blocked(3950.0f, 2002.0f));
  EXPECT_TRUE(Blocked(3950.0f, 2015.0f));  // the wall above the pane still blocks
  EXPECT_TRUE(Blocked(3950.0f, 2030.0f));
  RefreshGridRegion(-50.0f, -50.0f, 100.0f, 100.0f);  // touches the origin
  EXPECT_FALSE(Blocked(-40.0f, -40.0f));
  RefreshGridRegion(4150.0f, 1000.0f, 100.0f, 100.0f);  // touches x 4200, wholly past the columns
  // Past the bounds nothing is refreshed: the pane reaching y 4010 still blocks.
  RefreshGridRegion(2000.0f, 3990.0f, 100.0f, 40.0f);
  EXPECT_TRUE(Blocked(2000.0f, 3990.0f));
  RefreshGridRegion(kNan, 100.0f, 10.0f, 10.0f);
  RefreshGridRegion(100.0f, 100.0f, kInf, 10.0f);
}

TEST_F(PathGridTest, RefreshWithoutAGridDoesNothing) {
  Place(ObjectType::Wall, 500.0f, 500.0f, 50.0f, 50.0f);
  RefreshGridRegion(500.0f, 500.0f, 50.0f, 50.0f);
  EXPECT_FALSE(GridExists());
  EXPECT_EQ(GridCellValue({10, 10}), kCellBlocked);
  EXPECT_EQ(PaddedOpenNeighbours(), nullptr);
}

// The open-neighbour bits the path finder walks must always match the cells.
void ExpectNeighbourBitsMatchTheCells() {
  const uint8_t* bits = PaddedOpenNeighbours();
  ASSERT_NE(bits, nullptr);
  for (int32_t r = -1; r <= kGridRows; ++r) {
    for (int32_t c = -1; c <= kGridColumns; ++c) {
      uint8_t expected = 0;
      for (int d = 0; d < 8; ++d) {
        if (IsCellOpen({r + kNeighbourRow[d], c + kNeighbourColumn[d]})) expected = static_cast<uint8_t>(expected | (1 << d));
      }
      const uint8_t actual = bits[(r + 1) * kPaddedColumns + c + 1];
      // Border cells are never expanded; only grid cells must be exact.
      if (IsInsideGrid({r, c})) {
        ASSERT_EQ(actual, expected) << r << "," << c;
      }
    }
  }
}

TEST_F(PathGridTest, LoadedGridsArePaddedWithBlockedCells) {
  LoadGrid({1, 0, 1, 2});
  EXPECT_EQ(GridCellValue({0, 0}), 1);
  EXPECT_EQ(GridCellValue({0, 1}), 0);
  EXPECT_EQ(GridCellValue({0, 3}), 2);
  EXPECT_FALSE(IsCellOpen({0, 3}));  // only 1 is open
  EXPECT_EQ(GridCellValue({5, 5}), kCellBlocked);
  ExpectNeighbourBitsMatchTheCells();
  EXPECT_EQ(PaddedOpenNeighbours()[kPaddedColumns + 2], (1u << 2) | (1u << 3));  // (0, 1): east and west open
}

TEST_F(PathGridTest, OpenNeighbourBitsFollowBuildsAndRefreshes) {
  std::mt19937 rng(8);
  std::uniform_real_distribution<float> where(0.0f, 3900.0f), size(5.0f, 200.0f);
  for (int i = 0; i < 40; ++i) Place(i % 2 ? ObjectType::Glass : ObjectType::Wall, where(rng), where(rng), size(rng), size(rng));
  BuildGrid();
  ExpectNeighbourBitsMatchTheCells();
  for (GameObject* o : Objects()) {
    if (o->type != ObjectType::Glass) continue;
    const Transform* t = o->GetTransform();
    RefreshGridRegion(t->position[0], t->position[1], t->scale[0], t->scale[1]);
  }
  ExpectNeighbourBitsMatchTheCells();
  LoadGrid(gridmakers::Filled(kCellOpen));
  ExpectNeighbourBitsMatchTheCells();
}

}  // namespace

// ---- the grid's extent --------------------------------------------------------------------------

namespace {

class GridExtentTest : public PathGridTest {
 protected:
  void TearDown() override {
    PathGridTest::TearDown();
    UseGridShape(GridShape{});
  }
};

TEST_F(GridExtentTest, ALevelInsideTheUsualAreaKeepsTheUsualGridToTheCell) {
  const GridShape usual;
  EXPECT_EQ(GridShapeFor({0.0f, 0.0f, 3990.0f, 4180.0f, -110.0f, -80.0f}), usual);
  EXPECT_EQ(GridShapeFor({}), usual);
  // Points no grid could hold are left to the "outside the grid" checks.
  EXPECT_EQ(GridShapeFor({kNan, 5.0f, kInf, 0.0f}), usual);
  Place(ObjectType::Enemy, 3000.0f, 3000.0f, 60.0f, 30.0f);
  Place(ObjectType::Wall, 9000.0f, 9000.0f, 100.0f, 100.0f);  // walls far out do not grow it
  ASSERT_TRUE(BuildGrid());
  EXPECT_EQ(CurrentGridShape(), usual);
  EXPECT_EQ(GridRows(), kGridRows);
  EXPECT_EQ(GridColumns(), kGridColumns);
}

TEST_F(GridExtentTest, ALargerLevelGrowsTheGridOverItsGuardsNodesAndFoodWithTheMargin) {
  const GridShape shape = GridShapeFor({-500.0f, 200.0f, 8000.0f, 7900.0f, 100.0f, 8000.0f});
  EXPECT_LE(shape.originX, -600);
  EXPECT_LE(shape.originY, -100);
  UseGridShape(shape);
  for (auto [x, y] : {std::pair{-500.0f, 200.0f}, {8000.0f, 7900.0f}, {100.0f, 8000.0f}, {8090.0f, 8090.0f}, {-590.0f, 110.0f}}) {
    EXPECT_TRUE(IsInsideGrid(WorldToCell(x, y))) << x << ", " << y;
  }
  EXPECT_FALSE(IsInsideGrid(WorldToCell(8200.0f, 8200.0f)));
  ExpectCellsRoundTrip(37, 41);  // every cell still converts to a point inside itself
}

TEST_F(GridExtentTest, AnEightThousandSquareLevelIsBuiltAndBlocksItsFarWalls) {
  Place(ObjectType::Enemy, 7800.0f, 7800.0f, 60.0f, 30.0f);
  Place(ObjectType::Node, 200.0f, 200.0f, 20.0f, 20.0f);
  Place(ObjectType::Wall, 7000.0f, 7500.0f, 300.0f, 40.0f);
  ASSERT_TRUE(BuildGrid());
  EXPECT_TRUE(Blocked(7000.0f, 7500.0f));
  EXPECT_FALSE(Blocked(7500.0f, 7800.0f));
  EXPECT_FALSE(Blocked(200.0f, 200.0f));
  // A guard out there plans its way across the level, round the wall.
  SetPathMessageSink([](const char*) {});
  const std::vector<GridCell> path = FindPath(WorldToCell(7000.0f, 7800.0f), WorldToCell(7000.0f, 7000.0f));
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.back(), WorldToCell(7000.0f, 7000.0f));
  for (const GridCell& cell : path) EXPECT_TRUE(IsCellOpen(cell));
  EXPECT_FALSE(FindPath(WorldToCell(7800.0f, 7800.0f), WorldToCell(200.0f, 200.0f)).empty());
  SetPathMessageSink(nullptr);
}

TEST_F(GridExtentTest, ALevelTooLargeToHoldGetsNoGridRatherThanOneItCannotHold) {
  const GridShape huge = GridShapeFor({0.0f, 0.0f, 60000.0f, 60000.0f});
  EXPECT_GT(huge.Cells(), kMostGridCells);
  Place(ObjectType::Enemy, 60000.0f, 60000.0f, 60.0f, 30.0f);
  EXPECT_FALSE(BuildGrid());
  EXPECT_FALSE(GridExists());
}

}  // namespace
