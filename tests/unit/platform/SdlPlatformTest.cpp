// The SDL platform on the offscreen driver, fed with events through SDL_PushEvent and with a
// virtual game controller: what the event pump delivers (the short-tap rule, the generic Ctrl and
// Shift codes), F8 and F11 through the main loop, focus and minimising, and the pad record.
// This test includes SDL because it tests the platform layer itself.
#include <SDL.h>
#include <gtest/gtest.h>

#include <utility>
#include <string>
#include <vector>

#include "app/Application.h"
#include "core/Input.h"
#include "core/KeyCodes.h"
#include "core/Options.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"
#include "ui/Settings.h"

using platform::Event;

namespace {

void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }

void PushKey(SDL_Scancode scancode, bool down) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.scancode = scancode;
  e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
  Push(e);
}

void PushWindowEvent(SDL_WindowEventID event) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = static_cast<Uint8>(event);
  Push(e);
}

void PushButton(Uint8 button, bool down, int x, int y) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.button = button;
  e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.button.x = x;
  e.button.y = y;
  Push(e);
}

void PushMotion(int x, int y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = x;
  e.motion.y = y;
  Push(e);
}

// One pass of the pump, written as "down 0x57", "up 0x1", "move 10,20", "left down 3,4", "quit".
std::vector<std::string> Pass() {
  std::vector<std::string> out;
  platform::GetPlatform().PumpEvents([&out](const Event& e) {
    char text[48];
    switch (e.kind) {
      case Event::Kind::Quit: std::snprintf(text, sizeof(text), "quit"); break;
      case Event::Kind::KeyDown: std::snprintf(text, sizeof(text), "down 0x%X", e.key); break;
      case Event::Kind::KeyUp: std::snprintf(text, sizeof(text), "up 0x%X", e.key); break;
      case Event::Kind::MouseMove: std::snprintf(text, sizeof(text), "move %d,%d", e.x, e.y); break;
      case Event::Kind::LeftDown: std::snprintf(text, sizeof(text), "left down %d,%d", e.x, e.y); break;
      case Event::Kind::LeftUp: std::snprintf(text, sizeof(text), "left up %d,%d", e.x, e.y); break;
      case Event::Kind::RightDown: std::snprintf(text, sizeof(text), "right down %d,%d", e.x, e.y); break;
      case Event::Kind::RightUp: std::snprintf(text, sizeof(text), "right up %d,%d", e.x, e.y); break;
      case Event::Kind::Wheel: std::snprintf(text, sizeof(text), "wheel %d", e.key); break;
    }
    out.emplace_back(text);
  });
  return out;
}

using Lines = std::vector<std::string>;
// A virtual game controller plugged in for one test; unplugged when it goes.
class VirtualPad {
 public:
  VirtualPad() {
    device_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                        SDL_CONTROLLER_BUTTON_MAX, 0);
    if (device_ >= 0) stick_ = SDL_JoystickOpen(device_);
  }
  ~VirtualPad() { Unplug(); }
  bool Ok() const { return stick_ != nullptr; }
  SDL_Joystick* Stick() const { return stick_; }
  SDL_JoystickID Instance() const { return SDL_JoystickInstanceID(stick_); }
  int Device() const { return device_; }
  void Press(SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(stick_, button, down ? SDL_PRESSED : SDL_RELEASED);
  }
  void Unplug() {
    if (stick_ == nullptr) return;
    const SDL_JoystickID instance = Instance();
    SDL_JoystickClose(stick_);
    stick_ = nullptr;
    // Detaching takes the device's index, which moves as other pads come and go.
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == instance) SDL_JoystickDetachVirtual(i);
    }
  }

 private:
  int device_ = -1;
  SDL_Joystick* stick_ = nullptr;
};

// The buttons of the pad in a slot; 0xFFFF when no pad is there.
uint16_t Buttons(uint32_t slot) {
  PadRawState raw;
  return platform::GetPlatform().ReadPad(slot, &raw) ? raw.buttons : 0xFFFF;
}


// Opens the SDL platform's window; without OpenGL the tests fail unless QM_ALLOW_NO_GL=1.
class SdlPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::InstallPlatform(platform::CreateSdlPlatform());
    platform::WindowConfig window;
    window.windowed = true;
    window.width = 320;
    window.height = 240;
    window.noDialogs = true;
    if (!platform::GetPlatform().OpenWindow(window)) {
      std::string reason = "no SDL window: " + platform::GetPlatform().LastError();
      if (testing_support::NoGlAllowed()) GTEST_SKIP() << reason;
      FAIL() << reason;
    }
    // Whatever the window's own start produced (shown, exposed ...) is not part of the tests.
    while (!Pass().empty()) {
    }
  }
  void TearDown() override {
    platform::GetPlatform().CloseWindow();
    platform::InstallPlatform(platform::CreateNullPlatform());
  }
};

}  // namespace

TEST_F(SdlPlatformTest, ATapShorterThanAPassIsDeliveredOverTwoPasses) {
  PushKey(SDL_SCANCODE_W, true);
  PushKey(SDL_SCANCODE_W, false);
  PushKey(SDL_SCANCODE_A, true);
  PushMotion(10, 20);
  PushMotion(11, 21);
  PushButton(SDL_BUTTON_LEFT, true, 12, 22);
  PushButton(SDL_BUTTON_RIGHT, true, 13, 23);
  PushButton(SDL_BUTTON_LEFT, false, 14, 24);
  PushKey(SDL_SCANCODE_A, false);
  // The W release would undo this pass's press: the pass ends before it.
  EXPECT_EQ(Pass(), (Lines{"down 0x57"}));
  // Every motion is drained; the left release would undo this pass's left press.
  EXPECT_EQ(Pass(), (Lines{"up 0x57", "down 0x41", "move 10,20", "move 11,21", "left down 12,22", "right down 13,23"}));
  EXPECT_EQ(Pass(), (Lines{"left up 14,24", "up 0x41"}));
  EXPECT_EQ(Pass(), Lines{});
}

TEST_F(SdlPlatformTest, TheWheelArrivesAsNotchesAwayFromTheUser) {
  for (auto [y, direction] : {std::pair{2, SDL_MOUSEWHEEL_NORMAL}, std::pair{1, SDL_MOUSEWHEEL_FLIPPED}}) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = y;
    e.wheel.direction = static_cast<Uint32>(direction);
    SDL_PushEvent(&e);
  }
  EXPECT_EQ(Pass(), (Lines{"wheel 2", "wheel -1"}));
}

TEST_F(SdlPlatformTest, LeftAndRightCtrlAndShiftAlsoDriveTheGenericCode) {
  PushKey(SDL_SCANCODE_LCTRL, true);
  PushKey(SDL_SCANCODE_RCTRL, true);
  EXPECT_EQ(Pass(), (Lines{"down 0xA2", "down 0x11", "down 0xA3", "down 0x11"}));
  PushKey(SDL_SCANCODE_LCTRL, false);
  EXPECT_EQ(Pass(), (Lines{"up 0xA2", "down 0x11"})) << "the right Ctrl still holds the generic code";
  PushKey(SDL_SCANCODE_RCTRL, false);
  EXPECT_EQ(Pass(), (Lines{"up 0xA3", "up 0x11"}));

  PushKey(SDL_SCANCODE_RSHIFT, true);
  PushKey(SDL_SCANCODE_RSHIFT, false);
  EXPECT_EQ(Pass(), (Lines{"down 0xA1", "down 0x10"}));
  EXPECT_EQ(Pass(), (Lines{"up 0xA1", "up 0x10"}));
  PushKey(SDL_SCANCODE_LSHIFT, true);
  EXPECT_EQ(Pass(), (Lines{"down 0xA0", "down 0x10"}));
  PushKey(SDL_SCANCODE_LSHIFT, false);
  EXPECT_EQ(Pass(), (Lines{"up 0xA0", "up 0x10"}));
}

TEST_F(SdlPlatformTest, KeyRepeatsAreDroppedAndClosingTheWindowQuits) {
  SDL_Event repeat{};
  repeat.type = SDL_KEYDOWN;
  repeat.key.repeat = 1;
  repeat.key.keysym.scancode = SDL_SCANCODE_D;
  Push(repeat);
  PushKey(SDL_SCANCODE_F8, true);
  PushKey(SDL_SCANCODE_F11, true);
  EXPECT_EQ(Pass(), (Lines{"down 0x77", "down 0x7A"}));

  PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  Push(quit);
  EXPECT_EQ(Pass(), (Lines{"quit", "quit"}));
}

TEST_F(SdlPlatformTest, OnTheOffscreenDriverTheWindowKeepsTheFocusAndIsNeverMinimised) {
  // Nobody else can take the focus of an offscreen window; otherwise every level would pause itself.
  platform::Platform& plat = platform::GetPlatform();
  EXPECT_TRUE(plat.HasFocus());
  EXPECT_FALSE(plat.IsMinimized());
  SDL_Window* window = SDL_GL_GetCurrentWindow();
  ASSERT_NE(window, nullptr);
  SDL_MinimizeWindow(window);
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
  Pass();
  EXPECT_TRUE(plat.HasFocus());
  EXPECT_FALSE(plat.IsMinimized());
}

TEST_F(SdlPlatformTest, APadArrivesInTheXInputLayoutWithItsYAxesFlipped) {
  VirtualPad pad;
  ASSERT_TRUE(pad.Ok()) << SDL_GetError();
  SDL_Joystick* stick = pad.Stick();
  Pass();  // the pump opens the controller as user index 0

  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTX, 1000);
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTY, 12000);     // pushed down in SDL
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_RIGHTX, -32768);
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_RIGHTY, -32768);   // fully up in SDL
  // A virtual pad's trigger axes span the full range, as a real pad's raw triggers do: SDL maps
  // -32768 to released and 32767 to fully pressed.
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
  SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_START, SDL_PRESSED);
  SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_PRESSED);
  Pass();

  PadRawState raw;
  ASSERT_TRUE(platform::GetPlatform().ReadPad(0, &raw));
  // XInput's y points up; -32768 has no positive twin.
  EXPECT_EQ((std::vector<int>{raw.thumbLX, raw.thumbLY, raw.thumbRX, raw.thumbRY, raw.leftTrigger, raw.rightTrigger,
                              raw.buttons}),
            (std::vector<int>{1000, -12000, -32768, 32767, 255, 0, 0x1000 | 0x0010 | 0x0004}));
  EXPECT_FALSE(platform::GetPlatform().ReadPad(1, &raw)) << "one pad, one record";

  pad.Unplug();
  Pass();
  EXPECT_FALSE(platform::GetPlatform().ReadPad(0, &raw)) << "an unplugged pad gives no record";
}


TEST_F(SdlPlatformTest, AnyPadPlaysTheOneUsedLastWinsAndUnpluggingOneLeavesTheOther) {
  VirtualPad first, second;
  ASSERT_TRUE(first.Ok() && second.Ok()) << SDL_GetError();
  Pass();  // both are opened
  second.Press(SDL_CONTROLLER_BUTTON_A, true);
  Pass();
  EXPECT_EQ(Buttons(0), 0x1000) << "the second pad, just used, drives the game";
  second.Press(SDL_CONTROLLER_BUTTON_A, false);
  first.Press(SDL_CONTROLLER_BUTTON_B, true);
  Pass();
  EXPECT_EQ(Buttons(0), 0x2000) << "then the first, used after it";
  EXPECT_EQ(Buttons(1), 0x0000) << "the other pad keeps a slot of its own";
  first.Press(SDL_CONTROLLER_BUTTON_B, false);
  Pass();

  first.Unplug();
  Pass();
  second.Press(SDL_CONTROLLER_BUTTON_START, true);
  Pass();
  EXPECT_EQ(Buttons(0), 0x0010) << "the pad left plugged in plays on";
  EXPECT_EQ(Buttons(1), 0xFFFF) << "and it is the only one";
}

TEST_F(SdlPlatformTest, APadAnnouncedTwiceIsClosedWhenItIsUnplugged) {
  VirtualPad pad;
  ASSERT_TRUE(pad.Ok()) << SDL_GetError();
  Pass();
  // The same device announced again (SDL does so when its subsystem starts with the pad in): a
  // second open counts a second reference, which must go back.
  SDL_Event again{};
  again.type = SDL_CONTROLLERDEVICEADDED;
  again.cdevice.which = pad.Device();
  ASSERT_EQ(SDL_PushEvent(&again), 1);
  Pass();
  const SDL_JoystickID instance = pad.Instance();
  ASSERT_NE(SDL_GameControllerFromInstanceID(instance), nullptr);
  pad.Unplug();
  Pass();
  EXPECT_EQ(SDL_GameControllerFromInstanceID(instance), nullptr) << "no reference is left holding it open";
}

// F8 and F11 through the whole main loop: the application opens the window itself.
// F11 goes through the same setting as the options overlay's buttons: it is remembered.
TEST(SdlMainLoopTest, F11TogglesFullScreenOncePerPressIsRememberedAndF8EndsTheRun) {
  testing_support::TempDir settings;
  SetSettingsPath(settings.File("Settings.lullwick"));
  RunOptions options;
  options.windowed = true;
  options.width = 320;
  options.height = 240;
  options.noDialogs = true;
  options.fixedDt = 0.016f;
  SetRunOptions(options);
  platform::InstallPlatform(platform::CreateSdlPlatform());
  ResetKeys();
  ResetPads();
  Application app;
  const bool started = app.Initialize();
  if (!started && testing_support::NoGlAllowed()) {
    app.Shutdown();
    GTEST_SKIP() << "no OpenGL window";
  }
  ASSERT_TRUE(started);
  platform::Platform& plat = platform::GetPlatform();
  auto runFrames = [&](int frames) {
    RunOptions more = options;
    more.frames = app.FramesRun() + frames;
    SetRunOptions(more);
    app.Run();
  };
  runFrames(2);
  ASSERT_FALSE(plat.IsFullscreen());

  PushKey(SDL_SCANCODE_F11, true);  // held for several frames: one toggle
  runFrames(3);
  EXPECT_TRUE(plat.IsFullscreen());
  EXPECT_TRUE(LoadSettings(SettingsPath()).fullscreen) << "remembered";
  PushKey(SDL_SCANCODE_F11, false);
  PushKey(SDL_SCANCODE_F11, true);
  runFrames(3);
  EXPECT_FALSE(plat.IsFullscreen());
  EXPECT_FALSE(LoadSettings(SettingsPath()).fullscreen) << "remembered";
  PushKey(SDL_SCANCODE_F11, false);

  const int before = app.FramesRun();
  PushKey(SDL_SCANCODE_F8, true);
  runFrames(50);
  EXPECT_EQ(app.FramesRun(), before + 1) << "F8 ends the loop in the frame it is seen";

  app.Shutdown();
  SetRunOptions(RunOptions{});
  SetSettingsPath("");
  CurrentSettings() = UserSettings{};
  platform::InstallPlatform(platform::CreateNullPlatform());
}
