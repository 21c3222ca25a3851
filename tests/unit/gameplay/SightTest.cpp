#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "gameplay/Sight.h"
#include "graphics/Texture.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Factory.h"

namespace {

// ---- the vision cone ---------------------------------------------------------------------------

TEST(VisionCone, A120DegreeConeTakesSixtyEitherSideWrapsRoundZeroAndTruncatesToWholeDegrees) {
  struct Case {
    float facing, toward;
    bool inside;
  };
  const Case cases[] = {
      {0.0f, 60.0f, true},    {0.0f, 300.0f, true},   {0.0f, 0.0f, true},  // -60 is 300
      {0.0f, 61.0f, false},   {0.0f, 299.0f, false},  {0.0f, 180.0f, false},
      {350.0f, 50.0f, true},  {350.0f, 51.0f, false}, {10.0f, 310.0f, true},  // across 0
      {0.0f, 60.9f, true},  // whole degrees, as the guards always counted them
      {-720.0f, 10.0f, true},  // a level may store a rotation far below zero
  };
  for (const Case& c : cases) EXPECT_EQ(InCone(c.facing, c.toward, 120), c.inside) << c.facing << " to " << c.toward;
  EXPECT_EQ(ConeDifference(90.0f, 30.0f), 60);
  EXPECT_EQ(ConeDifference(30.0f, 90.0f), -60);
  EXPECT_EQ(ConeDifference(-5000.0f, 359.0f), ConeDifference(40.0f, 359.0f));  // still wraps into range
}

// ---- the ray and the sight line ----------------------------------------------------------------

class SightLine : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearObjects();
    ObjectCounter() = -1;
    GetFactoryHooks() = FactoryHooks{};
    guard = CreateEnemy(0.0f, 0.0f);
    player = CreatePlayer(300.0f, 0.0f);
  }
  void TearDown() override {
    ClearObjects();
    ClearTextureList();
  }
  // A box's edges come from its latest Draw, as in the object pass.
  static GameObject* Drawn(GameObject* box, float w, float h) {
    box->GetTransform()->scale[0] = w;
    box->GetTransform()->scale[1] = h;
    box->GetComponentAs<Collision>(SlotOf(ComponentType::Collision))->Draw();
    return box;
  }
  Sighting Look() { return LookForPlayer(guard, player, 300.0f, 0.0f, 120); }

  GameObject* guard = nullptr;
  GameObject* player = nullptr;
};

TEST_F(SightLine, HitsComeNearestFirstWithCirclesFromInsideAndNothingBehind) {
  GameObject* wall = Drawn(CreateWall(150.0f, 0.0f), 10.0f, 100.0f);
  Drawn(CreateWall(-150.0f, 0.0f), 10.0f, 100.0f);  // behind the origin
  std::vector<RayHit> hits;
  CastRay(0.0f, 0.0f, 1.0f, 0.0f, hits);
  ASSERT_EQ(hits.size(), 3u);
  EXPECT_EQ(hits[0].object, guard);  // the far side of its own circle
  EXPECT_FLOAT_EQ(hits[0].distance, 30.0f);
  EXPECT_EQ(hits[1].object, wall);
  EXPECT_FLOAT_EQ(hits[1].x, 145.0f);
  EXPECT_EQ(hits[2].object, player);
  EXPECT_FLOAT_EQ(hits[2].distance, 280.0f);

  CastRay(0.0f, 0.0f, 0.0f, 0.0f, hits);
  EXPECT_TRUE(hits.empty());
}

TEST_F(SightLine, WallsBlockGlassIsSeenThroughAndEverythingElseIsIgnored) {
  EXPECT_TRUE(Look().seen);

  Drawn(CreateCover(100.0f, 0.0f), 40.0f, 100.0f);
  Drawn(CreateVent(120.0f, 0.0f), 20.0f, 100.0f);
  CreateFood(180.0f, 0.0f);
  CreateEnemy(220.0f, 0.0f);
  Sighting open = Look();
  EXPECT_TRUE(open.seen);
  EXPECT_FALSE(open.throughGlass);

  Drawn(CreateGlass(200.0f, 0.0f), 10.0f, 100.0f);
  Sighting glass = Look();
  EXPECT_TRUE(glass.seen);
  EXPECT_TRUE(glass.throughGlass);

  Drawn(CreateWall(250.0f, 0.0f), 10.0f, 100.0f);
  Sighting walled = Look();
  EXPECT_FALSE(walled.seen);
  EXPECT_TRUE(walled.throughGlass);  // the pane lay before the wall
}

TEST_F(SightLine, AWallBeyondThePlayerDoesNotHideItAndOutsideTheConeNothingIsSeen) {
  Drawn(CreateWall(400.0f, 0.0f), 10.0f, 100.0f);
  EXPECT_TRUE(Look().seen);
  guard->GetTransform()->rotation = 180.0f;
  const uint64_t before = RaysCast();
  Sighting behind = Look();
  EXPECT_FALSE(behind.seen);
  EXPECT_FALSE(behind.throughGlass);
  EXPECT_EQ(RaysCast(), before);  // no ray outside the cone
}

TEST_F(SightLine, GatheredShapesDismissNoBoxTheExactTestWouldHit) {
  // Turned boxes of several sizes round the guard, one far out where no slack is trusted.
  for (int i = 0; i < 12; ++i) {
    GameObject* box = i % 3 == 0 ? CreateGlass(0.0f, 0.0f) : CreateWall(0.0f, 0.0f);
    Transform* at = box->GetTransform();
    at->position[0] = 170.0f * std::cos(0.5236f * static_cast<float>(i));
    at->position[1] = 90.0f * std::sin(0.5236f * static_cast<float>(i));
    at->rotation = 17.0f * static_cast<float>(i);
    Drawn(box, 8.0f + 9.0f * static_cast<float>(i), 30.0f);
  }
  Drawn(CreateWall(2.0e7f, 0.0f), 10.0f, 10.0f);
  std::vector<RayShape> shapes;
  GatherRayShapes(shapes);
  std::vector<RayShape> unbounded = shapes;
  for (RayShape& shape : unbounded) shape.reach = -1.0f;
  EXPECT_LT(shapes.back().reach, 0.0f);

  // Rays every degree and rays grazing every corner, from inside and outside the ring.
  std::vector<RayHit> fast, exact, live;
  const float origins[][2] = {{0.0f, 0.0f}, {-300.0f, 40.0f}, {90.0f, -60.0f}};
  for (const auto& o : origins) {
    std::vector<std::pair<float, float>> directions;
    for (int d = 0; d < 360; ++d) directions.push_back({std::cos(0.0174533f * d), std::sin(0.0174533f * d)});
    for (const RayShape& shape : shapes) {
      if (shape.box == nullptr) continue;
      for (const BoxCollision::Edge& edge : shape.box->edges) {
        const float dx = edge.start.x() - o[0];
        const float dy = edge.start.y() - o[1];
        const float length = std::sqrt(dx * dx + dy * dy);
        directions.push_back({dx / length, dy / length});
      }
    }
    for (const auto& [dx, dy] : directions) {
      CastRay(shapes, o[0], o[1], dx, dy, fast);
      CastRay(unbounded, o[0], o[1], dx, dy, exact);
      CastRay(o[0], o[1], dx, dy, live);
      ASSERT_EQ(fast.size(), exact.size()) << o[0] << "," << o[1] << " along " << dx << "," << dy;
      ASSERT_EQ(live.size(), exact.size());
      for (size_t i = 0; i < exact.size(); ++i) {
        EXPECT_EQ(fast[i].object, exact[i].object);
        EXPECT_EQ(fast[i].distance, exact[i].distance);
        EXPECT_EQ(live[i].object, exact[i].object);
        EXPECT_EQ(live[i].x, exact[i].x);
      }
    }
  }
}

}  // namespace
