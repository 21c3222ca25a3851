// The path finder against the plain reference search (tests/unit/gameplay/ReferenceAStar.h) on the
// same searches: a long search through a maze spanning the whole grid, a search with no way through
// (everything reachable in a level is flooded), and 100 searches in a level built from real walls,
// vents and glass. Google Benchmark reports each; then every search is timed on its own (processor
// time, best of several runs) and the last line sums up the long search and the slowest fast search
// of those three scenarios.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "../tests/unit/gameplay/GridMakers.h"
#include "../tests/unit/gameplay/ReferenceAStar.h"
#include "gameplay/AStar.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "scenes/PathGrid.h"

namespace {

using gridmakers::Grid;

struct Search {
  GridCell from, to;
};

struct Scenario {
  Grid grid;
  std::vector<Search> searches;
};

void Quiet(const char*) {}

// A maze over the whole grid (with a few extra openings), searched corner to corner.
Scenario& LongSearch() {
  static Scenario s = [] {
    std::mt19937 rng(2024);
    Scenario sc;
    sc.grid = gridmakers::Maze(rng, gridmakers::Region{}, 60);
    sc.searches.push_back({{1, 1}, {kGridRows - 3, kGridColumns - 2}});
    return sc;
  }();
  return s;
}

// A level of 4 x 3 rooms of 600 units (a little larger than the largest shipped level, 2300 x 1700)
// with doorways, some panes in doorways and some vents, built into the grid by BuildGrid from real
// objects. With `sealed`, one room also holds a closed box.
Grid BuildLevelGrid(bool sealed) {
  std::mt19937 rng(99);
  int counter = 0;
  auto place = [&](ObjectType type, float x, float y, float w, float h) {
    AddObject(new GameObject("Obstacle_" + std::to_string(counter++), x, y, 0.0f, w, h, type));
  };
  const float room = 600.0f, wall = 20.0f, door = 120.0f, half = (room - door) / 2;
  const int across = 4, down = 3;
  std::uniform_int_distribution<int> chance(0, 9);
  for (int i = 0; i <= across; ++i) {
    for (int j = 0; j < down; ++j) {
      // Vertical wall lines, a doorway per room except in the outer walls.
      float x = -50.0f + i * room, from = -50.0f + j * room;
      if (i == 0 || i == across) {
        place(ObjectType::Wall, x, from + room / 2, wall, room);
        continue;
      }
      place(ObjectType::Wall, x, from + half / 2, wall, half);
      place(ObjectType::Wall, x, from + room - half / 2, wall, half);
      if (chance(rng) == 0) place(ObjectType::Glass, x, from + room / 2, wall, door);
    }
  }
  for (int j = 0; j <= down; ++j) {
    for (int i = 0; i < across; ++i) {
      float y = -50.0f + j * room, from = -50.0f + i * room;
      if (j == 0 || j == down) {
        place(ObjectType::Wall, from + room / 2, y, room, wall);
        continue;
      }
      place(ObjectType::Wall, from + half / 2, y, half, wall);
      place(ObjectType::Wall, from + room - half / 2, y, half, wall);
      if (chance(rng) == 0) place(ObjectType::Glass, from + room / 2, y, door, wall);
      if (chance(rng) < 3) place(ObjectType::Vent, from + room / 2, y + room / 2, 80.0f, 80.0f);
    }
  }
  if (sealed) {
    const float cx = 1450.0f, cy = 1000.0f, side = 200.0f;
    place(ObjectType::Wall, cx, cy + side / 2, side, wall);
    place(ObjectType::Wall, cx, cy - side / 2, side, wall);
    place(ObjectType::Wall, cx - side / 2, cy, wall, side);
    place(ObjectType::Wall, cx + side / 2, cy, wall, side);
  }
  BuildGrid();
  ClearObjects();
  Grid grid;
  for (int32_t r = 0; r < kGridRows; ++r) {
    for (int32_t c = 0; c < kGridColumns; ++c) grid.push_back(GridCellValue({r, c}));
  }
  return grid;
}

// From a corner of the level into the closed box: everything reachable is flooded first.
Scenario& NoPath() {
  static Scenario s = [] {
    Scenario sc;
    sc.grid = BuildLevelGrid(true);
    sc.searches.push_back({WorldToCell(0.0f, 0.0f), WorldToCell(1450.0f, 1000.0f)});
    return sc;
  }();
  return s;
}

// 100 searches of the lengths humans plan: to a last seen place a few hundred units off, and now and
// then back across the level.
Scenario& TypicalLevel() {
  static Scenario s = [] {
    std::mt19937 rng(5);
    Scenario sc;
    sc.grid = BuildLevelGrid(false);
    std::uniform_real_distribution<float> whereX(-30.0f, 2320.0f), whereY(-30.0f, 1720.0f), offset(-600.0f, 600.0f);
    while (sc.searches.size() < 100) {
      bool far = sc.searches.size() % 4 == 0;
      float x = whereX(rng), y = whereY(rng);
      float tx = far ? whereX(rng) : x + offset(rng);
      float ty = far ? whereY(rng) : y + offset(rng);
      GridCell a = WorldToCell(x, y), b = WorldToCell(tx, ty);
      if (!IsInsideGrid(a) || !IsInsideGrid(b) || a == b) continue;
      if (sc.grid[gridmakers::At(a.row, a.column)] != kCellOpen || sc.grid[gridmakers::At(b.row, b.column)] != kCellOpen) continue;
      sc.searches.push_back({a, b});
    }
    return sc;
  }();
  return s;
}

// Not in the summary: the whole grid strewn with obstacles (a fifth of the cells) and a walled-in
// destination, far more open ground than any level has.
Scenario& OpenFieldFlood() {
  static Scenario s = [] {
    std::mt19937 rng(7);
    Scenario sc;
    sc.grid = gridmakers::RandomField(rng, gridmakers::Region{}, 0.2);
    for (int32_t r = 150; r <= 160; ++r) {
      for (int32_t c = 150; c <= 160; ++c) {
        bool ring = r == 150 || r == 160 || c == 150 || c == 160;
        sc.grid[gridmakers::At(r, c)] = ring ? kCellBlocked : kCellOpen;
      }
    }
    sc.grid[0] = kCellOpen;
    sc.searches.push_back({{0, 0}, {155, 155}});
    return sc;
  }();
  return s;
}

void RunReference(benchmark::State& state, Scenario& (*scenario)()) {
  Scenario& sc = scenario();
  for (auto _ : state) {
    for (const Search& s : sc.searches) benchmark::DoNotOptimize(reference::FindPath(sc.grid, s.from, s.to));
  }
  state.counters["searches"] = static_cast<double>(sc.searches.size());
}

void RunFast(benchmark::State& state, Scenario& (*scenario)()) {
  Scenario& sc = scenario();
  LoadGrid(sc.grid);
  for (auto _ : state) {
    for (const Search& s : sc.searches) benchmark::DoNotOptimize(FindPath(s.from, s.to));
  }
  state.counters["searches"] = static_cast<double>(sc.searches.size());
}

BENCHMARK_CAPTURE(RunReference, long_maze_search, LongSearch)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RunFast, long_maze_search, LongSearch)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RunReference, no_path_level_flood, NoPath)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RunFast, no_path_level_flood, NoPath)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RunReference, typical_level_x100, TypicalLevel)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RunFast, typical_level_x100, TypicalLevel)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RunReference, open_field_flood, OpenFieldFlood)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RunFast, open_field_flood, OpenFieldFlood)->Unit(benchmark::kMicrosecond);

// Best of `runs` timings of one search, in milliseconds of processor time (the machine may be
// shared; waiting for the processor is not the search's cost).
template <class F>
double BestOf(int runs, F&& search) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    std::clock_t start = std::clock();
    search();
    best = std::min(best, 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
  }
  return best;
}

struct Summary {
  double firstReference = 0.0, firstFast = 0.0, worstFast = 0.0;
};

// Times every search of a scenario on both sides after checking that they agree, and prints the
// microseconds per search.
Summary Summarize(const char* name, Scenario& sc) {
  LoadGrid(sc.grid);
  Summary result;
  double totalReference = 0.0, totalFast = 0.0;
  for (size_t i = 0; i < sc.searches.size(); ++i) {
    const Search& s = sc.searches[i];
    if (FindPath(s.from, s.to) != reference::FindPath(sc.grid, s.from, s.to).path) {
      std::fprintf(stderr, "%s: the two searches disagree on search %zu\n", name, i);
      std::exit(1);
    }
    double ref = BestOf(3, [&] { benchmark::DoNotOptimize(reference::FindPath(sc.grid, s.from, s.to)); });
    double fast = BestOf(9, [&] { benchmark::DoNotOptimize(FindPath(s.from, s.to)); });
    if (i == 0) {
      result.firstReference = ref;
      result.firstFast = fast;
    }
    totalReference += ref;
    totalFast += fast;
    result.worstFast = std::max(result.worstFast, fast);
  }
  double n = static_cast<double>(sc.searches.size());
  std::printf("%s: reference %.1f us/search, fast %.1f us/search, ratio %.1f, slowest fast %.1f us\n", name,
              1000.0 * totalReference / n, 1000.0 * totalFast / n, totalReference / totalFast,
              1000.0 * result.worstFast);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  SetPathMessageSink(Quiet);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  Summary longSearch = Summarize("long maze search", LongSearch());
  double worst = longSearch.worstFast;
  worst = std::max(worst, Summarize("no-path level flood", NoPath()).worstFast);
  worst = std::max(worst, Summarize("typical level searches (100)", TypicalLevel()).worstFast);
  Summarize("open-field flood (not in the summary)", OpenFieldFlood());
  std::printf("long search: reference %.3f ms, fast %.3f ms, ratio %.1f; worst fast search %.3f ms\n",
              longSearch.firstReference, longSearch.firstFast, longSearch.firstReference / longSearch.firstFast, worst);
  return 0;
}
