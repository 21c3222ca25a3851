#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/Application.h"
#include "audio/AudioSystem.h"
#include "core/FrameClock.h"
#include "core/Input.h"
#include "core/KeyCodes.h"
#include "gameplay/BehaviorStates.h"
#include "gameplay/GameplayHooks.h"
#include "gameplay/PlayerBehavior.h"
#include "gameplay/PlayerState.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Factory.h"
#include "scenes/Level.h"
#include "scenes/PlayerTuning.h"
#include "scenes/SceneManager.h"
#include "support/SceneWorld.h"
#include "unit/audio/AudioTestHelpers.h"

namespace ps = player_state;

namespace {

constexpr float kDt = 0.02f;

Kinematics* MotionOf(GameObject* o) { return o->GetComponentAs<Kinematics>(SlotOf(ComponentType::Kinematics)); }
float X(GameObject* o) { return o->GetTransform()->position[0]; }
float Y(GameObject* o) { return o->GetTransform()->position[1]; }

// Real archetypes in a real object list, driven by writing the input tables between frames the way
// the main loop does (pad flags from the previous record, then the previous-key copy).
class PlayerTest : public testing_support::SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    ObjectCounter() = -1;
    ResetPlayerTuning();
    SetPaused(false);
    SceneState().requestedScene = 0;
    InstallPlayerHooks();
  }
  void TearDown() override {
    SceneTest::TearDown();
    SetPaused(false);
  }

  void Frame(int count = 1) {
    for (int i = 0; i < count; ++i) {
      PadState& pad = Input().pads[0];
      UpdateObjects(IsPaused() ? 0.0f : kDt);
      CopyPreviousInput();
      for (int b = 0; b < PadButtonCount; ++b) pad.flags[b] = (pad.state.buttons & kPadButtonMasks[b]) != 0;
    }
  }
  // A player past its Init, walking.
  GameObject* StartPlayer(float x = 0.0f, float y = 0.0f) {
    player = CreatePlayer(x, y);
    Frame(2);
    return player;
  }
  PlayerBehavior& Brain() { return *PlayerBehaviorOf(player); }
  void Click(bool right, bool down) { (right ? Input().mouse.right : Input().mouse.left) = down; }
  // One frame with a mouse button going down, then up again in the next frame's input.
  void PressRight() {
    Click(true, true);
    Frame();
    Click(true, false);
  }
  // Walks up to carrying `food`, which the player stands on.
  void PickUp() {
    Frame();  // a contact with the food is needed in a walking frame
    PressRight();
    Frame();
    ASSERT_EQ(Brain().currentState, ps::kCarry);
  }
  // A walking player standing on food it has picked up; the food.
  GameObject* StartCarrying(float foodX = 0.0f) {
    StartPlayer();
    GameObject* food = CreateFood(foodX, 0.0f);
    PickUp();
    return food;
  }
  // The food was let go through the drop state, and the player walks on.
  void ExpectLetGo() {
    EXPECT_EQ(Brain().currentState, ps::kWalk);
    EXPECT_EQ(Brain().previousState, ps::kDrop);
    EXPECT_EQ(Brain().heldFood, nullptr);
  }
  // Mouse wind-up at a world point, then release: the throw.
  void MouseThrowAt(float worldX, float worldY) {
    Input().mouse.worldX = worldX;
    Input().mouse.worldY = worldY;
    Click(false, true);
    Frame(2);
    ASSERT_EQ(Brain().currentState, ps::kWindUp);
    Click(false, false);
    Frame(2);  // the release asks for the throw, which starts in the next frame
  }

  GameObject* player = nullptr;
};

}  // namespace

// ---- the pause -------------------------------------------------------------

// Pausing from outside (the window lost the focus) sets the toggle and the paused flag; then each
// pause input flips it on its release, Escape first. The paused level standing still in the built
// game, and Escape pausing it, are ControlsScriptTest's.
TEST_F(PlayerTest, PausingFromOutsideSetsThePauseAndEscapePAndThePadsStartFlipItOnRelease) {
  StartPlayer();
  GetApplicationHooks().pauseLevel();
  EXPECT_TRUE(PlayerShared().pauseToggle);
  EXPECT_TRUE(IsPaused());
  const std::pair<void (*)(bool), bool> inputs[] = {
      {[](bool down) { Input().keys[vk::Escape] = down; }, false},
      {[](bool down) { Input().keys[vk::Letter('P')] = down; }, true},
      {[](bool down) { Input().pads[0].state.buttons = down ? kPadButtonMasks[PadStart] : 0; }, false}};
  for (const auto& [press, pausedAfter] : inputs) {
    press(true);
    Frame(2);
    EXPECT_NE(PlayerShared().pauseToggle, pausedAfter) << "holding does nothing";
    press(false);
    Frame();
    EXPECT_EQ(PlayerShared().pauseToggle, pausedAfter);
    EXPECT_EQ(IsPaused(), pausedAfter);
  }
}

// ---- food: pick-up, carry, throw, drop ------------------------------------------------------------

TEST_F(PlayerTest, TheFoodTouchedLastIsTheOnePickedUp) {
  StartPlayer();
  // Placed as the editor places them, so they get names of their own.
  GameObject* first = CreateObject(static_cast<int>(ObjectType::Food), 10.0f, 0.0f);
  GameObject* last = CreateObject(static_cast<int>(ObjectType::Food), -10.0f, 0.0f);
  ASSERT_NE(first->name, last->name);
  PickUp();
  EXPECT_EQ(Brain().heldFood, last);
}

TEST_F(PlayerTest, CarriedFoodFollowsThePlayerAndIsLetGoWhenItVanishes) {
  GameObject* food = StartCarrying(5.0f);
  Input().pads[0].leftStick[1] = 1.0f;
  Frame(10);
  EXPECT_GT(Y(player), 0.0f);
  // Put where the player stood when its behaviour ran, before its own movement of the frame.
  const float* playerAtUpdate = MotionOf(player)->GetLastPosition();
  EXPECT_EQ(X(food), playerAtUpdate[0]);
  EXPECT_EQ(Y(food), playerAtUpdate[1]);
  EXPECT_EQ(MotionOf(player)->maxSpeed, 200.0f) << "carrying limit";

  // Removed from the list in the frame it was marked: the player must not hold on to it.
  food->destroy = true;
  Frame(3);
  ExpectLetGo();
}

TEST_F(PlayerTest, ThrownFoodFliesAlongTheFacingAtItsOwnSpeedLimit) {
  struct Aim {
    float worldX, worldY, expectX, expectY;
  };
  for (const Aim& aim : {Aim{100.0f, 0.0f, 1.0f, 0.0f}, Aim{-100.0f, 100.0f, -0.70710677f, 0.70710677f}}) {
    SCOPED_TRACE(aim.worldX);
    ClearObjects();
    // Listed before the player, so its own update has run when the throw sets its velocity.
    GameObject* food = CreateFood(0.0f, 0.0f);
    MotionOf(food)->maxSpeed = 600.0f;
    StartPlayer();
    PickUp();
    MouseThrowAt(aim.worldX, aim.worldY);
    ASSERT_EQ(Brain().currentState, ps::kThrow);
    Frame();  // leaving the throw launches the food
    const float* v = MotionOf(food)->GetVelocity();
    EXPECT_NEAR(v[0], 600.0f * aim.expectX, 0.01f);
    EXPECT_NEAR(v[1], 600.0f * aim.expectY, 0.01f);
    EXPECT_EQ(Brain().currentState, ps::kDrop);
    Frame();
    EXPECT_EQ(Brain().currentState, ps::kWalk);
    EXPECT_EQ(Brain().heldFood, nullptr);
    Frame(10);
    EXPECT_NE(X(food), X(player)) << "thrown food is no longer carried";
  }
}

TEST_F(PlayerTest, AfterAThrowTheSpeedLimitGrowsBackThenSnapsAfterTwoSeconds) {
  StartCarrying();
  MouseThrowAt(0.0f, 100.0f);
  Frame(2);  // drop, walk
  ASSERT_EQ(Brain().currentState, ps::kWalk);
  std::vector<float> limits;
  int framesBeforeFree = 0;
  while (MotionOf(player)->maxSpeed != 450.0f && framesBeforeFree < 200) {
    limits.push_back(MotionOf(player)->maxSpeed);
    Frame();
    ++framesBeforeFree;
  }
  ASSERT_GE(limits.size(), 5u);
  EXPECT_FLOAT_EQ(limits[0], 200.0f);
  EXPECT_FLOAT_EQ(limits[1], 260.0f);
  EXPECT_FLOAT_EQ(limits[2], 338.0f);
  EXPECT_FLOAT_EQ(limits[3], 439.4f);
  EXPECT_FLOAT_EQ(limits.back(), 439.4f) << "never past the free limit";
  EXPECT_NEAR(framesBeforeFree * kDt, 2.0f, 2 * kDt);
  EXPECT_FALSE(PlayerShared().windUpStarted);
  EXPECT_FALSE(PlayerShared().slowdownRunning);
}

TEST_F(PlayerTest, PadWindUpHalvesTheLimitAndThrowsWhenTheTriggerIsLetGo) {
  StartCarrying();
  Input().pads[0].rightTrigger = 1.0f;
  Input().pads[0].rightStick[0] = -1.0f;
  Frame(2);
  ASSERT_EQ(Brain().currentState, ps::kPadWindUp);
  EXPECT_EQ(MotionOf(player)->maxSpeed, 100.0f);
  EXPECT_NEAR(player->GetTransform()->rotation, 90.0f, 0.001f) << "faces the aim stick";
  Input().pads[0].rightTrigger = 0.0f;
  Frame(2);
  EXPECT_EQ(Brain().currentState, ps::kThrow);
}

TEST_F(PlayerTest, DropInputPutsTheFoodDownWhereThePlayerStands) {
  GameObject* food = StartCarrying();
  PressRight();
  Frame(2);
  ExpectLetGo();
  Input().pads[0].leftStick[0] = 1.0f;
  Frame(10);
  EXPECT_EQ(X(food), 0.0f);
}

// ---- vents ---------------------------------------------------------------------------------------

TEST_F(PlayerTest, EnteringAVentWhileCarryingLeavesTheFoodBehind) {
  GameObject* food = StartCarrying();
  CreateVent(0.0f, 0.0f);  // after the player in the list, around it
  Frame(2);
  ASSERT_EQ(Brain().currentState, ps::kVent);
  EXPECT_EQ(Brain().heldFood, nullptr);
  const float foodX = X(food);
  Input().pads[0].leftStick[0] = 1.0f;
  Frame(15);
  EXPECT_EQ(X(food), foodX);
  EXPECT_GT(X(player), 25.0f);
}

// ---- contacts -------------------------------------------------------------------------------------

TEST_F(PlayerTest, TheEscapeZoneSendsThePlayerOutToTheZonesSide) {
  StartPlayer();
  PlayerShared().escapeDirection = 3;  // right, as the zone sets it
  CreateEscapeZone(0.0f, 40.0f);
  Frame(3);
  ASSERT_EQ(Brain().currentState, ps::kEscape);
  EXPECT_EQ(MotionOf(player)->direction[0], 1.0f);
  EXPECT_EQ(MotionOf(player)->direction[1], 0.0f);
  EXPECT_EQ(player->GetTransform()->rotation, 270.0f);
  EXPECT_GT(X(player), 0.0f);
}

TEST_F(PlayerTest, CollectedFoodIsLetGoThroughTheDropState) {
  GameObject* food = StartCarrying();
  // The food rule flags food that reached the collection zone.
  food->GetComponentAs<Collision>(SlotOf(ComponentType::Collision))->collected = true;
  Frame(3);
  ExpectLetGo();
}

TEST_F(PlayerTest, RowsThatAskThePlayersBehaviourDoNothingWithoutOne) {
  GameObject* wall = CreateWall(0.0f, 0.0f);
  GameObject* player = CreatePlayer(0.0f, 60.0f);
  (void)wall;
  player->RemoveComponent(SlotOf(ComponentType::Behavior));
  MotionOf(player)->maxSpeed = 450.0f;
  MotionOf(player)->SetVelocity(0.0f, -400.0f);
  Frame();
  EXPECT_FLOAT_EQ(Y(player), 60.0f - 400.0f * kDt) << "not stopped by the wall";
  EXPECT_EQ(MotionOf(player)->GetVelocity()[1], -400.0f);
}

// ---- sounds ---------------------------------------------------------------------------------------

class PlayerSoundTest : public PlayerTest {
 protected:
  void SetUp() override {
    audio_test::StartOnSilentOutput();
    PlayerTest::SetUp();
  }
  void TearDown() override {
    PlayerTest::TearDown();
    ShutdownAudio();
  }
  static size_t Played(const char* name) { return audio_test::InstancesOf(name).size(); }
};

TEST_F(PlayerSoundTest, AThrowPlaysWindupThenThrowButNoDrop) {
  StartCarrying();
  Input().mouse.worldY = 100.0f;
  Click(false, true);
  Frame(2);
  EXPECT_EQ(Played("windup"), 1u);
  EXPECT_EQ(Played("throw"), 0u);
  Click(false, false);
  Frame(2);
  EXPECT_EQ(Played("throw"), 1u);
  Frame(3);
  EXPECT_EQ(Brain().currentState, ps::kWalk);
  EXPECT_EQ(Played("dropfood"), 0u);
  EXPECT_EQ(Played("windup"), 1u);

  // A plain drop does play it.
  CreateFood(X(player), Y(player));
  PickUp();
  PressRight();
  Frame();
  EXPECT_EQ(Played("dropfood"), 1u);
}

// ---- the escape run-out, with the scene manager ---------------------------------------------------

namespace {

// A level of its own among the scenes its exits lead to, run frame by frame as the graphics frame
// does: the object pass, then the scene manager.
class PlayerSceneTest : public PlayerTest {
 protected:
  static constexpr float kSceneDt = 0.025f;
  Level* StartLevel(std::vector<ObjectRecord> records) {
    for (int other : {scene_id::kEmpty, scene_id::kEndScene}) {
      testing_support::AddTestScene(other, "Assets/Levels/other" + std::to_string(other) + ".json");
    }
    Level* level = testing_support::AddTestScene(scene_id::kLevel2, "Assets/Levels/test.json", std::move(records));
    RequestScene(level);
    SceneFrame();
    return level;
  }
  void SceneFrame() {
    UpdateObjects(kSceneDt);
    ASSERT_TRUE(UpdateScenes(kSceneDt));
    CopyPreviousInput();
  }
  static PlayerBehavior* Player() { return PlayerBehaviorOf(ScenePlayer()); }
};

}  // namespace

// The escape zone starts the timed exit; the player runs out, is re-initialised in the last half
// second and stays in Init until the end scene is requested.
TEST_F(PlayerSceneTest, TheEscapeRunOutEndsInInitBeforeTheEndScene) {
  Level* level = StartLevel({testing_support::Record(ObjectType::Player, "Player_1", 0, 0, 43, 116),
                             testing_support::Record(ObjectType::EscapeZone, "Escapezone_2", -100, 0, 50, 50)});
  PlayerShared().escapeDirection = 2;  // left
  Input().pads[0].leftStick[0] = -1.0f;
  for (int n = 0; n < 100 && Player()->currentState != ps::kEscape; ++n) SceneFrame();
  ASSERT_EQ(Player()->currentState, ps::kEscape);
  Input().pads[0].leftStick[0] = 0.0f;
  level->exitStarted = true;  // what the zone's own rule does on the same contact
  std::vector<int> states;
  const int endScene = FindSceneById(scene_id::kEndScene)->sceneIndex;
  for (int n = 0; n < 400 && SceneState().requestedScene != endScene; ++n) {
    SceneFrame();
    if (Player() != nullptr) states.push_back(Player()->currentState);
  }
  ASSERT_EQ(SceneState().requestedScene, endScene);
  EXPECT_LT(ScenePlayer()->GetTransform()->position[0], -300.0f) << "ran out to the left";
  EXPECT_EQ(ScenePlayer()->GetTransform()->rotation, 90.0f);
  EXPECT_EQ(states.front(), ps::kEscape);
  EXPECT_EQ(states.back(), ps::kInit);
  // Init is entered once and held: no walking frames in between.
  size_t firstInit = 0;
  while (firstInit + 1 < states.size() && states[firstInit] != ps::kInit) ++firstInit;
  for (size_t i = firstInit; i < states.size(); ++i) EXPECT_EQ(states[i], ps::kInit) << i;
}
