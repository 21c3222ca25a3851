#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Input.h"
#include "gameplay/BehaviorStates.h"
#include "gameplay/GameplayHooks.h"
#include "gameplay/PlayerBehavior.h"
#include "gameplay/PlayerState.h"
#include "graphics/Camera.h"
#include "objects/Collision.h"
#include "objects/Factory.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "support/SceneWorld.h"

namespace ps = player_state;
using testing_support::AddTestScene;
using testing_support::Record;

namespace {

constexpr float kDt = 0.025f;

// A level of its own among the scenes its exits lead to, run frame by frame as the graphics frame
// does: the object pass, then the scene manager.
class PlayerSceneTest : public testing_support::SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    InstallPlayerHooks();
  }
  Level* StartLevel(std::vector<ObjectRecord> records) {
    for (int other : {scene_id::kEmpty, scene_id::kEndScene}) {
      AddTestScene(other, "Assets/Levels/other" + std::to_string(other) + ".json");
    }
    Level* level = AddTestScene(scene_id::kLevel2, "Assets/Levels/test.json", std::move(records));
    RequestScene(level);
    Frame();
    return level;
  }
  void Frame() {
    UpdateObjects(kDt);
    ASSERT_TRUE(UpdateScenes(kDt));
    CopyPreviousInput();
  }
  static PlayerBehavior* Player() { return PlayerBehaviorOf(ScenePlayer()); }
};

}  // namespace

// The escape zone starts the timed exit; the player runs out, is re-initialised in the last half
// second and stays in Init until the end scene is requested.
TEST_F(PlayerSceneTest, TheEscapeRunOutEndsInInitBeforeTheEndScene) {
  Level* level = StartLevel({Record(ObjectType::Player, "Player_1", 0, 0, 43, 116),
                             Record(ObjectType::EscapeZone, "Escapezone_2", -100, 0, 50, 50)});
  PlayerShared().escapeDirection = 2;  // left
  Input().pads[0].leftStick[0] = -1.0f;
  for (int n = 0; n < 100 && Player()->currentState != ps::kEscape; ++n) Frame();
  ASSERT_EQ(Player()->currentState, ps::kEscape);
  Input().pads[0].leftStick[0] = 0.0f;
  level->exitStarted = true;  // what the zone's own rule does on the same contact
  std::vector<int> states;
  const int endScene = FindSceneById(scene_id::kEndScene)->sceneIndex;
  for (int n = 0; n < 400 && SceneState().requestedScene != endScene; ++n) {
    Frame();
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
