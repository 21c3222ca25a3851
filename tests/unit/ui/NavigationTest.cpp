// Walking the buttons with keys and the pad: wrap-around, one move per press, the saved lists that
// dialogs push and pop, the highlight, and buttons that go away while they are listed.
#include <string>
#include <vector>

#include "UiTestFixture.h"
#include "widgets/MenuParts.h"

using namespace ui_test;

namespace {

class NavigationTest : public UiTest {
 protected:
  // Three buttons stacked at y = 100, 0, -100, registered in that order.
  void BuildThree() {
    for (int i = 0; i < 3; ++i) {
      // Appended rather than "b" + ..., which GCC 12 warns about inside the standard library.
      std::string label = "b";
      label += std::to_string(i);
      GameObject* b = MakeButton(0.0f, 100.0f - 100.0f * static_cast<float>(i), 100.0f, 50.0f, label, 10.0f,
                                 [this, i](UIHandler*) { presses.push_back(i); });
      buttons.push_back(b);
      RegisterForNavigation(b);
    }
  }
  UIHandler* H(int i) { return HandlerOf(buttons[static_cast<size_t>(i)]); }
  void PadTap(PadButton button) {
    // The pad's flags are last pass's record: a press shows while the record has it and the flag not.
    PadState& pad = Input().pads[0];
    pad.state.buttons = pad.masks[button];
    Frame();
    pad.flags[button] = true;
    pad.state.buttons = 0;
    Frame();
    pad.flags[button] = false;
  }

  std::vector<GameObject*> buttons;
  std::vector<int> presses;
};

TEST_F(NavigationTest, SelectionWrapsAroundBothWaysKeepsOneFlagAndStaysOnAnInactiveButton) {
  BuildThree();
  EXPECT_EQ(SelectedButton(), H(0));
  Tap(vk::Up);  // first -> last
  EXPECT_EQ(SelectedButton(), H(2));
  Tap(vk::Down);  // last -> first
  EXPECT_EQ(SelectedButton(), H(0));
  Tap(vk::Right);
  PadTap(PadDpadDown);
  EXPECT_EQ(SelectedButton(), H(2));
  PadTap(PadDpadLeft);
  EXPECT_EQ(SelectedButton(), H(1));
  int flagged = 0;
  for (int i = 0; i < 3; ++i) flagged += H(i)->selected ? 1 : 0;
  EXPECT_EQ(flagged, 1);
  EXPECT_TRUE(H(1)->selected);
  // Nothing moves while the selection is inactive.
  H(1)->active = false;
  Tap(vk::Down);
  EXPECT_EQ(SelectedButton(), H(1));
}

TEST_F(NavigationTest, HoldingAKeyMovesOnceAndHoverFollowsTheSelection) {
  BuildThree();
  std::vector<std::string> hovers;
  for (int i = 0; i < 3; ++i) {
    H(i)->onHover = [&hovers, i](UIHandler*, bool on) {
      std::string entry = on ? "+" : "-";
      entry += std::to_string(i);
      hovers.push_back(entry);
    };
  }
  SetKey(vk::Down, true);
  for (int n = 0; n < 5; ++n) Frame();
  SetKey(vk::Down, false);
  Frame();
  EXPECT_EQ(SelectedButton(), H(1));
  EXPECT_EQ(hovers, (std::vector<std::string>{"-0", "+1"}));
}

TEST_F(NavigationTest, PushAndPopHandTheKeysToADialogAndBack) {
  BuildThree();
  Tap(vk::Down);  // selection on b1
  PushUIButtons();
  EXPECT_TRUE(NavigationList().empty());
  EXPECT_FALSE(H(1)->selected) << "a saved selection must not answer Enter";
  GameObject* dialog = MakeButton(0.0f, -300.0f, 50.0f, 50.0f, "ok", 10.0f);
  RegisterForNavigation(dialog);
  EXPECT_EQ(SelectedButton(), HandlerOf(dialog));

  PopUIButtons();
  ASSERT_EQ(NavigationList().size(), 3u);
  EXPECT_EQ(SelectedButton(), H(1)) << "the button that opened the dialog has the focus again";
  EXPECT_TRUE(H(1)->selected);
  EXPECT_FALSE(H(0)->selected);
  EXPECT_FALSE(HandlerOf(dialog)->selected);
  EXPECT_EQ(SavedListCount(), 0u);

  // Popping with nothing saved changes nothing, not even the selection.
  Tap(vk::Down);
  const std::vector<UIHandler*> before = NavigationList();
  PopUIButtons();
  EXPECT_EQ(NavigationList(), before);
  EXPECT_EQ(SelectedButton(), H(2));
  EXPECT_TRUE(H(2)->selected);
}

// The highlight shows from the moment a menu is up (no key pressed yet), follows the selection, and
// comes back on the button that opened a dialog when the dialog goes.
TEST_F(NavigationTest, HighlightFramesTheSelectionFromTheStartAndReturnsAfterADialog) {
  GameObject* highlight = CreateHighlight();
  ASSERT_NE(highlight, nullptr);
  EXPECT_FALSE(highlight->visible);
  EXPECT_NEAR(ColorOf(highlight)[0], 184.0f / 255.0f, 1e-3);
  BuildThree();
  EXPECT_TRUE(highlight->visible) << "shown on the first button before any key";
  EXPECT_FLOAT_EQ(highlight->GetTransform()->position[1], 100.0f);
  Tap(vk::Down);
  EXPECT_TRUE(highlight->visible);
  const Transform* t = highlight->GetTransform();
  EXPECT_FLOAT_EQ(t->position[1], 0.0f);
  EXPECT_FLOAT_EQ(t->position[2], buttons[1]->GetTransform()->position[2] + 1.0f);
  EXPECT_FLOAT_EQ(t->scale[0], 120.0f);
  EXPECT_FLOAT_EQ(t->scale[1], 60.0f);
  // The camera moves: the frame stays on its button on screen.
  MainCamera().position[0] = 500.0f;
  Frame();
  EXPECT_FLOAT_EQ(t->position[0], 500.0f);
  // A dialog: its button is framed; closing it frames b1 again.
  PushUIButtons();
  GameObject* dialog = MakeButton(0.0f, -300.0f, 50.0f, 50.0f, "ok", 10.0f);
  RegisterForNavigation(dialog);
  Frame();
  EXPECT_FLOAT_EQ(t->position[1], -300.0f);
  PopUIButtons();
  EXPECT_TRUE(highlight->visible);
  EXPECT_FLOAT_EQ(t->position[1], 0.0f);
  // No menu up (its buttons hidden): no frame.
  for (int i = 0; i < 3; ++i) HandlerOf(buttons[static_cast<size_t>(i)])->SetShown(false);
  Frame();
  EXPECT_FALSE(highlight->visible);
}

TEST_F(NavigationTest, AButtonThatGoesAwayLeavesTheListsAndPassesTheSelectionOn) {
  BuildThree();
  Tap(vk::Down);  // b1 selected
  buttons[1]->destroy = true;
  Frame();
  ASSERT_EQ(NavigationList().size(), 2u);
  EXPECT_EQ(SelectedButton(), H(2));
  EXPECT_TRUE(H(2)->selected);
  // A saved list loses it too, so popping never brings back a dead button.
  PushUIButtons();
  buttons[2]->destroy = true;
  Frame();
  PopUIButtons();
  ASSERT_EQ(NavigationList().size(), 1u);
  EXPECT_EQ(SelectedButton(), H(0));
  Tap(vk::Down);
  Tap(vk::Return);
  EXPECT_EQ(presses, (std::vector<int>{0}));
}

TEST_F(NavigationTest, LeavingTheSceneForgetsEverySavedList) {
  BuildMenuScenes(scene_id::kMainMenu);
  PushUIButtons();
  RequestSceneById(scene_id::kLevelSelect);
  Frame();
  EXPECT_EQ(SavedListCount(), 0u);
  // The level select's own buttons (three pictures, three "watch" and "back"), nothing of the menu's.
  EXPECT_EQ(NavigationList().size(), 7u);
  PopUIButtons();
  EXPECT_EQ(NavigationList().size(), 7u);
}

}  // namespace
