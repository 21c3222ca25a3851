// The key bindings in the built game: a throw key chosen in the settings file or on the controls
// screen throws (and the mouse button it replaced does not), keys pressed while the controls screen
// waits for one neither pause nor retry, and a damaged settings file leaves the shipped controls in
// force with a line in the log saying why. Frames are 0.025 s; the level is built at the end of frame 1.
#include <gtest/gtest.h>

#include <string>

#include "support/ScriptedGame.h"

using namespace testing_support;
using ControlsScriptTest = ScriptedGameTest;

namespace {

// Picks the food up in frame 4, aims north, winds up with `throwKey` for frames 6-10 and lets go in
// frame 11.
std::string ThrowWith(const std::string& throwKey) {
  return "qinput 1\n"
         "3\n"
         "1 RMB\n"
         "1 mouseworld=0,500\n"
         "5 " + throwKey + "\n"
         "30\n";
}

ScriptRun PlayThrow(ScriptedGame& game, const std::string& script, const std::string& config = "00") {
  ScriptedGame::Options options;
  options.config = config;
  return game.PlayLevel(TestLevel({PlayerObject(), FoodObject("Food_2")}), script, 40, {14, 40}, options);
}

}  // namespace

// That the old button then only aims is AThrowKeyChangedOnTheControlsScreenThrowsInTheLevel's.
TEST_F(ControlsScriptTest, TheSettingsFilesThrowKeyIsInForceFromTheStartAndADamagedFileKeepsTheShippedOne) {
  WriteFile(game.UserFile("Settings.lullwick"), "fullscreen = false\nkey_throw = SPACE\n");
  ScriptRun thrown = PlayThrow(game, ThrowWith("SPACE"));
  ASSERT_TRUE(thrown.Ok()) << thrown.Problems();
  EXPECT_GT(thrown.At(14, "Food_2").vy, 500.0f) << "thrown north";
  EXPECT_GT(thrown.At(40, "Food_2").y, 200.0f);

  WriteFile(game.UserFile("Settings.lullwick"), "key_throw = \x01\x02garbage\nkey_pickup RMB\n");
  ScriptRun run = PlayThrow(game, ThrowWith("LMB"), "10");
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_GT(run.At(14, "Food_2").vy, 500.0f) << "the left mouse button still throws";
  const std::string log = ReadFile(game.UserFile("output.log"));
  EXPECT_NE(log.find("Settings file"), std::string::npos) << log;
  EXPECT_NE(log.find("default"), std::string::npos) << log;
}

// From the main menu to the controls screen with the menu keys, "tHROW" changed to Space there,
// back, "play game", and Space throws in the level while the left button only aims.
TEST_F(ControlsScriptTest, AThrowKeyChangedOnTheControlsScreenThrowsInTheLevel) {
  game.SetLevel("level1.json", TestLevel({PlayerObject(), FoodObject("Food_2")}));
  ScriptWriter script;
  script.Hold(45);              // the menu's fade-in
  script.Tap("DOWN", 2);        // "controls"
  script.Tap("ENTER");
  script.Tap("DOWN", 5);        // "tHROW - lmb"
  script.Tap("ENTER");          // waits for the key
  const int bound = script.Tap("SPACE");
  script.Hold(1);               // the buttons come back
  script.Tap("DOWN", 4);        // past pause, retry and reset to "back"
  script.Tap("ENTER");          // the main menu, "controls" (which opened the screen) selected
  script.Tap("UP", 2);          // "play game"
  script.Tap("ENTER");
  script.Hold(60);              // the level's start and fade-in
  script.Hold(1, "RMB");        // pick up
  script.Hold(1, "LMB mouseworld=0,500");  // the old button: aims only
  script.Hold(3);
  const int wound = script.Hold(5, "SPACE");
  const int flying = script.Hold(3);
  const int last = script.Hold(27);

  ScriptedGame::Options options = ScriptedGame::From(4, last);
  options.dumpAfter = {bound, wound, flying, last};
  ScriptRun run = game.Run(script.Text(), options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  const std::string settings = ReadFile(game.UserFile("Settings.lullwick"));
  EXPECT_NE(settings.find("key_throw = SPACE"), std::string::npos) << settings;
  EXPECT_EQ(run.dumps.at(bound).scene.id, 4) << "changed on the main menu's controls screen";
  ASSERT_EQ(run.dumps.at(last).scene.id, kTestLevelId) << "the level was reached";
  EXPECT_NEAR(run.At(wound, "Food_2").y, 0.0f, 30.0f) << "carried, not thrown, by the left button";
  EXPECT_GT(run.At(flying, "Food_2").vy, 500.0f) << "thrown north by Space";
  EXPECT_GT(run.At(last, "Food_2").y, 200.0f);
}

// In a paused level: Escape cancelling a change, and R refused as retry's key, neither unpause nor
// restart the level on their way down or up.
TEST_F(ControlsScriptTest, KeysPressedWhileTheControlsScreenWaitsDoNotPauseOrRetry) {
  game.SetLevel("level1.json", TestLevel({PlayerObject(), FoodObject("Food_2")}));
  ScriptWriter script;
  script.Hold(50);              // the level's fade-in
  const int pressed = script.Hold(1, "ESCAPE");
  const int paused = script.Hold(1);  // the pause key acts on release
  script.Hold(3);
  script.Tap("DOWN", 3);        // "cONTROLS"
  script.Tap("ENTER");
  script.Tap("ENTER");          // "mOVE uP": waits for a key
  script.Tap("ESCAPE");         // cancels
  const int cancelled = script.Hold(5);
  script.Tap("ENTER");
  script.Tap("R");              // retry's: refused
  const int refused = script.Hold(5);

  ScriptedGame::Options options = ScriptedGame::From(kTestLevelId, refused);
  options.dumpAfter = {pressed, paused, cancelled, refused};
  ScriptRun run = game.Run(script.Text(), options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_FALSE(run.dumps.at(pressed).scene.paused) << "pressing is not enough";
  EXPECT_TRUE(run.dumps.at(paused).scene.paused);
  EXPECT_TRUE(run.dumps.at(cancelled).scene.paused) << "Escape cancelled the change only";
  EXPECT_TRUE(run.dumps.at(refused).scene.paused) << "R did not restart the level";
  EXPECT_FLOAT_EQ(run.dumps.at(refused).scene.time, run.dumps.at(paused).scene.time);
  EXPECT_FALSE(FileExists(game.UserFile("Settings.lullwick"))) << "nothing changed, nothing saved";
}
