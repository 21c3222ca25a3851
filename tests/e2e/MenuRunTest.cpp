// The menus as a player uses them, on the built game driven by input scripts: from the splash
// screens into a level with keys alone or with the mouse alone, the pause menu's options, the quit
// dialog's "no" and "yes", and the credits running back to the menu by themselves. Each run checks
// the scene in the state log and a screenshot of the screen it claims to reach (offscreen, 640 x 360;
// the long credits run 320 x 180).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/ScreenPicture.h"
#include "support/ScriptedGame.h"

using testing_support::ReadFile;
using testing_support::Rgb;
using Picture = testing_support::ScreenPicture;
using testing_support::ScriptedGame;
using testing_support::ScriptRun;

namespace {

// Scene indices of the shipped list (the state log names scenes by index).
constexpr int kSplashIndex = 1;
constexpr int kMainMenuIndex = 4;
constexpr int kLevel1Index = 5;
constexpr int kLevel2Index = 6;
constexpr int kCreditsIndex = 11;
constexpr int kLevelSelectIndex = 12;

constexpr Rgb kWhite = {255, 255, 255};
constexpr Rgb kDeepCrimson = {150, 14, 41};
constexpr Rgb kSalmon = {233, 150, 122};

// Scene index at a frame of the state log (frames count from 1); -1 past its end.
int SceneAt(const ScriptRun& run, int frame) {
  for (const auto& line : run.stateLog) {
    if (line.frame == frame) return line.sceneIndex;
  }
  return -1;
}

// What the options overlay's tag beside a toggle says ("on" or "off"): the tag is the text on the
// same row to the right of the toggle's plate.
std::string TagBeside(const testing_support::TextDump& dump, const std::string& toggle) {
  const testing_support::DumpedText* button = nullptr;
  for (const auto& text : dump.texts) {
    if (text.text == toggle && text.hasPlate) button = &text;
  }
  if (button == nullptr) return "<no " + toggle + ">";
  const float row = (button->plate.y0 + button->plate.y1) * 0.5f;
  for (const auto& text : dump.texts) {
    if ((text.text != "on" && text.text != "off") || !text.hasPlate) continue;
    if (std::abs((text.plate.y0 + text.plate.y1) * 0.5f - row) < 2.0f && text.plate.x0 > button->plate.x1) return text.text;
  }
  return "<no tag>";
}

// The distinct scene indices the run went through, in order.
std::vector<int> ScenePath(const ScriptRun& run) {
  std::vector<int> path;
  for (const auto& line : run.stateLog) {
    if (path.empty() || path.back() != line.sceneIndex) path.push_back(line.sceneIndex);
  }
  return path;
}

class MenuRunTest : public ::testing::Test {
 protected:
  // A run with screenshots after the given frames, offscreen.
  ScriptRun RunWithShots(const std::string& script, ScriptedGame::Options options, const std::vector<int>& shots) {
    options.headless = false;
    for (int frame : shots) {
      options.extraArgs.push_back("--screenshot");
      options.extraArgs.push_back(std::to_string(frame) + ":" + Shot(frame));
    }
    return game.Run(script, options);
  }
  std::string Shot(int frame) { return game.File("shot" + std::to_string(frame) + ".png"); }
  Picture Load(int frame) {
    Picture picture;
    EXPECT_TRUE(testing_support::LoadScreenPicture(Shot(frame), &picture)) << Shot(frame);
    return picture;
  }

  ScriptedGame game;
};

// The main menu shows six white buttons; a level shows none of that white.
constexpr double kMenuWhite = 0.02;

TEST_F(MenuRunTest, FromTheSplashScreensToTheFirstLevelWithKeysAlone) {
  ScriptedGame::Options options;
  options.frames = 140;
  // Enter skips the splash; on the menu Enter presses "play game", which is selected.
  const std::string script = "qinput 1\n10\n1 ENTER\n79\n1 ENTER\n";
  ScriptRun run = RunWithShots(script, options, {85, 140});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(ScenePath(run), (std::vector<int>{kSplashIndex, kMainMenuIndex, kLevel1Index}));
  EXPECT_EQ(SceneAt(run, 85), kMainMenuIndex);
  EXPECT_EQ(SceneAt(run, 140), kLevel1Index);
  EXPECT_GT(Load(85).Share(kWhite), kMenuWhite) << "the menu's buttons";
  EXPECT_LT(Load(140).Share(kWhite), kMenuWhite / 4) << "the level, not the menu";
}

TEST_F(MenuRunTest, LevelsThenTheVillaPictureReachTheSecondLevelWithTheMouseAlone) {
  ScriptedGame::Options options;
  options.frames = 180;
  const std::string script =
      "qinput 1\n"
      "10\n"
      "1 LMB\n"                    // skips the splash
      "69 mouseworld=0,100\n"      // over "levels"
      "1 LMB\n"
      "49 mouseworld=0,0\n"        // over the villa picture
      "1 LMB\n";
  ScriptRun run = RunWithShots(script, options, {125, 180});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(ScenePath(run), (std::vector<int>{kSplashIndex, kMainMenuIndex, kLevelSelectIndex, kLevel2Index}));
  EXPECT_EQ(SceneAt(run, 125), kLevelSelectIndex);
  EXPECT_GT(Load(125).Share(kSalmon), 0.005) << "the level select's \"back\"";
  Picture level = Load(180);
  EXPECT_LT(level.Share(kSalmon), 0.001);
  EXPECT_LT(level.Share(kWhite), kMenuWhite / 4);
}

TEST_F(MenuRunTest, PauseOptionsMuteMusicBackAndResume) {
  ScriptedGame::Options options;
  options.scene = 6;
  options.frames = 150;
  options.dumpAfter = {55, 90, 150};
  options.textDumpAfter = {75};
  const std::string script =
      "qinput 1\n"
      "50\n"                // after the level's fade-in (which stands still while paused)
      "1 ESCAPE\n"          // the pause key acts on release
      "4\n"
      "1 DOWN\n1\n"         // "oPTIONS"
      "1 ENTER\n1\n"
      "1 DOWN\n1\n1 DOWN\n1\n"  // "mute music"
      "1 ENTER\n"
      "20\n"
      "1 DOWN\n1\n1 DOWN\n1\n1 DOWN\n1\n1 DOWN\n1\n"  // past "vision cones" and "spotter arrows" to "back"
      "1 ENTER\n1\n"
      "1 UP\n1\n"           // from "oPTIONS", which has the focus again, to "rESUME gAME"
      "1 ENTER\n";
  ScriptRun run = RunWithShots(script, options, {55, 75, 150});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(ScenePath(run), std::vector<int>{kLevel1Index}) << "paused and resumed in the level";
  EXPECT_TRUE(run.dumps.at(55).scene.paused);
  EXPECT_GT(Load(55).Share(kWhite), kMenuWhite) << "the pause menu's five buttons";
  EXPECT_TRUE(run.dumps.at(90).scene.paused);
  EXPECT_FALSE(run.dumps.at(150).scene.paused);
  EXPECT_EQ(SceneAt(run, 150), kLevel1Index);
  EXPECT_LT(Load(150).Share(kWhite), kMenuWhite / 4) << "the level again, the menu gone";
  // The options overlay, with "mute music" on and "mute sfx" still off.
  EXPECT_EQ(TagBeside(run.textDumps.at(75), "mute music"), "on");
  EXPECT_EQ(TagBeside(run.textDumps.at(75), "mute sfx"), "off");
  EXPECT_GT(Load(75).Share(kWhite), kMenuWhite) << "the toggles are white";
  const std::string settings = ReadFile(game.UserFile("Settings.lullwick"));
  EXPECT_NE(settings.find("mute_music = true"), std::string::npos) << settings;
  EXPECT_NE(settings.find("mute_sfx = false"), std::string::npos) << settings;
}

TEST_F(MenuRunTest, QuitDialogNoReturnsToTheMenuAndYesEndsTheProgramNormally) {
  ScriptedGame::Options options;
  options.scene = 4;
  options.frames = 200;
  options.config = "10";  // with the log file, to see it flushed at the end
  const std::string script =
      "qinput 1\n"
      "45\n"                // the menu's fade-in
      "1 UP\n1\n"           // wraps round to "quit game"
      "1 ENTER\n"
      "10\n"                // the dialog, "no" selected
      "1 ENTER\n"
      "5\n"                 // back on the menu, "quit game" selected again
      "1\n1\n"
      "1 ENTER\n1\n"
      "1 RIGHT\n1\n"        // "yes"
      "1 ENTER\n";
  ScriptRun run = RunWithShots(script, options, {52, 65});
  EXPECT_EQ(run.process.exitCode, 0) << run.Problems();
  // The run ended on "yes", long before its 200 frames, through the normal shutdown.
  ASSERT_FALSE(run.stateLog.empty());
  EXPECT_EQ(run.stateLog.back().frame, 71);
  EXPECT_EQ(run.stateLog.back().sceneIndex, kMainMenuIndex);
  const std::string log = ReadFile(game.UserFile("output.log"));
  EXPECT_NE(log.find("FrameTime"), std::string::npos);
  EXPECT_EQ(log.back(), '\n') << "the log was flushed to its last line";

  EXPECT_EQ(SceneAt(run, 52), kMainMenuIndex);
  EXPECT_EQ(SceneAt(run, 65), kMainMenuIndex);
  EXPECT_GT(Load(52).Share(kDeepCrimson), 0.003) << "the dialog's panel";
  Picture menu = Load(65);
  EXPECT_LT(menu.Share(kDeepCrimson), 0.0005);
  EXPECT_GT(menu.Share(kWhite), kMenuWhite);
}

// F11 changes the display mode through the same setting as the options overlay's buttons: it is
// remembered, and an overlay open at the time shows the new mode.
TEST_F(MenuRunTest, F11IsRememberedAndAnOpenOptionsOverlayShowsTheNewMode) {
  ScriptedGame::Options options;
  options.scene = 4;
  options.frames = 60;
  options.textDumpAfter = {52, 60};
  const std::string script =
      "qinput 1\n"
      "45\n"
      "1 UP\n1\n1 UP\n1\n1 UP\n1\n"  // round to "options"
      "1 ENTER\n"                     // frame 52: the overlay, in a window
      "3\n"
      "1 F11\n";
  ScriptRun run = game.Run(script, options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(TagBeside(run.textDumps.at(52), "fullscreen"), "off");
  EXPECT_EQ(TagBeside(run.textDumps.at(52), "windowed"), "on");
  EXPECT_EQ(TagBeside(run.textDumps.at(60), "fullscreen"), "on");
  EXPECT_EQ(TagBeside(run.textDumps.at(60), "windowed"), "off");
  const std::string settings = ReadFile(game.UserFile("Settings.lullwick"));
  EXPECT_NE(settings.find("fullscreen = true"), std::string::npos) << settings;
}

// 1,600 frames drawn offscreen are slow under the sanitizers, so this run draws them in a
// 320 x 180 window; the screenshots are as small.
TEST_F(MenuRunTest, TheCreditsRunBackToTheMainMenuByThemselves) {
  ScriptedGame::Options options;
  options.scene = 11;
  options.frames = 1660;  // the menu's fade-in is over by then
  options.dumpAfter = {1660};
  options.extraArgs = {"--size", "320x180"};
  ScriptRun run = RunWithShots("qinput 1\n", options, {100, 1660});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(ScenePath(run), (std::vector<int>{kCreditsIndex, kMainMenuIndex}));
  // 2000 units at 50 a second, 0.025 s a frame.
  int back = 0;
  for (const auto& line : run.stateLog) {
    if (line.sceneIndex == kMainMenuIndex) {
      back = line.frame;
      break;
    }
  }
  EXPECT_NEAR(back, 1602, 3);
  EXPECT_EQ(SceneAt(run, 1660), kMainMenuIndex);
  const auto& menu = run.dumps.at(1660);
  EXPECT_EQ(menu.scene.id, 4);
  EXPECT_FLOAT_EQ(menu.cameraY, 0.0f);
  int shownUi = 0;
  for (const auto& object : menu.objects) shownUi += object.type == "UI" && object.visible ? 1 : 0;
  EXPECT_EQ(shownUi, 8) << "the six buttons, the title and the highlight on \"play game\"";
  Picture credits = Load(100);
  Picture returned = Load(1660);
  EXPECT_EQ(returned.width, 320);
  EXPECT_LT(credits.Share(kWhite), kMenuWhite) << "the credits, not the menu";
  EXPECT_GT(returned.Share(kWhite), kMenuWhite) << "the menu's buttons";
}

}  // namespace
