// The menus as a player uses them, on the built game driven by input scripts: from the splash
// screens into a level with keys alone or with the mouse alone, the pause menu's options, the quit
// dialog's "no" and "yes", and the credits running back to the menu by themselves. Each run checks
// the scene in the state log and a screenshot of the screen it claims to reach (offscreen, 640 x 360;
// the long credits run 320 x 180).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/ScriptedGame.h"

using namespace testing_support;
using namespace testing_support::scene_index;
using Picture = ScreenPicture;
using MenuRunTest = ScriptedGameTest;

namespace {

constexpr Rgb kWhite = {255, 255, 255};
constexpr Rgb kDeepCrimson = {150, 14, 41};
constexpr Rgb kSalmon = {233, 150, 122};

// What the options overlay's tag beside a toggle says ("on" or "off"): the tag is the text on the
// same row to the right of the toggle's plate.
std::string TagBeside(const TextDump& dump, const std::string& toggle) {
  const DumpedText* button = nullptr;
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

// The main menu shows six white buttons; a level shows none of that white.
constexpr double kMenuWhite = 0.02;

TEST_F(MenuRunTest, FromTheSplashScreensToTheFirstLevelWithKeysAlone) {
  ScriptedGame::Options options;
  options.frames = 140;
  // Enter skips the splash; on the menu Enter presses "play game", which is selected.
  const std::string script = "qinput 1\n10\n1 ENTER\n79\n1 ENTER\n";
  options.shotAfter = {85, 140};
  ScriptRun run = game.Run(script, options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(run.ScenePath(), (std::vector<int>{kSplash, kMainMenu, kLevel1}));
  EXPECT_EQ(run.SceneAt(85), kMainMenu);
  EXPECT_EQ(run.SceneAt(140), kLevel1);
  EXPECT_GT(run.Shot(85).Share(kWhite), kMenuWhite) << "the menu's buttons";
  EXPECT_LT(run.Shot(140).Share(kWhite), kMenuWhite / 4) << "the level, not the menu";
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
  options.shotAfter = {125, 180};
  ScriptRun run = game.Run(script, options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(run.ScenePath(), (std::vector<int>{kSplash, kMainMenu, kLevelSelect, kLevel2}));
  EXPECT_EQ(run.SceneAt(125), kLevelSelect);
  EXPECT_GT(run.Shot(125).Share(kSalmon), 0.005) << "the level select's \"back\"";
  Picture level = run.Shot(180);
  EXPECT_LT(level.Share(kSalmon), 0.001);
  EXPECT_LT(level.Share(kWhite), kMenuWhite / 4);
}

TEST_F(MenuRunTest, PauseOptionsMuteMusicBackAndResume) {
  ScriptedGame::Options options = ScriptedGame::From(6, 150);
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
  options.shotAfter = {55, 75, 150};
  ScriptRun run = game.Run(script, options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(run.ScenePath(), std::vector<int>{kLevel1}) << "paused and resumed in the level";
  EXPECT_TRUE(run.dumps.at(55).scene.paused);
  EXPECT_GT(run.Shot(55).Share(kWhite), kMenuWhite) << "the pause menu's five buttons";
  EXPECT_TRUE(run.dumps.at(90).scene.paused);
  EXPECT_FALSE(run.dumps.at(150).scene.paused);
  EXPECT_EQ(run.SceneAt(150), kLevel1);
  EXPECT_LT(run.Shot(150).Share(kWhite), kMenuWhite / 4) << "the level again, the menu gone";
  // The options overlay, with "mute music" on and "mute sfx" still off.
  EXPECT_EQ(TagBeside(run.textDumps.at(75), "mute music"), "on");
  EXPECT_EQ(TagBeside(run.textDumps.at(75), "mute sfx"), "off");
  EXPECT_GT(run.Shot(75).Share(kWhite), kMenuWhite) << "the toggles are white";
  const std::string settings = ReadFile(game.UserFile("Settings.lullwick"));
  EXPECT_NE(settings.find("mute_music = true"), std::string::npos) << settings;
  EXPECT_NE(settings.find("mute_sfx = false"), std::string::npos) << settings;
}

TEST_F(MenuRunTest, QuitDialogNoReturnsToTheMenuAndYesEndsTheProgramNormally) {
  ScriptedGame::Options options = ScriptedGame::From(4, 200);
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
  options.shotAfter = {52, 65};
  ScriptRun run = game.Run(script, options);
  EXPECT_EQ(run.process.exitCode, 0) << run.Problems();
  // The run ended on "yes", long before its 200 frames, through the normal shutdown.
  ASSERT_FALSE(run.stateLog.empty());
  EXPECT_EQ(run.stateLog.back().frame, 71);
  EXPECT_EQ(run.stateLog.back().sceneIndex, kMainMenu);
  const std::string log = ReadFile(game.UserFile("output.log"));
  EXPECT_NE(log.find("FrameTime"), std::string::npos);
  EXPECT_EQ(log.back(), '\n') << "the log was flushed to its last line";

  EXPECT_EQ(run.SceneAt(52), kMainMenu);
  EXPECT_EQ(run.SceneAt(65), kMainMenu);
  EXPECT_GT(run.Shot(52).Share(kDeepCrimson), 0.003) << "the dialog's panel";
  Picture menu = run.Shot(65);
  EXPECT_LT(menu.Share(kDeepCrimson), 0.0005);
  EXPECT_GT(menu.Share(kWhite), kMenuWhite);
}

// F11 changes the display mode through the same setting as the options overlay's buttons: it is
// remembered, and an overlay open at the time shows the new mode.
TEST_F(MenuRunTest, F11IsRememberedAndAnOpenOptionsOverlayShowsTheNewMode) {
  ScriptedGame::Options options = ScriptedGame::From(4, 60);
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
  ScriptedGame::Options options = ScriptedGame::From(11, 1660);  // the menu's fade-in is over by then
  options.dumpAfter = {1660};
  options.extraArgs = {"--size", "320x180"};
  options.shotAfter = {100, 1660};
  ScriptRun run = game.Run("qinput 1\n", options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(run.ScenePath(), (std::vector<int>{kCredits, kMainMenu}));
  // 2000 units at 50 a second, 0.025 s a frame.
  EXPECT_NEAR(run.FirstFrameIn(kMainMenu), 1602, 3);
  EXPECT_EQ(run.SceneAt(1660), kMainMenu);
  const auto& menu = run.dumps.at(1660);
  EXPECT_EQ(menu.scene.id, 4);
  EXPECT_FLOAT_EQ(menu.cameraY, 0.0f);
  int shownUi = 0;
  for (const auto& object : menu.objects) shownUi += object.type == "UI" && object.visible ? 1 : 0;
  EXPECT_EQ(shownUi, 8) << "the six buttons, the title and the highlight on \"play game\"";
  Picture credits = run.Shot(100);
  Picture returned = run.Shot(1660);
  EXPECT_EQ(returned.width, 320);
  EXPECT_LT(credits.Share(kWhite), kMenuWhite) << "the credits, not the menu";
  EXPECT_GT(returned.Share(kWhite), kMenuWhite) << "the menu's buttons";
}

}  // namespace
