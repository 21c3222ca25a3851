// The shape grid against the walk over every shape it replaces: on seeded random worlds (walls,
// turned walls, panes, vents, cover, guards on patrol, a moving player, food in flight) the pair walk
// must report the same contacts in the same order and leave the same state every frame, and the
// sight rays must find the same hits up to where their users stop reading.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "GuardScene.h"
#include "app/StateLog.h"
#include "core/Random.h"
#include "gameplay/Sight.h"
#include "gameplay/VisionCones.h"
#include "objects/ShapeGrid.h"

namespace {

using guard_test::GuardScene;
using testing_support::Record;

// ---- contacts, recorded in the order the pass reports them --------------------------------------

struct ContactLog {
  std::vector<std::pair<std::string, std::string>> contacts;
  std::map<const GameObject*, CollisionHandler> handlers;
};
ContactLog& Contacts() {
  static ContactLog log;
  return log;
}

void RecordContact(GameObject* self, GameObject* other) {
  Contacts().contacts.emplace_back(self->name, other->name);
  auto it = Contacts().handlers.find(self);
  if (it != Contacts().handlers.end() && it->second != nullptr) it->second(self, other);
}

// Every shape reports its contacts to the log, then to its own handler.
void RecordEveryContact() {
  Contacts().handlers.clear();
  for (GameObject* object : Objects()) {
    if (object == nullptr) continue;
    auto* shape = object->GetComponentAs<Collision>(SlotOf(ComponentType::Collision));
    if (shape == nullptr) continue;
    Contacts().handlers[object] = shape->onCollision;
    shape->onCollision = &RecordContact;
  }
}

// ---- random worlds ------------------------------------------------------------------------------

std::vector<ObjectRecord> RandomWorld(uint32_t seed, float size, int walls, int guards) {
  std::mt19937 random(seed);
  auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); };
  std::vector<ObjectRecord> records;
  for (int i = 0; i < walls; ++i) {
    const bool turned = i % 5 == 0;
    records.push_back(Record(ObjectType::Wall, "Wall_" + std::to_string(i), uniform(0, size), uniform(0, size),
                             uniform(20, 260), uniform(10, 60), turned ? uniform(0, 360) : (i % 2 ? 90.0f : 0.0f)));
  }
  for (int i = 0; i < walls / 8; ++i) {
    records.push_back(Record(ObjectType::Glass, "Glass_" + std::to_string(i), uniform(0, size), uniform(0, size),
                             uniform(60, 200), 12, i % 3 == 0 ? uniform(0, 360) : 0.0f));
    records.push_back(Record(ObjectType::Vent, "Vent_" + std::to_string(i), uniform(0, size), uniform(0, size), 80, 80));
    records.push_back(Record(ObjectType::Cover, "Cover_" + std::to_string(i), uniform(0, size), uniform(0, size), 120, 120));
  }
  for (int i = 0; i < guards; ++i) {
    const float x = uniform(100, size - 100), y = uniform(100, size - 100);
    const std::string a = "Node_" + std::to_string(i) + "a", b = "Node_" + std::to_string(i) + "b";
    records.push_back(guard_test::Guard("Enemy_" + std::to_string(i), x, y, uniform(0, 360), a));
    records.push_back(guard_test::Node(a, x, y, b));
    records.push_back(guard_test::Node(b, uniform(100, size - 100), uniform(100, size - 100), a));
  }
  for (int i = 0; i < walls / 6; ++i) {
    records.push_back(Record(ObjectType::Food, "Food_" + std::to_string(i), uniform(0, size), uniform(0, size), 30, 30));
  }
  records.push_back(guard_test::Player(size / 2, size / 2));
  return records;
}

struct WorldRun {
  std::vector<uint64_t> states;
  std::vector<std::pair<std::string, std::string>> contacts;
  uint64_t shapeTests = 0;
};

class ShapeGridWorld : public GuardScene {
 protected:
  void TearDown() override {
    SetPairWalk(PairWalk::Grid);
    GuardScene::TearDown();
  }

  WorldRun Play(uint32_t seed, PairWalk walk, int frames) {
    testing_support::ResetSceneWorld();
    GuardScene::SetUp();
    SetPairWalk(walk);
    SeedRandom(seed);
    constexpr float kSize = 2400.0f;
    EXPECT_NE(Start(RandomWorld(seed, kSize, 120, 10)), nullptr);
    // Food thrown every way, the player walking off: movers that meet walls, panes and vents.
    std::mt19937 random(seed + 1);
    auto speed = [&] { return std::uniform_real_distribution<float>(-400.0f, 400.0f)(random); };
    for (GameObject* object : Objects()) {
      if (object == nullptr) continue;
      if (object->type == ObjectType::Food || object->type == ObjectType::Player) {
        if (Kinematics* k = testing_support::KinematicsOf(object)) k->SetVelocity(speed(), speed());
      }
    }
    RecordEveryContact();
    Contacts().contacts.clear();
    GetCollisionCounters() = CollisionCounters{};
    WorldRun run;
    for (int frame = 0; frame < frames; ++frame) {
      Frames(1);
      run.states.push_back(GameStateHash());
    }
    run.contacts = Contacts().contacts;
    run.shapeTests = GetCollisionCounters().shapeTests;
    return run;
  }
};

TEST_F(ShapeGridWorld, RandomWorldsGiveTheSameContactsInTheSameOrderAndTheSameStateEveryFrame) {
  for (uint32_t seed : {7u, 1234u}) {
    const WorldRun every = Play(seed, PairWalk::EveryObject, 600);
    const WorldRun grid = Play(seed, PairWalk::Grid, 600);
    ASSERT_FALSE(every.contacts.empty()) << "seed " << seed << ": the world makes no contact to compare";
    ASSERT_EQ(grid.states.size(), every.states.size());
    for (size_t frame = 0; frame < every.states.size(); ++frame) {
      ASSERT_EQ(grid.states[frame], every.states[frame]) << "seed " << seed << ": the state parts at frame " << frame;
    }
    ASSERT_EQ(grid.contacts.size(), every.contacts.size()) << "seed " << seed;
    for (size_t i = 0; i < every.contacts.size(); ++i) {
      ASSERT_EQ(grid.contacts[i], every.contacts[i]) << "seed " << seed << ": contact " << i;
    }
    // The point of the grid: far fewer shape tests for the same result.
    EXPECT_LT(grid.shapeTests * 4, every.shapeTests) << "seed " << seed;
  }
}

// ---- rays ---------------------------------------------------------------------------------------

// The hits a user of CastRay reads: up to and including the first wall or the stop object, no
// farther than the reach.
std::vector<RayHit> ReadUpTo(const std::vector<RayHit>& hits, float reach, const GameObject* stopAt) {
  std::vector<RayHit> read;
  for (const RayHit& hit : hits) {
    if (hit.distance > reach) break;
    read.push_back(hit);
    if (hit.object == stopAt || hit.object->type == ObjectType::Wall) break;
  }
  return read;
}

TEST_F(ShapeGridWorld, RaysThroughTheCellsFindEveryHitTheirUsersReadInTheSameOrder) {
  Start(RandomWorld(99, 2400.0f, 150, 12));
  Frames(2);  // boxes drawn
  std::mt19937 random(5);
  auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); };
  GameObject* player = ThePlayer();
  std::vector<RayHit> full, walked;
  int compared = 0;
  for (int i = 0; i < 3000; ++i) {
    // Origins inside, on the edge of and well outside the world; some rays along the axes.
    const float ox = uniform(-800.0f, 3200.0f), oy = uniform(-800.0f, 3200.0f);
    float angle = uniform(0.0f, 6.2831853f);
    if (i % 10 == 0) angle = static_cast<float>(i % 4) * 1.5707963f;
    const float dx = std::cos(angle), dy = std::sin(angle);
    const float reach = i % 2 ? std::numeric_limits<float>::infinity() : uniform(50.0f, 900.0f);
    const GameObject* stopAt = i % 3 ? player : nullptr;
    SetPairWalk(PairWalk::EveryObject);
    CastRay(ox, oy, dx, dy, full);
    SetPairWalk(PairWalk::Grid);
    CastRayToFirstStop(ox, oy, dx, dy, reach, stopAt, walked);
    const std::vector<RayHit> expected = ReadUpTo(full, reach, stopAt);
    const std::vector<RayHit> got = ReadUpTo(walked, reach, stopAt);
    ASSERT_EQ(got.size(), expected.size()) << "ray " << i;
    for (size_t h = 0; h < expected.size(); ++h) {
      EXPECT_EQ(got[h].object, expected[h].object) << "ray " << i << " hit " << h;
      EXPECT_EQ(got[h].distance, expected[h].distance) << "ray " << i << " hit " << h;
    }
    compared += static_cast<int>(expected.size());
  }
  EXPECT_GT(compared, 1000);
}

TEST_F(ShapeGridWorld, AShapeMovedDuringThePassIsFoundWhereItStandsNow) {
  Start({guard_test::Wall("Wall_1", 0, 0, 200, 40), guard_test::Glass("Glass_1", 400, 0, 20, 200),
         guard_test::Player(1000, 0)});
  Frames(2);
  GameObject* player = ThePlayer();
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<RayHit> hits, full;
  // Inside a pass the grid is entered once; a behaviour then moves the player.
  BeginShapeGridPass();
  CastRayToFirstStop(0.0f, 900.0f, 0.0f, -1.0f, inf, player, hits);
  player->GetTransform()->position[0] = 150.0f;
  player->GetTransform()->position[1] = 500.0f;
  NoteShapesMayHaveMoved();
  CastRayToFirstStop(150.0f, 900.0f, 0.0f, -1.0f, inf, player, hits);
  EndShapeGridPass();
  CastRay(150.0f, 900.0f, 0.0f, -1.0f, full);
  ASSERT_FALSE(hits.empty());
  ASSERT_FALSE(full.empty());
  EXPECT_EQ(hits.front().object, player);
  EXPECT_EQ(hits.front().distance, full.front().distance);
}

// ---- cones off the screen -----------------------------------------------------------------------

TEST(VisionConeCulling, OnlyConesThatCanReachTheViewAreBuilt) {
  // A view of 640 x 360 around (0, 0); cones reach 300.
  EXPECT_TRUE(ConeMayShow(0.0f, 0.0f, 300.0f, 0.0f, 0.0f, 320.0f, 180.0f));
  EXPECT_TRUE(ConeMayShow(619.0f, 0.0f, 300.0f, 0.0f, 0.0f, 320.0f, 180.0f));   // its rim reaches in
  EXPECT_FALSE(ConeMayShow(621.0f, 0.0f, 300.0f, 0.0f, 0.0f, 320.0f, 180.0f));  // wholly right of it
  EXPECT_FALSE(ConeMayShow(0.0f, -481.0f, 300.0f, 0.0f, 0.0f, 320.0f, 180.0f));
  EXPECT_TRUE(ConeMayShow(5000.0f, 5000.0f, 300.0f, 4800.0f, 4900.0f, 320.0f, 180.0f));  // follows the camera
  EXPECT_TRUE(ConeMayShow(std::nanf(""), 0.0f, 300.0f, 0.0f, 0.0f, 320.0f, 180.0f));   // nothing ruled out
}

}  // namespace
