// A button's own rules: the mouse press inside its box, Enter and pad A on the selection, one press
// per frame, inactive buttons, the editor halt, the screen pin, and its label's lifetime.
#include <vector>

#include "UiTestFixture.h"
#include "scenes/Factory.h"
#include "ui/ButtonActions.h"
#include "widgets/MenuParts.h"

using namespace ui_test;

namespace {

class UIHandlerTest : public UiTest {
 protected:
  GameObject* Counted(float x, float y, int* presses) {
    return MakeButton(x, y, 100.0f, 50.0f, "b", 10.0f, [presses](UIHandler*) { ++*presses; });
  }
};

// A click outside every button does nothing while Enter in the same frame presses the selection.
TEST_F(UIHandlerTest, ClickInsideTheBoxPressesAndOutsideDoesNot) {
  int presses = 0;
  int otherPresses = 0;
  GameObject* selected = Counted(200.0f, 100.0f, &presses);
  RegisterForNavigation(selected);
  RegisterForNavigation(Counted(0.0f, 300.0f, &otherPresses));
  ClickAt(300.0f, 100.0f);  // right of the box
  EXPECT_EQ(presses, 0);
  ClickAt(240.0f, 120.0f);  // inside, near a corner
  EXPECT_EQ(presses, 1);
  // Holding the button down is one press.
  Input().mouse.left = true;
  Frame();
  Frame();
  Input().mouse.left = false;
  Frame();
  EXPECT_EQ(presses, 2);
  Input().mouse.worldX = 500.0f;
  Input().mouse.worldY = -300.0f;
  Input().mouse.left = true;
  SetKey(vk::Return, true);
  Frame();
  EXPECT_EQ(presses, 3);
  EXPECT_EQ(otherPresses, 0);
}

TEST_F(UIHandlerTest, InactiveButtonsIgnoreClicksAndEnterAndPadAPressesTheSelectionOncePerPress) {
  int presses = 0;
  GameObject* b = Counted(0.0f, 0.0f, &presses);
  RegisterForNavigation(b);
  HandlerOf(b)->active = false;
  ClickAt(0.0f, 0.0f);
  Tap(vk::Return);
  EXPECT_EQ(presses, 0);
  HandlerOf(b)->active = true;
  Tap(vk::Return);
  EXPECT_EQ(presses, 1);
  PadState& pad = Input().pads[0];
  pad.state.buttons = pad.masks[PadA];
  Frame();
  pad.flags[PadA] = true;  // still held in the next pass
  Frame();
  EXPECT_EQ(presses, 2);
}

TEST_F(UIHandlerTest, APressThatOpensAMenuDoesNotPressTheNewSelectionInTheSameFrame) {
  int second = 0;
  GameObject* next = nullptr;
  GameObject* first = MakeButton(0.0f, 0.0f, 100.0f, 50.0f, "open", 10.0f, [&](UIHandler*) {
    PushUIButtons();
    // The new menu lies later in the object list and over the same spot.
    next = MakeButton(0.0f, 0.0f, 100.0f, 50.0f, "next", 10.0f, [&](UIHandler*) { ++second; });
    RegisterForNavigation(next);
  });
  RegisterForNavigation(first);
  Input().mouse.worldX = 0.0f;
  Input().mouse.worldY = 0.0f;
  Input().mouse.left = true;
  SetKey(vk::Return, true);
  Frame();
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(second, 0);
  Input().mouse.left = false;
  SetKey(vk::Return, false);
  Frame();
  Tap(vk::Return);
  EXPECT_EQ(second, 1);
}

TEST_F(UIHandlerTest, NothingRunsWhileTheEditorHaltsTheGame) {
  int presses = 0;
  int updates = 0;
  GameObject* b = Counted(0.0f, 0.0f, &presses);
  HandlerOf(b)->onUpdate = [&updates](UIHandler*, float) { ++updates; };
  GameObject* other = Counted(0.0f, 200.0f, &presses);
  RegisterForNavigation(b);
  RegisterForNavigation(other);
  GetEditorLink().enabled = true;
  GetEditorLink().stopped = true;
  ClickAt(0.0f, 0.0f);
  Tap(vk::Return);
  Tap(vk::Down);
  EXPECT_EQ(presses, 0);
  EXPECT_EQ(updates, 0);
  EXPECT_EQ(SelectedButton(), HandlerOf(b));
  // Running again (or with the editor off) everything answers.
  GetEditorLink().stopped = false;
  Tap(vk::Return);
  EXPECT_EQ(presses, 1);
  EXPECT_GT(updates, 0);
}

TEST_F(UIHandlerTest, APinnedButtonStaysOnScreenWhileTheCameraMovesAndAWorldButtonDoesNot) {
  GameObject* pinned = MakeButton(100.0f, 50.0f, 100.0f, 50.0f, "p", 10.0f);
  GameObject* world = MakeButton(100.0f, 50.0f, 100.0f, 50.0f, "w", 10.0f);
  HandlerOf(world)->fixedToScreen = false;
  MainCamera().position[0] = -300.0f;
  MainCamera().position[1] = 1000.0f;
  Frame();
  EXPECT_FLOAT_EQ(pinned->GetTransform()->position[0], -200.0f);
  EXPECT_FLOAT_EQ(pinned->GetTransform()->position[1], 1050.0f);
  EXPECT_FLOAT_EQ(pinned->GetTransform()->position[2], -10.0f);
  EXPECT_FLOAT_EQ(world->GetTransform()->position[0], 100.0f);
  // Clicks go where the button is now.
  int presses = 0;
  HandlerOf(pinned)->onClick = [&presses](UIHandler*) { ++presses; };
  ClickAt(-200.0f, 1050.0f);
  EXPECT_EQ(presses, 1);
}

TEST_F(UIHandlerTest, ALabelGoesWithItsButtonAndALabelRemovedAloneLeavesNoDanglingLink) {
  GameObject* b = MakeButton(0.0f, 0.0f, 100.0f, 50.0f, "label", 10.0f);
  GameObject* label = HandlerOf(b)->TextObject();
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(FindButton("label"), b);
  // The label alone goes (the editor deletes it): the button no longer finds one.
  label->destroy = true;
  Frame();
  EXPECT_EQ(HandlerOf(b)->TextObject(), nullptr);
  // A new label can be made; destroying the button takes it along in the same pass.
  SetButtonLabel(b, "again", 10.0f, 1);
  GameObject* second = HandlerOf(b)->TextObject();
  ASSERT_NE(second, nullptr);
  const size_t before = Objects().size();
  b->destroy = true;
  Frame();
  EXPECT_EQ(Objects().size(), before - 2);
  EXPECT_EQ(FindButton("again"), nullptr);
}

// A label made by other code for the same button stops following it when the button goes.
TEST_F(UIHandlerTest, ALabelOfAButtonThatLosesItsHandlerOrGoesWithoutItStopsFollowingIt) {
  GameObject* b = MakeButton(0.0f, 0.0f, 100.0f, 50.0f, "x", 10.0f);
  ASSERT_NE(HandlerOf(b)->TextObject(), nullptr);
  CreateText(0.0f, 0.0f, 10.0f, "y")->GetComponentAs<Text>(SlotOf(ComponentType::Text))->linkedObject = b;
  b->destroy = true;
  Frame();  // the button and its first label go; the extra label is unlinked and marked
  Frame();
  for (GameObject* o : Objects()) {
    auto* text = o->GetComponentAs<Text>(SlotOf(ComponentType::Text));
    if (text != nullptr) {
      EXPECT_EQ(text->linkedObject, nullptr);
    }
  }
  EXPECT_TRUE(Objects().empty());
}

TEST_F(UIHandlerTest, ActionTableHoldsTheFourActionsAndBindsThem) {
  BuildMenuScenes(scene_id::kMainMenu);
  for (const char* name : {"play_game", "quit_game", "next_level", "goto_main"}) {
    EXPECT_TRUE(FindButtonAction(name)) << name;
  }
  EXPECT_FALSE(FindButtonAction("no_such_action"));
  FindButtonAction("next_level")();
  EXPECT_TRUE(CurrentScene()->leaveRequested);
  GameObject* b = MakeButton(0.0f, 600.0f, 100.0f, 50.0f, "go", 10.0f);
  EXPECT_FALSE(BindButtonAction(b, "nothing"));
  // Screens built by the level rules bind through the factory's hook.
  ASSERT_NE(GetFactoryHooks().setButtonAction, nullptr);
  GetFactoryHooks().setButtonAction(b, "play_game");
  Click(b);
  EXPECT_EQ(CurrentId(), scene_id::kLevel1);
}

}  // namespace
