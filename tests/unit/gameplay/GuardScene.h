// A level scene for the guard tests: built from object records through the real archetype factory
// and started by the scene manager (so patrol paths are linked and the path grid is built), with
// the guards' hooks installed and a stand-in player behaviour that only records requests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Input.h"
#include "gameplay/AStar.h"
#include "gameplay/Behavior.h"
#include "gameplay/BehaviorStates.h"
#include "gameplay/GameplayHooks.h"
#include "gameplay/HumanBehavior.h"
#include "graphics/Texture.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Factory.h"
#include "scenes/HumanTuning.h"
#include "scenes/Level.h"
#include "scenes/PathGrid.h"
#include "scenes/PathNode.h"
#include "scenes/SceneManager.h"
#include "support/SceneWorld.h"

namespace guard_test {

using testing_support::KinematicsOf;
using testing_support::Record;

inline ObjectRecord Guard(const std::string& id, float x, float y, float rotation = 0.0f, const std::string& firstNode = "") {
  return Record(ObjectType::Enemy, id, x, y, 60, 30, rotation, firstNode);
}
inline ObjectRecord Player(float x, float y) { return Record(ObjectType::Player, "Player_1", x, y, 43, 116); }
inline ObjectRecord Node(const std::string& id, float x, float y, const std::string& next = "") {
  return Record(ObjectType::Node, id, x, y, 20, 20, 0.0f, next);
}
inline ObjectRecord Wall(const std::string& id, float x, float y, float w, float h) {
  return Record(ObjectType::Wall, id, x, y, w, h);
}
inline ObjectRecord Glass(const std::string& id, float x, float y, float w, float h) {
  return Record(ObjectType::Glass, id, x, y, w, h);
}

class GuardScene : public testing_support::SceneTest {
 protected:
  static constexpr float kDt = 0.01f;

  void SetUp() override {
    SceneTest::SetUp();
    SetPathMessageSink([](const char*) {});
    InstallHumanHooks();
    // The player's behaviour as far as the guards can tell: it takes requests and does nothing else.
    GetFactoryHooks().attachPlayerBehavior = [](GameObject* o) { o->AddComponent(new testing_support::IdleBehavior()); };
  }

  // Starts a level scene holding these objects (patrol paths linked, grid built); returns the first
  // guard's behaviour, or null.
  HumanBehavior* Start(std::vector<ObjectRecord> records) {
    // The running scene is index 0: the level goes after an empty scene so that it is a change.
    testing_support::AddTestScene(scene_id::kEmpty, "Assets/Levels/empty.json");
    Level* level = testing_support::AddTestScene(scene_id::kLevel2, "Assets/Levels/guards.json", std::move(records));
    RequestScene(level);
    EXPECT_TRUE(UpdateScenes(kDt));
    for (const ObjectRecord& r : level->objects) {
      if (r.type == static_cast<int32_t>(ObjectType::Enemy)) return GuardNamed(r.id);
    }
    return nullptr;
  }

  // Object passes only: the scene manager's own update (fades, game over) stays out of the way.
  void Frames(int n) {
    for (int i = 0; i < n; ++i) {
      UpdateObjects(kDt);
      CopyPreviousInput();
    }
  }
  // Runs frames until the guard's state is `state`; the seconds it took, or -1 after `limit` s.
  float SecondsUntil(HumanBehavior* guard, int32_t state, float limit) {
    for (int n = 1; n * kDt <= limit; ++n) {
      Frames(1);
      if (guard->currentState == state) return n * kDt;
    }
    return -1.0f;
  }

  static GameObject* Object(const std::string& name) { return FindObject(name); }
  static HumanBehavior* GuardNamed(const std::string& name) { return HumanOf(FindObject(name)); }
  static GameObject* ThePlayer() { return FindObject("Player_1"); }
  static float X(GameObject* o) { return o->GetTransform()->position[0]; }
  static float Y(GameObject* o) { return o->GetTransform()->position[1]; }
  // Gets a guard going through its Init (and Patrol/Idle choice).
  void Settle() { Frames(3); }
};

}  // namespace guard_test
