// The key bindings: rebinding, reading actions from keys and mouse buttons, and the names the
// settings file and the controls screen use (the shipped defaults are ControlsOverlayTest's).
#include <gtest/gtest.h>

#include "core/Input.h"
#include "core/KeyBindings.h"
#include "core/KeyCodes.h"

namespace {

class KeyBindingsTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    ResetKeys();
    ResetPads();
    ResetKeyBindings();
  }
  // One pass: the previous states become the current ones, then the keys change.
  static void Pass() { CopyPreviousInput(); }
};

}  // namespace

TEST_F(KeyBindingsTest, PressAndReleaseFollowTheBoundKeyOrButtonOnly) {
  SetKey(vk::Letter('P'), true);
  EXPECT_TRUE(ActionDown(Action::Pause));
  EXPECT_TRUE(ActionPressed(Action::Pause));
  Pass();
  EXPECT_FALSE(ActionPressed(Action::Pause)) << "held, not pressed again";
  SetKey(vk::Letter('P'), false);
  EXPECT_TRUE(ActionReleased(Action::Pause));

  SetLeftButton(true, 0, 0);
  EXPECT_TRUE(ActionPressed(Action::Throw));
  ASSERT_TRUE(BindAction(KeyBindings(), Action::Throw, vk::Space));
  EXPECT_FALSE(ActionDown(Action::Throw)) << "the mouse button no longer throws";
  SetKey(vk::Space, true);
  EXPECT_TRUE(ActionPressed(Action::Throw));
  EXPECT_EQ(ActionBindingText(KeyBindings(), Action::Throw), "SPACE");

  ASSERT_TRUE(BindAction(KeyBindings(), Action::Pause, vk::Letter('Q')));
  EXPECT_EQ(ActionBindingText(KeyBindings(), Action::Pause), "Q") << "both of pause's keys are replaced";
  EXPECT_FALSE(BindAction(KeyBindings(), Action::Retry, 0));
  EXPECT_FALSE(BindAction(KeyBindings(), Action::Retry, 256));
  EXPECT_EQ(ActionBindingText(KeyBindings(), Action::Retry), "R");
}

TEST_F(KeyBindingsTest, MovementKeysFoldIntoTheLeftStickThroughTheBindings) {
  BindAction(KeyBindings(), Action::MoveUp, vk::Up);
  SetKey(vk::Letter('W'), true);
  UpdatePads();
  EXPECT_EQ(Input().pads[0].leftStick[1], 0.0f);
  SetKey(vk::Up, true);
  SetKey(vk::Letter('D'), true);
  UpdatePads();
  EXPECT_EQ(Input().pads[0].leftStick[0], 1.0f);
  EXPECT_EQ(Input().pads[0].leftStick[1], 1.0f);
}

TEST_F(KeyBindingsTest, NamesReadBackToTheirCodes) {
  for (int code = 1; code < 256; ++code) {
    const std::string name = BindingCodeName(code);
    ASSERT_FALSE(name.empty()) << code;
    const int back = BindingCodeFromName(name);
    // The generic Ctrl, Shift and Alt read back as their left keys.
    if (code == vk::Control || code == vk::Shift || code == vk::Menu) continue;
    EXPECT_EQ(back, code) << name;
  }
  EXPECT_EQ(BindingCodeFromName("lmb"), kLeftMouseCode);
  EXPECT_EQ(BindingCodeFromName("space"), vk::Space);
  EXPECT_EQ(BindingCodeFromName("NOKEY"), 0);
  EXPECT_EQ(BindingCodeFromName(""), 0);
  EXPECT_EQ(BindingCodeName(0), "");
}

// The controls screen holds the actions while it waits for a key; the key that ends the wait (R
// here, which is also retry's) must not retry on its way down or up, and retries again once it has
// been released and pressed anew.
TEST_F(KeyBindingsTest, AKeyHeldWhenTheWaitEndsStaysSilentUntilItsReleaseHasPassed) {
  const int r = vk::Letter('R');
  SetActionsHeld(true);
  SetKey(r, true);
  EXPECT_FALSE(ActionPressed(Action::Retry)) << "held actions read nothing";
  SetActionsHeld(false);
  EXPECT_FALSE(ActionPressed(Action::Retry));
  EXPECT_FALSE(ActionDown(Action::Retry));
  auto pass = [] {
    Pass();
    UpdateSilencedCodes();
  };
  pass();
  SetKey(r, false);
  EXPECT_FALSE(ActionReleased(Action::Retry)) << "the release of the silenced key";
  pass();
  EXPECT_FALSE(ActionDown(Action::Retry));
  SetKey(r, true);
  EXPECT_TRUE(ActionPressed(Action::Retry)) << "a new press counts";

  // Keys pressed after the wait are not affected.
  SetActionsHeld(true);
  SetActionsHeld(false);
  pass();
  SetKey(vk::Letter('P'), true);
  EXPECT_TRUE(ActionPressed(Action::Pause));
}
