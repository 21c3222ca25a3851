#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "graphics/CollisionEffects.h"
#include "graphics/Filter.h"
#include "graphics/ParticleEmitter.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "support/LogCapture.h"

namespace {

using testing_support::LogCapture;

// The smallest scene pieces the collision rules look at.
GameObject* MakeBox(ObjectType type, float x, float y, float w, float h, float rotation = 0.0f) {
  auto* o = new GameObject("Box_" + std::to_string(static_cast<int>(type)), x, y, 0.0f, w, h, type);
  o->GetTransform()->rotation = rotation;
  auto* box = new BoxCollision();
  o->AddComponent(box);
  box->Draw();
  return o;
}

GameObject* MakeCircle(ObjectType type, float x, float y, float radius, bool withKinematics = true) {
  auto* o = new GameObject("Circle_" + std::to_string(static_cast<int>(type)), x, y, 0.0f, 10.0f, 10.0f, type);
  if (withKinematics) o->AddComponent(new Kinematics());
  o->AddComponent(new CircleCollision(radius));
  return o;
}

circleEmitter* AddEmitter(GameObject* o, const char* name) {
  auto* e = new circleEmitter(20.0f);
  e->name = name;
  o->AddComponent(e);
  return e;
}

BoxCollision* BoxOf(GameObject* o) { return o->GetComponentAs<BoxCollision>(SlotOf(ComponentType::Collision)); }
Collision* ShapeOf(GameObject* o) { return o->GetComponentAs<Collision>(SlotOf(ComponentType::Collision)); }
Kinematics* KinOf(GameObject* o) { return o->GetComponentAs<Kinematics>(SlotOf(ComponentType::Kinematics)); }
Transform* At(GameObject* o) { return o->GetTransform(); }

// Puts a mover where it stood at the frame's start and where it has moved to since.
void Moved(GameObject* o, float fromX, float fromY, float toX, float toY, float vx, float vy) {
  Kinematics* k = KinOf(o);
  k->lastPosition[0] = fromX;
  k->lastPosition[1] = fromY;
  k->lastPosition[2] = 0.0f;
  At(o)->position[0] = toX;
  At(o)->position[1] = toY;
  At(o)->position[2] = 3.0f;  // the responses put the depth back to 0
  k->SetVelocity(vx, vy);
}

// Behaviour state that the hooks read and write, as the behaviours will.
struct FakeBehaviours {
  int playerNext = 2;
  int playerCurrent = 2;
  bool passesVents = false;
  bool barrierClosed = true;
  int writes = 0;
};
FakeBehaviours fake;

void InstallFakeBehaviours() {
  fake = FakeBehaviours{};
  CollisionBehaviorHooks& hooks = GetCollisionBehaviorHooks();
  hooks.playerNextState = [](GameObject*) { return fake.playerNext; };
  hooks.setPlayerNextState = [](GameObject*, int s) {
    fake.playerNext = s;
    ++fake.writes;
  };
  hooks.playerCurrentState = [](GameObject*) { return fake.playerCurrent; };
  hooks.passesVents = [](GameObject*) { return fake.passesVents; };
  hooks.barrierBlocks = [](GameObject*) { return fake.barrierClosed; };
}

class CollisionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallFakeBehaviours();
    // Emitters restart and covers shade as in the game, where the graphics start installs this.
    InstallCollisionEffects();
    GetCollisionFlags() = CollisionFlags{};
    GetCollisionCounters() = CollisionCounters{};
  }
  void TearDown() override {
    for (GameObject* o : owned) delete o;
    ClearObjects();
    ResetCollisionBehaviorHooks();
    GetCollisionFlags() = CollisionFlags{};
  }
  // Objects kept out of the object list (direct shape tests).
  GameObject* Keep(GameObject* o) {
    owned.push_back(o);
    return o;
  }
  // Objects put into the list in this order (pair walk tests).
  GameObject* List(GameObject* o) {
    AddObject(o);
    return o;
  }
  std::vector<GameObject*> owned;
};

void ExpectVelocity(GameObject* o, float vx, float vy) {
  EXPECT_FLOAT_EQ(KinOf(o)->GetVelocity()[0], vx);
  EXPECT_FLOAT_EQ(KinOf(o)->GetVelocity()[1], vy);
}

void ExpectPosition(GameObject* o, float x, float y, float z) {
  EXPECT_FLOAT_EQ(At(o)->position[0], x);
  EXPECT_FLOAT_EQ(At(o)->position[1], y);
  EXPECT_FLOAT_EQ(At(o)->position[2], z);
}

}  // namespace

// ---- geometry ---------------------------------------------------------------------------------

TEST(CollisionEdgeTest, CircleTouchesAnEdgeWithoutRoundCapsWithinTheTolerance) {
  struct Row {
    float x, y, radius;
    bool touches;
    const char* why;
  };
  const Row rows[] = {
      {110.0f, 5.0f, 20.0f, false, "the end point is 11 away, but edges have no round caps"},
      {50.0f, 20.0f, 20.0f, true, "exactly the radius away touches"},
      {50.0f, 20.5f, 20.0f, false, "just beyond the radius"},
      {50.0f, -5.0f, 20.0f, true, "both sides of the edge count"},
      {100.01f, 1.0f, 2.0f, true, "foot point 0.01 past the end: S-Q-E 0.02 longer, within 0.05"},
      {100.04f, 1.0f, 2.0f, false, "0.04 past the end: 0.08 longer, outside the tolerance"},
      {-10.0f, 0.0f, 20.0f, true, "t = -0.1 is mirrored to a foot point at (10, 0), 20 away"},
      {-10.0f, 0.0f, 19.9f, false, "mirrored, not clamped to the start"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(CircleTouchesEdge(Vector2(0.0f, 0.0f), Vector2(100.0f, 0.0f), Vector2(r.x, r.y), r.radius), r.touches)
        << r.why;
  }
  const Vector2 p(5.0f, 5.0f);
  EXPECT_FALSE(CircleTouchesEdge(p, p, p, 10.0f)) << "a zero-length edge touches nothing";
}

TEST_F(CollisionTest, BoxEdgesFollowTheCornerOrderAndAreRebuiltByDraw) {
  GameObject* o = Keep(MakeBox(ObjectType::Wall, 10.0f, 20.0f, 40.0f, 60.0f));
  const BoxCollision::Edge* edges = BoxOf(o)->edges;
  // Upright: V1 top-right, V2 top-left, V3 bottom-left, V4 bottom-right. Turned a quarter by Draw:
  // V1 = (cx - hh, cy + hw), V2 = (cx - hh, cy - hw), V3 = (cx + hh, cy - hw).
  const float upright[4][2] = {{30, 50}, {-10, 50}, {-10, -10}, {30, -10}};
  const float turned[4][2] = {{-20, 40}, {-20, 0}, {40, 0}, {40, 40}};
  for (const auto* corners : {upright, turned}) {
    if (corners == turned) {
      At(o)->rotation = 90.0f;
      BoxOf(o)->Draw();
    }
    for (int i = 0; i < 4; ++i) {
      if (corners == upright) {
        EXPECT_FLOAT_EQ(edges[i].start.x(), corners[i][0]) << "corner " << i;
        EXPECT_FLOAT_EQ(edges[i].start.y(), corners[i][1]) << "corner " << i;
      } else {
        EXPECT_NEAR(edges[i].start.x(), corners[i][0], 1e-3f) << "corner " << i;
        EXPECT_NEAR(edges[i].start.y(), corners[i][1], 1e-3f) << "corner " << i;
      }
      EXPECT_FLOAT_EQ(edges[i].end.x(), edges[(i + 1) % 4].start.x()) << "edge " << i << " ends where the next starts";
      EXPECT_FLOAT_EQ(edges[i].end.y(), edges[(i + 1) % 4].start.y());
    }
  }
}

TEST_F(CollisionTest, BoxContainsPointStrictlyAndInItsOwnTurn) {
  GameObject* o = Keep(MakeBox(ObjectType::Wall, 0.0f, 0.0f, 100.0f, 50.0f));
  BoxCollision* box = BoxOf(o);
  EXPECT_TRUE(box->ContainsPoint(49.9f, 24.9f));
  EXPECT_FALSE(box->ContainsPoint(50.0f, 0.0f)) << "the border is outside";
  EXPECT_FALSE(box->ContainsPoint(0.0f, -25.0f));
  EXPECT_FALSE(box->ContainsPoint(0.0f, 30.0f));

  At(o)->rotation = 90.0f;  // now 50 wide and 100 tall
  EXPECT_TRUE(box->ContainsPoint(0.0f, 45.0f));
  EXPECT_FALSE(box->ContainsPoint(40.0f, 0.0f));

  At(o)->rotation = 45.0f;  // a diamond: the corner of the long axis points up-right
  EXPECT_TRUE(box->ContainsPoint(30.0f, 30.0f));
  EXPECT_FALSE(box->ContainsPoint(30.0f, -30.0f));
}

// A point is a zero-radius circle: on a circle's rim it is inside, on a box's border outside.
TEST_F(CollisionTest, PointsAndCirclesTouchUpToTheSumOfTheirRadii) {
  GameObject* c = Keep(MakeCircle(ObjectType::Player, 0.0f, 0.0f, 10.0f));
  EXPECT_TRUE(PointInShape(10.0f, 0.0f, ShapeOf(c)));
  EXPECT_FALSE(PointInShape(10.1f, 0.0f, ShapeOf(c)));
  GameObject* vent = Keep(MakeBox(ObjectType::Vent, 0.0f, 0.0f, 20.0f, 20.0f));
  EXPECT_FALSE(PointInShape(10.0f, 0.0f, ShapeOf(vent)));
  EXPECT_TRUE(PointInShape(9.0f, 0.0f, ShapeOf(vent)));
  EXPECT_FALSE(PointInShape(0.0f, 0.0f, nullptr));

  GameObject* a = Keep(MakeCircle(ObjectType::Player, 0.0f, 0.0f, 20.0f));
  GameObject* b = Keep(MakeCircle(ObjectType::Food, 50.0f, 0.0f, 30.0f));
  EXPECT_TRUE(ShapeOf(a)->CheckCollision(ShapeOf(b)));
  At(b)->position[0] = 50.5f;
  EXPECT_FALSE(ShapeOf(a)->CheckCollision(ShapeOf(b)));
  GameObject* box = Keep(MakeBox(ObjectType::Wall, 0.0f, 0.0f, 10.0f, 10.0f));
  EXPECT_FALSE(ShapeOf(a)->CheckCollision(ShapeOf(box))) << "a circle never tests a box itself";
  EXPECT_FALSE(ShapeOf(a)->CheckCollision(nullptr));
}

// ---- box tests before the response --------------------------------------------------------------

TEST_F(CollisionTest, ZeroRadiusCircleIsAPointTestWithoutResponse) {
  GameObject* wall = Keep(MakeBox(ObjectType::Wall, 0.0f, 0.0f, 100.0f, 100.0f));
  GameObject* point = Keep(MakeCircle(ObjectType::Player, 0.0f, 0.0f, 0.0f));
  Moved(point, 0.0f, 80.0f, 10.0f, 10.0f, 300.0f, -300.0f);
  EXPECT_TRUE(BoxOf(wall)->CheckCollision(ShapeOf(point)));
  ExpectPosition(point, 10.0f, 10.0f, 3.0f);
  ExpectVelocity(point, 300.0f, -300.0f);
  At(point)->position[0] = 50.0f;  // on the border
  EXPECT_FALSE(BoxOf(wall)->CheckCollision(ShapeOf(point)));
}

TEST_F(CollisionTest, BroadPhaseIgnoresCirclesFarFromCentreAndCorners) {
  // A wall 2000 long: the circle 600 above its centre is far from the centre and from every corner,
  // though its huge radius reaches the long edge.
  GameObject* wall = Keep(MakeBox(ObjectType::Wall, 0.0f, 0.0f, 2000.0f, 20.0f));
  GameObject* food = Keep(MakeCircle(ObjectType::Food, 0.0f, 600.0f, 700.0f));
  Moved(food, 0.0f, 650.0f, 0.0f, 600.0f, 0.0f, -100.0f);
  EXPECT_FALSE(BoxOf(wall)->CheckCollision(ShapeOf(food)));
  ExpectVelocity(food, 0.0f, -100.0f);
  // 490 away from the centre the same circle is tested, and bounces.
  Moved(food, 0.0f, 650.0f, 0.0f, 490.0f, 0.0f, -100.0f);
  EXPECT_TRUE(BoxOf(wall)->CheckCollision(ShapeOf(food)));
  // Near a corner only (the centre is 1000 away): still tested.
  Moved(food, 1000.0f, 450.0f, 1000.0f, 400.0f, 0.0f, -100.0f);
  At(food)->position[0] = 900.0f;
  EXPECT_TRUE(BoxOf(wall)->CheckCollision(ShapeOf(food)));
}

// ---- responses by type pair -----------------------------------------------------------------------

// Into a wall the player keeps the part of its speed along the wall. At 45 degrees no edge normal has
// an x of exactly 0, so the x component is always the one taken; a quarter turn leaves a rounding
// error in the normal's x, and the player must still slide (and 100 x 60 walls turned a quarter have
// their top edge at 50 or 30 above the centre).
// The step back is along the wall's normal only: the frame's movement along the wall stays.
TEST_F(CollisionTest, PlayerSlidingAlongAWallKeepsItsSpeedAndItsMovementAlongTheWall) {
  struct Row {
    float rotation, height, fromX, fromY, toX, toY, vx, vy, slideX, slideY, atX, atY;
  };
  const Row rows[] = {
      {0.0f, 100.0f, 0.0f, 75.0f, 10.0f, 65.0f, 400.0f, -400.0f, 400.0f, 0.0f, 10.0f, 75.0f},  // into the top edge
      {0.0f, 100.0f, 75.0f, 0.0f, 65.0f, 10.0f, -400.0f, 300.0f, 0.0f, 300.0f, 75.0f, 10.0f},  // into the right edge
      {45.0f, 100.0f, 50.0f, 50.0f, 40.0f, 40.0f, -300.0f, -200.0f, 0.0f, -200.0f, 50.0f, 50.0f},  // head-on
      {45.0f, 100.0f, 50.0f, 50.0f, 44.0f, 36.0f, -300.0f, -200.0f, 0.0f, -200.0f, 54.0f, 46.0f},
      {90.0f, 60.0f, 0.0f, 75.0f, 10.0f, 65.0f, 400.0f, -400.0f, 400.0f, 0.0f, 10.0f, 75.0f},
      {180.0f, 60.0f, 0.0f, 55.0f, 10.0f, 45.0f, 400.0f, -400.0f, 400.0f, 0.0f, 10.0f, 55.0f},
      {270.0f, 60.0f, 0.0f, 75.0f, 10.0f, 65.0f, 400.0f, -400.0f, 400.0f, 0.0f, 10.0f, 75.0f},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.rotation << " degrees, from " << r.fromX << "," << r.fromY);
    GameObject* wall = Keep(MakeBox(ObjectType::Wall, 0.0f, 0.0f, 100.0f, r.height, r.rotation));
    GameObject* player = Keep(MakeCircle(ObjectType::Player, 0.0f, 0.0f, 20.0f));
    Moved(player, r.fromX, r.fromY, r.toX, r.toY, r.vx, r.vy);
    EXPECT_TRUE(BoxOf(wall)->CheckCollision(ShapeOf(player)));
    EXPECT_NEAR(At(player)->position[0], r.atX, 1e-3f);
    EXPECT_NEAR(At(player)->position[1], r.atY, 1e-3f);
    EXPECT_EQ(At(player)->position[2], 0.0f);
    ExpectVelocity(player, r.slideX, r.slideY);
  }
}

// Frame after frame, as the object pass runs them: the movement, then the wall's test.
class WallSlideTest : public CollisionTest {
 protected:
  // Moves `mover` for `frames` frames of 25 ms against `box`; returns how many reported contact.
  int Run(GameObject* box, GameObject* mover, int frames) {
    int contacts = 0;
    for (int i = 0; i < frames; ++i) {
      KinOf(mover)->Update(0.025f);
      contacts += BoxOf(box)->CheckCollision(ShapeOf(mover));
    }
    return contacts;
  }
};

TEST_F(WallSlideTest, APlayerPushingDiagonallyIntoAWallSlidesAlongIt) {
  struct Row {
    const char* name;
    float rotation;   // of the wall, 100 wide and 1600 long
    float dirX, dirY;  // pushed this way, in the wall's own frame: into its right side and along it
  };
  for (const Row& r : {Row{"upright", 0.0f, -1.0f, 1.0f}, Row{"turned a quarter", 90.0f, -1.0f, 1.0f},
                       Row{"turned 30 degrees", 30.0f, -1.0f, 1.0f}, Row{"downwards", 0.0f, -1.0f, -1.0f}}) {
    SCOPED_TRACE(r.name);
    const float a = r.rotation * 0.017453289f, c = std::cos(a), s = std::sin(a);
    auto world = [&](float x, float y) { return std::pair<float, float>(x * c - y * s, x * s + y * c); };
    GameObject* wall = Keep(MakeBox(ObjectType::Wall, 0.0f, 0.0f, 100.0f, 1600.0f, r.rotation));
    auto [px, py] = world(90.0f, 0.0f);  // 20 units clear of the right side
    GameObject* player = Keep(MakeCircle(ObjectType::Player, px, py, 20.0f));
    Kinematics* k = KinOf(player);
    k->StartAtOwner();
    k->acceleration = 1500.0f;
    k->maxSpeed = 250.0f;
    auto [dx, dy] = world(r.dirX, r.dirY);
    k->SetDirection(dx, dy);

    EXPECT_GT(Run(wall, player, 80), 5) << "the player leans on the wall";
    // Back in the wall's frame: how far it went along the wall, and how far it is from its side.
    const float wx = At(player)->position[0], wy = At(player)->position[1];
    const float along = -wx * s + wy * c;
    const float across = wx * c + wy * s;
    EXPECT_GT(along * r.dirY, 200.0f) << "stuck against the wall at " << wx << ", " << wy;
    EXPECT_GE(across, 50.0f + 20.0f - 1.0f) << "the player went into the wall";
    EXPECT_LE(across, 50.0f + 20.0f + 5.0f) << "the player keeps leaning on the wall";
  }
}


TEST_F(CollisionTest, EscapingPlayerAndPlayerWithoutBehaviourPassWallsAndGlass) {
  for (ObjectType boxType : {ObjectType::Wall, ObjectType::Glass}) {
    GameObject* box = Keep(MakeBox(boxType, 0.0f, 0.0f, 100.0f, 100.0f));
    GameObject* player = Keep(MakeCircle(ObjectType::Player, 0.0f, 0.0f, 20.0f));
    fake.playerNext = kPlayerStateEscape;
    Moved(player, 0.0f, 75.0f, 0.0f, 65.0f, 0.0f, -400.0f);
    EXPECT_FALSE(BoxOf(box)->CheckCollision(ShapeOf(player)));
    ExpectVelocity(player, 0.0f, -400.0f);
    fake.playerNext = kNoBehavior;
    EXPECT_FALSE(BoxOf(box)->CheckCollision(ShapeOf(player)));
    fake.playerNext = kPlayerStateWalk;
    EXPECT_TRUE(BoxOf(box)->CheckCollision(ShapeOf(player)));
    ExpectVelocity(player, 0.0f, 0.0f);
  }
}

// Glass reports food without stopping it, and restarts the same emitter.
TEST_F(CollisionTest, FoodComesBackFromAWallAtHalfSpeedAndGoesOnThroughGlass) {
  GameObject* wall = Keep(MakeBox(ObjectType::Wall, 0.0f, 0.0f, 100.0f, 100.0f));
  GameObject* food = Keep(MakeCircle(ObjectType::Food, 0.0f, 0.0f, 20.0f));
  circleEmitter* crumbs = AddEmitter(food, "collision");
  circleEmitter* other = AddEmitter(food, "crumbs");
  Moved(food, 0.0f, 90.0f, 0.0f, 65.0f, 0.0f, -1000.0f);
  EXPECT_TRUE(BoxOf(wall)->CheckCollision(ShapeOf(food)));
  ExpectVelocity(food, 0.0f, 500.0f);
  ExpectPosition(food, 0.0f, 90.0f, 0.0f);
  EXPECT_TRUE(crumbs->active) << "the emitter named \"collision\" restarts";
  EXPECT_FALSE(other->active);

  crumbs->active = false;
  GameObject* glass = Keep(MakeBox(ObjectType::Glass, 0.0f, 0.0f, 25.0f, 100.0f));
  Moved(food, -50.0f, 0.0f, -25.0f, 0.0f, 1000.0f, 0.0f);
  EXPECT_TRUE(BoxOf(glass)->CheckCollision(ShapeOf(food)));
  ExpectVelocity(food, 1000.0f, 0.0f);
  ExpectPosition(food, -25.0f, 0.0f, 3.0f);
  EXPECT_TRUE(crumbs->active);
}

TEST_F(CollisionTest, FoodBouncesOnEveryVentEdgeItTouches) {
  GameObject* vent = Keep(MakeBox(ObjectType::Vent, 0.0f, 0.0f, 50.0f, 50.0f));
  GameObject* food = Keep(MakeCircle(ObjectType::Food, 0.0f, 0.0f, 20.0f));
  // Flying at the top-right corner, the food touches the top edge and the right edge.
  Moved(food, 30.0f, 30.0f, 20.0f, 20.0f, -400.0f, -400.0f);
  EXPECT_FALSE(BoxOf(vent)->CheckCollision(ShapeOf(food))) << "a vent never ends the scan with contact";
  // Top edge: y mirrored, halved -> (-200, 200); right edge: x mirrored, halved -> (100, 100).
  ExpectVelocity(food, 100.0f, 100.0f);
  ExpectPosition(food, 30.0f, 30.0f, 0.0f);
  // Touching one edge only: one bounce.
  Moved(food, 0.0f, 60.0f, 0.0f, 40.0f, 0.0f, -400.0f);
  BoxOf(vent)->CheckCollision(ShapeOf(food));
  ExpectVelocity(food, 0.0f, 200.0f);
  ExpectPosition(food, 0.0f, 60.0f, 0.0f);
}

// Food thrown by a player whose circle overlaps a vent starts on the vent's edge. Flying along the
// edge or away from the vent it does not bounce: it flies on at its speed.
TEST_F(WallSlideTest, FoodThrownAlongOrAwayFromAVentsEdgeFlies) {
  struct Row {
    const char* name;
    float x, y, vx, vy;  // the throw, from a spot on the vent's top edge (y = 50)
  };
  for (const Row& r : {Row{"along the edge", 0.0f, 50.0f, 500.0f, 0.0f}, Row{"away", 0.0f, 45.0f, 0.0f, 500.0f},
                       Row{"away and along", 20.0f, 50.0f, -300.0f, 400.0f}}) {
    SCOPED_TRACE(r.name);
    GameObject* vent = Keep(MakeBox(ObjectType::Vent, 0.0f, 0.0f, 200.0f, 100.0f));
    GameObject* food = Keep(MakeCircle(ObjectType::Food, r.x, r.y, 10.0f));
    Kinematics* k = KinOf(food);
    k->StartAtOwner();
    k->maxSpeed = 500.0f;
    k->SetVelocity(r.vx, r.vy);
    Run(vent, food, 8);
    EXPECT_NEAR(At(food)->position[0], r.x + r.vx * 0.2f, 0.5f);
    EXPECT_NEAR(At(food)->position[1], r.y + r.vy * 0.2f, 0.5f);
    ExpectVelocity(food, r.vx, r.vy);
  }
}

TEST_F(CollisionTest, PlayerOverAVentRaisesTheFlagOnly) {
  GameObject* vent = Keep(MakeBox(ObjectType::Vent, 0.0f, 0.0f, 50.0f, 50.0f));
  GameObject* player = Keep(MakeCircle(ObjectType::Player, 0.0f, 0.0f, 20.0f));
  Moved(player, 0.0f, 40.0f, 30.0f, 0.0f, 100.0f, 0.0f);
  EXPECT_FALSE(BoxOf(vent)->CheckCollision(ShapeOf(player)));
  EXPECT_FALSE(GetCollisionFlags().playerOverVent) << "touching the edge is not being over the vent";
  At(player)->position[0] = 10.0f;
  EXPECT_FALSE(BoxOf(vent)->CheckCollision(ShapeOf(player)));
  EXPECT_TRUE(GetCollisionFlags().playerOverVent);
  ExpectVelocity(player, 100.0f, 0.0f);
  ExpectPosition(player, 10.0f, 0.0f, 3.0f);
}

// An intact pane is a wall to a guard.
TEST_F(CollisionTest, EnemyThatPassesVentsIsNeitherStoppedNorBounced) {
  for (ObjectType boxType : {ObjectType::Wall, ObjectType::Vent, ObjectType::EscapeBarrier, ObjectType::Glass}) {
    SCOPED_TRACE(static_cast<int>(boxType));
    GameObject* box = Keep(MakeBox(boxType, 0.0f, 0.0f, 100.0f, 100.0f));
    GameObject* enemy = Keep(MakeCircle(ObjectType::Enemy, 0.0f, 0.0f, 30.0f));
    fake.passesVents = true;
    Moved(enemy, 0.0f, 90.0f, 0.0f, 70.0f, 0.0f, -100.0f);
    EXPECT_FALSE(BoxOf(box)->CheckCollision(ShapeOf(enemy)));
    ExpectVelocity(enemy, 0.0f, -100.0f);
    ExpectPosition(enemy, 0.0f, 70.0f, 3.0f);
    fake.passesVents = false;
    bool contact = BoxOf(box)->CheckCollision(ShapeOf(enemy));
    ExpectPosition(enemy, 0.0f, 90.0f, 0.0f);
    if (boxType == ObjectType::Vent) {
      EXPECT_FALSE(contact);
      ExpectVelocity(enemy, 0.0f, 50.0f);  // vents bounce enemies
    } else {
      EXPECT_TRUE(contact);
      ExpectVelocity(enemy, 0.0f, 0.0f);  // walls and barriers stop them
    }
  }
}

TEST_F(CollisionTest, CoverShadesItsFilterWhileSomethingIsUnderIt) {
  GameObject* cover = Keep(MakeBox(ObjectType::Cover, 0.0f, 0.0f, 100.0f, 200.0f));
  auto* filter = new Filter(FilterType::Color, 0.0f, Vector4(0.0f, 0.0f, 0.0f, 1.0f));
  cover->AddComponent(filter);
  GameObject* player = Keep(MakeCircle(ObjectType::Player, 10.0f, 10.0f, 20.0f));
  Moved(player, 0.0f, 0.0f, 10.0f, 10.0f, 50.0f, 50.0f);

  EXPECT_FALSE(BoxOf(cover)->CheckCollision(ShapeOf(player)));
  EXPECT_TRUE(GetCollisionFlags().playerUnderCover);
  EXPECT_FLOAT_EQ(filter->GetColor().w(), 0.5f);
  ExpectVelocity(player, 50.0f, 50.0f);

  GetCollisionFlags().playerUnderCover = false;
  At(player)->position[0] = 60.0f;  // centre out, still touching the side
  EXPECT_FALSE(BoxOf(cover)->CheckCollision(ShapeOf(player)));
  EXPECT_FALSE(GetCollisionFlags().playerUnderCover);
  EXPECT_FLOAT_EQ(filter->GetColor().w(), 1.0f);

  GameObject* food = Keep(MakeCircle(ObjectType::Food, 0.0f, 0.0f, 20.0f));
  BoxOf(cover)->CheckCollision(ShapeOf(food));
  EXPECT_FLOAT_EQ(filter->GetColor().w(), 0.5f) << "food under cover shades it too";
  EXPECT_FALSE(GetCollisionFlags().playerUnderCover);
  At(food)->position[0] = 300.0f;
  BoxOf(cover)->CheckCollision(ShapeOf(food));
  EXPECT_FLOAT_EQ(filter->GetColor().w(), 0.5f) << "food leaving does not clear the shade";
  EXPECT_FLOAT_EQ(filter->GetColor().x(), 0.0f);
}

TEST_F(CollisionTest, ZonesOnlyReportTheirOwnMoverAndNeverStopIt) {
  struct Row {
    ObjectType zone;
    float w, h;
    ObjectType mover;
    float fromY, toY;
    bool reported;
  };
  const Row rows[] = {
      {ObjectType::Collection, 200, 150, ObjectType::Food, 120, 90, true},
      {ObjectType::Collection, 200, 150, ObjectType::Player, 120, 90, false},  // no collection row
      {ObjectType::EscapeZone, 50, 50, ObjectType::Player, 60, 40, true},
      {ObjectType::EscapeZone, 50, 50, ObjectType::Food, 60, 40, false},
      {ObjectType::KillZone, 50, 50, ObjectType::Player, 60, 40, true},
      {ObjectType::KillZone, 50, 50, ObjectType::Enemy, 60, 40, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.zone) * 100 + static_cast<int>(r.mover));
    GameObject* zone = Keep(MakeBox(r.zone, 0.0f, 0.0f, r.w, r.h));
    GameObject* mover = Keep(MakeCircle(r.mover, 0.0f, 0.0f, 20.0f));
    Moved(mover, 0.0f, r.fromY, 0.0f, r.toY, 0.0f, -500.0f);
    EXPECT_EQ(BoxOf(zone)->CheckCollision(ShapeOf(mover)), r.reported);
    if (r.reported) ExpectVelocity(mover, 0.0f, -500.0f);
  }
  // A player wholly inside a larger kill zone touches none of its edges and is still reported; one
  // standing clear of it is not.
  GameObject* big = Keep(MakeBox(ObjectType::KillZone, 0.0f, 0.0f, 400.0f, 400.0f));
  GameObject* player = Keep(MakeCircle(ObjectType::Player, 0.0f, 0.0f, 20.0f));
  Moved(player, 10.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
  EXPECT_TRUE(BoxOf(big)->CheckCollision(ShapeOf(player)));
  Moved(player, 300.0f, 0.0f, 300.0f, 0.0f, 0.0f, 0.0f);
  EXPECT_FALSE(BoxOf(big)->CheckCollision(ShapeOf(player)));
}

// A closed barrier stops the player, food and humans as a wall stops the player; an open one stops
// nothing.
TEST_F(CollisionTest, EscapeBarrierBlocksOnlyWhileClosed) {
  GameObject* barrier = Keep(MakeBox(ObjectType::EscapeBarrier, 0.0f, 0.0f, 50.0f, 100.0f));
  for (ObjectType type : {ObjectType::Player, ObjectType::Food, ObjectType::Enemy}) {
    SCOPED_TRACE(static_cast<int>(type));
    GameObject* mover = Keep(MakeCircle(type, 0.0f, 0.0f, 20.0f));
    fake.barrierClosed = true;
    Moved(mover, 60.0f, 0.0f, 40.0f, 0.0f, -400.0f, 100.0f);
    EXPECT_TRUE(BoxOf(barrier)->CheckCollision(ShapeOf(mover)));
    ExpectVelocity(mover, 0.0f, 100.0f);
    ExpectPosition(mover, 60.0f, 0.0f, 0.0f);
    fake.barrierClosed = false;
    Moved(mover, 60.0f, 0.0f, 40.0f, 0.0f, -400.0f, 100.0f);
    EXPECT_FALSE(BoxOf(barrier)->CheckCollision(ShapeOf(mover)));
    ExpectVelocity(mover, -400.0f, 100.0f);
    ExpectPosition(mover, 40.0f, 0.0f, 3.0f);
  }
}

TEST_F(CollisionTest, BoxesReportNothingForOtherBoxesStillCirclesAndPairsWithoutARow) {
  GameObject* vent = Keep(MakeBox(ObjectType::Vent, 0.0f, 0.0f, 50.0f, 50.0f));
  GameObject* wall = Keep(MakeBox(ObjectType::Wall, 0.0f, 0.0f, 50.0f, 50.0f));
  GameObject* other = Keep(MakeBox(ObjectType::Player, 0.0f, 0.0f, 100.0f, 100.0f));
  GameObject* still = Keep(MakeCircle(ObjectType::Player, 0.0f, 30.0f, 20.0f, false));
  EXPECT_FALSE(BoxOf(wall)->CheckCollision(ShapeOf(other)));
  EXPECT_FALSE(BoxOf(wall)->CheckCollision(nullptr));
  EXPECT_FALSE(BoxOf(wall)->CheckCollision(ShapeOf(still))) << "a circle without kinematics is never pushed";
  GameObject* light = Keep(MakeCircle(ObjectType::Light, 0.0f, 0.0f, 30.0f));
  GameObject* node = Keep(MakeCircle(ObjectType::Plain, 0.0f, 0.0f, 25.0f));
  for (GameObject* circle : {light, node}) {
    Moved(circle, 0.0f, 60.0f, 0.0f, 30.0f, 0.0f, -100.0f);
    EXPECT_FALSE(BoxOf(vent)->CheckCollision(ShapeOf(circle)));
    EXPECT_FALSE(BoxOf(wall)->CheckCollision(ShapeOf(circle)));
    ExpectVelocity(circle, 0.0f, -100.0f);
  }
}

TEST_F(CollisionTest, WallHandlerLogsThePlayerOnly) {
  LogCapture log;
  GameObject* wall = Keep(MakeBox(ObjectType::Wall, 0.0f, 0.0f, 10.0f, 10.0f));
  GameObject* player = Keep(MakeCircle(ObjectType::Player, 0.0f, 0.0f, 20.0f));
  GameObject* food = Keep(MakeCircle(ObjectType::Food, 0.0f, 0.0f, 20.0f));
  WallCollisionHandler(wall, food);
  WallCollisionHandler(wall, player);
  EXPECT_EQ(log.Take(), "-DEBUG- player colliding with wall\n");
}

// ---- the pair walk ----------------------------------------------------------------------------

namespace {
std::vector<std::string> contacts;
void RecordSelf(GameObject* self, GameObject* other) { contacts.push_back(self->name + ">" + other->name); }
}  // namespace

TEST_F(CollisionTest, HandlersRunFirstComponentThenOther) {
  contacts.clear();
  GameObject* player = List(MakeCircle(ObjectType::Player, 0.0f, 0.0f, 20.0f));
  GameObject* food = List(MakeCircle(ObjectType::Food, 30.0f, 0.0f, 20.0f));
  player->name = "Player_0";
  food->name = "Food_1";
  ShapeOf(player)->onCollision = RecordSelf;
  ShapeOf(food)->onCollision = RecordSelf;
  TestCollisionPairs(Objects(), 0);
  EXPECT_EQ(contacts, (std::vector<std::string>{"Player_0>Food_1", "Food_1>Player_0"}));
  // The later object never walks back to earlier ones.
  contacts.clear();
  TestCollisionPairs(Objects(), 1);
  EXPECT_TRUE(contacts.empty());
}

TEST_F(CollisionTest, ShapeDispatchWorksWithTheBoxOnEitherSide) {
  // Box first in the list, then the circle first: both end with the player stopped at the wall.
  for (bool boxFirst : {true, false}) {
    ClearObjects();
    if (boxFirst) List(MakeBox(ObjectType::Wall, 0.0f, 0.0f, 100.0f, 100.0f));
    GameObject* player = List(MakeCircle(ObjectType::Player, 0.0f, 0.0f, 20.0f));
    if (!boxFirst) List(MakeBox(ObjectType::Wall, 0.0f, 0.0f, 100.0f, 100.0f));
    Moved(player, 0.0f, 75.0f, 0.0f, 65.0f, 0.0f, -400.0f);
    TestCollisionPairs(Objects(), 0);
    ExpectVelocity(player, 0.0f, 0.0f);
  }
  EXPECT_EQ(GetCollisionCounters().shapeTests, 2u);
}

TEST_F(CollisionTest, HandlerThatRemovesAShapeEndsTheWalkSafely) {
  // A pane that loses its shape in its own handler (as a shattered pane does) is not touched again.
  GameObject* food = List(MakeCircle(ObjectType::Food, 0.0f, 0.0f, 20.0f));
  List(MakeBox(ObjectType::Glass, 25.0f, 0.0f, 25.0f, 100.0f));
  List(MakeBox(ObjectType::Wall, 500.0f, 0.0f, 100.0f, 100.0f));
  Moved(food, -10.0f, 0.0f, 0.0f, 0.0f, 500.0f, 0.0f);
  ShapeOf(food)->onCollision = [](GameObject* self, GameObject*) {
    self->RemoveComponent(SlotOf(ComponentType::Collision));
  };
  TestCollisionPairs(Objects(), 0);
  EXPECT_EQ(ShapeOf(food), nullptr);
  EXPECT_EQ(GetCollisionCounters().contacts, 1u);
  EXPECT_EQ(GetCollisionCounters().pairsConsidered, 1u) << "no walking on without a shape";
}

TEST_F(CollisionTest, PairWalkSkipsSameTypesStaticPairsTextUIBoxPairsAndDisabledShapes) {
  contacts.clear();
  // Everything overlaps everything at the origin.
  List(MakeBox(ObjectType::Wall, 0.0f, 0.0f, 100.0f, 100.0f));
  List(MakeBox(ObjectType::Wall, 10.0f, 0.0f, 100.0f, 100.0f));
  List(MakeBox(ObjectType::Vent, 0.0f, 0.0f, 100.0f, 100.0f));
  List(MakeBox(ObjectType::EscapeZone, 0.0f, 0.0f, 100.0f, 100.0f));
  TestCollisionPairs(Objects(), 0);
  EXPECT_EQ(GetCollisionCounters().pairsConsidered, 0u) << "static boxes never meet";

  GameObject* foodA = List(MakeCircle(ObjectType::Food, 0.0f, 0.0f, 20.0f));
  List(MakeCircle(ObjectType::Food, 5.0f, 0.0f, 20.0f));
  ShapeOf(foodA)->onCollision = RecordSelf;
  const size_t foodIndex = Objects().size() - 2;
  TestCollisionPairs(Objects(), foodIndex);
  EXPECT_EQ(GetCollisionCounters().pairsConsidered, 0u) << "two food items never test each other";

  GameObject* ui = List(MakeCircle(ObjectType::UI, 0.0f, 0.0f, 20.0f));
  GameObject* text = List(MakeCircle(ObjectType::Text, 0.0f, 0.0f, 20.0f));
  GameObject* player = List(MakeCircle(ObjectType::Player, 0.0f, 0.0f, 20.0f));
  List(new GameObject("Bare_1", 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, ObjectType::Enemy));
  ShapeOf(ui)->onCollision = RecordSelf;
  ShapeOf(text)->onCollision = RecordSelf;
  ShapeOf(player)->onCollision = RecordSelf;
  TestCollisionPairs(Objects(), Objects().size() - 4);  // the UI object tests nothing
  TestCollisionPairs(Objects(), Objects().size() - 3);  // nor does the text
  EXPECT_EQ(GetCollisionCounters().pairsConsidered, 0u);
  // Walking from the first wall now meets the two foods and the player (the UI, text and the
  // enemy without a shape are skipped).
  TestCollisionPairs(Objects(), 0);
  EXPECT_EQ(GetCollisionCounters().pairsConsidered, 3u);
  EXPECT_TRUE(contacts.empty()) << "neither the walls nor UI/text report anything here";

  // Two boxes of which one is not static are considered, but never tested.
  ClearObjects();
  GetCollisionCounters() = CollisionCounters{};
  GameObject* wall = List(MakeBox(ObjectType::Wall, 0.0f, 0.0f, 100.0f, 100.0f));
  GameObject* crate = List(MakeBox(ObjectType::Plain, 0.0f, 0.0f, 100.0f, 100.0f));
  ShapeOf(wall)->onCollision = RecordSelf;
  ShapeOf(crate)->onCollision = RecordSelf;
  TestCollisionPairs(Objects(), 0);
  EXPECT_EQ(GetCollisionCounters().pairsConsidered, 1u);
  EXPECT_EQ(GetCollisionCounters().shapeTests, 0u);
  EXPECT_TRUE(contacts.empty());

  // Nor is a disabled shape.
  ClearObjects();
  GetCollisionCounters() = CollisionCounters{};
  List(MakeBox(ObjectType::Wall, 0.0f, 0.0f, 100.0f, 100.0f));
  GameObject* hidden = List(MakeCircle(ObjectType::Player, 0.0f, 0.0f, 20.0f));
  Moved(hidden, 0.0f, 75.0f, 0.0f, 65.0f, 0.0f, -400.0f);
  ShapeOf(hidden)->disabled = true;
  TestCollisionPairs(Objects(), 0);
  ExpectVelocity(hidden, 0.0f, -400.0f);
  EXPECT_EQ(GetCollisionCounters().shapeTests, 0u);
}

TEST_F(CollisionTest, VentEntryFiresOnlyForVentsAfterThePlayer) {
  List(MakeBox(ObjectType::Vent, 0.0f, 0.0f, 50.0f, 50.0f));
  GameObject* player = List(MakeCircle(ObjectType::Player, 0.0f, 0.0f, 20.0f));
  GameObject* ventAfter = List(MakeBox(ObjectType::Vent, 500.0f, 0.0f, 50.0f, 50.0f));
  Moved(player, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);

  // The player stands inside the vent listed before it: nothing asks it into the vent.
  fake.playerCurrent = kPlayerStateWalk;
  fake.playerNext = kPlayerStateWalk;
  TestCollisionPairs(Objects(), 1);
  EXPECT_EQ(fake.playerNext, kPlayerStateWalk);
  EXPECT_EQ(fake.writes, 0);

  // Inside the vent listed after it: walk, carry and wind-up step into the vent.
  At(player)->position[0] = 500.0f;
  for (int state : {kPlayerStateWalk, kPlayerStateCarry, kPlayerStateWindUp}) {
    fake.playerCurrent = state;
    fake.playerNext = state;
    TestCollisionPairs(Objects(), 1);
    EXPECT_EQ(fake.playerNext, kPlayerStateVent) << "from state " << state;
  }
  // Already asked: no second write.
  fake.writes = 0;
  TestCollisionPairs(Objects(), 1);
  EXPECT_EQ(fake.writes, 0);
  // Other states are left alone.
  fake.playerCurrent = 6;
  fake.playerNext = 6;
  TestCollisionPairs(Objects(), 1);
  EXPECT_EQ(fake.playerNext, 6);

  // In the vent state: stays while inside, walks again once outside.
  fake.playerCurrent = kPlayerStateVent;
  fake.playerNext = kPlayerStateVent;
  TestCollisionPairs(Objects(), 1);
  EXPECT_EQ(fake.playerNext, kPlayerStateVent);
  At(player)->position[0] = 560.0f;
  TestCollisionPairs(Objects(), 1);
  EXPECT_EQ(fake.playerNext, kPlayerStateWalk);

  // A disabled vent still takes part in the entry rule.
  At(player)->position[0] = 500.0f;
  fake.playerCurrent = kPlayerStateWalk;
  fake.playerNext = kPlayerStateWalk;
  ShapeOf(ventAfter)->disabled = true;
  TestCollisionPairs(Objects(), 1);
  EXPECT_EQ(fake.playerNext, kPlayerStateVent);
}

TEST_F(CollisionTest, DefaultHooksStopThePlayerAndLetBarriersBlock) {
  ResetCollisionBehaviorHooks();
  List(MakeBox(ObjectType::EscapeBarrier, 0.0f, 0.0f, 50.0f, 100.0f));
  List(MakeBox(ObjectType::Vent, 300.0f, 0.0f, 50.0f, 50.0f));
  GameObject* player = List(MakeCircle(ObjectType::Player, 0.0f, 0.0f, 20.0f));
  Moved(player, 60.0f, 0.0f, 40.0f, 0.0f, -400.0f, 0.0f);
  TestCollisionPairs(Objects(), 0);
  ExpectVelocity(player, 0.0f, 0.0f);
}

TEST_F(CollisionTest, ObjectPassRebuildsMovedBoxesBeforeTesting) {
  // The wall moved since its last edges were built; the object pass draws it before its tests.
  GameObject* wall = List(MakeBox(ObjectType::Wall, 0.0f, 0.0f, 100.0f, 100.0f));
  GameObject* food = List(MakeCircle(ObjectType::Food, 0.0f, 0.0f, 20.0f));
  At(wall)->position[0] = 1000.0f;
  At(food)->position[0] = 1000.0f;
  At(food)->position[1] = 65.0f;
  KinOf(food)->maxSpeed = 1000.0f;
  KinOf(food)->SetVelocity(0.0f, -0.0001f);
  UpdateObjects(0.0f);  // the wall comes first, so it tests the food before the food moves
  EXPECT_GT(KinOf(food)->GetVelocity()[1], 0.0f) << "bounced off the moved wall";
}
