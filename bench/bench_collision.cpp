// The collision part of the object pass, headless: scenes of boxes and moving circles run through
// UpdateObjects, reporting time per frame and the pair tests each frame makes. A second group does
// not time anything: it throws food at thin panes and counts how often the contact is missed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"

namespace {

const ObjectType kBoxTypes[] = {ObjectType::Wall, ObjectType::Wall, ObjectType::Wall, ObjectType::Wall,
                                ObjectType::Wall, ObjectType::Wall, ObjectType::Vent, ObjectType::Cover,
                                ObjectType::Glass, ObjectType::Collection};
// Circles as a level mixes them: food, enemies, patrol points (plain) and lights.
const ObjectType kCircleTypes[] = {ObjectType::Food, ObjectType::Food, ObjectType::Food, ObjectType::Enemy,
                                   ObjectType::Plain, ObjectType::Plain, ObjectType::Light, ObjectType::Enemy};

GameObject* AddBox(ObjectType type, float x, float y, float w, float h, float rotation) {
  auto* o = new GameObject("Box_" + std::to_string(Objects().size()), x, y, 0.0f, w, h, type);
  o->GetTransform()->rotation = rotation;
  if (type == ObjectType::Wall) o->AddComponent(new Kinematics());
  o->AddComponent(new BoxCollision());
  AddObject(o);
  return o;
}

GameObject* AddCircle(ObjectType type, float x, float y, float radius, float vx, float vy) {
  auto* o = new GameObject("Circle_" + std::to_string(Objects().size()), x, y, 0.0f, 20.0f, 20.0f, type);
  auto* k = new Kinematics();
  k->maxSpeed = 400.0f;
  k->acceleration = 2000.0f;
  k->SetDirection(vx, vy);
  k->SetVelocity(vx, vy);
  o->AddComponent(k);
  o->AddComponent(new CircleCollision(radius));
  AddObject(o);
  return o;
}

// Boxes and circles spread over a world whose area grows with the box count (a level of 300 boxes
// is about 2600 x 1800), circles interleaved with the boxes in the list like a level file's order.
struct Scene {
  float width = 0.0f, height = 0.0f;
  std::vector<GameObject*> circles;
};

Scene BuildScene(int boxes, int circles) {
  ClearObjects();
  Scene scene;
  std::mt19937 rng(1234);
  const float scale = std::sqrt(static_cast<float>(boxes) / 300.0f);
  scene.width = 2600.0f * scale;
  scene.height = 1800.0f * scale;
  std::uniform_real_distribution<float> wx(0.0f, 2600.0f * scale), wy(0.0f, 1800.0f * scale);
  std::uniform_real_distribution<float> length(100.0f, 700.0f), dir(-1.0f, 1.0f);
  std::uniform_int_distribution<int> quarter(0, 3);
  const int player = circles / 2;
  for (int i = 0, c = 0; i < boxes || c < circles;) {
    if (i < boxes) {
      const ObjectType type = kBoxTypes[i % 10];
      float w = 50.0f, h = length(rng);  // walls: 50 thick, 100 to 700 long
      if (type == ObjectType::Vent) h = 50.0f;
      if (type == ObjectType::Glass) w = 25.0f, h = 100.0f;
      if (type == ObjectType::Cover) w = 100.0f, h = 200.0f;
      if (type == ObjectType::Collection) w = 200.0f, h = 150.0f;
      AddBox(type, wx(rng), wy(rng), w, h, 90.0f * static_cast<float>(quarter(rng)));
      ++i;
    }
    if (c < circles && (i * circles >= c * boxes || i >= boxes)) {
      ObjectType type = c == player ? ObjectType::Player : kCircleTypes[c % 8];
      scene.circles.push_back(AddCircle(type, wx(rng), wy(rng), type == ObjectType::Enemy ? 30.0f : 20.0f,
                                        300.0f * dir(rng), 300.0f * dir(rng)));
      ++c;
    }
  }
  return scene;
}

// Circles that leave the world come back in on the other side, so the scene stays as busy.
void Wrap(const Scene& scene) {
  for (GameObject* o : scene.circles) {
    float* p = o->GetTransform()->position;
    if (p[0] < 0.0f) p[0] += scene.width;
    if (p[0] > scene.width) p[0] -= scene.width;
    if (p[1] < 0.0f) p[1] += scene.height;
    if (p[1] > scene.height) p[1] -= scene.height;
  }
}

void ObjectPass(benchmark::State& state) {
  const Scene scene = BuildScene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  GetCollisionCounters() = CollisionCounters{};
  int64_t frames = 0;
  for (auto _ : state) {
    UpdateObjects(0.016f);
    Wrap(scene);
    ++frames;
  }
  const CollisionCounters& c = GetCollisionCounters();
  const double f = static_cast<double>(std::max<int64_t>(frames, 1));
  state.counters["pairs/frame"] = static_cast<double>(c.pairsConsidered) / f;
  state.counters["shape_tests/frame"] = static_cast<double>(c.shapeTests) / f;
  state.counters["contacts/frame"] = static_cast<double>(c.contacts) / f;
  ClearObjects();
}
BENCHMARK(ObjectPass)
    ->Args({300, 40})
    ->Args({3000, 300})
    ->Unit(benchmark::kMicrosecond)
    ->ArgNames({"boxes", "circles"});

// ---- tunnelling -------------------------------------------------------------------------------

struct PaneRun {
  bool crossed = false;     // the free path took the food's centre through the pane
  bool overlapped = false;  // the free path brought the food's circle over the pane
  bool contact = false;     // the game reported contact
  uint64_t contacts = 0;    // frames with a reported contact
  bool passedThrough = false;  // ended on the far side of a wall after crossing it
};

// Distance from a point to a rectangle centred at the origin (0 inside).
float DistanceToBox(float x, float y, float hw, float hh) {
  const float dx = std::max(std::fabs(x) - hw, 0.0f);
  const float dy = std::max(std::fabs(y) - hh, 0.0f);
  return std::sqrt(dx * dx + dy * dy);
}

// Food (radius 20, speed limit and braking 1000, as the archetype) thrown at 1000 u/s from 150 units
// away towards a random point around a pane at the origin; the pane is `thickness` wide along x and
// `length` along y. Runs the real object pass with `dt` per frame for 0.3 s of play.
PaneRun ThrowAtPane(ObjectType paneType, float thickness, float length, float dt, bool paneFirst, std::mt19937& rng) {
  ClearObjects();
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  const float hw = thickness / 2.0f, hh = length / 2.0f, r = 20.0f;
  const float from = unit(rng) * 6.2831853f;
  const float sx = 150.0f * std::cos(from), sy = 150.0f * std::sin(from);
  const float tx = (unit(rng) * 2.0f - 1.0f) * (hw + r + 10.0f), ty = (unit(rng) * 2.0f - 1.0f) * (hh + r + 10.0f);
  float vx = tx - sx, vy = ty - sy;
  const float len = std::sqrt(vx * vx + vy * vy);
  vx = vx / len * 1000.0f;
  vy = vy / len * 1000.0f;

  auto makePane = [&] {
    auto* pane = new GameObject("Pane_1", 0.0f, 0.0f, 0.0f, thickness, length, paneType);
    auto* box = new BoxCollision();
    pane->AddComponent(box);
    box->Draw();
    AddObject(pane);
  };
  if (paneFirst) makePane();
  auto* food = new GameObject("Food_1", sx, sy, 0.0f, 20.0f, 20.0f, ObjectType::Food);
  auto* k = new Kinematics();
  k->maxSpeed = 1000.0f;
  k->deceleration = 1000.0f;
  k->SetVelocity(vx, vy);
  food->AddComponent(k);
  food->AddComponent(new CircleCollision(r));
  AddObject(food);
  if (!paneFirst) makePane();

  PaneRun run;
  // The free path (no collision): same braking, sampled finely between frames.
  {
    float px = sx, py = sy, fvx = vx, fvy = vy;
    for (float t = 0.0f; t < 0.3f; t += dt) {
      const float speed = std::sqrt(fvx * fvx + fvy * fvy);
      const float step = std::min(1000.0f * dt, speed);
      if (speed > 0.0f) {
        fvx -= fvx / speed * step;
        fvy -= fvy / speed * step;
      }
      for (int s = 1; s <= 50; ++s) {
        const float qx = px + fvx * dt * static_cast<float>(s) / 50.0f;
        const float qy = py + fvy * dt * static_cast<float>(s) / 50.0f;
        const float d = DistanceToBox(qx, qy, hw, hh);
        if (d == 0.0f) run.crossed = true;
        if (d <= r) run.overlapped = true;
      }
      px += fvx * dt;
      py += fvy * dt;
    }
  }
  const uint64_t before = GetCollisionCounters().contacts;
  for (float t = 0.0f; t < 0.3f; t += dt) UpdateObjects(dt);
  run.contacts = GetCollisionCounters().contacts - before;
  run.contact = run.contacts > 0;
  const float endX = food->GetTransform()->position[0];
  // Crossed a wall: started on one side of the pane's long axis and ended on the other.
  run.passedThrough = run.crossed && (sx < 0.0f) != (endX < 0.0f) && std::fabs(endX) > hw;
  ClearObjects();
  return run;
}

void Tunnelling(benchmark::State& state, ObjectType paneType, float thickness, float length, float dt) {
  int trials = 0, crossed = 0, crossedMissed = 0, grazes = 0, grazesMissed = 0, throughWall = 0;
  int throughAfterRebounce = 0;
  for (auto _ : state) {
    std::mt19937 rng(99);
    for (int i = 0; i < 4000; ++i) {
      const PaneRun run = ThrowAtPane(paneType, thickness, length, dt, i % 2 == 0, rng);
      ++trials;
      if (run.crossed) {
        ++crossed;
        if (!run.contact) ++crossedMissed;
        if (run.passedThrough) ++throughWall;
        if (run.passedThrough && run.contacts >= 2) ++throughAfterRebounce;
      } else if (run.overlapped) {
        ++grazes;
        if (!run.contact) ++grazesMissed;
      }
    }
  }
  state.counters["throws"] = trials;
  state.counters["centre_crossings"] = crossed;
  state.counters["crossings_missed"] = crossedMissed;
  // Glass reports food without stopping it, so only walls can be passed through.
  if (paneType == ObjectType::Wall) {
    state.counters["passed_through"] = throughWall;
    state.counters["through_after_2+_contacts"] = throughAfterRebounce;
  }
  state.counters["grazes"] = grazes;
  state.counters["grazes_missed"] = grazesMissed;
}

BENCHMARK_CAPTURE(Tunnelling, glass25_dt016, ObjectType::Glass, 25.0f, 100.0f, 0.016f)->Iterations(1);
BENCHMARK_CAPTURE(Tunnelling, glass25_dt025, ObjectType::Glass, 25.0f, 100.0f, 0.025f)->Iterations(1);
BENCHMARK_CAPTURE(Tunnelling, wall50_dt016, ObjectType::Wall, 50.0f, 700.0f, 0.016f)->Iterations(1);
BENCHMARK_CAPTURE(Tunnelling, wall50_dt025, ObjectType::Wall, 50.0f, 700.0f, 0.025f)->Iterations(1);
BENCHMARK_CAPTURE(Tunnelling, wall25_dt025, ObjectType::Wall, 25.0f, 100.0f, 0.025f)->Iterations(1);

// ---- long walls and the broad phase ----------------------------------------------------------

// A box test only looks at circles within 500 units of the box's centre or of a corner. A player
// (radius 20) walking into the long side of a wall `length` long and 50 thick is tried at every
// 10 units along it; the counters say how much of the wall lets it through.
void LongWall(benchmark::State& state) {
  const float length = static_cast<float>(state.range(0));
  int tried = 0, stopped = 0;
  float firstGap = -1.0f;
  for (auto _ : state) {
    tried = stopped = 0;
    firstGap = -1.0f;
    for (float x = -length / 2.0f + 30.0f; x <= length / 2.0f - 30.0f; x += 10.0f) {
      ClearObjects();
      auto* wall = AddBox(ObjectType::Wall, 0.0f, 0.0f, length, 50.0f, 0.0f);
      GameObject* player = AddCircle(ObjectType::Player, x, -60.0f, 20.0f, 0.0f, 400.0f);
      for (int frame = 0; frame < 10; ++frame) UpdateObjects(0.025f);
      ++tried;
      if (player->GetTransform()->position[1] < 0.0f) ++stopped;
      else if (firstGap < 0.0f || std::fabs(x) < firstGap) firstGap = std::fabs(x);
      (void)wall;
    }
  }
  ClearObjects();
  state.counters["positions"] = tried;
  state.counters["walked_through"] = tried - stopped;
  state.counters["gap_from_centre"] = firstGap;
}
BENCHMARK(LongWall)->Arg(1900)->Arg(2300)->Arg(2700)->Iterations(1)->ArgName("length");

}  // namespace

BENCHMARK_MAIN();
