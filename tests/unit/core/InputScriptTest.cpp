#include "core/InputScript.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/KeyCodes.h"

namespace {

InputScript Read(const std::string& text) {
  InputScript script;
  InputScriptError error;
  EXPECT_TRUE(ReadInputScript(text, &script, &error)) << "line " << error.line << ": " << error.reason;
  return script;
}

InputScriptError Refuse(const std::string& text) {
  InputScript script;
  InputScriptError error;
  EXPECT_FALSE(ReadInputScript(text, &script, &error)) << text;
  EXPECT_TRUE(script.runs.empty());
  return error;
}

bool Holds(const InputFrame& frame, int code) { return frame.keys.test(static_cast<size_t>(code)); }

TEST(InputScriptReadTest, ReadsEveryKindOfLineOfTheDocumentedExample) {
  InputScript script = Read(
      "qinput 1\n"
      "# comment lines start with '#'\n"
      "\n"
      "60 D W\n"
      "dt 0.02\n"
      "1 RMB mouseworld=400,310   # a trailing comment\n"
      "20 LMB mouse=640,200\n"
      "15 lstick=0.5,-1 rt=1 PAD_A PAD_START\n");
  ASSERT_EQ(script.runs.size(), 4u);
  EXPECT_EQ(script.FrameCount(), 96);

  const InputRun& walk = script.runs[0];
  EXPECT_EQ(walk.frames, 60);
  EXPECT_FALSE(walk.dt.has_value());  // the game's own clock until a dt line
  EXPECT_TRUE(Holds(walk.input, vk::Letter('D')));
  EXPECT_TRUE(Holds(walk.input, vk::Letter('W')));
  EXPECT_EQ(walk.input.keys.count(), 2u);
  EXPECT_EQ(walk.input.cursor, CursorPlacement::None);

  const InputRun& grab = script.runs[1];
  EXPECT_EQ(grab.dt, 0.02);
  EXPECT_TRUE(grab.input.rightButton);
  EXPECT_FALSE(grab.input.leftButton);
  EXPECT_EQ(grab.input.cursor, CursorPlacement::World);
  EXPECT_EQ(std::pair(grab.input.worldX, grab.input.worldY), std::pair(400.0f, 310.0f));
  EXPECT_TRUE(grab.input.keys.none());  // nothing carries over from the line before

  const InputRun& click = script.runs[2];
  EXPECT_EQ(click.dt, 0.02);  // a dt line holds until the next one
  EXPECT_EQ(click.input.cursor, CursorPlacement::Window);
  EXPECT_EQ(std::pair(click.input.mouseX, click.input.mouseY), std::pair(640, 200));

  // A stick at 0.5 is half the XInput range; y is up, as the pad reports it.
  const InputFrame& pad = script.runs[3].input;
  EXPECT_EQ((std::vector<int>{pad.leftStickX, pad.leftStickY, pad.rightTrigger, pad.padButtons}),
            (std::vector<int>{16384, -32767, 255, 0x1000 | 0x0010}));

  // Empty scripts and bare frame counts are valid too.
  EXPECT_EQ(Read("qinput 1\n").FrameCount(), 0);
  EXPECT_EQ(Read("\xEF\xBB\xBF# made by hand\nqinput 1").FrameCount(), 0);
  InputScript idle = Read("qinput 1\n100\n");
  ASSERT_EQ(idle.runs.size(), 1u);
  EXPECT_EQ(idle.runs[0].input, InputFrame{});
}

TEST(InputScriptReadTest, KeyNamesMapToTheGamesKeyCodes) {
  InputScript script = Read(
      "QINPUT 1\r\n"
      "1 a z 0 9 F1 f12 ESCAPE ENTER SPACE TAB BACKSPACE DELETE\r\n"
      "1 UP DOWN LEFT RIGHT CTRL SHIFT ALT VK_BA VK_11\r\n");
  const InputFrame& first = script.runs[0].input;
  for (int code : {vk::Letter('A'), vk::Letter('Z'), vk::Digit(0), vk::Digit(9), vk::F1, vk::F1 + 11, vk::Escape,
                   vk::Return, vk::Space, vk::Tab, vk::Back, vk::Delete}) {
    EXPECT_TRUE(Holds(first, code)) << code;
  }
  EXPECT_EQ(first.keys.count(), 12u);
  const InputFrame& second = script.runs[1].input;
  // Modifiers are held by their left key; the generic code follows it in play.
  for (int code : {vk::Up, vk::Down, vk::Left, vk::Right, vk::LControl, vk::LShift, vk::LMenu, vk::Oem1}) {
    EXPECT_TRUE(Holds(second, code)) << code;
  }
  EXPECT_FALSE(Holds(second, vk::Control));
  EXPECT_EQ(second.keys.count(), 8u);  // VK_11 is Ctrl again
}

TEST(InputScriptReadTest, RefusesMalformedScriptsWithTheLineAndAReason) {
  struct Case {
    const char* text;
    int line;
    const char* reason;  // a piece of the reason
  };
  const Case cases[] = {
      {"", 1, "qinput 1"},
      {"60 D\n", 1, "qinput 1"},
      {"# hello\n\nqinput 2\n", 3, "unsupported version"},
      {"qinput\n", 1, "unsupported version"},
      {"qinput 1\n60 D\n3 JUMP\n", 3, "unknown token 'JUMP'"},
      {"qinput 1\n0 D\n", 2, "frame count"},
      {"qinput 1\n-5 D\n", 2, "frame count"},
      {"qinput 1\n999999999999 D\n", 2, "frame count"},
      {"qinput 1\nD 60\n", 2, "frame count"},
      {"qinput 1\n1 mouse=10\n", 2, "two numbers"},
      {"qinput 1\n1 mouse=1.5,2\n", 2, "whole window pixels"},
      {"qinput 1\n1 mouse=40000,2\n", 2, "whole window pixels"},
      {"qinput 1\n1 mouseworld=nan,2\n", 2, "two numbers"},
      {"qinput 1\n1 mouseworld=1e39,2\n", 2, "beyond any world"},
      {"qinput 1\n1 mouse=1,2 mouseworld=3,4\n", 2, "placed twice"},
      {"qinput 1\n1 lstick=1.01,0\n", 2, "from -1 to 1"},
      {"qinput 1\n1 rstick=0\n", 2, "from -1 to 1"},
      {"qinput 1\n1 lt=-0.1\n", 2, "from 0 to 1"},
      {"qinput 1\n1 rt=inf\n", 2, "from 0 to 1"},
      {"qinput 1\n1 D d\n", 2, "named twice"},
      {"qinput 1\ndt\n", 2, "'dt'"},
      {"qinput 1\ndt -0.02\n", 2, "'dt'"},
      {"qinput 1\ndt 0.02 0.03\n", 2, "'dt'"},
      {"qinput 1\n1 F13 VK_00\n", 2, "unknown token 'F13'"},
      {"qinput 1\n1 VK_100\n", 2, "unknown token"},
      {"qinput 1\n1\nqinput 1\n", 3, "second 'qinput'"},
      {"qinput 1\n1 speed=3\n", 2, "unknown token 'speed=3'"},
      {"qinput 1\n1 +2\n", 2, "unknown token"},
      {"qinput 1\n1 wheel=0\n", 2, "whole number of notches"},
      {"qinput 1\n1 wheel=1.5\n", 2, "whole number of notches"},
      {"qinput 1\n1 wheel=5000\n", 2, "whole number of notches"},
  };
  for (const Case& c : cases) {
    InputScriptError error = Refuse(c.text);
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_NE(error.reason.find(c.reason), std::string::npos) << c.text << " -> " << error.reason;
  }
}

TEST(InputScriptWriteTest, WritesTheCanonicalLayout) {
  InputScript script = Read(
      "qinput 1\n"
      "dt 0.025\n"
      "3 d shift\n"
      "1 rt=1 pad_b lmb mouse=-4,7\n"
      "dt 0.016\n"
      "2 mouseworld=-12.5,0.25 lstick=-1,0.5\n"
      "1 WHEEL=-3 lmb\n");
  EXPECT_EQ(WriteInputScript(script, "a note"),
            "qinput 1\n"
            "# a note\n"
            "dt 0.025\n"
            "3 D SHIFT\n"
            "1 LMB mouse=-4,7 PAD_B rt=1\n"
            "dt 0.016\n"
            "2 mouseworld=-12.5,0.25 lstick=-1,0.5\n"
            "1 LMB wheel=-3\n");
}

TEST(InputScriptWriteTest, WhatIsWrittenReadsBackEqual) {
  std::mt19937 random(7);
  InputScript script;
  for (int i = 0; i < 200; ++i) {
    InputRun run;
    run.frames = 1 + static_cast<int32_t>(random() % 50);
    if (i > 3) run.dt = FrameMsToSeconds(static_cast<float>(random() % 40000) / 1000.0f);
    InputFrame& f = run.input;
    for (int k = 0; k < 3; ++k) {
      int code = 1 + static_cast<int>(random() % 255);
      if (code != vk::Control && code != vk::Shift && code != vk::Menu) f.keys.set(static_cast<size_t>(code));
    }
    f.leftButton = random() % 2 == 0;
    f.middleButton = random() % 5 == 0;
    f.unfocused = random() % 7 == 0;
    if (random() % 4 == 0) f.wheel = static_cast<int32_t>(random() % 21) - 10;
    switch (random() % 3) {
      case 0: break;
      case 1:
        f.cursor = CursorPlacement::Window;
        f.mouseX = static_cast<int32_t>(random() % 4000) - 2000;
        f.mouseY = static_cast<int32_t>(random() % 4000) - 2000;
        break;
      default:
        f.cursor = CursorPlacement::World;
        f.worldX = static_cast<float>(random()) / 3e5f - 5000.0f;
        f.worldY = -static_cast<float>(random()) / 7e5f;
    }
    f.padButtons = static_cast<uint16_t>(random() & 0xF3FF);  // every bit a token names
    f.leftStickX = static_cast<int16_t>(static_cast<int>(random() % 65535) - 32767);
    f.rightStickY = static_cast<int16_t>(static_cast<int>(random() % 65535) - 32767);
    f.leftTrigger = static_cast<uint8_t>(random() % 256);
    f.rightTrigger = static_cast<uint8_t>(random() % 256);
    script.runs.push_back(run);
  }
  const std::string text = WriteInputScript(script);
  EXPECT_EQ(Read(text), script);
  EXPECT_EQ(WriteInputScript(Read(text)), text);
}

TEST(InputRecordingTest, MergesEqualConsecutiveFramesAndSplitsOnAnyChange) {
  InputFrame idle;
  InputFrame walk;
  walk.keys.set(static_cast<size_t>(vk::Letter('D')));
  InputRecording recording;
  for (int i = 0; i < 5; ++i) recording.Add(idle, 25.0f);
  for (int i = 0; i < 3; ++i) recording.Add(walk, 25.0f);
  recording.Add(walk, 16.5f);  // same input, another frame time
  recording.Add(walk, 16.5f);
  recording.Add(idle, 16.5f);
  EXPECT_EQ(WriteInputScript(recording.Script()),
            "qinput 1\n"
            "dt 0.025\n"
            "5\n"
            "3 D\n"
            "dt 0.0165\n"
            "2 D\n"
            "1\n");
}

TEST(InputRecordingTest, RecordedFrameTimesComeBackBitForBit) {
  std::mt19937 random(11);
  for (int i = 0; i < 20000; ++i) {
    float ms = static_cast<float>(random()) / static_cast<float>(random.max()) * 100.0f;
    if (i % 3 == 0) ms = static_cast<float>(random() % 100000) / 1000.0f;
    double seconds = FrameMsToSeconds(ms);
    ASSERT_EQ(SecondsToFrameMs(seconds), ms) << "ms " << ms;
    // And through text, as the dt line carries it.
    InputRecording recording;
    recording.Add(InputFrame{}, ms);
    if (i % 100 == 0) {
      EXPECT_EQ(SecondsToFrameMs(*Read(WriteInputScript(recording.Script())).runs[0].dt), ms);
    }
  }
  EXPECT_EQ(FrameMsToSeconds(25.0f), 0.025);
  EXPECT_EQ(FrameMsToSeconds(0.0f), 0.0);
}

}  // namespace
