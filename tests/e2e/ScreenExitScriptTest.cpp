// No screen is a dead end: the win, game-over and end scenes, every overlay and dialog of the main
// menu and of the pause menu, the level select and the credits are left with the keyboard alone
// and with the pad alone. Enter and pad A press the selected button, Escape and pad B step back
// one screen, Start presses the selection outside the levels. Headless runs on input scripts; the
// screen shown is read from the texts the game dumps (--dump-texts) and the scene from the state log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ScriptedGame.h"

using namespace testing_support;
using namespace testing_support::scene_index;

namespace {

// ---- the screens at the end of a level ------------------------------------------------------------

struct ClosingCase {
  const char* screen;
  int scene;
  const char* input;
};

class ClosingScreenTest : public ::testing::TestWithParam<ClosingCase> {};

TEST_P(ClosingScreenTest, OneKeyOrButtonLeadsBackToTheMainMenu) {
  const ClosingCase& c = GetParam();
  ScriptWriter tour;
  tour.Hold(5);
  tour.Tap(c.input);
  tour.Hold(50);  // the end scene fades out before it leaves
  ScriptedGame game;
  ScriptedGame::Options options = ScriptedGame::From(c.scene, tour.Frame());
  options.textDumpAfter = {4};
  ScriptRun run = game.Run(tour.Text(), options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_NE(run.textDumps.at(4).texts.size(), 0u);
  EXPECT_EQ(run.SceneAt(tour.Frame()), kMainMenu) << c.screen << " left with " << c.input;
}

// Every closing screen with every key and button that leaves it.
std::vector<ClosingCase> ClosingCases() {
  std::vector<ClosingCase> cases;
  for (const auto& [screen, scene] : {std::pair{"win", 10}, {"game_over", 9}, {"end_scene", 5}}) {
    for (const char* input : {"ENTER", "ESCAPE", "PAD_A", "PAD_B", "PAD_START"}) {
      cases.push_back({screen, scene, input});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(
    KeysAndPad, ClosingScreenTest, ::testing::ValuesIn(ClosingCases()),
    [](const ::testing::TestParamInfo<ClosingCase>& info) {
      return std::string(info.param.screen) + "_" + info.param.input;
    });

// ---- every overlay, dialog and menu scene ----------------------------------------------------------

// The words of one way of playing: the keyboard's or the pad's.
struct Controls {
  const char* name;
  const char* up;
  const char* down;
  const char* press;
  const char* back;
  const char* pause;
};

constexpr Controls kKeys = {"keys", "UP", "DOWN", "ENTER", "ESCAPE", "ESCAPE"};
constexpr Controls kPad = {"pad", "PAD_UP", "PAD_DOWN", "PAD_A", "PAD_B", "PAD_START"};

struct Look {
  int frame;
  std::string what;     // the screen the run should be on
  std::string shown;    // a text that must be on the screen
  std::string hidden;   // a text that must not be
  int scene;            // the scene index
  bool paused;
};

class OverlayExitTest : public ::testing::TestWithParam<Controls> {};

TEST_P(OverlayExitTest, EveryOverlayDialogAndMenuSceneIsLeftOneStepAtATime) {
  const Controls& in = GetParam();
  ScriptWriter tour;
  std::vector<Look> looks;
  auto look = [&](const std::string& what, const std::string& shown, const std::string& hidden, int scene,
                  bool paused = false) {
    tour.Hold(3);
    looks.push_back({tour.Frame(), what, shown, hidden, scene, paused});
  };
  auto open = [&](int moves, bool up) {
    for (int i = 0; i < moves; ++i) tour.Tap(up ? in.up : in.down);
    tour.Tap(in.press);
  };
  tour.Hold(5);
  // The main menu: "play game" is selected; "quit game" is one step up, round the end.
  open(1, true);
  look("the quit dialog", "are you sure ?", "play game", kMainMenu);
  tour.Tap(in.back);
  look("the main menu again", "quit game", "are you sure ?", kMainMenu);
  open(2, true);  // "options"
  look("the options", "mute music", "play game", kMainMenu);
  tour.Tap(in.back);
  look("the main menu again", "play game", "mute music", kMainMenu);
  open(1, true);  // "controls"
  look("the controls", "reset to defaults", "play game", kMainMenu);
  tour.Tap(in.back);
  look("the main menu again", "play game", "reset to defaults", kMainMenu);
  open(1, true);  // "levels"
  look("the level select", "level select", "play game", kLevelSelect);
  tour.Tap(in.back);
  look("the main menu from the level select", "play game", "level select", kMainMenu);
  open(4, false);  // "credits", from "play game" again
  look("the credits", "back", "play game", kCredits);
  tour.Tap(in.back);
  look("the main menu from the credits", "play game", "back", kMainMenu);
  open(0, false);  // "play game"
  tour.Hold(10);
  tour.Tap(in.pause);  // the pause acts as the key or button comes up
  look("the pause menu", "rESUME gAME", "mute music", kLevel1, true);
  open(1, false);  // "oPTIONS"
  look("the pause options", "mute music", "rESUME gAME", kLevel1, true);
  tour.Tap(in.back);
  look("the pause menu again", "oPTIONS", "mute music", kLevel1, true);
  open(2, false);  // "cONTROLS"
  look("the pause controls", "reset to defaults", "rESUME gAME", kLevel1, true);
  tour.Tap(in.back);
  look("the pause menu again", "cONTROLS", "reset to defaults", kLevel1, true);
  open(1, false);  // "quit game"
  look("the pause quit dialog", "are you sure ?", "rESUME gAME", kLevel1, true);
  tour.Tap(in.back);
  look("the pause menu again", "rESUME gAME", "are you sure ?", kLevel1, true);
  open(2, true);  // "cREDITS": the leave-level dialog
  look("the leave-level dialog", "you will lose your progress", "rESUME gAME", kLevel1, true);
  tour.Tap(in.back);
  look("the pause menu again", "cREDITS", "you will lose your progress", kLevel1, true);
  tour.Tap(in.back);
  look("the level, running again", "", "rESUME gAME", kLevel1, false);
  tour.Hold(20);
  look("the level, still running", "", "rESUME gAME", kLevel1, false);

  ScriptedGame game;
  ScriptedGame::Options options = ScriptedGame::From(4, tour.Frame());
  for (const Look& l : looks) {
    options.textDumpAfter.push_back(l.frame);
    options.dumpAfter.push_back(l.frame);
  }
  ScriptRun run = game.Run(tour.Text(), options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  for (const Look& l : looks) {
    const TextDump& texts = run.textDumps.at(l.frame);
    SCOPED_TRACE(std::string(in.name) + ", frame " + std::to_string(l.frame) + ": " + l.what);
    EXPECT_EQ(run.SceneAt(l.frame), l.scene);
    if (!l.shown.empty()) {
      EXPECT_TRUE(texts.Shows(l.shown)) << l.shown;
    }
    EXPECT_FALSE(texts.Shows(l.hidden)) << l.hidden;
    EXPECT_EQ(run.dumps.at(l.frame).scene.paused, l.paused);
  }
}

INSTANTIATE_TEST_SUITE_P(KeysAndPad, OverlayExitTest, ::testing::Values(kKeys, kPad),
                         [](const ::testing::TestParamInfo<Controls>& info) { return std::string(info.param.name); });

}  // namespace
