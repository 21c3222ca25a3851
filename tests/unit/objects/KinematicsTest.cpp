#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

#include "core/EditorLink.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Factory.h"

namespace {

struct Mover {
  GameObject object{"Mover_0", 0.0f, 0.0f, 0.0f, 10.0f, 10.0f, ObjectType::Food};
  Kinematics* k = new Kinematics();
  Mover() { object.AddComponent(k); }
  Transform& t() { return *object.GetTransform(); }
};

}  // namespace

TEST(KinematicsTest, BrakingStepsDownAgainstTheVelocityAndNeverReverses) {
  Mover m;
  m.k->maxSpeed = 100.0f;
  m.k->deceleration = 160.0f;  // x 0.025 s = a step of 4 per frame
  m.k->SetVelocity(10.0f, 0.0f);
  // A step larger than the rest stops exactly.
  for (float expected : {6.0f, 2.0f, 0.0f, 0.0f}) {
    m.k->Update(0.025f);
    EXPECT_FLOAT_EQ(m.k->velocity[0], expected);
  }
  EXPECT_EQ(m.k->velocity[0], 0.0f);

  // On both axes at once the braking acts against the velocity.
  m.k->maxSpeed = 1000.0f;
  m.k->deceleration = 800.0f;  // 20 units per 0.025 s frame, against a speed of 50
  m.k->SetVelocity(30.0f, -40.0f);
  m.k->Update(0.025f);
  EXPECT_FLOAT_EQ(m.k->velocity[0], 30.0f - 20.0f * 0.6f);
  EXPECT_FLOAT_EQ(m.k->velocity[1], -40.0f + 20.0f * 0.8f);
  m.k->Update(0.025f);
  m.k->Update(0.025f);
  EXPECT_EQ(m.k->velocity[0], 0.0f) << "the last step overshoots and stops the axis";
  EXPECT_EQ(m.k->velocity[1], 0.0f);
}

TEST(KinematicsTest, SemiImplicitStepMovesWithTheNewVelocityAndKeepsDepth) {
  Mover m;
  m.t().position[2] = 1.5f;
  m.t().rotation = 33.0f;
  m.k->maxSpeed = 1000.0f;
  m.k->acceleration = 400.0f;
  m.k->SetDirection(3.0f, 4.0f);  // any length; normalised in place
  m.k->Update(0.025f);
  EXPECT_FLOAT_EQ(m.k->direction[0], 0.6f);
  EXPECT_FLOAT_EQ(m.k->velocity[0], 400.0f * 0.6f * 0.025f);
  EXPECT_FLOAT_EQ(m.k->velocity[1], 400.0f * 0.8f * 0.025f);
  EXPECT_FLOAT_EQ(m.t().position[0], m.k->velocity[0] * 0.025f);
  EXPECT_FLOAT_EQ(m.t().position[1], m.k->velocity[1] * 0.025f);
  EXPECT_EQ((std::vector<float>{m.t().position[2], m.t().rotation, m.t().scale[0]}),
            (std::vector<float>{1.5f, 33, 10}));
  EXPECT_EQ(m.k->GetLastPosition()[0], 0.0f) << "last position is the start of the frame";
}

TEST(KinematicsTest, SpeedIsClampedToTheLimitAndAZeroNegativeOrNaNLimitOrZeroAccelerationStops) {
  Mover m;
  m.k->maxSpeed = 50.0f;
  m.k->SetVelocity(300.0f, 400.0f);
  m.k->Update(0.0f);
  EXPECT_FLOAT_EQ(m.k->velocity[0], 30.0f) << "clamped even when dt is 0";
  EXPECT_FLOAT_EQ(m.k->velocity[1], 40.0f);
  EXPECT_EQ(m.t().position[0], 0.0f) << "nothing moves with dt 0";
  m.k->maxSpeed = 0.0f;
  m.k->Update(0.025f);
  EXPECT_EQ(m.k->velocity[0], 0.0f);
  EXPECT_EQ(m.k->velocity[1], 0.0f);
  // Under the limit, a zero acceleration never speeds anything up.
  m.k->maxSpeed = 100.0f;
  m.k->SetDirection(1.0f, 0.0f);
  for (int i = 0; i < 10; ++i) m.k->Update(0.025f);
  EXPECT_EQ(m.k->velocity[0], 0.0f);

  // A speed limit below zero (a typing slip in an attribute file, or not a number at all) is no
  // limit that turns objects round: it holds them still, as a limit of 0 does.
  for (float limit : {-50.0f, std::numeric_limits<float>::quiet_NaN()}) {
    SCOPED_TRACE(limit);
    Mover held;
    held.k->maxSpeed = limit;
    held.k->acceleration = 1000.0f;
    held.k->SetDirection(1.0f, 0.0f);
    held.k->SetVelocity(10.0f, 0.0f);
    float previousX = 0.0f;
    for (int frame = 0; frame < 6; ++frame) {
      held.k->Update(0.025f);
      EXPECT_EQ(held.k->velocity[0], 0.0f) << "frame " << frame;
      EXPECT_EQ(held.k->velocity[1], 0.0f) << "frame " << frame;
      EXPECT_EQ(held.t().position[0], previousX) << "frame " << frame;
      previousX = held.t().position[0];
    }
  }
}

TEST(KinematicsTest, EditorHaltFreezesMovement) {
  Mover m;
  m.k->maxSpeed = 100.0f;
  m.k->SetVelocity(50.0f, 0.0f);
  GetEditorLink().enabled = true;
  GetEditorLink().stopped = true;
  m.k->Update(0.025f);
  GetEditorLink() = EditorLink{};
  EXPECT_EQ(m.t().position[0], 0.0f);
  EXPECT_EQ(m.k->velocity[0], 50.0f);
}

// A circle built touching a box listed before it is tested in the box's pass, before its own
// Kinematics has run once: the stop response must send it back to where it was placed.
TEST(KinematicsTest, ObjectsStartFromWhereTheyAreBuilt) {
  ClearObjects();
  ObjectCounter() = -1;
  ResetCollisionBehaviorHooks();
  GameObject* wall = CreateWall(0.0f, 0.0f);
  GameObject* player = CreatePlayer(0.0f, 65.0f);  // 15 units above the top edge, radius 20
  ASSERT_NE(wall, nullptr);
  ASSERT_NE(player, nullptr);
  const float* last = player->GetComponentAs<Kinematics>(SlotOf(ComponentType::Kinematics))->GetLastPosition();
  EXPECT_EQ(std::pair(last[0], last[1]), std::pair(0.0f, 65.0f));
  UpdateObjects(0.02f);
  EXPECT_EQ(std::pair(player->GetTransform()->position[0], player->GetTransform()->position[1]), std::pair(0.0f, 65.0f));
  ClearObjects();
}

TEST(KinematicsTest, StartAtOwnerTakesTheOwnersPlaceWithDepth) {
  Mover m;
  m.t().position[0] = 12.0f;
  m.t().position[1] = -7.0f;
  m.t().position[2] = 3.0f;
  m.k->StartAtOwner();
  EXPECT_EQ((std::vector<float>{m.k->lastPosition[0], m.k->lastPosition[1], m.k->lastPosition[2]}),
            (std::vector<float>{12, -7, 3}));
  Kinematics loose;
  loose.StartAtOwner();  // no owner: nothing to copy, nothing breaks
  EXPECT_EQ(loose.lastPosition[1], 0.0f);
}
