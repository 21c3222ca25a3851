// The guards' cost per frame: the whole simulation (object pass and scene update) of the largest
// shipped level with every guard patrolling, and with every guard chasing; and of a made-up level
// of 8 guards among 200 walls, both ways. Reports microseconds per frame and the sight rays cast
// per frame. Headless (null device): the simulation without the GPU.
//
// A chase is kept going the way it runs when a guard has the player in view: every frame each guard
// is put back at a spot 150 units from the player from where it sees the player, in the chase, so
// it neither catches (the invulnerability switch is on) nor loses the player.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/Options.h"
#include "gameplay/BehaviorStates.h"
#include "gameplay/GameplayHooks.h"
#include "gameplay/HumanBehavior.h"
#include "gameplay/Sight.h"
#include "graphics/Graphics.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "platform/Platform.h"
#include "scenes/Factory.h"
#include "scenes/Level.h"
#include "scenes/PathNode.h"
#include "scenes/SceneManager.h"
#include "support/ObjectRecords.h"

namespace {

constexpr float kDt = 0.016f;
constexpr float kChaseDistance = 150.0f;

struct Rig {
  std::unique_ptr<Graphics> graphics;
};

Rig& TheRig() {
  static Rig rig;
  return rig;
}

void StartHeadless() {
  if (TheRig().graphics) return;
  RunOptions options;
  options.headless = true;
  SetRunOptions(options);
  platform::InstallPlatform(platform::CreateNullPlatform(1280, 720));
  TheRig().graphics = std::make_unique<Graphics>();
  TheRig().graphics->Initialize();
  InstallHumanHooks();
}

std::string LevelPath(const std::string& file) {
  const std::string relative = "Assets/Levels/" + file;
  for (const std::string& base : {std::string("."), std::string(".."),
                                  std::filesystem::path(__FILE__).parent_path().parent_path().string()}) {
    if (std::filesystem::exists(base + "/" + relative)) return base + "/" + relative;
  }
  return relative;
}

// Starts a scene (after an empty one, so that it is a change) and returns it.
Level* StartScene(std::unique_ptr<Level> level) {
  DestroySceneList();
  auto empty = std::make_unique<Level>();
  empty->path = "Assets/Levels/empty.json";
  AddScene(std::move(empty), scene_id::kEmpty);
  Level* scene = AddScene(std::move(level), scene_id::kLevel3);
  RequestScene(scene);
  UpdateScenes(kDt);
  SceneState().invulnerable = true;
  return scene;
}

// The shipped level with the most objects.
Level* StartLargestShippedLevel() {
  std::unique_ptr<Level> largest;
  for (const char* file : {"level1.json", "level2.json", "level3.json"}) {
    std::unique_ptr<Level> level = LoadLevel(LevelPath(file));
    if (level && (!largest || level->objects.size() > largest->objects.size())) largest = std::move(level);
  }
  if (!largest) return nullptr;
  return StartScene(std::move(largest));
}

using testing_support::Record;

// 8 guards on two-node patrols round a player at (2000, 2000), among 200 walls on a grid further out.
Level* StartMadeUpLevel() {
  auto level = std::make_unique<Level>();
  level->path = "Assets/Levels/madeup.json";
  int number = 1;
  auto name = [&number](const char* prefix) { return std::string(prefix) + std::to_string(number++); };
  level->objects.push_back(Record(ObjectType::Player, name("Player_"), 2000, 2000, 43, 116));
  // Ten rows of twenty walls, five below and five above the open middle where the chase runs.
  for (int i = 0; i < 200; ++i) {
    const int row = i / 20;
    const float x = 300.0f + static_cast<float>(i % 20) * 180.0f;
    const float y = row < 5 ? 300.0f + static_cast<float>(row) * 250.0f : 2700.0f + static_cast<float>(row - 5) * 250.0f;
    level->objects.push_back(Record(ObjectType::Wall, name("Wall_"), x, y, 40, 120));
  }
  for (int g = 0; g < 8; ++g) {
    const float a = static_cast<float>(g) * 0.785398f;
    const float x = 2000.0f + 300.0f * std::cos(a);
    const float y = 2000.0f + 300.0f * std::sin(a);
    const std::string first = name("Node_");
    const std::string second = name("Node_");
    level->objects.push_back(Record(ObjectType::Node, first, x, y, 20, 20, 0, second));
    level->objects.push_back(Record(ObjectType::Node, second, x + 100.0f * std::sin(a), y - 100.0f * std::cos(a), 20, 20));
    level->objects.push_back(Record(ObjectType::Enemy, name("Enemy_"), x, y, 60, 30, 0, first));
  }
  return StartScene(std::move(level));
}

std::vector<GameObject*> Guards() {
  std::vector<GameObject*> guards;
  for (GameObject* object : Objects()) {
    if (HumanOf(object) != nullptr) guards.push_back(object);
  }
  return guards;
}

struct ChaseSpot {
  GameObject* guard;
  float x, y, rotation;
};

// For each guard, a spot at the chase distance from the player from where it sees the player.
std::vector<ChaseSpot> ChaseSpots() {
  std::vector<ChaseSpot> spots;
  GameObject* player = ScenePlayer();
  if (player == nullptr) return spots;
  const float px = player->GetTransform()->position[0];
  const float py = player->GetTransform()->position[1];
  int next = 0;
  for (GameObject* guard : Guards()) {
    for (int tries = 0; tries < 64; ++tries, ++next) {
      const float a = static_cast<float>(next % 64) * 0.0981748f;
      Transform* at = guard->GetTransform();
      at->position[0] = px - kChaseDistance * std::cos(a);
      at->position[1] = py - kChaseDistance * std::sin(a);
      at->rotation = a * 57.29578f;
      if (LookForPlayer(guard, player, px, py, 120).seen) {
        spots.push_back({guard, at->position[0], at->position[1], at->rotation});
        ++next;
        break;
      }
    }
  }
  return spots;
}

void HoldTheChase(const std::vector<ChaseSpot>& spots) {
  for (const ChaseSpot& spot : spots) {
    Transform* at = spot.guard->GetTransform();
    at->position[0] = spot.x;
    at->position[1] = spot.y;
    at->rotation = spot.rotation;
    HumanOf(spot.guard)->nextState = human_state::kFullAlert;
  }
}

void Simulate(benchmark::State& state, Level* (*start)(), bool chase) {
  StartHeadless();
  if (start() == nullptr) {
    state.SkipWithError("level did not load");
    return;
  }
  for (int i = 0; i < 5; ++i) {
    UpdateObjects(kDt);
    UpdateScenes(kDt);
  }
  const std::vector<ChaseSpot> spots = chase ? ChaseSpots() : std::vector<ChaseSpot>{};
  const uint64_t raysBefore = RaysCast();
  uint64_t frames = 0;
  for (auto _ : state) {
    if (chase) HoldTheChase(spots);
    UpdateObjects(kDt);
    UpdateScenes(kDt);
    ++frames;
  }
  size_t chasing = 0;
  for (GameObject* guard : Guards()) chasing += HumanOf(guard)->currentState == human_state::kFullAlert ? 1 : 0;
  state.counters["guards"] = static_cast<double>(Guards().size());
  state.counters["chasing"] = static_cast<double>(chasing);
  state.counters["objects"] = static_cast<double>(Objects().size());
  state.counters["rays_per_frame"] = frames == 0 ? 0.0 : static_cast<double>(RaysCast() - raysBefore) / frames;
  DestroySceneList();
}

void BM_ShippedPatrolling(benchmark::State& state) { Simulate(state, StartLargestShippedLevel, false); }
void BM_ShippedChasing(benchmark::State& state) { Simulate(state, StartLargestShippedLevel, true); }
void BM_MadeUpPatrolling(benchmark::State& state) { Simulate(state, StartMadeUpLevel, false); }
void BM_MadeUpChasing(benchmark::State& state) { Simulate(state, StartMadeUpLevel, true); }

BENCHMARK(BM_ShippedPatrolling)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShippedChasing)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MadeUpPatrolling)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MadeUpChasing)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  ClearObjects();
  if (TheRig().graphics) TheRig().graphics->Shutdown();
  benchmark::Shutdown();
  return 0;
}
