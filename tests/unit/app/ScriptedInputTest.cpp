#include "app/ScriptedInput.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <utility>
#include <vector>

#include "core/FrameClock.h"
#include "core/Input.h"
#include "core/InputScript.h"
#include "core/KeyCodes.h"
#include "graphics/Camera.h"
#include "graphics/ScreenToWorld.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

namespace {

using Kind = platform::Event::Kind;

// The real platform as the wrapper sees it: a null platform whose pump hands out queued events and
// whose pad 0 is plugged in.
struct FakeInput {
  std::deque<std::vector<platform::Event>> passes;  // events of each coming pump
  bool padPresent = false;
  PadRawState pad;
};

class FakePlatform final : public platform::Platform {
 public:
  explicit FakePlatform(FakeInput* input) : input_(input), null_(platform::CreateNullPlatform(1280, 720)) {}
  void PumpEvents(const std::function<void(const platform::Event&)>& deliver) override {
    if (input_->passes.empty()) return;
    for (const platform::Event& e : input_->passes.front()) deliver(e);
    input_->passes.pop_front();
  }
  bool ReadPad(uint32_t index, PadRawState* out) override {
    if (index != 0 || !input_->padPresent) return false;
    *out = input_->pad;
    return true;
  }
  bool OpenWindow(const platform::WindowConfig& c) override { return null_->OpenWindow(c); }
  void CloseWindow() override {}
  bool HasWindow() const override { return false; }
  bool HasGlContext() const override { return false; }
  std::string LastError() const override { return {}; }
  void SetRawEventHook(std::function<bool(const void*)>) override {}
  bool IsMinimized() const override { return false; }
  bool HasFocus() const override { return true; }
  void CaptureMouse(bool) override {}
  void ShowCursor(bool) override {}
  void ShowMessageBox(const std::string&, const std::string&) override {}
  void GetClientSize(int* w, int* h) const override { null_->GetClientSize(w, h); }
  void GetWindowSize(int* w, int* h) const override { null_->GetWindowSize(w, h); }
  void GetDesktopSize(int* w, int* h) const override { null_->GetDesktopSize(w, h); }
  bool IsFullscreen() const override { return false; }
  void SetFullscreen(bool) override {}
  std::vector<platform::DisplayMode> DisplayModes() const override { return {}; }
  void SwapBuffers(bool) override {}
  uint64_t PerformanceCounter() const override { return 0; }
  uint64_t PerformanceFrequency() const override { return 1000; }
  uint32_t Ticks() const override { return 0; }
  void Sleep(uint32_t) override {}

 private:
  FakeInput* input_;
  std::unique_ptr<platform::Platform> null_;
};

InputScript Script(const std::string& text) {
  InputScript script;
  InputScriptError error;
  EXPECT_TRUE(ReadInputScript(text, &script, &error)) << error.line << ": " << error.reason;
  return script;
}

class ScriptedInputTest : public ::testing::Test {
 protected:
  void TearDown() override {
    std::string ignored;
    FinishInputScripts(&ignored);
    MainCamera() = Camera{};
    Clock().timer.lastFrameMs = 0.0f;
  }

  void Start(const InputScript& script, bool play, const std::string& record = "") {
    PrepareInputScripts(script, play, record);
    platform_ = WrapPlatformForScripts(std::make_unique<FakePlatform>(&fake_));
  }

  // One pass of the main loop as far as input goes: the pump, then pad 0, then the frame's end.
  std::vector<platform::Event> Pass(PadRawState* pad = nullptr, bool* padPresent = nullptr) {
    std::vector<platform::Event> events;
    platform_->PumpEvents([&](const platform::Event& e) { events.push_back(e); });
    PadRawState raw;
    bool present = platform_->ReadPad(0, &raw);
    if (pad != nullptr) *pad = raw;
    if (padPresent != nullptr) *padPresent = present;
    AdvanceInputScript();
    return events;
  }

  FakeInput fake_;
  std::unique_ptr<platform::Platform> platform_;
};

bool Has(const std::vector<platform::Event>& events, Kind kind, int key = 0) {
  for (const platform::Event& e : events) {
    if (e.kind == kind && e.key == key) return true;
  }
  return false;
}

// The script's frame time holds from its dt line while it plays.
TEST_F(ScriptedInputTest, ScriptFramesArriveAsChangesOnlyAndEverythingGoesUpAtTheEnd) {
  Start(Script("qinput 1\n2 D CTRL\ndt 0.02\n1 D LMB mouse=10,20\n"), true);
  // A real key press is not the script's and never reaches the game.
  fake_.passes.push_back({{Kind::KeyDown, vk::Letter('Q'), 0, 0}});

  EXPECT_FALSE(ScriptedFrameMs().has_value());
  std::vector<platform::Event> first = Pass();
  ASSERT_EQ(first.size(), 3u);
  EXPECT_TRUE(Has(first, Kind::KeyDown, vk::Letter('D')));
  EXPECT_TRUE(Has(first, Kind::KeyDown, vk::LControl));
  EXPECT_TRUE(Has(first, Kind::KeyDown, vk::Control));  // the generic code follows its side
  EXPECT_TRUE(Pass().empty());                          // held keys are not pressed again
  EXPECT_EQ(ScriptedFrameMs(), std::optional<float>(20.0f));

  std::vector<platform::Event> third = Pass();
  ASSERT_EQ(third.size(), 4u);
  EXPECT_EQ(third[0].kind, Kind::MouseMove);  // the cursor moves before the click lands
  EXPECT_EQ(third[0].x, 10);
  EXPECT_TRUE(Has(third, Kind::KeyUp, vk::LControl));
  EXPECT_TRUE(Has(third, Kind::KeyUp, vk::Control));
  EXPECT_EQ(third[3].kind, Kind::LeftDown);
  EXPECT_EQ(std::pair(third[3].x, third[3].y), std::pair(10, 20));
  EXPECT_TRUE(InputScriptPlaying() == false);
  EXPECT_FALSE(ScriptedFrameMs().has_value());

  std::vector<platform::Event> after = Pass();
  EXPECT_TRUE(Has(after, Kind::KeyUp, vk::Letter('D')));
  EXPECT_TRUE(Has(after, Kind::LeftUp));
  EXPECT_FALSE(Has(after, Kind::MouseMove));  // the cursor stays where it was put
  EXPECT_TRUE(Pass().empty());
}

TEST_F(ScriptedInputTest, PadZeroIsTheScriptsAndRestsAfterIt) {
  Start(Script("qinput 1\n1 lstick=1,-0.5 lt=0.5 PAD_A\n"), true);
  fake_.padPresent = true;
  fake_.pad.buttons = 0x2000;  // a real B press is not the script's
  PadRawState pad;
  bool present = false;
  Pass(&pad, &present);
  auto record = [&] { return std::vector<int>{present, pad.buttons, pad.thumbLX, pad.thumbLY, pad.leftTrigger}; };
  EXPECT_EQ(record(), (std::vector<int>{true, 0x1000, 32767, -16384, 128}));
  Pass(&pad, &present);
  EXPECT_EQ(record(), (std::vector<int>{true, 0, 0, 0, 0}));
}

// A playing script holds the focus except in its NOFOCUS frames, and again once it has ended.
TEST_F(ScriptedInputTest, TheScriptLosesTheFocusOnlyInItsNoFocusFrames) {
  Start(Script("qinput 1\n1 D\n2 NOFOCUS\n1\n"), true);
  std::vector<bool> focused;
  for (int i = 0; i < 5; ++i) {
    platform_->PumpEvents([](const platform::Event&) {});
    focused.push_back(platform_->HasFocus());
    AdvanceInputScript();
  }
  EXPECT_EQ(focused, (std::vector<bool>{true, false, false, true, true}));
}

TEST_F(ScriptedInputTest, WorldCursorLandsOverTheWorldPointUnderTheCameraOfThatFrame) {
  Start(Script("qinput 1\n1 mouseworld=400,310\n1 mouseworld=-250.5,-90\n"), true);
  for (float cameraX : {0.0f, 300.0f}) {
    MainCamera().position[0] = cameraX;
    MainCamera().position[1] = cameraX / 3.0f;
    std::vector<platform::Event> events = Pass();
    ASSERT_EQ(events.size(), 1u);
    // The game turns the cursor back into a world point with the view the frame builds.
    BuildProjection(1280.0f / 720.0f);
    MainCamera().Render();
    WorldPoint world = ScreenToWorldIn(static_cast<float>(events[0].x), static_cast<float>(events[0].y), 0.0f, 1280, 720);
    const float wantX = cameraX == 0.0f ? 400.0f : -250.5f;
    const float wantY = cameraX == 0.0f ? 310.0f : -90.0f;
    // A pixel spans about 0.65 world units at this distance; the exact projection alone is up to
    // two units off what the game reads back.
    EXPECT_NEAR(world.x, wantX, 0.75f) << "camera x " << cameraX;
    EXPECT_NEAR(world.y, wantY, 0.75f) << "camera x " << cameraX;
  }
}

TEST_F(ScriptedInputTest, RecordsTheRealPlatformsInputAsAScriptThatPlaysTheSameEvents) {
  testing_support::TempDir dir;
  const std::string file = dir.File("run.qinput");
  Start(InputScript{}, false, file);
  fake_.padPresent = true;
  fake_.passes.push_back({{Kind::KeyDown, vk::RControl, 0, 0}, {Kind::KeyDown, vk::Control, 0, 0},
                          {Kind::MouseMove, 0, 5, 6}});
  fake_.passes.push_back({{Kind::RightDown, 0, 7, 8}});
  fake_.passes.push_back({{Kind::Wheel, 2, 7, 8}});
  fake_.passes.push_back({{Kind::KeyUp, vk::RControl, 0, 0}, {Kind::KeyUp, vk::Control, 0, 0}});
  std::vector<std::vector<platform::Event>> real;
  for (int i = 0; i < 4; ++i) {
    if (i == 2) fake_.pad.rightTrigger = 255;
    Clock().timer.lastFrameMs = i < 3 ? 25.0f : 12.5f;
    real.push_back(Pass());
  }
  std::string error;
  ASSERT_TRUE(FinishInputScripts(&error)) << error;
  const std::string text = testing_support::ReadFile(file);
  EXPECT_EQ(text,
            "qinput 1\n"
            "# recorded run of 4 frames\n"
            "dt 0.025\n"
            "1 VK_A3 mouse=5,6\n"
            "1 VK_A3 RMB mouse=7,8\n"
            "1 VK_A3 RMB wheel=2 mouse=7,8 rt=1\n"
            "dt 0.0125\n"
            "1 RMB mouse=7,8 rt=1\n");

  // Played back, the game is told the same things.
  fake_ = FakeInput{};
  Start(Script(text), true);
  for (size_t i = 0; i < real.size(); ++i) {
    std::vector<platform::Event> played = Pass();
    for (const platform::Event& e : real[i]) {
      bool found = false;
      for (const platform::Event& p : played) {
        found = found || (p.kind == e.kind && p.key == e.key && (e.kind == Kind::KeyDown || e.kind == Kind::KeyUp ||
                                                                 (p.x == e.x && p.y == e.y)));
      }
      EXPECT_TRUE(found) << "pass " << i << " lacks event kind " << static_cast<int>(e.kind) << " key " << e.key;
    }
  }
}

}  // namespace

namespace {

// A replay over real input: it starts with the frame after the one that asked, its frames and
// frame times replace the player's, what the player does goes to its controls, and when it ends or
// is stopped the game gets back exactly what the player holds.
TEST_F(ScriptedInputTest, AReplayTakesTheInputFromTheNextFrameAndGivesThePlayersBack) {
  Start(InputScript{}, false);
  std::vector<std::pair<int, uint16_t>> controls;
  fake_.passes.push_back({{Kind::KeyDown, vk::Letter('W'), 0, 0}});  // the player holds W
  fake_.padPresent = true;
  std::vector<platform::Event> asked = Pass();
  ASSERT_TRUE(Has(asked, Kind::KeyDown, vk::Letter('W')));
  bool started = false;
  PlayReplay(Script("qinput 1\ndt 0.02\n2 D\n"), [&](int key, uint16_t pad) { controls.emplace_back(key, pad); },
             [&] { started = true; });
  EXPECT_TRUE(ReplayPlaying());
  EXPECT_FALSE(started);
  EXPECT_TRUE(Pass().empty()) << "the frame that asked is the player's";
  EXPECT_TRUE(started);

  // The replay's first frame: W let go, D down, its frame time; the player's Q and pad B go to the
  // controls only.
  EXPECT_EQ(ScriptedFrameMs(), std::optional<float>(20.0f));
  fake_.passes.push_back({{Kind::KeyDown, vk::Letter('Q'), 0, 0}});
  fake_.pad.buttons = 0x2000;
  PadRawState pad;
  std::vector<platform::Event> first = Pass(&pad);
  EXPECT_TRUE(Has(first, Kind::KeyUp, vk::Letter('W')));
  EXPECT_TRUE(Has(first, Kind::KeyDown, vk::Letter('D')));
  EXPECT_FALSE(Has(first, Kind::KeyDown, vk::Letter('Q')));
  EXPECT_EQ(pad.buttons, 0) << "pad 0 is the replay's";
  EXPECT_EQ(controls, (std::vector<std::pair<int, uint16_t>>{{vk::Letter('Q'), 0}, {0, 0x2000}}));

  // Held: nothing new, the playhead stays.
  HoldReplay(true);
  EXPECT_TRUE(Pass().empty());
  EXPECT_TRUE(Pass().empty());
  HoldReplay(false);
  EXPECT_TRUE(Pass().empty());  // the second frame of "2 D"
  EXPECT_TRUE(ReplayPlaying());

  // The end: D goes up, and the player's W and Q (held all along) come back.
  std::vector<platform::Event> end = Pass();
  EXPECT_TRUE(Has(end, Kind::KeyUp, vk::Letter('D')));
  EXPECT_TRUE(Has(end, Kind::KeyDown, vk::Letter('W')));
  EXPECT_TRUE(Has(end, Kind::KeyDown, vk::Letter('Q')));
  EXPECT_FALSE(ReplayPlaying());
  fake_.passes.push_back({{Kind::KeyUp, vk::Letter('Q'), 0, 0}});
  EXPECT_TRUE(Has(Pass(), Kind::KeyUp, vk::Letter('Q'))) << "real input reaches the game again";
}

TEST_F(ScriptedInputTest, AStoppedReplayLetsGoOfWhatItHeld) {
  Start(InputScript{}, false);
  Pass();
  PlayReplay(Script("qinput 1\n100 D LMB\n"), nullptr);
  Pass();
  std::vector<platform::Event> first = Pass();
  ASSERT_TRUE(Has(first, Kind::KeyDown, vk::Letter('D')));
  StopReplay();
  EXPECT_FALSE(ReplayPlaying());
  std::vector<platform::Event> after = Pass();
  EXPECT_TRUE(Has(after, Kind::KeyUp, vk::Letter('D')));
  EXPECT_TRUE(Has(after, Kind::LeftUp));
  EXPECT_TRUE(Pass().empty());
}

// The level recorder keeps every frame from the one the level starts in, with its frame time.
TEST_F(ScriptedInputTest, TheLevelRecorderKeepsTheFramesFromTheOneTheLevelStartsIn) {
  Start(Script("qinput 1\n1 A\n2 D\n1 S\n"), true);
  Pass();
  platform_->PumpEvents([](const platform::Event&) {});
  NoteFrameInput(25.0f);
  BeginLevelRecording();  // inside the second frame
  AdvanceInputScript();
  for (int i = 0; i < 2; ++i) {
    platform_->PumpEvents([](const platform::Event&) {});
    NoteFrameInput(16.0f);
    AdvanceInputScript();
  }
  EXPECT_TRUE(LevelRecording());
  const InputScript recorded = EndLevelRecording();
  EXPECT_FALSE(LevelRecording());
  EXPECT_EQ(WriteInputScript(recorded), "qinput 1\ndt 0.025\n1 D\ndt 0.016\n1 D\n1 S\n");
}

}  // namespace
