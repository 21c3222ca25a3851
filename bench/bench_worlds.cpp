// How the simulation and the drawn frame grow with the level: generated worlds of walls in a grid
// (200 to 12,800) with guards patrolling two-node paths (8 to 256) around the last shipped level's
// player, zones and food, run by the whole program in-process. Prints one table, every world side
// by side in one run: milliseconds per frame of the simulation (headless) and of the drawn frame
// (a 640x360 window of SDL's offscreen driver; both runs end with a read-back, so every frame counted
// is finished), from the difference of a short and a long run with --fixed-dt 0.02, and the pair tests and ray-shape tests per frame. Each world runs
// with the shape grid and, up to 3,200 walls, with the walk over every shape it replaces.
//   bench_worlds [--quick]     (--quick: the two worlds of the target ratio only)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "gameplay/Sight.h"
#include "objects/Collision.h"
#include "objects/ObjectType.h"
#include "objects/ShapeGrid.h"
#include "platform/GameFolders.h"
#include "platform/Platform.h"
#include "scenes/Level.h"
#include "support/ObjectRecords.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLevel3Scene = 8;
constexpr float kWallSpacing = 150.0f;

struct World {
  int walls;
  int guards;
};

using testing_support::Record;

// A record of the shipped level's look: the generated objects wear the pictures of those they replace.
ObjectRecord Textured(ObjectRecord record, const std::string& texture) {
  record.texture = texture;
  return record;
}

// The last shipped level with its walls, guards and patrol nodes replaced by a generated grid of
// walls (60 x 20, every 150 units, every other row turned upright) and guards walking between two
// nodes 300 units apart along the open lanes, spread evenly over the grid.
std::unique_ptr<Level> GenerateWorld(const fs::path& data, const World& world) {
  std::unique_ptr<Level> level = LoadLevel((data / "Assets/Levels/level3.json").string());
  if (!level) return nullptr;
  std::string wallTexture, guardTexture, nodeTexture;
  std::vector<ObjectRecord> kept;
  for (const ObjectRecord& r : level->objects) {
    const auto type = static_cast<ObjectType>(r.type);
    if (type == ObjectType::Wall) wallTexture = r.texture;
    if (type == ObjectType::Enemy) guardTexture = r.texture;
    if (type == ObjectType::Node) nodeTexture = r.texture;
    if (type == ObjectType::Wall || type == ObjectType::Enemy || type == ObjectType::Node || type == ObjectType::Glass ||
        type == ObjectType::Vent || type == ObjectType::Cover) {
      continue;
    }
    kept.push_back(r);
  }
  level->objects = kept;
  const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(world.walls))));
  for (int i = 0; i < world.walls; ++i) {
    const int row = i / side, column = i % side;
    const bool upright = row % 2 == 1;
    const ObjectRecord wall = Record(ObjectType::Wall, "Wall_" + std::to_string(i), column * kWallSpacing,
                                     row * kWallSpacing, upright ? 20.0f : 60.0f, upright ? 60.0f : 20.0f);
    level->objects.push_back(Textured(wall, wallTexture));
  }
  for (int g = 0; g < world.guards; ++g) {
    // Spread over the grid's lanes (halfway between wall rows).
    const int cells = std::max(1, side - 2);
    const int at = static_cast<int>((static_cast<long long>(g) * 7919) % (static_cast<long long>(cells) * cells));
    const float x = (at % cells) * kWallSpacing + kWallSpacing / 2.0f;
    const float y = (at / cells) * kWallSpacing + kWallSpacing / 2.0f;
    const std::string a = "Node_" + std::to_string(2 * g), b = "Node_" + std::to_string(2 * g + 1);
    level->objects.push_back(
        Textured(Record(ObjectType::Enemy, "Enemy_" + std::to_string(g), x, y, 60, 30, 0, a), guardTexture));
    level->objects.push_back(Textured(Record(ObjectType::Node, a, x, y, 20, 20, 0, b), nodeTexture));
    level->objects.push_back(Textured(Record(ObjectType::Node, b, x + 2 * kWallSpacing, y, 20, 20, 0, a), nodeTexture));
  }
  return level;
}

// A data folder of links to the game's data, with level 3 replaced by `levelText`.
fs::path MakeData(const fs::path& data, const std::string& levelText) {
  const fs::path root = fs::temp_directory_path() / "qm-bench-worlds";
  fs::remove_all(root);
  fs::create_directories(root / "Assets/Levels");
  for (const fs::directory_entry& e : fs::directory_iterator(data)) {
    if (e.path().filename() != "Assets") fs::create_symlink(fs::absolute(e.path()), root / e.path().filename());
  }
  for (const fs::directory_entry& e : fs::directory_iterator(data / "Assets")) {
    if (e.path().filename() != "Levels") fs::create_symlink(fs::absolute(e.path()), root / "Assets" / e.path().filename());
  }
  for (const fs::directory_entry& e : fs::directory_iterator(data / "Assets/Levels")) {
    if (e.path().filename() != "level3.json") fs::create_symlink(fs::absolute(e.path()), root / "Assets/Levels" / e.path().filename());
  }
  std::ofstream(root / "Assets/Levels/level3.json") << levelText;
  return root;
}

struct Sample {
  double seconds = 0.0;
  uint64_t pairTests = 0;
  uint64_t rayShapeTests = 0;
  uint64_t rebuilds = 0;
};

Sample Run(const fs::path& data, int frames, bool headless) {
  std::vector<std::string> args = {"quillmarch", "--scene", std::to_string(kLevel3Scene), "--frames", std::to_string(frames),
                                   "--seed", "1", "--fixed-dt", "0.02", "--no-dialogs", "--data", data.string()};
  if (headless) {
    args.push_back("--headless");
  } else {
    // A read-back near the end of both runs: every frame before it is finished on the GPU, in the
    // long run and in the short one, so their difference counts the pixels of the extra frames.
    const fs::path shot = fs::temp_directory_path() / "qm-bench-worlds-shot.png";
    args.insert(args.end(), {"--windowed", "--size", "640x360", "--screenshot", std::to_string(frames - 1) + ":" + shot.string()});
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  GetCollisionCounters() = CollisionCounters{};
  RayShapeTests() = 0;
  GetShapeGridCounters() = ShapeGridCounters{};
  const auto start = std::chrono::steady_clock::now();
  RunGame(static_cast<int>(argv.size()), argv.data());
  Sample s;
  s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  s.pairTests = GetCollisionCounters().shapeTests;
  s.rayShapeTests = RayShapeTests();
  s.rebuilds = GetShapeGridCounters().rebuilds;
  return s;
}

struct PerFrame {
  double ms = 0.0;
  double pairTests = 0.0;
  double rayShapeTests = 0.0;
  double rebuilds = 0.0;
};

PerFrame Measure(const fs::path& data, bool headless, int shortRun, int longRun) {
  const Sample a = Run(data, shortRun, headless);
  const Sample b = Run(data, longRun, headless);
  const double frames = longRun - shortRun;
  return {1000.0 * (b.seconds - a.seconds) / frames, static_cast<double>(b.pairTests - a.pairTests) / frames,
          static_cast<double>(b.rayShapeTests - a.rayShapeTests) / frames, static_cast<double>(b.rebuilds - a.rebuilds) / frames};
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  SetUserFolder((fs::temp_directory_path() / "qm-bench-user").string());
  const fs::path data = fs::path(platform::ExecutableDirectory()) / "..";
  if (getenv("SDL_VIDEODRIVER") == nullptr) setenv("SDL_VIDEODRIVER", "offscreen", 1);
  if (getenv("SDL_AUDIODRIVER") == nullptr) setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::vector<World> worlds = {{200, 8}, {800, 32}, {3200, 128}, {3200, 0}, {200, 128}, {12800, 256}};
  if (quick) worlds = {{200, 8}, {3200, 128}};
  const bool simOnly = argc > 2 && std::strcmp(argv[2], "--sim") == 0;
  std::printf("%-8s %-7s %-6s %12s %12s %14s %18s %12s\n", "walls", "guards", "walk", "sim ms", "drawn ms", "pair tests/f",
              "ray-shape tests/f", "rebuilds/f");
  for (const World& world : worlds) {
    std::unique_ptr<Level> level = GenerateWorld(data, world);
    if (!level) {
      std::fprintf(stderr, "level 3 did not load from %s\n", data.string().c_str());
      return 1;
    }
    const fs::path worldData = MakeData(data, LevelToText(*level));
    // The driver compiles its shader variants on first use, in the first window of the process:
    // a run before the first measured one keeps that out of the table.
    static const bool warm = (Run(worldData, 60, false), true);
    (void)warm;
    for (PairWalk walk : {PairWalk::Grid, PairWalk::EveryObject}) {
      // The walk over every shape takes minutes a frame past a few thousand shapes.
      if (walk == PairWalk::EveryObject && world.walls > 3200) continue;
      SetPairWalk(walk);
      const bool big = world.walls > 3200 || walk == PairWalk::EveryObject;
      const PerFrame sim = Measure(worldData, true, 20, big ? 120 : 320);
      const PerFrame drawn = simOnly ? PerFrame{} : Measure(worldData, false, 10, big ? 50 : 110);
      std::printf("%-8d %-7d %-6s %12.3f %12.3f %14.0f %18.0f %12.1f\n", world.walls, world.guards,
                  walk == PairWalk::Grid ? "grid" : "every", sim.ms, drawn.ms, sim.pairTests, sim.rayShapeTests, sim.rebuilds);
      std::fflush(stdout);
    }
  }
  SetPairWalk(PairWalk::Grid);
  fs::remove_all(fs::temp_directory_path() / "qm-bench-worlds");
  return 0;
}
