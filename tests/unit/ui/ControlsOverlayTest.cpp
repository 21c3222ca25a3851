// Changing keys on the controls screen: pick an action with the menu keys or the mouse, press a new
// key, see it on the screen, in use and in the settings file; Escape, reserved and taken keys; reset
// to defaults; and leaving the screen while it waits.
#include "UiTestFixture.h"
#include "core/KeyBindings.h"
#include "support/TestSupport.h"
#include "ui/ControlsOverlay.h"
#include "ui/PauseMenu.h"

using namespace ui_test;

namespace {

class ControlsOverlayTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ResetKeyBindings();
  }
  void TearDown() override {
    UiTest::TearDown();
    ResetKeyBindings();
  }
  void OpenFromMainMenu() {
    BuildMenuScenes(scene_id::kMainMenu);
    Choose("controls");
  }
  static GameObject* ShownButton(const std::string& text) { return FindButton(text, true); }
  // The message line's text (its glyphs are the only ones of size 16 on the screen).
  std::string Message() {
    for (GameObject* o : Objects()) {
      auto* label = o->GetComponentAs<Text>(SlotOf(ComponentType::Text));
      if (label != nullptr && label->linkedObject != nullptr && label->glyphSize == 16.0f) return label->text;
    }
    return {};
  }
  std::string SavedSettings() { return testing_support::ReadFile(SettingsPath()); }
};

// The keys shown are the shipped controls.
TEST_F(ControlsOverlayTest, TheScreenListsEveryActionWithItsKeys) {
  OpenFromMainMenu();
  EXPECT_EQ(SelectedText(), "mOVE uP - w");
  for (const char* row : {"mOVE dOWN - s", "mOVE lEFT - a", "mOVE rIGHT - d", "pICK uP / dROP - rmb", "tHROW - lmb",
                          "pAUSE - escape or p", "rETRY - r", "reset to defaults", "back"}) {
    EXPECT_TRUE(Shown(ShownButton(row))) << row;
  }
  EXPECT_EQ(Message(), "enter or click: change a key - the mouse aims");
}

TEST_F(ControlsOverlayTest, EnterOnAnActionThenANewKeyRebindsItSavesItAndResetRestoresTheShippedKeys) {
  OpenFromMainMenu();
  Choose("tHROW - lmb");
  EXPECT_EQ(Message(), "press a key for tHROW - escape or pad b cancels");
  EXPECT_TRUE(ControlsOverlayWaitingForKey());
  Tap(vk::Space);
  EXPECT_FALSE(ControlsOverlayWaitingForKey());
  EXPECT_EQ(Message(), "tHROW is now space");
  EXPECT_TRUE(Shown(FindButton("tHROW - space")));
  EXPECT_EQ(SelectedText(), "tHROW - space");
  EXPECT_EQ(ActionBindingText(KeyBindings(), Action::Throw), "SPACE") << "in use at once";
  EXPECT_NE(SavedSettings().find("key_throw = SPACE"), std::string::npos) << SavedSettings();
  EXPECT_EQ(CurrentSettings().bindings, KeyBindings());
  // An action's own key is no conflict with itself; it becomes the only one.
  Choose("pAUSE - escape or p");
  Tap(vk::Letter('P'));
  EXPECT_EQ(Message(), "pAUSE is now p");
  EXPECT_EQ(ActionBindingText(KeyBindings(), Action::Pause), "P");
  // Reset to defaults restores the shipped keys, shows them and saves them.
  Choose("reset to defaults");
  EXPECT_EQ(KeyBindings(), DefaultKeyBindings());
  EXPECT_TRUE(Shown(FindButton("tHROW - lmb")));
  EXPECT_NE(SavedSettings().find("key_throw = LMB"), std::string::npos);
  EXPECT_EQ(Message(), "keys reset to defaults");
}

TEST_F(ControlsOverlayTest, MenuKeysPressedAsTheNewKeyBindWithoutMovingOrPressingAnything) {
  OpenFromMainMenu();
  Tap(vk::Return);  // "mOVE uP", selected first
  Tap(vk::Up);
  EXPECT_EQ(SelectedText(), "mOVE uP - up") << "the arrow was bound, not followed";
  Tap(vk::Down);
  Tap(vk::Return);  // "mOVE dOWN"
  Tap(vk::Return);
  EXPECT_EQ(ActionBindingText(KeyBindings(), Action::MoveDown), "ENTER");
  EXPECT_EQ(SelectedText(), "mOVE dOWN - enter");
  EXPECT_FALSE(ControlsOverlayWaitingForKey()) << "the Enter that was bound did not start another wait";
}

TEST_F(ControlsOverlayTest, EscapeReservedAndTakenKeysChangeNothingAndSaySo) {
  OpenFromMainMenu();
  Choose("tHROW - lmb");
  Tap(vk::Escape);
  EXPECT_EQ(Message(), "tHROW unchanged");
  Tap(vk::Return);
  // Pad 0's B cancels too, for a player on the pad alone.
  Input().pads[0].state.buttons = kPadButtonMasks[PadB];
  Frame();
  Input().pads[0].state.buttons = 0;
  Frame();
  EXPECT_FALSE(ControlsOverlayWaitingForKey());
  Tap(vk::Return);
  Tap(vk::F8);
  EXPECT_EQ(Message(), "f8 is kept by the game");
  Tap(vk::Return);
  Tap(vk::F11);
  EXPECT_EQ(Message(), "f11 is kept by the game");
  Tap(vk::Return);
  Tap(vk::Letter('R'));
  EXPECT_EQ(Message(), "r is already rETRY - pick another");
  Tap(vk::Return);
  Tap(vk::Letter('P'));  // pause's second key
  EXPECT_EQ(Message(), "p is already pAUSE - pick another");
  EXPECT_EQ(KeyBindings(), DefaultKeyBindings());
  EXPECT_FALSE(testing_support::FileExists(SettingsPath())) << "nothing to save";
}

// Pause and retry act while a menu is up: a menu key for either would work the menu and the action
// with one press (Enter's press resuming, its release pausing again).
TEST_F(ControlsOverlayTest, TheMenusKeysAreRefusedForPauseAndRetryAndSaySo) {
  OpenFromMainMenu();
  Choose("pAUSE - escape or p");
  Tap(vk::Return);
  EXPECT_EQ(Message(), "enter works the menus - pick another");
  for (int key : {vk::Up, vk::Down, vk::Left, vk::Right}) {
    Tap(vk::Return);
    Tap(key);
    EXPECT_TRUE(Message().find("works the menus") != std::string::npos) << Message();
  }
  Tap(vk::Return);
  Click(ShownButton("back"));  // the left mouse button clicks the menus too
  EXPECT_EQ(Message(), "lmb works the menus - pick another");
  EXPECT_TRUE(Shown(FindButton("how to play"))) << "the click went to the wait, not to \"back\"";
  Choose("rETRY - r");
  Tap(vk::Down);
  EXPECT_EQ(Message(), "down works the menus - pick another");
  EXPECT_EQ(KeyBindings(), DefaultKeyBindings());
  // Other actions may have them: they do nothing while a menu is up.
  Choose("tHROW - lmb");
  Tap(vk::Return);
  EXPECT_EQ(ActionBindingText(KeyBindings(), Action::Throw), "ENTER");
}

TEST_F(ControlsOverlayTest, TheMouseStartsAChangeAndItsButtonsCanBeTheNewKey) {
  OpenFromMainMenu();
  BindAction(KeyBindings(), Action::Throw, vk::Space);
  Click(ShownButton("pICK uP / dROP - rmb"));
  ASSERT_TRUE(ControlsOverlayWaitingForKey());
  // The click lands on "back", which does not react while the key is awaited.
  Click(ShownButton("back"));
  EXPECT_EQ(ActionBindingText(KeyBindings(), Action::PickUpDrop), "LMB");
  EXPECT_TRUE(Shown(ShownButton("pICK uP / dROP - lmb")));
  EXPECT_TRUE(Shown(FindButton("how to play"))) << "still on the controls screen";
}

TEST_F(ControlsOverlayTest, ResumingWhileAKeyIsAwaitedLetsTheActionsGoAndGivesThePauseMenuItsKeys) {
  BuildMenuScenes(scene_id::kLevel1);
  BuildPauseMenu();
  PlayerShared().pauseToggle = true;
  SetPauseMenu(true);
  Choose("cONTROLS");
  Tap(vk::Return);
  ASSERT_TRUE(ControlsOverlayWaitingForKey());
  EXPECT_TRUE(ActionsHeld());
  SetPauseMenu(false);
  EXPECT_FALSE(ControlsOverlayWaitingForKey());
  EXPECT_FALSE(ActionsHeld());
  EXPECT_EQ(NavigationList().size(), 5u);
  EXPECT_EQ(SavedListCount(), 0u);
  EXPECT_FALSE(Shown(FindButton("how to play")));
}

}  // namespace
