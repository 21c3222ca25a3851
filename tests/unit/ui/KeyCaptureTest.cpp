// Which press the controls screen sees; what the key then does to the bindings, and the message
// that says so, is ControlsOverlayTest's.
#include <gtest/gtest.h>

#include "core/Input.h"
#include "core/KeyCodes.h"
#include "widgets/KeyCapture.h"

namespace {

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
