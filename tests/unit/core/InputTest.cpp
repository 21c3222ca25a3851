#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

#include "core/EditorLink.h"
#include "core/Input.h"
#include "core/KeyCodes.h"
#include "platform/Platform.h"

#include <SDL_scancode.h>

namespace {

// A fake pad bank the tests can set.
PadRawState gRaw[4];
bool gPresent[4];
bool ReadFakePad(uint32_t index, PadRawState* out) {
  if (index >= 4 || !gPresent[index]) return false;
  *out = gRaw[index];
  return true;
}

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetKeys();
    ResetPads();
    for (int i = 0; i < 4; ++i) {
      gRaw[i] = PadRawState{};
      gPresent[i] = false;
    }
    SetPadReader(&ReadFakePad);
    GetEditorLink() = EditorLink{};
  }
  void TearDown() override {
    SetPadReader(nullptr);
    GetEditorLink() = EditorLink{};
  }
};

}  // namespace

// F8, F11, Ctrl and Shift arrive through SDL events in SdlPlatformTest; here only the ranges.
TEST(KeyMapTest, LettersAndDigitsKeepTheirCharacterCodesAndUnknownCodesAreZero) {
  using platform::ScancodeToVirtualKey;
  for (int i = 0; i < 26; ++i) EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_A + i), 'A' + i);
  EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_0), '0');
  EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_9), '9');
  EXPECT_EQ(ScancodeToVirtualKey(-1), 0);
  EXPECT_EQ(ScancodeToVirtualKey(100000), 0);
}

TEST_F(InputTest, TriggeredMeansDownNowAndUpInThePreviousPass) {
  SetKey(vk::F11, true);
  EXPECT_TRUE(KeyDown(vk::F11));
  EXPECT_TRUE(KeyTriggered(vk::F11));
  CopyPreviousInput();
  EXPECT_TRUE(KeyDown(vk::F11));
  EXPECT_FALSE(KeyTriggered(vk::F11)) << "holding the key must not trigger again";
  SetKey(vk::F11, false);
  CopyPreviousInput();
  SetKey(vk::F11, true);
  EXPECT_TRUE(KeyTriggered(vk::F11)) << "a new press triggers again";
  EXPECT_FALSE(KeyDown(-1));
  EXPECT_FALSE(KeyTriggered(256));
}

TEST_F(InputTest, MouseButtonsRecordTheClickPositionAndTriggerOnce) {
  SetMousePosition(10, 20);
  SetLeftButton(true, 30, 40);
  EXPECT_TRUE(LeftClicked());
  EXPECT_EQ(Input().mouse.leftClickX, 30);
  EXPECT_EQ(Input().mouse.leftClickY, 40);
  CopyPreviousInput();
  EXPECT_FALSE(LeftClicked());
  SetLeftButton(false, 50, 60);
  EXPECT_EQ(Input().mouse.leftClickX, 30) << "release keeps the click position";
  EXPECT_EQ(Input().mouse.x, 50);
  SetRightButton(true, 7, 8);
  EXPECT_TRUE(RightClicked());
  EXPECT_EQ(Input().mouse.rightClickX, 7);
}

TEST_F(InputTest, StickDeadZoneAndScaleAndTriggerThreshold) {
  // One below the dead zone is nothing, at it the value counts; -32768 is limited to -1.
  for (auto [raw, value] : {std::pair{8688, 0.0f}, {8689, 8689.0f / 32767.0f}, {-8688, 0.0f}, {-32768, -1.0f},
                            {32767, 1.0f}}) {
    EXPECT_FLOAT_EQ(ConvertStickAxis(static_cast<int16_t>(raw), kStickDeadZone), value) << raw;
  }
  for (auto [raw, value] : {std::pair{29, 0.0f}, {30, 30.0f / 255.0f}, {255, 1.0f}}) {
    EXPECT_FLOAT_EQ(ConvertTrigger(static_cast<uint8_t>(raw), kTriggerThreshold), value) << raw;
  }
}

TEST_F(InputTest, PadSticksAndTriggersAreConvertedPerAxisAndButtonFlagsShowOnePassLater) {
  gPresent[1] = true;
  gRaw[1].buttons = 0x1000 | 0x0010;  // A and Start
  gRaw[1].thumbLX = 32767;
  gRaw[1].thumbLY = 100;     // inside the dead zone
  gRaw[1].thumbRX = -32768;
  gRaw[1].leftTrigger = 255;
  gRaw[1].rightTrigger = 10;
  UpdatePads();
  const PadState& pad = Input().pads[1];
  EXPECT_EQ((std::vector<float>{pad.leftStick[0], pad.leftStick[1], pad.rightStick[0], pad.leftTrigger,
                                pad.rightTrigger}),
            (std::vector<float>{1, 0, -1, 1, 0}));
  EXPECT_FALSE(pad.flags[PadA]) << "flags come from the previous pass's record";
  UpdatePads();
  EXPECT_EQ((std::vector<bool>{pad.flags[PadA], pad.flags[PadStart], pad.flags[PadB]}),
            (std::vector<bool>{true, true, false}));
}

TEST_F(InputTest, UnpluggingAPadResetsItsSettingsAndFlags) {
  gPresent[2] = true;
  gRaw[2].buttons = 0x2000;
  gRaw[2].thumbLX = 30000;
  UpdatePads();
  UpdatePads();
  Input().pads[2].leftDeadZone = 100.0f;
  Input().pads[2].leftThreshold = 5.0f;
  gPresent[2] = false;
  UpdatePads();
  const PadState& pad = Input().pads[2];
  EXPECT_EQ(pad.leftDeadZone, kStickDeadZone);
  EXPECT_EQ(pad.leftThreshold, kTriggerThreshold);
  EXPECT_EQ(pad.leftStick[0], 0.0f);
  for (bool flag : pad.flags) EXPECT_FALSE(flag);
}

TEST_F(InputTest, WasdDrivesPadZeroLeftStick) {
  SetKey(vk::Letter('D'), true);
  UpdatePads();
  EXPECT_EQ(Input().pads[0].leftStick[0], 1.0f);
  EXPECT_EQ(Input().pads[0].leftStick[1], 0.0f);

  // Holding D with the stick pushed fully left cancels out.
  gPresent[0] = true;
  gRaw[0].thumbLX = -32768;
  UpdatePads();
  EXPECT_EQ(Input().pads[0].leftStick[0], 0.0f);

  // W and S together leave y where the stick put it; both are limited to [-1, 1].
  gRaw[0].thumbLX = 0;
  gRaw[0].thumbLY = 32767;
  SetKey(vk::Letter('D'), false);
  SetKey(vk::Letter('W'), true);
  SetKey(vk::Letter('S'), true);
  UpdatePads();
  EXPECT_EQ(Input().pads[0].leftStick[1], 1.0f);
  SetKey(vk::Letter('S'), false);
  UpdatePads();
  EXPECT_EQ(Input().pads[0].leftStick[1], 1.0f) << "limited to 1";
  EXPECT_EQ(Input().pads[1].leftStick[1], 0.0f) << "only pad 0 is driven by the keyboard";
}

TEST_F(InputTest, EditorCapturingInputClearsPreviousKeysAndButtons) {
  SetKey(vk::Return, true);
  CopyPreviousInput();
  SetLeftButton(true, 0, 0);
  gPresent[0] = true;
  gRaw[0].thumbLX = 32767;
  GetEditorLink().enabled = true;
  GetEditorLink().wantsKeyboard = true;
  UpdatePads();
  EXPECT_TRUE(KeyTriggered(vk::Return)) << "every key that is down reads as triggered";
  EXPECT_FALSE(Input().mouse.left);
  EXPECT_EQ(Input().pads[0].leftStick[0], 0.0f) << "pads are not polled in that pass";
  // Text input only takes the input while the editor is stopped.
  GetEditorLink().wantsKeyboard = false;
  GetEditorLink().wantsText = true;
  GetEditorLink().stopped = false;
  UpdatePads();
  EXPECT_EQ(Input().pads[0].leftStick[0], 1.0f);
}
