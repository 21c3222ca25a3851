// The fast path finder against the plain one (ReferenceAStar.h) on thousands of grids: every path,
// every message and every cell taken from the open list must be the same.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "GridMakers.h"
#include "PathFinderFixture.h"
#include "ReferenceAStar.h"
#include "gameplay/AStar.h"
#include "scenes/PathGrid.h"

namespace {

using gridmakers::Grid;
using gridmakers::Region;

using path_test::Captured;

std::string Describe(GridCell c) {
  std::string text(1, '(');  // not "(" + ...: GCC 12 reports a false -Wrestrict on that form
  return text.append(std::to_string(c.row)).append(1, ',').append(std::to_string(c.column)).append(1, ')');
}

struct Outcomes {
  int found = 0, failed = 0, invalid = 0, blocked = 0, same = 0;
};

class AStarDifferential : public path_test::PathFinderTest {
 public:
  // Runs both path finders on the loaded grid; reports the first difference.
  void Compare(const Grid& grid, GridCell source, GridCell destination, Outcomes& outcomes) {
    reference::SearchResult expected = reference::FindPath(grid, source, destination, true);
    Captured().clear();
    pops_.clear();
    std::vector<GridCell> path = FindPath(source, destination);
    std::string where = Describe(source) + " -> " + Describe(destination);
    ASSERT_EQ(Captured(), expected.messages) << where;
    ASSERT_EQ(path, expected.path) << where;
    ASSERT_EQ(pops_.size(), expected.pops.size()) << where;
    ASSERT_TRUE(pops_ == expected.pops) << where;
    if (!expected.path.empty()) {
      ++outcomes.found;
    } else if (expected.blocked) {
      ++outcomes.blocked;
      ASSERT_TRUE(Captured().empty());
    } else if (expected.messages.find("invalid") != std::string::npos) {
      ++outcomes.invalid;
    } else if (expected.messages.find("already") != std::string::npos) {
      ++outcomes.same;
    } else {
      ++outcomes.failed;
    }
  }

  // A mix of end points: mostly open cells of the region, some anywhere (often blocked), some off
  // the grid, some equal.
  std::pair<GridCell, GridCell> PickEnds(std::mt19937& rng, const Grid& grid, const Region& region) {
    GridCell a = gridmakers::RandomOpenCell(rng, grid, region);
    GridCell b = gridmakers::RandomOpenCell(rng, grid, region);
    int kind = std::uniform_int_distribution<int>(0, 19)(rng);
    std::uniform_int_distribution<int32_t> anyRow(-2, kGridRows + 1), anyColumn(-2, kGridColumns + 1);
    switch (kind) {
      case 0: a = {anyRow(rng), anyColumn(rng)}; break;
      case 1: b = {anyRow(rng), anyColumn(rng)}; break;
      case 2: b = a; break;
      case 3: a = {kGridRows, a.column}; break;
      case 4: b = {b.row, kGridColumns}; break;
      default: break;
    }
    return {a, b};
  }
};

enum class Kind { Field, Maze, Rooms, Open };
constexpr int kSearchesPerGrid = 3;

// Grids of one kind in regions of 2 to 40 cells a side, four in five of them against one of the
// grid's edges (where neighbours fall outside it), a few searches each.
Outcomes RunSmallGrids(AStarDifferential& test, Kind kind, uint32_t seed, int grids) {
  std::mt19937 rng(seed);
  Outcomes outcomes;
  for (int g = 0; g < grids && !::testing::Test::HasFatalFailure(); ++g) {
    Region region;
    region.rows = std::uniform_int_distribution<int32_t>(2, 40)(rng);
    region.columns = std::uniform_int_distribution<int32_t>(2, 40)(rng);
    int edge = g % 5;
    region.top = edge == 0 ? 0 : edge == 1 ? kGridRows - region.rows
                                           : std::uniform_int_distribution<int32_t>(0, kGridRows - region.rows)(rng);
    region.left = edge == 2 ? 0 : edge == 3 ? kGridColumns - region.columns
                                            : std::uniform_int_distribution<int32_t>(0, kGridColumns - region.columns)(rng);
    Grid grid;
    switch (kind) {
      case Kind::Field: grid = gridmakers::RandomField(rng, region, std::uniform_real_distribution<double>(0.05, 0.7)(rng)); break;
      case Kind::Maze: grid = gridmakers::Maze(rng, region, std::uniform_int_distribution<int>(0, 6)(rng)); break;
      case Kind::Rooms: grid = gridmakers::Rooms(rng, region, std::uniform_int_distribution<int>(1, 8)(rng)); break;
      case Kind::Open: grid = gridmakers::RandomField(rng, region, 0.0); break;
    }
    LoadGrid(grid);
    for (int k = 0; k < kSearchesPerGrid; ++k) {
      auto [source, destination] = test.PickEnds(rng, grid, region);
      test.Compare(grid, source, destination, outcomes);
      if (::testing::Test::HasFatalFailure()) {
        ADD_FAILURE() << "grid " << g << " search " << k;
        break;
      }
    }
  }
  return outcomes;
}

// Every kind of outcome turns up in each batch, the interesting ones many times.
void ExpectAllOutcomes(const Outcomes& o, int minFound, int minFailed) {
  EXPECT_GE(o.found, minFound);
  EXPECT_GE(o.failed, minFailed);
  EXPECT_GE(o.invalid, 10);
  EXPECT_GE(o.blocked, 5);
  EXPECT_GE(o.same, 5);
}

// One test a kind of grid, so that the kinds run side by side.
TEST_F(AStarDifferential, AgreesOnRandomFieldsOfEveryDensity) {
  ExpectAllOutcomes(RunSmallGrids(*this, Kind::Field, 11, 700), 1000, 200);
}

TEST_F(AStarDifferential, AgreesOnMazes) {
  ExpectAllOutcomes(RunSmallGrids(*this, Kind::Maze, 12, 400), 800, 0);
}

TEST_F(AStarDifferential, AgreesOnRoomsAndCorridors) {
  ExpectAllOutcomes(RunSmallGrids(*this, Kind::Rooms, 13, 400), 600, 10);
}

TEST_F(AStarDifferential, AgreesOnOpenGround) {
  ExpectAllOutcomes(RunSmallGrids(*this, Kind::Open, 14, 200), 400, 0);
}

TEST_F(AStarDifferential, AgreesOnWholeGridMazesFieldsAndOpenGround) {
  std::mt19937 rng(77);
  Outcomes outcomes;
  Region whole;
  for (int g = 0; g < 9; ++g) {
    Grid grid;
    switch (g % 3) {
      case 0: grid = gridmakers::Maze(rng, whole, g * 40); break;
      case 1: grid = gridmakers::RandomField(rng, whole, 0.1 + 0.15 * (g / 3)); break;
      default: grid = gridmakers::Rooms(rng, whole, 150 + 100 * (g / 3)); break;
    }
    LoadGrid(grid);
    // Opposite corners first: the longest searches the grid allows.
    GridCell corner{1, 1}, farCorner{kGridRows - 2, kGridColumns - 2};
    if (grid[gridmakers::At(corner.row, corner.column)] == kCellOpen &&
        grid[gridmakers::At(farCorner.row, farCorner.column)] == kCellOpen) {
      ASSERT_NO_FATAL_FAILURE(Compare(grid, corner, farCorner, outcomes)) << "grid " << g;
    }
    for (int k = 0; k < 2; ++k) {
      GridCell a = gridmakers::RandomOpenCell(rng, grid, whole);
      GridCell b = gridmakers::RandomOpenCell(rng, grid, whole);
      ASSERT_NO_FATAL_FAILURE(Compare(grid, a, b, outcomes)) << "grid " << g;
    }
  }
  Grid open = gridmakers::Filled(kCellOpen);
  LoadGrid(open);
  ASSERT_NO_FATAL_FAILURE(Compare(open, {0, 0}, {kGridRows - 1, kGridColumns - 1}, outcomes));
  ASSERT_NO_FATAL_FAILURE(Compare(open, {kGridRows - 1, 0}, {0, kGridColumns - 1}, outcomes));
  // A walled-in destination: the whole open ground is flooded before the search gives up.
  for (int32_t r = 100; r <= 110; ++r) {
    for (int32_t c = 100; c <= 110; ++c) {
      if (r == 100 || r == 110 || c == 100 || c == 110) open[gridmakers::At(r, c)] = kCellBlocked;
    }
  }
  LoadGrid(open);
  ASSERT_NO_FATAL_FAILURE(Compare(open, {0, 0}, {105, 105}, outcomes));
  EXPECT_GE(outcomes.failed, 1);
  EXPECT_GE(outcomes.found, 15);
}

// The same agreement through the real standard output, with no message sink installed.
TEST(AStarStandardOutput, MessagesGoToStandardOutputExactlyAsThePlainSearchPrintsThem) {
  SetPathMessageSink(nullptr);
  std::mt19937 rng(5);
  Region region{50, 60, 30, 30};
  for (int g = 0; g < 40; ++g) {
    Grid grid = gridmakers::RandomField(rng, region, 0.3);
    LoadGrid(grid);
    GridCell a = gridmakers::RandomOpenCell(rng, grid, region);
    GridCell b = gridmakers::RandomOpenCell(rng, grid, region);
    if (g % 10 == 0) a = {kGridRows, 3};
    if (g % 10 == 1) b = {-1, 3};
    if (g % 10 == 2) b = a;
    reference::SearchResult expected = reference::FindPath(grid, a, b);
    ::testing::internal::CaptureStdout();
    std::vector<GridCell> path = FindPath(a, b);
    std::fflush(stdout);
    std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, expected.messages) << Describe(a) << " -> " << Describe(b);
    EXPECT_EQ(path, expected.path);
  }
  ReleaseGrid();
}

}  // namespace
