// What a key pressed on the controls screen does to the bindings, and which press the screen sees.
#include <gtest/gtest.h>

#include "app/Input.h"
#include "app/KeyCodes.h"
#include "ui/KeyCapture.h"

namespace {

TEST(KeyCaptureTest, AFreeKeyOrButtonBecomesTheActionsOnlyKey) {
  KeyBindingTable table = DefaultKeyBindings();
  CaptureResult result = ApplyCapturedCode(table, Action::Pause, vk::Letter('Q'));
  EXPECT_EQ(result.outcome, CaptureOutcome::Bound);
  EXPECT_EQ(ActionBindingText(table, Action::Pause), "Q") << "escape and p both go";
  // Its own key again: no conflict with itself.
  table = DefaultKeyBindings();
  EXPECT_EQ(ApplyCapturedCode(table, Action::Pause, vk::Letter('P')).outcome, CaptureOutcome::Bound);
  EXPECT_EQ(ActionBindingText(table, Action::Pause), "P");
  // A mouse button, once it is free.
  ASSERT_EQ(ApplyCapturedCode(table, Action::Throw, vk::Space).outcome, CaptureOutcome::Bound);
  EXPECT_EQ(ApplyCapturedCode(table, Action::PickUpDrop, kLeftMouseCode).outcome, CaptureOutcome::Bound);
  EXPECT_EQ(ActionBindingText(table, Action::PickUpDrop), "LMB");
  EXPECT_EQ(CaptureMessage(Action::PickUpDrop, {CaptureOutcome::Bound, kLeftMouseCode}), "pICK uP / dROP is now lmb");
}

TEST(KeyCaptureTest, EscapeCancelsAndReservedOrTakenKeysLeaveTheTableAsItWas) {
  const KeyBindingTable defaults = DefaultKeyBindings();
  KeyBindingTable table = defaults;
  EXPECT_EQ(ApplyCapturedCode(table, Action::Throw, vk::Escape).outcome, CaptureOutcome::Cancelled);
  EXPECT_EQ(ApplyCapturedCode(table, Action::Throw, vk::F8).outcome, CaptureOutcome::Reserved);
  EXPECT_EQ(ApplyCapturedCode(table, Action::Throw, vk::F11).outcome, CaptureOutcome::Reserved);
  const CaptureResult taken = ApplyCapturedCode(table, Action::Throw, vk::Letter('R'));
  EXPECT_EQ(taken.outcome, CaptureOutcome::Taken);
  EXPECT_EQ(taken.owner, Action::Retry);
  // Pause's second key counts as taken too.
  EXPECT_EQ(ApplyCapturedCode(table, Action::MoveUp, vk::Letter('P')).owner, Action::Pause);
  EXPECT_EQ(table, defaults);
  EXPECT_EQ(CaptureMessage(Action::Throw, taken), "r is already rETRY - pick another");
  EXPECT_EQ(CaptureMessage(Action::Throw, {CaptureOutcome::Cancelled, vk::Escape}), "tHROW unchanged");
}

TEST(KeyCaptureTest, OnlyAKeyOrButtonThatWentDownInThisPassIsSeen) {
  ResetKeys();
  Input().mouse = MouseState{};
  EXPECT_EQ(PressedBindingCode(), 0);
  SetKey(vk::Letter('W'), true);
  CopyPreviousInput();
  EXPECT_EQ(PressedBindingCode(), 0) << "held from before";
  SetKey(vk::Space, true);
  EXPECT_EQ(PressedBindingCode(), vk::Space);
  Input().mouse.right = true;
  EXPECT_EQ(PressedBindingCode(), kRightMouseCode) << "the mouse first";
  ResetKeys();
  Input().mouse = MouseState{};
  // Right Ctrl comes with the generic Ctrl code; the key taken is the one a settings file can name.
  SetKey(vk::Control, true);
  SetKey(vk::RControl, true);
  EXPECT_EQ(PressedBindingCode(), vk::RControl);
  EXPECT_EQ(BindingCodeFromName(BindingCodeName(vk::RControl)), vk::RControl);
  ResetKeys();
  Input().mouse = MouseState{};
}

}  // namespace
