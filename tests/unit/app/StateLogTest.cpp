// The state log's hash and the object dump over the same smallest scene: one object with
// kinematics and a behaviour, in a one-scene list.
#include "app/StateLog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "app/ObjectDump.h"
#include "core/FrameClock.h"
#include "gameplay/Behavior.h"
#include "graphics/Camera.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "support/SceneWorld.h"
#include "support/ScriptedGame.h"

namespace {

class StateLogTest : public testing_support::SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    scene_ = AddScene(std::make_unique<Level>(), 6);
    object_ = new GameObject("Player_1", 10.0f, 20.0f, 0.0f, 43.0f, 116.0f, ObjectType::Player);
    kinematics_ = new Kinematics();
    behavior_ = new testing_support::IdleBehavior();
    object_->AddComponent(behavior_);
    object_->AddComponent(kinematics_);
    AddObject(object_);
    SetPaused(false);
  }
  void TearDown() override {
    SceneTest::TearDown();
    SetPaused(false);
  }

  Level* scene_ = nullptr;
  GameObject* object_ = nullptr;
  Kinematics* kinematics_ = nullptr;
  testing_support::IdleBehavior* behavior_ = nullptr;
};

TEST_F(StateLogTest, EveryHashedFieldChangesTheHashAndNothingElseDoesNorCanNeighbouringNamesRunTogether) {
  const uint64_t start = GameStateHash();
  EXPECT_EQ(GameStateHash(), start);
  Transform& t = *object_->GetTransform();
  const std::vector<std::pair<const char*, std::function<void()>>> changes = {
      {"name", [&] { object_->name = "Player_2"; }},
      {"type", [&] { object_->type = ObjectType::Food; }},
      {"x", [&] { t.position[0] += 0.001f; }},
      {"y", [&] { t.position[1] = -t.position[1]; }},
      {"rotation", [&] { t.rotation = 90.0f; }},
      {"velocity", [&] { kinematics_->velocity[1] = 1.0f; }},
      {"visible", [&] { object_->visible = false; }},
      {"previous state", [&] { behavior_->previousState = 3; }},
      {"current state", [&] { behavior_->currentState = 2; }},
      {"next state", [&] { behavior_->nextState = 4; }},
      {"scene time", [&] { scene_->time = 0.025f; }},
      {"food count", [&] { scene_->foodCount = 3; }},
      {"food collected", [&] { scene_->foodCollected = 1; }},
      {"goal reached", [&] { scene_->goalReached = true; }},
      {"game over", [&] { scene_->gameOver = true; }},
      {"exit started", [&] { scene_->exitStarted = true; }},
      {"camera", [&] { MainCamera().position[0] = 5.0f; }},
      {"paused", [&] { SetPaused(true); }},
      {"another object", [&] { AddObject(new GameObject("Wall_2", 0, 0, 0, 1, 1, ObjectType::Wall)); }},
  };
  uint64_t previous = start;
  for (const auto& [what, change] : changes) {
    change();
    const uint64_t now = GameStateHash();
    EXPECT_NE(now, previous) << what << " is not in the hash";
    previous = now;
  }
  // Fields that are not game state leave it alone.
  t.scale[0] = 99.0f;
  kinematics_->maxSpeed = 1234.0f;
  EXPECT_EQ(GameStateHash(), previous);

  // Neighbouring names cannot run together. The names are built in place: assigning short literals
  // here makes GCC 12 report a false -Wrestrict.
  GameObject* last = Objects().back();
  object_->name = std::string("ab");
  last->name = std::string(1, 'c');
  const uint64_t split = GameStateHash();
  object_->name.pop_back();  // "a"
  last->name.insert(last->name.begin(), 'b');  // "bc"
  EXPECT_NE(GameStateHash(), split);
}

TEST_F(StateLogTest, TheLineIsFrameSceneIndexAndSixteenHexDigits) {
  const std::string line = StateLogLine(42);
  std::vector<testing_support::StateLine> lines;
  std::string error;
  ASSERT_TRUE(testing_support::ParseStateLog(line, &lines, &error)) << error;
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].frame, 42);
  EXPECT_EQ(lines[0].sceneIndex, SceneState().currentScene);
  EXPECT_EQ(std::stoull(lines[0].hash, nullptr, 16), GameStateHash());
}

TEST_F(StateLogTest, TheDumpIsValidJsonWhateverTheNamesHold) {
  object_->name = "quote\" back\\slash\ttab\x01\xC3\xA9";
  behavior_->currentState = 7;
  kinematics_->velocity[0] = -2.5f;
  scene_->foodCount = 4;
  scene_->exitStarted = true;
  AddObject(new GameObject("Wall_2", 1.0f, 2.0f, 0.0f, 1.0f, 1.0f, ObjectType::Wall));
  Objects().back()->GetTransform()->position[0] = std::numeric_limits<float>::quiet_NaN();

  testing_support::ObjectDump dump;
  std::string error;
  ASSERT_TRUE(testing_support::ParseObjectDump(ObjectDumpJson(9), &dump, &error)) << error << "\n" << ObjectDumpJson(9);
  EXPECT_EQ(dump.frame, 9);
  ASSERT_TRUE(dump.hasScene);
  EXPECT_EQ(std::pair(dump.scene.id, dump.scene.foodCount), std::pair(6, 4));
  EXPECT_TRUE(dump.scene.exitStarted);
  ASSERT_EQ(dump.objects.size(), 2u);
  const testing_support::DumpedObject& player = dump.objects[0];
  EXPECT_EQ(player.name, object_->name);
  EXPECT_EQ(player.type, "Player");
  EXPECT_EQ(std::pair(player.x, player.vx), std::pair(10.0f, -2.5f));
  EXPECT_EQ(player.state, 7);
  EXPECT_EQ(dump.objects[1].type, "Wall");
  EXPECT_FALSE(dump.objects[1].state.has_value());
  EXPECT_TRUE(std::isnan(dump.objects[1].x));  // written as null: JSON has no NaN
}

}  // namespace
