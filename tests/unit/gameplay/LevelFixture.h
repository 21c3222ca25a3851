// A small level run through the real scene manager and archetype factory, with the level rules'
// hooks installed, real button handlers, and a stand-in for the button labels that records each UI
// object's label by object name.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/EditorLink.h"
#include "core/Input.h"
#include "gameplay/Behavior.h"
#include "gameplay/LevelRules.h"
#include "gameplay/PlayerState.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Factory.h"
#include "scenes/Level.h"
#include "scenes/PathGrid.h"
#include "scenes/SceneManager.h"
#include "support/SceneWorld.h"
#include "ui/ButtonActions.h"
#include "widgets/UIHandler.h"

namespace level_fixture {

constexpr float kDt = 0.025f;

struct ButtonLabel {
  std::string text;
  float size = 0.0f;
  uint32_t alignment = 0;
};

// What the stand-in button module was told, by object name, in the order objects were labelled.
struct ButtonJournal {
  std::map<std::string, ButtonLabel> labels;
  std::vector<std::string> inert;
  std::vector<std::string> order;
};

inline ButtonJournal& Journal() {
  static ButtonJournal journal;
  return journal;
}

using testing_support::KinematicsOf;
using testing_support::Record;

inline Collision* ShapeOf(GameObject* o) { return o->GetComponentAs<Collision>(SlotOf(ComponentType::Collision)); }

class LevelTest : public testing_support::SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    Journal() = ButtonJournal{};
    InstallLevelRulesHooks();
    FactoryHooks& factory = GetFactoryHooks();
    factory.setButtonLabel = [](GameObject* o, const std::string& text, float size, uint32_t alignment) {
      if (Journal().labels.count(o->name) == 0) Journal().order.push_back(o->name);
      Journal().labels[o->name] = {text, size, alignment};
    };
    factory.attachUIHandler = [](GameObject* o) { o->AddComponent(new UIHandler()); };
    factory.setButtonAction = [](GameObject* o, const std::string& action) { BindButtonAction(o, action); };
    factory.makeButtonInert = [](GameObject* o) { Journal().inert.push_back(o->name); };
    factory.attachHumanBehavior = [](GameObject* o) { o->AddComponent(new testing_support::IdleBehavior()); };
  }
  // A scene of its own with the given id and records, started at once.
  Level* StartTestLevel(int id, std::vector<ObjectRecord> records, uint32_t foodGoal = 3) {
    // The manager starts a scene only when the request differs from the running one, so the list
    // opens with the empty scene, as the game's does.
    if (SceneList().empty()) AddTestScene(scene_id::kEmpty, "Assets/Levels/empty.json");
    Level* added = testing_support::AddTestScene(id, "Assets/Levels/rules_test.json", std::move(records));
    added->foodGoal = foodGoal;
    RequestScene(added);
    EXPECT_TRUE(UpdateScenes(kDt));
    return added;
  }
  // Adds a scene to the list without starting it.
  Level* AddTestScene(int id, const std::string& path) {
    if (SceneList().empty() && id != scene_id::kEmpty) AddTestScene(scene_id::kEmpty, "Assets/Levels/empty.json");
    return testing_support::AddTestScene(id, path);
  }

  // One frame as the graphics frame runs it: the object pass, then the scene manager.
  void Frame(float dt = kDt) {
    UpdateObjects(dt);
    ASSERT_TRUE(UpdateScenes(dt));
  }

  // Presses the named button as a click would.
  static void Press(const std::string& name) {
    UIHandler* handler = HandlerOf(FindObject(name));
    ASSERT_NE(handler, nullptr) << name;
    ASSERT_TRUE(handler->onClick) << name << " has no action";
    handler->onClick(handler);
  }

  static std::string LabelOf(GameObject* o) {
    if (o == nullptr) return "<no object>";
    auto it = Journal().labels.find(o->name);
    return it == Journal().labels.end() ? "<no label>" : it->second.text;
  }
};

}  // namespace level_fixture
