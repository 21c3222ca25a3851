// A small world for the button and menu tests: the UI hooks installed, an empty object list, a
// scene list of our own (the main menu, the first level, the credits and the level select), and
// frames run the way the graphics frame runs them. Input is written straight into the tables.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "core/EditorLink.h"
#include "core/FrameClock.h"
#include "core/Input.h"
#include "core/KeyCodes.h"
#include "gameplay/PlayerState.h"
#include "graphics/Camera.h"
#include "graphics/Model.h"
#include "graphics/Text.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "support/SceneWorld.h"
#include "support/TestSupport.h"
#include "ui/Settings.h"
#include "ui/UiHooks.h"
#include "widgets/Navigation.h"
#include "widgets/UIHandler.h"

namespace ui_test {

inline constexpr float kDt = 0.025f;

class UiTest : public testing_support::SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    SetPaused(false);
    InstallUiHooks();
    ForgetSceneUi();
    CurrentSettings() = UserSettings{};
    SetSettingsPath(settingsDir_.File("Settings.lullwick"));
  }

  void TearDown() override {
    SceneTest::TearDown();
    ForgetSceneUi();
    SetPaused(false);
    SetSettingsPath("");
  }

  // One frame: the object pass, the scene manager, then the copy of this pass's input.
  void Frame() {
    UpdateObjects(IsPaused() ? 0.0f : kDt);
    UpdateScenes(IsPaused() ? 0.0f : kDt);
    CopyPreviousInput();
  }

  // A key pressed for one frame and released in the next.
  void Tap(int key) {
    SetKey(key, true);
    Frame();
    SetKey(key, false);
    Frame();
  }

  // A left click at a world point (down for one frame, then up).
  void ClickAt(float x, float y) {
    Input().mouse.worldX = x;
    Input().mouse.worldY = y;
    Input().mouse.left = true;
    Frame();
    Input().mouse.left = false;
    Frame();
  }
  void Click(GameObject* button) {
    ASSERT_NE(button, nullptr);
    ClickAt(button->GetTransform()->position[0], button->GetTransform()->position[1]);
  }

  // The scene list of the menus: every scene a menu leads to. Starts `startId` at the next frame.
  void BuildMenuScenes(int startId) {
    const std::pair<int, const char*> scenes[] = {
        {scene_id::kEmpty, "Assets/Levels/empty.json"},
        {scene_id::kMainMenu, "Assets/Levels/main_menu.json"},
        {scene_id::kLevel1, "Assets/Levels/level1.json"},
        {scene_id::kLevel2, "Assets/Levels/level2.json"},
        {scene_id::kLevel3, "Assets/Levels/level3.json"},
        {scene_id::kCredits, "Assets/Levels/Credits.json"},
        {scene_id::kLevelSelect, "Assets/Levels/Credits.json"},
    };
    for (const auto& [id, path] : scenes) testing_support::AddTestScene(id, path);
    RequestSceneById(startId);
    Frame();
  }

  int CurrentId() { return CurrentScene() == nullptr ? -1 : CurrentScene()->sceneId; }

  // Moves the selection down until it is on the button with that text, then presses Enter.
  void Choose(const std::string& text);

  testing_support::TempDir settingsDir_;
};

// The object a label with this text follows (a button, panel or picture label), the first visible
// one when `visibleOnly` (other screens' hidden buttons may share the text); null when none.
inline GameObject* FindButton(const std::string& text, bool visibleOnly = false) {
  for (GameObject* o : Objects()) {
    auto* label = o->GetComponentAs<Text>(SlotOf(ComponentType::Text));
    GameObject* button = label != nullptr && label->text == text ? label->linkedObject : nullptr;
    if (button != nullptr && (button->visible || !visibleOnly)) return button;
  }
  return nullptr;
}

inline std::string SelectedText() {
  UIHandler* selected = SelectedButton();
  Text* text = selected != nullptr ? selected->TextComponent() : nullptr;
  return text != nullptr ? text->text : std::string();
}

inline void UiTest::Choose(const std::string& text) {
  for (int guard = 0; guard < 12 && SelectedText() != text; ++guard) Tap(vk::Down);
  ASSERT_EQ(SelectedText(), text);
  Tap(vk::Return);
}

inline bool Shown(GameObject* object) {
  UIHandler* handler = HandlerOf(object);
  return object != nullptr && object->visible && handler != nullptr && handler->active;
}

// Every button with a text in `shown` is shown and every one in `hidden` is not.
inline void ExpectScreen(std::initializer_list<const char*> shown, std::initializer_list<const char*> hidden = {}) {
  for (const char* text : shown) EXPECT_TRUE(Shown(FindButton(text))) << text << " should be shown";
  for (const char* text : hidden) EXPECT_FALSE(Shown(FindButton(text))) << text << " should be hidden";
}

inline const float* ColorOf(GameObject* object) {
  auto* model = object->GetComponentAs<Model>(SlotOf(ComponentType::Model));
  return model->GetMesh()->color;
}

}  // namespace ui_test
